// Number texts under full-stop, comma and narrow-space-grouping settings: what reads, what
// does not, what the output pattern writes, and that every output reads back.
#include "platform/number_text.h"
#include "support/double_text.h"
#include "support/windowless_program.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <string>


namespace {

using tarvel::platform::NumberLocale;
using tarvel::platform::NumberText;
using tarvel::platform::textFromCode;
using tarvel::testing::kComa;
using tarvel::testing::kComaNarrowSpace;
using tarvel::testing::kPunto;

const NumberLocale kAllLocales[] = {kPunto, kComa, kComaNarrowSpace};

using tarvel::testing::bitsOf;
using tarvel::testing::fromBits;
using tarvel::testing::libraryFixed4;
using tarvel::testing::localeName;

struct ReadRow {
    const char* name;
    NumberLocale locale;
    std::string text;
    std::optional<double> expected;
};

class Reader : public ::testing::TestWithParam<ReadRow> {};

TEST_P(Reader, ReadsOrRejects) {
    const ReadRow& row = GetParam();
    const NumberText texts(row.locale);
    const std::optional<double> got = texts.read(row.text);
    EXPECT_EQ(texts.isNumeric(row.text), got.has_value());
    ASSERT_EQ(got.has_value(), row.expected.has_value())
        << "text \"" << row.text << "\" read as " << got.value_or(NAN);
    if (row.expected) {
        EXPECT_EQ(bitsOf(*got), bitsOf(*row.expected))
            << "text \"" << row.text << "\" read as " << *got;
    }
}

const std::string kMaxDouble =
    "17976931348623157081452742373170435679807056752584499659891747680315726078002853876058955"
    "86327668781715404589535143824642343213268894641827684675467035375169860499105765512820762"
    "45490090389328944075868508455133942304583236903222948165808559332123348274797826204144723"
    "168738177180919299881250404026184124858368";

const ReadRow kReadRows[] = {
    // The separator probe and grouping.
    {"ProbeIsOnePointThreeWithFullStop", kPunto, "1.3", 1.3},
    {"ProbeIsThirteenWithComma", kComa, "1.3", 13},
    {"ProbeIsNoNumberWithNarrowSpace", kComaNarrowSpace, "1.3", std::nullopt},
    {"CommaDecimal", kComa, "1,3", 1.3},
    {"NarrowSpaceDecimal", kComaNarrowSpace, "1,3", 1.3},
    {"CommaIgnoredWithFullStop", kPunto, "1,3", 13},
    {"GroupsAnywhereAreIgnored", kPunto, ",1,,0,0,0.5,", 1000.5},
    {"GroupsAfterTheDecimalAreIgnored", kComa, "1,2.5", 1.25},
    {"NarrowSpaceGroups", kComaNarrowSpace, "1\u202F000,5", 1000.5},
    {"PlainSpaceIsNoGroup", kComaNarrowSpace, "1 000,5", std::nullopt},
    // Signs and blanks.
    {"Negative", kPunto, "-17.7792", -17.7792},
    {"NegativeComma", kComa, "-17,7792", -17.7792},
    {"PlusSign", kPunto, "+5", 5},
    {"BlanksAround", kComa, " \t5,5 ", 5.5},
    {"NegativeZero", kPunto, "-0", -0.0},
    {"TwoSigns", kPunto, "--1", std::nullopt},
    {"TrailingSign", kPunto, "5-", std::nullopt},
    {"SignThenBlank", kPunto, "- 5", std::nullopt},
    {"UnicodeMinus", kPunto, "\u22125", std::nullopt},
    // Separators leading and trailing.
    {"TrailingDecimal", kPunto, "1.", 1},
    {"TrailingDecimalComma", kComa, "1,", 1},
    {"LeadingDecimal", kPunto, ".5", 0.5},
    {"LeadingDecimalComma", kComa, ",5", 0.5},
    {"NegativeLeadingDecimal", kComa, "-,5", -0.5},
    {"TwoDecimals", kPunto, "1.5.2", std::nullopt},
    {"TwoDecimalsComma", kComa, "1,5,2", std::nullopt},
    {"FullStopsGroupInComma", kComa, "1.5.2", 152},
    // Texts without digits.
    {"Empty", kPunto, "", std::nullopt},
    {"BlanksOnly", kPunto, "  ", std::nullopt},
    {"DecimalOnly", kComa, ",", std::nullopt},
    {"GroupOnly", kComa, ".", std::nullopt},
    {"SignOnly", kPunto, "-", std::nullopt},
    {"SignAndDecimal", kPunto, "-.", std::nullopt},
    // Grammar we do not accept.
    {"Exponent", kPunto, "1e5", std::nullopt},
    {"Infinity", kPunto, "inf", std::nullopt},
    {"NotANumber", kPunto, "nan", std::nullopt},
    {"Hexadecimal", kPunto, "0x10", std::nullopt},
    {"Letters", kPunto, "Text1", std::nullopt},
    {"ArabicIndicDigit", kPunto, "\u0661", std::nullopt},
    {"InvalidUtf8", kPunto, "1\xff", std::nullopt},
    {"TruncatedNarrowSpace", kComaNarrowSpace, "1\xe2\x80", std::nullopt},
    {"EmbeddedNul", kPunto, std::string("1\0" "2", 3), std::nullopt},
    // Range.
    {"LargestDouble", kPunto, kMaxDouble, DBL_MAX},
    {"LargestDoubleWithDecimals", kComa, kMaxDouble + ",4999", DBL_MAX},
    {"BeyondTheRange", kPunto, "2" + kMaxDouble, std::nullopt},
    {"FourHundredDigits", kPunto, std::string(400, '9'), std::nullopt},
    {"NegativeBeyondTheRange", kPunto, "-" + std::string(400, '9'), std::nullopt},
    {"TooSmallReadsZero", kPunto, "0." + std::string(400, '0') + "1", 0.0},
    {"TooSmallNegativeReadsMinusZero", kComa, "-0," + std::string(400, '0') + "1", -0.0},
    {"SmallestSubnormal", kPunto, "0." + std::string(323, '0') + "5", 4.9406564584124654e-324},
    {"LongLeadingZeros", kPunto, std::string(500, '0') + "7", 7},
    {"JustBelowTheLargestDoublesMidpoint", kPunto, "17976931348623158" + std::string(292, '0'), DBL_MAX},
    {"JustAboveTheLargestDoublesMidpoint", kPunto, "17976931348623159" + std::string(292, '0'), std::nullopt},
    // Rounding past 2^53, where doubles are 2 apart and more: ties go to the even mantissa, and
    // a digit however far past a tie decides it. The expected values are the compiler's own
    // readings of the same digits.
    {"TieAboveTwoToThe53GoesDown", kPunto, "9007199254740993", 9007199254740992.0},
    {"TieAboveTwoToThe53GoesUp", kPunto, "9007199254740995", 9007199254740996.0},
    {"TieAboveTwoToThe54GoesDown", kComa, "18.014.398.509.481.986", 18014398509481984.0},
    {"JustAboveTheTie", kPunto, "9007199254740993.00000000000000000001", 9007199254740994.0},
    {"JustBelowTheTie", kPunto, "9007199254740992.99999999999999999999", 9007199254740992.0},
    {"TieDecidedPastTheEightHundredthDigit", kPunto,
     "9007199254740993." + std::string(900, '0') + "1", 9007199254740994.0},
    {"ThirtyDigitInteger", kPunto, "123456789012345678901234567890", 123456789012345678901234567890.0},
    {"TwentyFiveDecimals", kComa, "0,1234567890123456789012345", 0.1234567890123456789012345},
    {"SeventeenDigitFactor", kPunto, "0.45359237000000002", 0.45359237000000002},
    {"PowerOfTenBeyondTheQuickPath", kPunto, "1" + std::string(23, '0'), 1e23},
    {"SmallBeyondTheQuickPath", kPunto, "0." + std::string(22, '0') + "3", 3e-23},
    {"QLineEditLimitOfDigits", kPunto, std::string(32767, '1'), std::nullopt},
    {"QLineEditLimitOfDecimals", kPunto, "0." + std::string(32765, '3'), 1.0 / 3},
};

INSTANTIATE_TEST_SUITE_P(NumberText, Reader, ::testing::ValuesIn(kReadRows),
                         [](const auto& info) { return std::string(info.param.name); });

// Of the one-character texts, exactly the ten digits are numbers, whatever the locale.
TEST(NumberText, OnlyDigitsAreNumericAmongSingleCharacters) {
    for (const NumberLocale& locale : kAllLocales) {
        const NumberText texts(locale);
        for (char32_t code = 0; code <= 0xFFFF; ++code) {
            const bool digit = code >= U'0' && code <= U'9';
            ASSERT_EQ(texts.isNumeric(textFromCode(static_cast<char16_t>(code))), digit)
                << localeName(locale) << " code " << static_cast<unsigned>(code);
        }
    }
}

struct FormatRow {
    const char* name;
    NumberLocale locale;
    double value;
    const char* expected;
};

class OutputPattern : public ::testing::TestWithParam<FormatRow> {};

TEST_P(OutputPattern, Renders) {
    const FormatRow& row = GetParam();
    EXPECT_EQ(NumberText(row.locale).format(row.value), row.expected);
}

const FormatRow kFormatRows[] = {
    {"One", kPunto, 1, "1.0"},
    {"OneComma", kComa, 1, "1,0"},
    {"OneNarrowSpace", kComaNarrowSpace, 1, "1,0"},
    {"FourDecimalsRounded", kPunto, 3.280839895, "3.2808"},
    {"RoundsUpInTheFourthDecimal", kPunto, 1.609344, "1.6093"},
    {"RoundsUpAcrossDigits", kPunto, 9.99996, "10.0"},
    {"TrailingZerosDropped", kPunto, 100.008, "100.008"},
    {"TinyIsZero", kPunto, 0.00001, "0.0"},
    {"TinyNegativeIsPlainZero", kComa, -0.00001, "0,0"},
    {"NegativeZeroIsPlainZero", kPunto, -0.0, "0.0"},
    {"HalfOfTheLastPlaceRoundsUp", kPunto, 0.00005, "0.0001"},
    {"JustBelowHalfRoundsDown", kPunto, 0.0000499999, "0.0"},
    {"ExactTieGoesToEven", kPunto, 0.03125, "0.0312"},
    {"ExactTieGoesToEvenUpward", kPunto, 0.09375, "0.0938"},
    {"EighthsAboveTwoToThe49", kPunto, 562949953421312.125, "562949953421312.125"},
    {"NegativeEighthsAboveTwoToThe49", kComa, -562949953421312.375, "-562949953421312,375"},
    {"HalfAboveTwoToThe51", kPunto, 2251799813685248.5, "2251799813685248.5"},
    {"TwoToThe53", kPunto, 9007199254740992.0, "9007199254740992.0"},
    {"Negative", kPunto, -17.7792, "-17.7792"},
    {"NegativeComma", kComa, -17.7792, "-17,7792"},
    {"NoGrouping", kComa, 1234567.5, "1234567,5"},
    {"NoGroupingNarrowSpace", kComaNarrowSpace, 100000, "100000,0"},
    {"Kelvin", kPunto, 273.15, "273.15"},
    {"NonFiniteHasNoText", kPunto, INFINITY, ""},
    {"NotANumberHasNoText", kPunto, NAN, ""},
};

INSTANTIATE_TEST_SUITE_P(NumberText, OutputPattern, ::testing::ValuesIn(kFormatRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumberText, HugeValuesPrintEveryDigit) {
    for (const NumberLocale& locale : kAllLocales) {
        const NumberText texts(locale);
        for (const double value : {1e300, -1e300, DBL_MAX, -DBL_MAX, 1e22, 123456789012345678.0}) {
            const std::string text = texts.format(value);
            EXPECT_EQ(text.find_first_of("eE"), std::string::npos) << text;
            EXPECT_EQ(text.substr(text.size() - 2), locale.decimal == U'.' ? ".0" : ",0") << text;
            EXPECT_EQ(texts.read(text), value) << text;
        }
    }
    EXPECT_EQ(NumberText(kPunto).format(1e300).size(), 303u);
}

// Property: every output reads back, renders again to itself, and lies within half a unit of
// the fourth decimal of the value it came from.
TEST(NumberText, EveryOutputReadsBackAndRendersAgainTheSame) {
    std::mt19937_64 random(20261208);
    for (const NumberLocale& locale : kAllLocales) {
        const NumberText texts(locale);
        for (int i = 0; i < 20000; ++i) {
            double value = fromBits(random());
            if (i % 2 == 0) {  // also plenty of everyday magnitudes
                value = std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 80));
            }
            if (!std::isfinite(value)) {
                continue;
            }
            const std::string text = texts.format(value);
            const std::optional<double> back = texts.read(text);
            ASSERT_TRUE(back.has_value()) << localeName(locale) << " " << text;
            ASSERT_EQ(texts.format(*back), text) << localeName(locale) << " " << value;
            const std::size_t point = text.find(locale.decimal == U'.' ? '.' : ',');
            ASSERT_NE(point, std::string::npos) << text;
            const std::size_t decimals = text.size() - point - 1;
            ASSERT_TRUE(decimals >= 1 && decimals <= 4) << text;
            ASSERT_EQ(text.find_first_of("eE"), std::string::npos) << text;
            // Half a unit of the fourth decimal, plus the rounding of reading it back.
            const double ulp = std::nextafter(std::fabs(value), INFINITY) - std::fabs(value);
            ASSERT_LE(std::fabs(*back - value), 0.00005 + 2 * ulp) << text;
        }
    }
}

