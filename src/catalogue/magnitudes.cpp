#include "catalogue/magnitudes.h"

#include <cstddef>
#include <initializer_list>
#include <utility>

namespace tarvel::catalogue {
namespace {

using Unidad = std::pair<std::string_view, double>;

constexpr double cuadrado(double base) { return base * base; }
// A product of three doubles is rounded twice; for every base used here it still lands on
// the double nearest the exact cube (the catalogue tests pin each result bit for bit).
constexpr double cubo(double base) { return base * base * base; }

constexpr Magnitud magnitud(std::string_view nombre, std::initializer_list<Unidad> unidades) {
    Magnitud m;
    m.nombre = nombre;
    m.ultimo = static_cast<std::int16_t>(unidades.size() - 1);
    std::size_t u = 0;
    for (const auto& [unidad, factor] : unidades) {
        m.unidad[u] = unidad;
        m.factor[u] = factor;
        ++u;
    }
    return m;
}

// Built by the compiler: the window pays nothing for it at start-up but a copy.
constexpr Magnitudes kTabla = [] {
    constexpr double kcal_h = 1.16279;
    constexpr double btu = 1055;
    Magnitudes t{};
    t[0] = magnitud("Longitud", {{"m", 1},
                                 {"cm", 0.01},
                                 {"mm", 0.001},
                                 {"yd", 0.9144},
                                 {"pie", 0.3048},
                                 {"pulg", 0.0254},
                                 {"km", 1000},
                                 {"millas", 1609.344}});
    t[1] = magnitud("Area", {{"m²", 1},
                             {"cm²", cuadrado(0.01)},
                             {"mm²", cuadrado(0.001)},
                             {"yd²", cuadrado(0.9144)},
                             {"pie²", cuadrado(0.3048)},
                             {"pulg²", cuadrado(0.0254)},
                             {"km²", cuadrado(1000)},
                             {"milla²", cuadrado(1609.344)}});
    t[2] = magnitud("Volumen", {{"m³", cubo(1)},
                                {"cm³", cubo(0.01)},
                                {"mm³", cubo(0.001)},
                                {"l", cubo(0.1)},
                                {"yd³", cubo(0.9144)},
                                {"pie³", cubo(0.3048)},
                                {"pulgadas³", cubo(0.0254)},
                                {"km³", cubo(1000)},
                                {"milla³", cubo(1609.344)}});
    t[3] = magnitud("Velocidad", {{"m/s", 1},
                                  {"cm/s", 0.01},
                                  {"pie/s", 0.3048},
                                  {"Km/h", 0.2777777},
                                  {"milla/h", 0.44704}});
    t[4] = magnitud("Masa", {{"kg", 1},
                             {"g", 0.001},
                             {"lb", 0.45359237},
                             {"oz", 0.028349523125},
                             {"Ton", 1000}});
    t[5] = magnitud("Fuerza", {{"N", 1}, {"lb", 4.45}});
    t[6] = magnitud("Energía", {{"J", 1},
                                {"kcal", 4186.8},
                                {"cal", 4.1868},
                                {"Btu", btu},
                                {"pie·lb", btu / 778}});
    t[7] = magnitud("Potencia",
                    {{"W", 1}, {"kcal/h", kcal_h}, {"Btu/h", kcal_h / 3.963}, {"ton", 3520}});
    t[8] = magnitud("Densidad", {{"kg/m³", 1}, {"lb/pie³", 16}});
    t[9] = magnitud("Presión", {{"Pa", 1},
                                {"Kg/cm²", 100000},
                                {"Lb/pulg²", 10 / 0.0014504},
                                {"atm", 101325},
                                {"bar", 100000},
                                {"psi", 6894.75729317},
                                {"Torr", 133.322368421},
                                {"mm.Hg.", 133.322368421},
                                {"mm.c.a.", 9.804295999999999},
                                {"pulg.c.a.", 248.84}});
    // The temperature rule converts this category; its numbers are kept but never read.
    t[10] = magnitud("Temperatura", {{"ºC", 1}, {"ºF", 1.8}, {"ºK", 273.15}});
    t[11] = magnitud("Calor específico",
                     {{"kJ/kg·ºC", 1}, {"Btu/lb·ºF", 4.2}, {"cal/g·ºC", 4.2}});
    t[12] = magnitud("U, coeficiente transferencia calor",
                     {{"W/m²·ºC", 1}, {"Btu/h·pie²·ºF", 5.68}});
    t[13] = magnitud("Caudal", {{"m³/h", 1}, {"l/s", 3.6}, {"CFM", 1.7}});
    return t;
}();

}  // namespace

Magnitudes construir_magnitudes() { return kTabla; }

Temperatura temperatura(const Magnitudes& tabla) {
    Temperatura t;
    for (std::size_t c = 0; c < tabla.size() && t.magnitud < 0; ++c) {
        if (tabla[c].nombre != kReglaDeTemperatura.magnitud) {
            continue;
        }
        t.magnitud = static_cast<int>(c);
        const auto indice = [&m = tabla[c]](std::string_view unidad) {
            for (int u = 0; u <= m.ultimo; ++u) {
                if (m.unidad[static_cast<std::size_t>(u)] == unidad) {
                    return u;
                }
            }
            return -1;
        };
        t.celsius = indice(kReglaDeTemperatura.celsius);
        t.fahrenheit = indice(kReglaDeTemperatura.fahrenheit);
        t.kelvin = indice(kReglaDeTemperatura.kelvin);
    }
    return t;
}

}  // namespace tarvel::catalogue
