// The command-line face of the converter: arguments, unit names and columns of figures, each
// value computed by the window's own form through the window-less controls.
#pragma once

#include "cli/entorno.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tarvel::cli {

inline constexpr int kConvertido = 0;   ///< every value converted
inline constexpr int kSinConvertir = 1; ///< some value could not be, or a stream failed
inline constexpr int kErrorDeUso = 2;   ///< unknown or ambiguous unit, wrong arguments

/// The longest value a line may hold, in bytes: what the window's box takes at most. Longer
/// lines are skipped unread, so a column of any length runs in constant memory.
inline constexpr std::size_t kLineaMaxima = 32767;

/// Where the lines of a column come from.
class Entrada {
public:
    virtual ~Entrada() = default;
    /// Reads up to `n` bytes, no more than are ready (a terminal gives a line at a time): the
    /// count read, 0 at the end, nothing when reading failed.
    virtual std::optional<std::size_t> leer(char* destino, std::size_t n) = 0;
};

/// Where results and messages go.
class Salida {
public:
    virtual ~Salida() = default;
    /// Writes all of `bytes`; false when that failed.
    virtual bool escribir(std::string_view bytes) = 0;
};

/// Bytes held in memory, handed out at most `trozo` at a time (0: as many as asked).
class EntradaDeTexto final : public Entrada {
public:
    explicit EntradaDeTexto(std::string_view texto, std::size_t trozo = 0)
        : texto_(texto), trozo_(trozo) {}
    std::optional<std::size_t> leer(char* destino, std::size_t n) override;

private:
    std::string_view texto_;
    std::size_t trozo_;
};

class SalidaDeTexto final : public Salida {
public:
    bool escribir(std::string_view bytes) override {
        texto += bytes;
        return true;
    }
    std::string texto;
};

/// Runs one command line (its arguments, without the program's name) and returns the exit
/// status. Nothing it is given, however malformed, makes it throw or crash.
int ejecutar(std::span<const std::string_view> argumentos, Entrada& entrada, Salida& salida,
             Salida& errores, const Entorno& entorno);

} // namespace tarvel::cli