// The output pattern must give the library printer's digits, exact ties (odd multiples of
// 1/32) included, on both sides of 2^49, where it changes method.
TEST(NumberText, RenderingEqualsTheLibraryPrinter) {
    std::mt19937_64 random(49);
    const NumberText texts(kPunto);
    for (int i = 0; i < 300000; ++i) {
        const std::uint64_t r = random();
        const double value =
            i % 3 == 0 ? std::ldexp(static_cast<double>(r >> 15), -static_cast<int>(r % 90))
            : i % 3 == 1 ? std::ldexp(static_cast<double>(2 * (r >> 40) + 1), -5)
                         : static_cast<double>(r % 1000000000) / 10000 * (r & 1 ? -1 : 1);
        ASSERT_EQ(texts.format(value), libraryFixed4(value)) << std::hexfloat << value;
    }
    for (int i = 0; i < 20000; ++i) {  // any double, nearly all of them far beyond 2^49
        const double value = fromBits(random());
        if (std::isfinite(value)) {
            ASSERT_EQ(texts.format(value), libraryFixed4(value)) << std::hexfloat << value;
        }
    }
    EXPECT_EQ(texts.format(std::nextafter(0x1p49, 0)), libraryFixed4(std::nextafter(0x1p49, 0)));
}

struct PlainRow {
    const char* name;
    NumberLocale locale;
    double value;
    std::string expected;
};

