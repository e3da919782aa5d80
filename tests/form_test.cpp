// The whole program without a window: start-up, category and unit changes, the two-way
// computation and the key filter, driven through the window-less controls.
#include "support/double_text.h"
#include "support/windowless_program.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvel::testing {
namespace {

using platform::NumberLocale;

const std::vector<std::string> kCategorias = {
    "Longitud", "Area",     "Volumen",          "Velocidad",
    "Masa",     "Fuerza",   "Energía",          "Potencia",
    "Densidad", "Presión",  "Temperatura",      "Calor específico",
    "U, coeficiente transferencia calor", "Caudal"};
const std::vector<std::string> kLongitud = {"m", "cm", "mm", "yd", "pie", "pulg", "km", "millas"};

// Writes a full-stop text in the locale's own decimal character.
std::string local(std::string text, const NumberLocale& l) {
    if (l.decimal == U',') {
        for (char& c : text) {
            if (c == '.') {
                c = ',';
            }
        }
    }
    return text;
}

// ---------------------------------------------------------------------------------------
// Start-up

class StartUp : public ::testing::TestWithParam<NumberLocale> {};

TEST_P(StartUp, ShowsLengthInMetresOnBothSides) {
    const WindowlessProgram p(GetParam());
    EXPECT_EQ(p.List1.items(), kCategorias);
    EXPECT_EQ(p.List1.selectedIndex(), 0);
    EXPECT_EQ(p.Combo1.items(), kLongitud);
    EXPECT_EQ(p.Combo2.items(), kLongitud);
    EXPECT_EQ(p.Combo1.selectedIndex(), 0);
    EXPECT_EQ(p.Combo2.selectedIndex(), 0);
    EXPECT_EQ(p.Label1.caption(), "");
    EXPECT_EQ(p.UA.text(), local("1.0", GetParam()));
    EXPECT_EQ(p.UB.text(), local("1.0", GetParam()));
    EXPECT_EQ(p.runtime.beeps(), 0);
}

INSTANTIATE_TEST_SUITE_P(Form, StartUp, ::testing::Values(kPunto, kComa, kComaNarrowSpace),
                         [](const auto& info) { return localeName(info.param); });

// ---------------------------------------------------------------------------------------
// Category changes, with the units of the previous category still selected while the
// boxes are reset.

struct CategoryChange {
    const char* name;
    int unitA;        // selected in Combo1 before the change (-1: leave it)
    int unitB;        // selected in Combo2 before the change (-1: leave it)
    const char* textA;  // typed into UA before the change ("" : leave it)
    int category;
    const char* expectedA;
    const char* expectedB;
};

class CategoryChangeCase
    : public ::testing::TestWithParam<std::tuple<CategoryChange, NumberLocale>> {};

TEST_P(CategoryChangeCase, LeavesTheBoxesAndAnEmptyMessage) {
    const auto& [k, locale] = GetParam();
    WindowlessProgram p(locale);
    if (k.unitA >= 0) {
        p.Combo1.setSelectedIndex(k.unitA);
    }
    if (k.unitB >= 0) {
        p.Combo2.setSelectedIndex(k.unitB);
    }
    if (*k.textA != '\0') {
        p.UA.setText(local(k.textA, locale));
    }
    p.List1.setSelectedIndex(k.category);
    EXPECT_EQ(p.UA.text(), local(k.expectedA, locale));
    EXPECT_EQ(p.UB.text(), local(k.expectedB, locale));
    EXPECT_EQ(p.Label1.caption(), "");
    EXPECT_EQ(p.Combo1.selectedIndex(), 0);
    EXPECT_EQ(p.Combo2.selectedIndex(), 0);
}

const CategoryChange kCategoryChanges[] = {
    // Inches to metres, then Area: the reset writes run with pulg² and m² selected.
    {"InchesToAreaKeepsTheSquareInchFigure", 5, 0, "", 1, "1550.0031", "1550.0031"},
    // Metres to miles, then Force: the miles slot of Force is empty, its factor 0.
    {"MilesToForceLeavesZeros", 0, 7, "1", 5, "0.0", "0.0"},
    // Kilometres, then Mass: the second reset write divides by an empty slot and stops.
    {"KilometresToMassLeavesTheBareOne", 6, -1, "", 4, "1", "1.0"},
    {"StartToTemperature", -1, -1, "", 10, "1.0", "1.0"},
};

INSTANTIATE_TEST_SUITE_P(
    Form, CategoryChangeCase,
    ::testing::Combine(::testing::ValuesIn(kCategoryChanges),
                       ::testing::Values(kPunto, kComa, kComaNarrowSpace)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + localeName(std::get<1>(info.param));
    });

TEST(Form, ChoosingKilometresFirstRewritesUAFromUB) {
    WindowlessProgram p;
    p.Combo1.setSelectedIndex(6);
    EXPECT_EQ(p.UA.text(), "0.001");
    EXPECT_EQ(p.UB.text(), "1.0");
}

// Every category, reached from every other: the unit lists follow, the message is cleared,
// and UB shows UA's value.
TEST(Form, EveryCategoryChangeReloadsBothUnitListsAndClearsTheMessage) {
    const auto tabla = catalogue::construir_magnitudes();
    for (int from = 0; from < 14; ++from) {
        for (int to = 0; to < 14; ++to) {
            if (to == from) {
                continue;  // re-selecting the same row is no change
            }
            WindowlessProgram p(kComa);
            p.List1.setSelectedIndex(from);
            p.Combo1.setSelectedIndex(static_cast<int>(p.Combo1.items().size()) - 1);
            p.UB.setText("");  // leaves a message behind
            p.List1.setSelectedIndex(to);
            const auto& m = tabla[static_cast<std::size_t>(to)];
            std::vector<std::string> units;
            for (int u = 0; u <= m.ultimo; ++u) {
                units.emplace_back(m.unidad[static_cast<std::size_t>(u)]);
            }
            const std::string where = std::to_string(from) + " to " + std::to_string(to);
            EXPECT_EQ(p.Combo1.items(), units) << where;
            EXPECT_EQ(p.Combo2.items(), units) << where;
            EXPECT_EQ(p.Combo1.selectedIndex(), 0) << where;
            EXPECT_EQ(p.Combo2.selectedIndex(), 0) << where;
            EXPECT_EQ(p.Label1.caption(), "") << where;
            const auto a = p.form->textos().read(p.UA.text());
            ASSERT_TRUE(a.has_value()) << where;
            EXPECT_EQ(p.UB.text(), p.form->textos().format(*a)) << where;
        }
    }
}

// ---------------------------------------------------------------------------------------
// Two-way computation

struct Computation {
    const char* name;
    int category;
    int unitA;
    int unitB;
    bool editB;           // false: the user edits UA, true: UB
    const char* other;    // the other box's text before the edit
    const char* edited;   // the edited box's new text
    const char* expected; // the other box afterwards
    std::string_view message;
};

class ComputationCase
    : public ::testing::TestWithParam<std::tuple<Computation, NumberLocale>> {};

TEST_P(ComputationCase, WritesTheOtherBoxOrAMessage) {
    const auto& [k, locale] = GetParam();
    WindowlessProgram p(locale);
    p.List1.setSelectedIndex(k.category);
    p.Combo1.setSelectedIndex(k.unitA);
    p.Combo2.setSelectedIndex(k.unitB);
    auto& edited = k.editB ? p.UB : p.UA;
    auto& other = k.editB ? p.UA : p.UB;
    other.setText(local(k.other, locale));
    const int writes = other.changes();
    edited.setText(local(k.edited, locale));
    EXPECT_EQ(other.text(), local(k.expected, locale));
    EXPECT_EQ(p.Label1.caption(), k.message);
    // One computation, one write into the other box, nothing echoed back.
    EXPECT_LE(other.changes() - writes, 1);
}

using core::kDesbordamiento;
using core::kValoresNoNumericos;
const std::string kHuge = "1" + std::string(308, '0');  // 1e308

const Computation kComputations[] = {
    {"KilometresToMetres", 0, 6, 0, false, "1", "2", "2000.0", ""},
    {"MetresBackToKilometres", 0, 6, 0, true, "2", "500", "0.5", ""},
    {"MilesToKilometres", 0, 7, 6, false, "1", "1", "1.6093", ""},
    {"SameUnitRendersThePattern", 0, 3, 3, false, "1", "3", "3.0", ""},
    {"TinyResultIsZero", 0, 2, 6, false, "1", "0.04", "0.0", ""},
    {"PoundsOfForce", 5, 1, 0, false, "1", "2", "8.9", ""},
    {"CelsiusToFahrenheit", 10, 0, 1, false, "1", "100", "212.0", ""},
    {"FahrenheitBackIsNotExact", 10, 0, 1, true, "1", "212", "100.008", ""},
    {"CelsiusToKelvin", 10, 0, 2, false, "1", "0", "273.15", ""},
    {"FahrenheitToCelsiusIsNegative", 10, 1, 0, false, "1", "0", "-17.7792", ""},
    {"KelvinToFahrenheit", 10, 2, 1, false, "1", "0", "-459.67", ""},
    {"NegativeSourceTextIsRead", 10, 0, 2, false, "1", "-17.7792", "255.3708", ""},
    {"EmptySourceKeepsTheTarget", 0, 0, 1, false, "7", "", "7", kValoresNoNumericos},
    {"TwoSeparatorsKeepTheTarget", 0, 0, 1, false, "7", "1.5.2", "7", kValoresNoNumericos},
    {"EmptyTargetBlocksTheEdit", 0, 0, 1, false, "", "5", "", kValoresNoNumericos},
    {"NonNumericTargetBlocksTheEdit", 0, 0, 1, false, "1.5.2", "5", "1.5.2",
     kValoresNoNumericos},
    {"OverflowKeepsTheTarget", 0, 6, 2, false, "7", kHuge.c_str(), "7", kDesbordamiento},
    {"DivisionOverflowKeepsTheTarget", 1, 0, 2, false, "7", kHuge.c_str(), "7", kDesbordamiento},
    {"TemperatureOverflowKeepsTheTarget", 10, 0, 1, false, "7", kHuge.c_str(), "7",
     kDesbordamiento},
};

INSTANTIATE_TEST_SUITE_P(
    Form, ComputationCase,
    ::testing::Combine(::testing::ValuesIn(kComputations),
                       ::testing::Values(kPunto, kComa, kComaNarrowSpace)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_" + localeName(std::get<1>(info.param));
    });

TEST(Form, AMessageStaysUntilAComputationGoesAhead) {
    WindowlessProgram p;
    p.UA.setText("");
    EXPECT_EQ(p.Label1.caption(), kValoresNoNumericos);
    EXPECT_EQ(p.UB.text(), "1.0");
    WindowlessProgram::type(p.UA, "4");
    EXPECT_EQ(p.Label1.caption(), "");
    EXPECT_EQ(p.UB.text(), "4.0");
}

TEST(Form, TypingWritesTheOtherBoxOncePerKeyAndNeverEchoes) {
    WindowlessProgram p;
    p.Combo2.setSelectedIndex(1);  // cm
    const int before = p.UA.changes();
    WindowlessProgram::type(p.UA, "\b\b\b25.5");
    EXPECT_EQ(p.UA.text(), "25.5");
    EXPECT_EQ(p.UB.text(), "2550.0");
    EXPECT_EQ(p.UA.changes() - before, 7);  // the keys typed, nothing written back
}

// After a category change, the passing "División por cero" of the reset is gone.
TEST(Form, ADivisionByZeroNeverOutlivesTheCategoryChange) {
    WindowlessProgram p;
    p.Combo1.setSelectedIndex(6);
    p.List1.setSelectedIndex(4);
    EXPECT_EQ(p.Label1.caption(), "");
}

TEST(Form, CerrarEndsTheProgram) {
    WindowlessProgram p;
    EXPECT_FALSE(p.runtime.ended());
    p.Command1.pressed();
    EXPECT_TRUE(p.runtime.ended());
}

// The value the computation writes, before the output pattern rounds it: bit for bit what
// engineers check the factors by.
struct Exact {
    const char* name;
    int category;
    int from;
    int to;
    const char* value;
    double expected;
};

class ExactConversion : public ::testing::TestWithParam<Exact> {};

TEST_P(ExactConversion, IsExactToTheBit) {
    const Exact& k = GetParam();
    WindowlessProgram p;
    p.List1.setSelectedIndex(k.category);
    p.Combo1.setSelectedIndex(k.from);
    p.Combo2.setSelectedIndex(k.to);
    const core::Conversion r = p.form->convertir_UA(k.value);
    ASSERT_TRUE(r.valor.has_value()) << r.mensaje;
    EXPECT_EQ(bitsOf(*r.valor), bitsOf(k.expected)) << "got " << *r.valor;
}

INSTANTIATE_TEST_SUITE_P(
    Form, ExactConversion,
    ::testing::Values(Exact{"TorrIsOneMmHg", 9, 6, 7, "1", 1},
                      Exact{"KgPerCm2IsOneBar", 9, 1, 4, "1", 1},
                      Exact{"BtuPerLbFIsOneCalPerGC", 11, 1, 2, "1", 1},
                      Exact{"PsiIsNotOneLbPerPulg2", 9, 5, 2, "1", 1.0000155978013767},
                      Exact{"BtuIs778PieLb", 6, 3, 4, "1", 778},
                      Exact{"KcalPerHourIs3963BtuPerHour", 7, 1, 2, "1", 3.963},
                      Exact{"PoundIs16Ounces", 4, 2, 3, "1", 16},
                      Exact{"ThirtySixKmhIsNotTenMps", 3, 3, 0, "36", 9.999997200000001},
                      Exact{"LitreIsJustOver1000Cm3", 2, 3, 1, "1", 1000.0000000000001},
                      Exact{"CubicMetreIsJustUnder1000Litres", 2, 0, 3, "1", 999.9999999999998},
                      Exact{"PoundOfForceIs445Newton", 5, 1, 0, "1", 4.45},
                      Exact{"MinusFortyFahrenheitIsNotMinusFortyCelsius", 10, 1, 0, "-40",
                            -40.0032}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------
// Separator probe and key filter

struct Probe {
    const char* name;
    NumberLocale desktop;
    char16_t decimal;
};

class SeparatorProbe : public ::testing::TestWithParam<Probe> {};

TEST_P(SeparatorProbe, FilterReaderAndOutputAgreeOnOneCharacter) {
    const Probe& k = GetParam();
    WindowlessProgram p(k.desktop);
    // The other separator's key becomes the decimal one.
    const char16_t other = k.decimal == u'.' ? u',' : u'.';
    EXPECT_EQ(p.UA.filtered(other), k.decimal);
    EXPECT_EQ(p.UA.filtered(k.decimal), k.decimal);
    // Typed with either key, the separator reads as the decimal point and comes back out.
    WindowlessProgram::type(p.UA, "\b\b\b1,5");
    const std::string typed = p.UA.text();
    EXPECT_EQ(typed, std::string("1") + static_cast<char>(k.decimal) + "5");
    EXPECT_EQ(p.form->textos().read(typed), 1.5);
    EXPECT_EQ(p.UB.text(), typed);
    EXPECT_EQ(p.runtime.beeps(), 0);
}

const Probe kProbes[] = {
    {"FullStopDesktop", kPunto, u'.'},
    {"CommaDesktop", kComa, u','},
    {"CommaWithNarrowSpaceGroups", kComaNarrowSpace, u','},
    {"CommaWithApostropheGroups", {U',', U'\''}, u','},
    {"FullStopWithApostropheGroups", {U'.', U'\u2019'}, u'.'},
    {"ArabicSeparators", {U'\u066B', U'\u066C'}, u'.'},
    {"ArabicDecimalWithFullStopGroups", {U'\u066B', U'.'}, u','},
};

INSTANTIATE_TEST_SUITE_P(Form, SeparatorProbe, ::testing::ValuesIn(kProbes),
                         [](const auto& info) { return std::string(info.param.name); });

struct Key {
    const char* name;
    char16_t typed;
    char16_t fullStop;  // what reaches the box in a full-stop locale (0: swallowed)
    char16_t comma;     // ... in a comma locale
};

class KeyFilter : public ::testing::TestWithParam<Key> {};

TEST_P(KeyFilter, PassesReplacesOrSwallowsWithABeep) {
    const Key& k = GetParam();
    for (const auto& [locale, expected] :
         {std::pair{kPunto, k.fullStop}, std::pair{kComa, k.comma},
          std::pair{kComaNarrowSpace, k.comma}}) {
        WindowlessProgram p(locale);
        EXPECT_EQ(p.UA.filtered(k.typed), expected) << localeName(locale);
        EXPECT_EQ(p.runtime.beeps(), expected == 0 ? 1 : 0) << localeName(locale);
        EXPECT_EQ(p.UB.filtered(k.typed), expected) << localeName(locale) << " in UB";
    }
}

const Key kKeys[] = {
    {"Zero", u'0', u'0', u'0'},
    {"Five", u'5', u'5', u'5'},
    {"Nine", u'9', u'9', u'9'},
    {"FullStop", u'.', u'.', u','},
    {"Comma", u',', u'.', u','},
    {"Backspace", 8, 8, 8},
    {"Letter", u'a', 0, 0},
    {"CapitalLetter", u'E', 0, 0},
    {"Minus", u'-', 0, 0},
    {"Plus", u'+', 0, 0},
    {"Space", u' ', 0, 0},
    {"Tab", u'\t', 0, 0},
    {"Enter", 13, 0, 0},
    {"Escape", 27, 0, 0},
    {"CtrlC", 3, 0, 0},
    {"CtrlV", 22, 0, 0},
    {"CtrlX", 24, 0, 0},
    {"CtrlZ", 26, 0, 0},
    {"Delete", 127, 0, 0},
    {"OrdinalIndicator", u'\u00BA', 0, 0},
    {"NarrowNoBreakSpace", u'\u202F', 0, 0},
    {"ArabicIndicDigit", u'\u0661', 0, 0},
    {"FullwidthDigit", u'\uFF15', 0, 0},
    {"LoneSurrogate", 0xD83D, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Form, KeyFilter, ::testing::ValuesIn(kKeys),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Form, ASecondSeparatorIsLetThroughAndTheBoxTurnsNonNumeric) {
    WindowlessProgram p(kComa);
    WindowlessProgram::type(p.UA, "\b\b\b1.5.2");
    EXPECT_EQ(p.UA.text(), "1,5,2");
    EXPECT_EQ(p.Label1.caption(), kValoresNoNumericos);
    EXPECT_EQ(p.UB.text(), "1,5");
    EXPECT_EQ(p.runtime.beeps(), 0);
}

}  // namespace
}  // namespace tarvel::testing
