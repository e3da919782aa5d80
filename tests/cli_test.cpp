// The command line, in process: one table of invocations (arguments, standard input, locale)
// against standard output, standard error and exit status, all literal. Every unit pair's
// figures are the golden table's (golden_test.cpp).
#include "cli/conversor.h"
#include "cli/nombres.h"
#include "support/windowless_program.h"
#include "tarvel_version.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tarvel::testing {
namespace {

using cli::Entorno;
using platform::NumberLocale;

constexpr std::string_view kEs = "es_ES.UTF-8";

std::string error(std::string_view texto) {
    return "conversor: " + std::string(texto) + "\n";
}

struct Invocacion {
    const char* nombre;
    std::vector<std::string_view> argumentos;
    Entorno entorno;
    std::string entrada;
    std::string salida;
    std::string errores;
    int estado;
};

const std::string kHugeText = "1" + std::string(308, '0');
const std::string kLineaLarga = std::string(cli::kLineaMaxima, '0'); // reads as 0
// The longest line, then one so long that no read holds it whole.
const std::string kColumnaLarga = kLineaLarga + "\n" + kLineaLarga + kLineaLarga + "00\n2";

// One invocation a row.
// clang-format off
const std::vector<Invocacion> kInvocaciones = {
    // One value
    {"KilometresToMetres", {"2", "km", "m"}, {}, "", "2000.0\n", "", 0},
    {"CelsiusToFahrenheit", {"100", "C", "F"}, {}, "", "212.0\n", "", 0},
    {"NegativeValueIsAValue", {"-40", "F", "C"}, {}, "", "-40.0032\n", "", 0},
    {"CatalogueNames", {"1", "m³", "pie³"}, {}, "", "35.3147\n", "", 0},
    {"AsciiSpellings", {"10", "Btu/h.pie2.F", "W/m2.C"}, {}, "", "56.8\n", "", 0},
    {"DegreeSignForTheOrdinal", {"0", "°C", "K"}, {}, "", "273.15\n", "", 0},
    {"UniqueMatchIgnoringCase", {"3", "KM", "M"}, {}, "", "3000.0\n", "", 0},
    {"CaseSensitiveFirst", {"1", "ton", "W"}, {}, "", "3520.0\n", "", 0},
    {"ValueEqualToWhatTheUnitChoiceLeft", {"0.0006", "millas", "m"}, {}, "",
     "0.9656\n", "", 0},
    {"ForceByTheOtherUnit", {"10", "lb", "N"}, {}, "", "44.5\n", "", 0},
    {"MassByTheOtherUnit", {"1", "lb", "oz"}, {}, "", "16.0\n", "", 0},
    {"MagnitudChooses", {"--magnitud", "Fuerza", "2", "lb", "lb"}, {}, "", "2.0\n", "", 0},
    {"MagnitudAsciiWithEquals", {"--magnitud=presion", "1", "Kg/cm2", "bar"}, {}, "", "1.0\n",
     "", 0},
    {"MagnitudByItsStart", {"1", "Btu/h.pie2.F", "W/m2.C", "--magnitud", "U"}, {}, "",
     "5.68\n", "", 0},
    {"DoubleDashEndsOptions", {"--", "-1", "m", "cm"}, {}, "", "-100.0\n", "", 0},
    {"Exacto", {"--exacto", "1", "psi", "Lb/pulg2"}, {}, "", "1.0000155978013767\n",
     "", 0},
    {"ExactoKmh", {"36", "Km/h", "m/s", "--exacto"}, {}, "", "9.999997200000001\n", "", 0},
    {"ExactoLitres", {"--exacto", "1", "l", "cm3"}, {}, "",
     "1000.0000000000001\n", "", 0},
    {"NonNumeric", {"1e5", "m", "pie"}, {}, "", "", error("Valores no numéricos"), 1},
    {"Overflow", {kHugeText, "km", "mm"}, {}, "", "", error("Error: Desbordamiento"), 1},

    // Number settings: LC_ALL, then LC_NUMERIC, then LANG
    {"CommaLocale", {"1,5", "m", "cm"}, {kEs}, "", "150,0\n", "", 0},
    {"CommaLocaleNegative", {"-0,5", "m", "cm"}, {kEs}, "", "-50,0\n", "", 0},
    {"CommaLocaleFullStopGroups", {"1.500", "m", "km"}, {kEs}, "", "1,5\n", "", 0},
    {"CommaLocaleExacto", {"--exacto", "1,5", "pie", "m"}, {kEs}, "", "0,45720000000000005\n",
     "", 0},
    {"CLocaleGroupsWithComma", {"1,000", "km", "m"}, {"C"}, "", "1000000.0\n", "", 0},
    {"LcAllBeforeLang", {"1.5", "m", "cm"}, {"C", "", kEs}, "", "150.0\n", "", 0},
    {"LcNumericBeforeLang", {"1,5", "m", "cm"}, {"", kEs, "C"}, "", "150,0\n", "", 0},
    {"LangAlone", {"1,5", "m", "cm"}, {"", "", kEs}, "", "150,0\n", "", 0},
    {"MissingLocaleIsC", {"1.5", "m", "cm"}, {"xx_YY.UTF-8"}, "", "150.0\n", "", 0},

    // Usage errors
    {"UnknownUnitSuggests", {"1", "pies", "m"}, {}, "", "",
     error("unidad desconocida «pies»; ¿quiso decir pie, pie2, pie3 o pie/s?"), 2},
    {"UnknownUnitFarFromAll", {"1", "furlong", "m"}, {}, "", "",
     error("unidad desconocida «furlong» (conversor --lista muestra las unidades)"), 2},
    {"AmbiguousIgnoringCase", {"1", "TON", "kg"}, {}, "", "",
     error("unidad ambigua «TON»: Ton (Masa) o ton (Potencia)"), 2},
    {"DifferentQuantities", {"1", "lb", "m"}, {}, "", "",
     error("«lb» (Masa o Fuerza) y «m» (Longitud) son de magnitudes distintas"), 2},
    {"SeveralQuantities", {"1", "lb", "LB"}, {}, "", "",
     error("«lb» y «LB» están en varias magnitudes (Masa o Fuerza); elija una con --magnitud"), 2},
    {"NotInTheChosenQuantity", {"--magnitud", "Potencia", "1", "Ton", "W"}, {}, "", "",
     error("«Ton» no es una unidad de Potencia"), 2},
    {"AmbiguousQuantity", {"--magnitud", "c", "1", "l/s", "CFM"}, {}, "", "",
     error("magnitud ambigua «c»: Calor específico o Caudal"), 2},
    {"MissingArguments", {"1", "m"}, {}, "", "",
     error("faltan argumentos: conversor VALOR ORIGEN DESTINO (conversor --help muestra el uso)"),
     2},
    {"ExtraArgument", {"1", "m", "cm", "mm"}, {}, "", "",
     error("sobra «mm» (conversor --help muestra el uso)"), 2},
    {"UnknownOption", {"-v", "1", "m", "cm"}, {}, "", "",
     error("opción desconocida «-v» (conversor --help muestra el uso)"), 2},
    {"MagnitudWithoutName", {"1", "m", "cm", "--magnitud"}, {}, "", "",
     error("a --magnitud le falta el nombre de la magnitud"), 2},
    {"BytesThatAreNotUtf8AreNotEchoed", {"1", "\xFF\x1B[2J\xC3", "m"}, {}, "", "",
     error("unidad desconocida «\uFFFD\uFFFD[2J\uFFFD» (conversor --lista muestra las unidades)"),
     2},
    {"VersionWinsOverErrors", {"--nada", "--version"}, {}, "",
     "conversor (Conversor de unidades) " + std::string(kVersion) + "\n", "", 0},

    // Columns
    {"ColumnRepeatsAndFailures", {"-", "millas", "m"}, {}, "0.0006\n0.0006\nx\nx\n1\r\n\n-40\n2",
     "0.9656\n0.9656\n\n\n1609.344\n\n-64373.76\n3218.688\n",
     error("línea 3: Valores no numéricos") + error("línea 4: Valores no numéricos") +
         error("línea 6: Valores no numéricos"),
     1},
    {"ColumnEmpty", {"-", "m", "cm"}, {}, "", "", "", 0},
    {"ColumnByteOrderMarkAndCrlf", {"-", "m", "cm"}, {}, "\xEF\xBB\xBF" "1\r\n2\r\n",
     "100.0\n200.0\n", "", 0},
    {"ColumnLongestLineAndLonger", {"-", "m", "cm"}, {}, kColumnaLarga,
     "0.0\n\n200.0\n", error("línea 2: Valores no numéricos (más de 32767 bytes)"),
     1},
    {"ColumnCommaLocale", {"-", "m", "cm"}, {kEs}, "1,5\n2.000\n",
     "150,0\n200000,0\n", "", 0},
    {"ColumnExacto", {"--exacto", "-", "pie", "m"}, {}, "3\n", "0.9144000000000001\n", "", 0},
    {"ColumnOverflowAndGarbage", {"-", "km", "mm"}, {}, kHugeText + std::string("\n\0\xFF\n1", 5),
     "\n\n1000000.0\n", error("línea 1: Error: Desbordamiento") +
     error("línea 2: Valores no numéricos"), 1},

    // The catalogue
    {"ListaOneQuantity", {"--lista", "fuerza"}, {}, "",
     "Fuerza (factores en N)\n  N              N             1\n  lb             lb            4.45\n",
     "", 0},
    {"ListaInCommaLocale", {"--lista", "Densidad"}, {kEs}, "",
     "Densidad (factores en kg/m³)\n  kg/m³          kg/m3         1\n  lb/pie³        lb/pie3       16\n",
     "", 0},
    {"ListaWithExacto", {"--lista", "--exacto"}, {}, "", "",
     error("--lista admite solo el nombre de una magnitud (conversor --help muestra el uso)"), 2},
};
// clang-format on

class Conversor : public ::testing::TestWithParam<Invocacion> {};

// Each invocation with standard input handed over whole and three bytes at a time, so lines
// cross the reads.
TEST_P(Conversor, PrintsAndExitsAsExpected) {
    const Invocacion& k = GetParam();
    if (k.entorno.lc_all == kEs || k.entorno.lc_numeric == kEs || k.entorno.lang == kEs) {
#if defined(__EMSCRIPTEN__)
        // musl takes any locale name and writes the full stop in all of them.
        GTEST_SKIP() << "no comma locale in emscripten's C library";
#endif
        ASSERT_EQ(cli::numero_del_entorno({kEs}).decimal, U',')
            << "es_ES.UTF-8 is missing: source scripts/deps.sh; tarvel_locale es_ES.UTF-8";
    }
    Entorno entorno = k.entorno;
#ifdef _WIN32
    // Where no variable names a locale, Windows takes the user's own settings.
    if (entorno.lc_all.empty() && entorno.lc_numeric.empty() && entorno.lang.empty()) {
        entorno.lc_all = "C";
    }
#endif
    for (const std::size_t trozo : {std::size_t{0}, std::size_t{3}}) {
        cli::EntradaDeTexto entrada(k.entrada, trozo);
        cli::SalidaDeTexto salida;
        cli::SalidaDeTexto errores;
        const int estado = cli::ejecutar(k.argumentos, entrada, salida, errores, entorno);
        EXPECT_EQ(salida.texto, k.salida) << "read " << trozo << " at a time";
        EXPECT_EQ(errores.texto, k.errores) << "read " << trozo << " at a time";
        EXPECT_EQ(estado, k.estado) << "read " << trozo << " at a time";
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, Conversor, ::testing::ValuesIn(kInvocaciones),
                         [](const auto& info) { return std::string(info.param.nombre); });

} // namespace
} // namespace tarvel::testing