class PlainText : public ::testing::TestWithParam<PlainRow> {};

TEST_P(PlainText, IsTheShortestTextThatReadsBack) {
    const PlainRow& row = GetParam();
    EXPECT_EQ(NumberText(row.locale).plainText(row.value), row.expected);
}

// The expected texts are the digits of the standard library's shortest printer.
const PlainRow kPlainRows[] = {
    {"One", kPunto, 1, "1"},
    {"NegativeInteger", kComa, -250, "-250"},
    {"NegativeZero", kPunto, -0.0, "-0"},
    {"Tenth", kComa, 0.1, "0,1"},
    {"Factor", kPunto, 0.3048, "0.3048"},
    {"Third", kPunto, 1.0 / 3, "0.3333333333333333"},
    {"NarrowGapBelowAPowerOfTwo", kPunto, 0x1p-44, "0.00000000000005684341886080802"},
    {"TenToThe22IsExact", kPunto, 1e22, "10000000000000000000000"},
    {"TenToThe23WrittenExactly", kPunto, 1e23, "99999999999999991611392"},
    {"TwoToThe70WrittenExactly", kComa, 0x1p70, "1180591620717411303424"},
    {"TwoToThe53", kPunto, 0x1p53, "9007199254740992"},
    {"LargestDouble", kPunto, DBL_MAX, kMaxDouble},
    {"SmallestSubnormal", kComa, 4.9406564584124654e-324, "0," + std::string(323, '0') + "5"},
    {"SmallestNormal", kPunto, DBL_MIN, "0." + std::string(307, '0') + "22250738585072014"},
};

INSTANTIATE_TEST_SUITE_P(NumberText, PlainText, ::testing::ValuesIn(kPlainRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(NumberText, PlainTextReadsBackExactly) {
    std::mt19937_64 random(7);
    for (const NumberLocale& locale : kAllLocales) {
        const NumberText texts(locale);
        EXPECT_EQ(texts.plainText(1), "1");
        EXPECT_EQ(texts.plainText(-250), "-250");
        EXPECT_EQ(texts.plainText(0.5), locale.decimal == U'.' ? "0.5" : "0,5");
        for (int i = 0; i < 5000; ++i) {
            const double value = fromBits(random());
            if (!std::isfinite(value)) {
                continue;
            }
            const std::optional<double> back = texts.read(texts.plainText(value));
            ASSERT_TRUE(back.has_value()) << value;
            ASSERT_EQ(bitsOf(*back), bitsOf(value));
        }
    }
}

}  // namespace
