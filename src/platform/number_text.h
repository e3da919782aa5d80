// Number texts as the user sees them: the numeric test, the reader and the output pattern.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel::platform {

/// The two characters that a desktop's number settings give.
struct NumberLocale {
    char32_t decimal = U'.';
    char32_t group = U',';
    friend bool operator==(const NumberLocale&, const NumberLocale&) = default;
};

/// The separators a desktop names; where it names none (0), the C locale's: the full stop as
/// the decimal, the comma grouping digits. Every face takes its desktop's characters through
/// this, so a pasted "1,000" reads the same on each. The reader ignores a group equal to the
/// decimal.
constexpr NumberLocale numberLocale(char32_t decimal, char32_t group) {
    return {decimal == 0 ? U'.' : decimal, group == 0 ? U',' : group};
}

/// One character encoded as UTF-8, without allocating.
struct Utf8 {
    std::array<char, 4> bytes{};
    std::size_t size = 0;
    [[nodiscard]] std::string_view view() const { return {bytes.data(), size}; }
    /// Surrogates and values beyond U+10FFFF encode as U+FFFD.
    static Utf8 encode(char32_t c);
};

/// Reads and writes decimal numbers under one pair of separator characters.
///
/// Grammar of the reader (texts are UTF-8):
///
///     text    := blanks [ "+" | "-" ] body blanks
///     body    := { digit | decimal | group }   with at least one digit and at most one decimal
///     blanks  := { " " | "\t" }
///
/// - The group character is ignored wherever it stands, so in a comma locale "1.3" reads 13.
/// - A separator may lead or trail: "1," is 1 and ",5" is 0.5 where "," is the decimal.
/// - No exponent, no "inf" or "nan", no currency signs, no space inside the number.
/// - A value beyond the double range is not a number. A value too small to represent
///   reads as zero (it is in range, it just rounds to 0).
///
/// `isNumeric(t)` is true exactly when `read(t)` has a value.
class NumberText {
public:
    explicit NumberText(NumberLocale locale = {});

    [[nodiscard]] NumberLocale locale() const { return locale_; }

    [[nodiscard]] std::optional<double> read(std::string_view text) const;
    [[nodiscard]] bool isNumeric(std::string_view text) const { return read(text).has_value(); }

    /// The output pattern "#0.0###": at least one integer digit, no grouping, the decimal
    /// character, one to four fraction digits rounded to nearest (ties to even on the exact
    /// binary value), never an exponent, and "0.0" rather than "-0.0". Non-finite values
    /// have no such rendering and give an empty text.
    [[nodiscard]] std::string format(double value) const;

    /// The shortest plain text that reads back as `value`: 1 gives "1", 0.5 gives "0.5"
    /// (with the decimal character). No grouping, no exponent.
    [[nodiscard]] std::string plainText(double value) const;

private:
    void replaceDecimalPoint(std::string& text, std::size_t at) const;

    NumberLocale locale_;
    Utf8 decimal_;
    Utf8 group_;
};

/// The one-character UTF-8 text that a UTF-16 key code denotes (a lone surrogate denotes
/// U+FFFD, the replacement character).
std::string textFromCode(char16_t code);

}  // namespace tarvel::platform
