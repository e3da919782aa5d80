#include "platform/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <system_error>

namespace tarvel::platform {
namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
// A separator must not be something the grammar already gives another meaning.
constexpr bool usableSeparator(char32_t c) {
    return c != 0 && c != U'+' && c != U'-' && !(c >= U'0' && c <= U'9');
}

// Largest double: 309 integer digits, a sign, a point and four decimals.
constexpr std::size_t kFormatBuffer = 330;

// |value| x 10^4 rounded to nearest, ties to even, computed exactly in 64-bit integers; nothing
// from 2^49 up, where the product may not fit. This is the common case of the output pattern,
// several times quicker than the general printer and equal to it digit for digit.
std::optional<std::uint64_t> tenThousandths(double value) {
    if (!(std::fabs(value) < 0x1p49)) {
        return std::nullopt;
    }
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = -1074;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
        exponent = biased - 1075;
    }
    // value = mantissa x 2^exponent and 10^4 = 625 x 2^4, so the scaled value is
    // (mantissa x 625) x 2^(exponent + 4); below 2^49 the exponent is at most -4.
    const std::uint64_t product = mantissa * 625;  // below 2^63
    const int shift = -(exponent + 4);
    if (shift == 0) {
        return product;
    }
    if (shift >= 64) {
        return 0;  // less than half a unit
    }
    const std::uint64_t whole = product >> shift;
    const std::uint64_t rest = product & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    return whole + ((rest > half || (rest == half && (whole & 1) != 0)) ? 1 : 0);
}

}  // namespace

NumberText::NumberText(NumberLocale locale) : locale_(locale) {
    if (!usableSeparator(locale_.decimal)) {
        locale_.decimal = U'.';
    }
    if (!usableSeparator(locale_.group) || locale_.group == locale_.decimal) {
        locale_.group = 0;  // no grouping character at all
    }
    decimal_ = Utf8::encode(locale_.decimal);
    group_ = locale_.group == 0 ? Utf8{} : Utf8::encode(locale_.group);
}

Utf8 Utf8::encode(char32_t c) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) {
        c = 0xFFFD;
    }
    Utf8 out;
    auto put = [&out](unsigned value) { out.bytes[out.size++] = static_cast<char>(value); };
    if (c < 0x80) {
        put(c);
    } else if (c < 0x800) {
        put(0xC0 | (c >> 6));
        put(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        put(0xE0 | (c >> 12));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    } else {
        put(0xF0 | (c >> 18));
        put(0x80 | ((c >> 12) & 0x3F));
        put(0x80 | ((c >> 6) & 0x3F));
        put(0x80 | (c & 0x3F));
    }
    return out;
}

std::optional<double> NumberText::read(std::string_view text) const {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }

    // Map the body onto the plain grammar from_chars reads: digits with one '.', with a
    // leading "0" so that ",5" works. The body never grows, so short texts stay on the stack.
    const std::size_t room = end - begin + 1;
    char local[128];
    std::string heap;
    char* out = local;
    if (room > sizeof local) {
        heap.resize(room);
        out = heap.data();
    }
    std::size_t length = 0;
    out[length++] = '0';
    bool seenDecimal = false;
    bool seenDigit = false;
    bool integerNonZero = false;
    const std::string_view decimal = decimal_.view();
    const std::string_view group = group_.view();
    for (std::size_t i = begin; i < end;) {
        const char c = text[i];
        if (isDigit(c)) {
            out[length++] = c;
            seenDigit = true;
            integerNonZero = integerNonZero || (!seenDecimal && c != '0');
            ++i;
        } else if (text.substr(i, decimal.size()) == decimal) {
            if (seenDecimal) {
                return std::nullopt;
            }
            seenDecimal = true;
            out[length++] = '.';
            i += decimal.size();
        } else if (!group.empty() && text.substr(i, group.size()) == group) {
            i += group.size();
        } else {
            return std::nullopt;
        }
    }
    if (!seenDigit) {
        return std::nullopt;
    }
    if (out[length - 1] == '.') {
        --length;
    }

    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(out, out + length, value);
    if (ec == std::errc::result_out_of_range) {
        // Without an exponent only a non-zero integer part can exceed the range; anything
        // else is a fraction too small to represent, which rounds to zero.
        if (integerNonZero) {
            return std::nullopt;
        }
        value = 0.0;
    } else if (ec != std::errc{} || ptr != out + length) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

void NumberText::replaceDecimalPoint(std::string& text, std::size_t at) const {
    if (locale_.decimal != U'.') {
        text.replace(at, 1, decimal_.view());
    }
}

std::string NumberText::format(double value) const {
    if (!std::isfinite(value)) {
        return {};
    }
    if (const std::optional<std::uint64_t> scaled = tenThousandths(value)) {
        char digits[24];
        char* end = digits;
        if (value < 0 && *scaled != 0) {
            *end++ = '-';
        }
        end = std::to_chars(end, digits + sizeof digits, *scaled / 10000).ptr;
        std::string text(digits, end);
        text += decimal_.view();
        unsigned fraction = static_cast<unsigned>(*scaled % 10000);
        int kept = 4;
        while (kept > 1 && fraction % 10 == 0) {  // one fraction digit at least
            fraction /= 10;
            --kept;
        }
        char fractionDigits[4];
        for (int i = kept - 1; i >= 0; --i, fraction /= 10) {
            fractionDigits[i] = static_cast<char>('0' + fraction % 10);
        }
        text.append(fractionDigits, static_cast<std::size_t>(kept));
        return text;
    }
    char buffer[kFormatBuffer];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 4);
    char* last = result.ptr;
    // Keep one fraction digit; drop the zeros after it.
    while (last[-1] == '0' && last[-2] != '.') {
        --last;
    }
    const bool negative = buffer[0] == '-';
    if (negative && last - buffer == 4 && buffer[1] == '0' && buffer[3] == '0') {
        return format(0.0);  // a negative that rounds to zero
    }
    std::string text(buffer, last);
    replaceDecimalPoint(text, text.find('.'));
    return text;
}

std::string NumberText::plainText(double value) const {
    if (!std::isfinite(value)) {
        return {};
    }
    char buffer[kFormatBuffer + 400];  // the shortest fixed form of a tiny value is long
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    std::string text(buffer, result.ptr);
    if (const auto point = text.find('.'); point != std::string::npos) {
        replaceDecimalPoint(text, point);
    }
    return text;
}

std::string textFromCode(char16_t code) { return std::string(Utf8::encode(code).view()); }

}  // namespace tarvel::platform
