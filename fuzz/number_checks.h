// Properties every number text must keep, checked by the fuzz targets. A broken property
// prints what broke and aborts, which libFuzzer reports as a crash with the input saved.
#pragma once

#include "platform/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace tarvel::fuzz {

inline const platform::NumberText kPunto({U'.', U','});
inline const platform::NumberText kComa({U',', U'.'});
inline const platform::NumberText kComaEspacio({U',', U'\u202F'});
inline const platform::NumberText* const kSettings[] = {&kPunto, &kComa, &kComaEspacio};

inline const char* settingName(const platform::NumberText& texts) {
    if (&texts == &kPunto) {
        return "full stop";
    }
    return &texts == &kComa ? "comma" : "comma with narrow-space groups";
}

/// The text with every byte outside printable ASCII written as \xNN.
inline std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += c;
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] inline void fail(const platform::NumberText& texts, const char* what,
                              std::string_view text, double value = NAN) {
    char shown[32] = {};  // not printf's %g, which follows the C library's locale
    std::to_chars(shown, shown + sizeof shown - 1, value);
    std::fprintf(stderr, "\n%s setting: %s\n  text \"%s\"\n  value %s (bits %016llx)\n",
                 settingName(texts), what, escaped(text).c_str(), shown,
                 static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)));
    std::abort();
}

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The text with '.' written as the setting's decimal character.
inline std::string withDecimal(const platform::NumberText& texts, std::string text) {
    const std::string decimal(platform::Utf8::encode(texts.locale().decimal).view());
    if (const auto point = text.find('.'); point != std::string::npos) {
        text.replace(point, 1, decimal);
    }
    return text;
}

/// The output pattern as the standard library's printer gives it, which the portable renderer
/// must match byte for byte: four fixed decimals rounded on the exact binary value, ties to
/// even, zeros after the first decimal dropped, no minus on a zero.
inline std::string libraryPattern(const platform::NumberText& texts, double value) {
    char buffer[400];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4).ptr;
    std::string text(buffer, end);
    while (text.ends_with('0') && text[text.size() - 2] != '.') {
        text.pop_back();
    }
    return withDecimal(texts, text == "-0.0" ? "0.0" : text);
}

/// The shortest fixed text as the standard library's printer gives it.
inline std::string libraryPlainText(const platform::NumberText& texts, double value) {
    char buffer[1200];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed).ptr;
    return withDecimal(texts, std::string(buffer, end));
}

/// The output pattern "#0.0###" exactly: an optional minus, at least one digit, the decimal
/// character, one to four digits, and nothing else (no exponent, no grouping, no blanks).
inline bool fitsOutputPattern(std::string_view text, std::string_view decimal) {
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') {
        ++i;
    }
    const std::size_t integerStart = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    if (i == integerStart || text.substr(i, decimal.size()) != decimal) {
        return false;
    }
    i += decimal.size();
    const std::size_t fractionStart = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    const std::size_t fraction = i - fractionStart;
    return i == text.size() && fraction >= 1 && fraction <= 4;
}

/// What the output pattern and the plain text must do with one double.
inline void checkRendering(const platform::NumberText& texts, double value) {
    const std::string text = texts.format(value);
    if (std::isfinite(value)) {
        if (text != libraryPattern(texts, value)) {
            fail(texts, "rendering differs from the library's printer", text, value);
        }
        const std::string plain = texts.plainText(value);
        if (plain != libraryPlainText(texts, value)) {
            fail(texts, "plain text differs from the library's shortest printer", plain, value);
        }
    }
    if (!std::isfinite(value)) {
        if (!text.empty()) {
            fail(texts, "a non-finite value has a rendering", text, value);
        }
        return;
    }
    const std::string decimal(platform::Utf8::encode(texts.locale().decimal).view());
    if (!fitsOutputPattern(text, decimal)) {
        fail(texts, "rendering does not fit the output pattern", text, value);
    }
    if (text[0] == '-' && text.find_first_of("123456789") == std::string::npos) {
        fail(texts, "a value that rounds to zero shows a minus", text, value);
    }
    const std::optional<double> back = texts.read(text);
    if (!back) {
        fail(texts, "rendering does not read back", text, value);
    }
    if (texts.format(*back) != text) {
        fail(texts, "rendering read back renders differently", text, *back);
    }
    // Half a unit of the fourth decimal, plus the rounding of reading the text back.
    const double ulp = std::nextafter(std::fabs(value), INFINITY) - std::fabs(value);
    if (!(std::fabs(*back - value) <= 0.00005 + 2 * ulp)) {
        fail(texts, "rendering is further than half a unit of the fourth decimal", text, value);
    }
    const std::string plain = texts.plainText(value);
    const std::optional<double> plainBack = texts.read(plain);
    if (!plainBack ||
        std::bit_cast<std::uint64_t>(*plainBack) != std::bit_cast<std::uint64_t>(value)) {
        fail(texts, "plain text does not read back exactly", plain, value);
    }
}

}  // namespace tarvel::fuzz
