// Number texts worked out without the program's reader: what a value box holds as a number,
// and whether a text is a sound rendering of a value under the output pattern.
#pragma once

#include "platform/number_text.h"
#include "support/double_text.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

namespace tarvel::testing {

inline std::string utf8(char32_t c) { return std::string(platform::Utf8::encode(c).view()); }

/// The numbers a value box accepts, read without the program's reader: blanks around, one
/// sign, digits with at most one decimal character and group characters anywhere; the digits
/// alone then go through the library's reader. Beyond the double range is no number.
class ModelReader {
public:
    ModelReader(std::string decimal, std::string group)
        : decimal_(std::move(decimal)), group_(std::move(group)) {}

    [[nodiscard]] std::optional<double> read(std::string_view text) const {
        std::size_t begin = 0;
        std::size_t end = text.size();
        while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) {
            ++begin;
        }
        while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
            --end;
        }
        bool negative = false;
        if (begin < end && (text[begin] == '-' || text[begin] == '+')) {
            negative = text[begin] == '-';
            ++begin;
        }
        std::string plain;
        bool decimal = false;
        bool digit = false;
        for (std::size_t i = begin; i < end;) {
            const std::string_view rest = text.substr(i, end - i);
            if (rest[0] >= '0' && rest[0] <= '9') {
                plain += rest[0];
                digit = true;
                ++i;
            } else if (rest.starts_with(decimal_)) {
                if (decimal) {
                    return std::nullopt;
                }
                decimal = true;
                plain += '.';
                i += decimal_.size();
            } else if (!group_.empty() && rest.starts_with(group_)) {
                i += group_.size();
            } else {
                return std::nullopt;
            }
        }
        if (!digit) {
            return std::nullopt;
        }
        // The library's own exact reader, never one that takes its decimal character from the
        // process locale: under a comma locale that would stop at the '.' above.
        const DecimalRead read = readDecimal(plain);
        if (!read.whole || read.tooLarge) {
            return std::nullopt;
        }
        const double value = read.value;
        return negative ? -value : value;
    }

private:
    std::string decimal_;
    std::string group_;
};

/// Why `text` is not a sound rendering of `value` under the output pattern "#0.0###", or ""
/// when it is: an optional minus, digits, the decimal character, one to four digits, nothing
/// else, and within half a unit of the fourth decimal of the value.
inline std::string renderingProblem(std::string_view text, double value,
                                    std::string_view decimal, const ModelReader& reader) {
    const auto digits = [&text](std::size_t from) {
        std::size_t to = from;
        while (to < text.size() && text[to] >= '0' && text[to] <= '9') {
            ++to;
        }
        return to - from;
    };
    std::size_t i = text.starts_with('-') ? 1 : 0;
    const std::size_t integer = digits(i);
    i += integer;
    if (integer == 0 || text.substr(i, decimal.size()) != decimal) {
        return "no integer digits followed by the decimal character";
    }
    i += decimal.size();
    const std::size_t fraction = digits(i);
    if (fraction < 1 || fraction > 4 || i + fraction != text.size()) {
        return "not one to four fraction digits at the end";
    }
    const std::optional<double> back = reader.read(text);
    const double ulp = std::nextafter(std::fabs(value), INFINITY) - std::fabs(value);
    if (!back || !(std::fabs(*back - value) <= 0.00005 + 2 * ulp)) {
        return "further than half a unit of the fourth decimal from the value";
    }
    return {};
}

/// A text in C++ string-literal form, long runs of one byte shortened to "x"*n.
inline std::string quoted(std::string_view text) {
    std::ostringstream out;
    out << '"';
    for (std::size_t i = 0; i < text.size();) {
        std::size_t run = 1;
        while (i + run < text.size() && text[i + run] == text[i]) {
            ++run;
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        char shown[8];
        if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
            std::snprintf(shown, sizeof shown, "%c", byte);
        } else {
            std::snprintf(shown, sizeof shown, "\\x%02X", byte);
        }
        if (run > 8) {
            out << "\"+\"" << shown << "\"*" << run << "+\"";
            i += run;
        } else {
            out << shown;
            ++i;
        }
    }
    out << '"';
    return out.str();
}

}  // namespace tarvel::testing
