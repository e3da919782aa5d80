#include "platform/number_text.h"

#include "platform/exact_decimal.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarvel::platform {
namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }
// A separator must not be something the grammar already gives another meaning.
constexpr bool usableSeparator(char32_t c) {
    return c != 0 && c != U'+' && c != U'-' && !(c >= U'0' && c <= U'9');
}

// |value| x 10^4 rounded to nearest, ties to even, computed exactly in 64-bit integers; nothing
// from 2^49 up, where the product may not fit. This is the common case of the output pattern,
// several times quicker than the general printer and equal to it digit for digit.
std::optional<std::uint64_t> tenThousandths(double value) {
    if (!(std::fabs(value) < 0x1p49)) {
        return std::nullopt;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
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

void appendDecimal(std::string& out, std::uint64_t value) {
    char digits[20];
    char* start = digits + sizeof digits;
    do {
        *--start = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    out.append(start, digits + sizeof digits);
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

    // Map the body onto plain digits with one '.', with a leading "0" so that ",5" works. The
    // body never grows, so short texts stay on the stack.
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
    const std::string_view decimal = decimal_.view();
    const std::string_view group = group_.view();
    for (std::size_t i = begin; i < end;) {
        const char c = text[i];
        if (isDigit(c)) {
            out[length++] = c;
            seenDigit = true;
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
    const std::optional<double> value = exact::read(std::string_view(out, length));
    if (!value) {
        return std::nullopt;
    }
    return negative ? -*value : *value;
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
    std::string text;
    unsigned fraction = 0;  // ten-thousandths
    if (const std::optional<std::uint64_t> scaled = tenThousandths(value)) {
        if (value < 0 && *scaled != 0) {
            text += '-';
        }
        appendDecimal(text, *scaled / 10000);
        fraction = static_cast<unsigned>(*scaled % 10000);
    } else {
        // From 2^49 up a double has at most three binary fraction digits, so its four decimal
        // places are exact and nothing rounds.
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        const std::uint64_t mantissa = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
        const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1075;
        if (value < 0) {
            text += '-';
        }
        if (exponent >= 0) {
            exact::appendInteger(text, mantissa, exponent);
        } else {
            const int shift = -exponent;  // 1 to 3
            appendDecimal(text, mantissa >> shift);
            fraction = static_cast<unsigned>(((mantissa & ((std::uint64_t{1} << shift) - 1)) * 10000) >> shift);
        }
    }
    text += decimal_.view();
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

std::string NumberText::plainText(double value) const {
    if (!std::isfinite(value)) {
        return {};
    }
    std::string text = exact::shortest(value);
    if (const auto point = text.find('.'); point != std::string::npos) {
        replaceDecimalPoint(text, point);
    }
    return text;
}

std::string textFromCode(char16_t code) { return std::string(Utf8::encode(code).view()); }

}  // namespace tarvel::platform
