// The catalogue, bit for bit: every name and every factor against the literal that
// engineers check the program by.
#include "catalogue/magnitudes.h"
#include "support/double_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using tarvel::catalogue::construir_magnitudes;
using tarvel::catalogue::Magnitudes;

struct Unit {
    int entry;
    int index;
    const char* name;
    double factor;
};

// The factors as written down: the shortest text that reads back as each double.
const std::vector<Unit> kUnits = {
    {0, 0, "m", 1}, {0, 1, "cm", 0.01}, {0, 2, "mm", 0.001}, {0, 3, "yd", 0.9144},
    {0, 4, "pie", 0.3048}, {0, 5, "pulg", 0.0254}, {0, 6, "km", 1000}, {0, 7, "millas", 1609.344},
    {1, 0, "m²", 1}, {1, 1, "cm²", 0.0001}, {1, 2, "mm²", 0.000001}, {1, 3, "yd²", 0.83612736},
    {1, 4, "pie²", 0.09290304}, {1, 5, "pulg²", 0.00064516}, {1, 6, "km²", 1000000},
    {1, 7, "milla²", 2589988.110336},
    {2, 0, "m³", 1}, {2, 1, "cm³", 0.0000010000000000000002}, {2, 2, "mm³", 0.000000001},
    {2, 3, "l", 0.0010000000000000002}, {2, 4, "yd³", 0.764554857984},
    {2, 5, "pie³", 0.028316846592000004}, {2, 6, "pulgadas³", 0.000016387064},
    {2, 7, "km³", 1000000000}, {2, 8, "milla³", 4168181825.44058},
    {3, 0, "m/s", 1}, {3, 1, "cm/s", 0.01}, {3, 2, "pie/s", 0.3048}, {3, 3, "Km/h", 0.2777777},
    {3, 4, "milla/h", 0.44704},
    {4, 0, "kg", 1}, {4, 1, "g", 0.001}, {4, 2, "lb", 0.45359237}, {4, 3, "oz", 0.028349523125},
    {4, 4, "Ton", 1000},
    {5, 0, "N", 1}, {5, 1, "lb", 4.45},
    {6, 0, "J", 1}, {6, 1, "kcal", 4186.8}, {6, 2, "cal", 4.1868}, {6, 3, "Btu", 1055},
    {6, 4, "pie·lb", 1.3560411311053984},
    {7, 0, "W", 1}, {7, 1, "kcal/h", 1.16279}, {7, 2, "Btu/h", 0.29341155690133736},
    {7, 3, "ton", 3520},
    {8, 0, "kg/m³", 1}, {8, 1, "lb/pie³", 16},
    {9, 0, "Pa", 1}, {9, 1, "Kg/cm²", 100000}, {9, 2, "Lb/pulg²", 6894.649751792609},
    {9, 3, "atm", 101325}, {9, 4, "bar", 100000}, {9, 5, "psi", 6894.75729317},
    {9, 6, "Torr", 133.322368421}, {9, 7, "mm.Hg.", 133.322368421},
    {9, 8, "mm.c.a.", 9.804295999999999}, {9, 9, "pulg.c.a.", 248.84},
    {10, 0, "ºC", 1}, {10, 1, "ºF", 1.8}, {10, 2, "ºK", 273.15},
    {11, 0, "kJ/kg·ºC", 1}, {11, 1, "Btu/lb·ºF", 4.2}, {11, 2, "cal/g·ºC", 4.2},
    {12, 0, "W/m²·ºC", 1}, {12, 1, "Btu/h·pie²·ºF", 5.68},
    {13, 0, "m³/h", 1}, {13, 1, "l/s", 3.6}, {13, 2, "CFM", 1.7},
};

const std::vector<std::string> kNames = {
    "Longitud", "Area",     "Volumen",          "Velocidad",
    "Masa",     "Fuerza",   "Energía",          "Potencia",
    "Densidad", "Presión",  "Temperatura",      "Calor específico",
    "U, coeficiente transferencia calor", "Caudal"};

