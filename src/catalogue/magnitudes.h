// The fixed table of quantities the converter knows: names, units and factors.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tarvel::catalogue {

inline constexpr int kUnidades = 101;    ///< unit slots per category (indexes 0..100)
inline constexpr int kMagnitudes = 15;   ///< categories in the table (indexes 0..14)
inline constexpr int kEnUso = 14;        ///< categories filled and shown (0..13)

/// One physical quantity. `factor[u]` is the size of one unit u expressed in unit 0,
/// so v in unit a is v * factor[a] / factor[b] in unit b. Unused slots hold "" and 0.0.
struct Magnitud {
    std::string_view nombre;
    std::int16_t ultimo = 0;  ///< highest unit index in use
    std::array<std::string_view, kUnidades> unidad{};
    std::array<double, kUnidades> factor{};
};

using Magnitudes = std::array<Magnitud, kMagnitudes>;

/// The category converted by its own rule instead of by factors, and the units of its three
/// scales, by the names the table gives them.
struct ReglaDeTemperatura {
    std::string_view magnitud;
    std::string_view celsius;
    std::string_view fahrenheit;
    std::string_view kelvin;
};
inline constexpr ReglaDeTemperatura kReglaDeTemperatura{"Temperatura", "ºC", "ºF", "ºK"};

/// Where that rule applies in a table: the category's index and each scale's unit index, -1
/// for a name the table lacks.
struct Temperatura {
    int magnitud = -1;
    int celsius = -1;
    int fahrenheit = -1;
    int kelvin = -1;
};

/// Builds the full table. Entries 0..13 are filled, entry 14 stays empty.
/// Every factor is the exact double the converter relies on, bit for bit.
Magnitudes construir_magnitudes();

/// Finds the temperature rule's category and scales in `tabla` by their names.
Temperatura temperatura(const Magnitudes& tabla);

}  // namespace tarvel::catalogue
