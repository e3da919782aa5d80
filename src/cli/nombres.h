// The names a command line may give a unit or a quantity: the catalogue's own, or a plain-ASCII
// spelling that any keyboard types.
#pragma once

#include "catalogue/magnitudes.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarvel::cli {

/// A name in plain ASCII: "²" as 2, "³" as 3, "·" as a full stop, "º" left out, and the
/// accented vowels of the quantities' names without their accent ("Presión" as "Presion").
std::string escritura_ascii(std::string_view nombre);

/// The names of the catalogue the form holds, and how a typed name finds them.
///
/// A unit is found by its catalogue name or its ASCII spelling, compared case-sensitively
/// first ("Ton" and "ton" are different units). Only when nothing matches that way is case
/// ignored, and then the match counts only if it names a single unit name ("lb", being one
/// name, may still stand in two quantities). A quantity is found the same way, and failing
/// that by the start of its name when only one name starts so ("U" for the heat-transfer
/// coefficient).
class Nombres {
public:
    struct Unidad {
        int magnitud;
        int indice;
        std::string_view nombre;
        std::string ascii;
    };

    explicit Nombres(const catalogue::Magnitudes& catalogo);

    [[nodiscard]] const std::vector<Unidad>& unidades() const { return unidades_; }
    [[nodiscard]] std::string_view magnitud(int indice) const;

    /// The units a name denotes, within one quantity or all of them (-1). Several units with
    /// different names mean the name is ambiguous; an empty result means it is unknown.
    [[nodiscard]] std::vector<const Unidad*> buscar_unidad(std::string_view texto,
                                                           int magnitud) const;
    /// The ASCII spellings nearest an unknown name (at most four), nearest first.
    [[nodiscard]] std::vector<std::string_view> parecidas(std::string_view texto,
                                                          int magnitud) const;
    /// The quantities a name denotes: one, several (ambiguous) or none.
    [[nodiscard]] std::vector<int> buscar_magnitud(std::string_view texto) const;

private:
    const catalogue::Magnitudes& catalogo_;
    std::vector<Unidad> unidades_;
    std::vector<std::string> magnitudes_ascii_;
};

} // namespace tarvel::cli