std::uint64_t bits(double d) { return tarvel::testing::bitsOf(d); }

class UnitRow : public ::testing::TestWithParam<Unit> {};

TEST_P(UnitRow, NameAndFactorAreExact) {
    const Magnitudes m = construir_magnitudes();
    const Unit& u = GetParam();
    const auto& entry = m[static_cast<std::size_t>(u.entry)];
    EXPECT_EQ(entry.unidad[static_cast<std::size_t>(u.index)], u.name);
    EXPECT_EQ(bits(entry.factor[static_cast<std::size_t>(u.index)]), bits(u.factor))
        << "stored " << entry.factor[static_cast<std::size_t>(u.index)];
}

std::string rowName(const ::testing::TestParamInfo<Unit>& info) {
    return "entry" + std::to_string(info.param.entry) + "_unit" + std::to_string(info.param.index);
}

INSTANTIATE_TEST_SUITE_P(AllUnits, UnitRow, ::testing::ValuesIn(kUnits), rowName);

TEST(Catalogue, HoldsSixtyNineUnitsInFourteenNamedEntries) {
    const Magnitudes m = construir_magnitudes();
    ASSERT_EQ(kUnits.size(), 69u);
    int units = 0;
    for (std::size_t c = 0; c < kNames.size(); ++c) {
        EXPECT_EQ(m[c].nombre, kNames[c]) << "entry " << c;
        units += m[c].ultimo + 1;
    }
    EXPECT_EQ(units, 69);
}

TEST(Catalogue, SlotsAboveTheLastUnitAreEmptyAndZero) {
    const Magnitudes m = construir_magnitudes();
    for (std::size_t c = 0; c < 14; ++c) {
        EXPECT_EQ(bits(m[c].factor[0]), bits(1.0)) << "entry " << c;
        for (int u = m[c].ultimo + 1; u <= 100; ++u) {
            const auto i = static_cast<std::size_t>(u);
            EXPECT_TRUE(m[c].unidad[i].empty()) << "entry " << c << " slot " << u;
            EXPECT_EQ(bits(m[c].factor[i]), bits(0.0)) << "entry " << c << " slot " << u;
        }
    }
}

TEST(Catalogue, EntryFourteenIsNeverWritten) {
    const Magnitudes m = construir_magnitudes();
    const auto& last = m[14];
    EXPECT_TRUE(last.nombre.empty());
    EXPECT_EQ(last.ultimo, 0);
    for (std::size_t u = 0; u <= 100; ++u) {
        EXPECT_TRUE(last.unidad[u].empty());
        EXPECT_EQ(bits(last.factor[u]), bits(0.0));
    }
}

// Where the temperature rule applies, found by name: a unit moved or renamed in the table
// moves the rule with it or leaves a scale unfound, never applies it to the wrong unit.
TEST(Catalogue, TheTemperatureRuleFindsItsCategoryAndScalesByName) {
    Magnitudes m = construir_magnitudes();
    const auto found = tarvel::catalogue::temperatura(m);
    EXPECT_EQ((std::vector<int>{found.magnitud, found.celsius, found.fahrenheit, found.kelvin}),
              (std::vector<int>{10, 0, 1, 2}));
    std::swap(m[10].unidad[1], m[10].unidad[2]);
    m[3].nombre = "Temperatura";  // an earlier entry of the same name is the one ruled
    const auto moved = tarvel::catalogue::temperatura(m);
    EXPECT_EQ((std::vector<int>{moved.magnitud, moved.fahrenheit, moved.kelvin}),
              (std::vector<int>{3, -1, -1}));
    m[3].nombre = "Velocidad";
    const auto swapped = tarvel::catalogue::temperatura(m);
    EXPECT_EQ((std::vector<int>{swapped.magnitud, swapped.fahrenheit, swapped.kelvin}),
              (std::vector<int>{10, 2, 1}));
}

}  // namespace
