// Any byte string, invalid UTF-8 included, as the text of a value box in every setting: the
// numeric test agrees with the reader, the reader agrees byte for byte with one built on the
// standard library's std::from_chars, whatever reads is finite and renders soundly, and the
// settings agree with each other where they only swap characters. The same bytes also make the
// texts hardest to round: digits on, just above and just below the midpoint of two doubles.
#include "number_checks.h"
#include "support/number_model.h"

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

using tarvel::fuzz::fail;
using tarvel::platform::NumberLocale;
using tarvel::platform::NumberText;

constexpr std::string_view kNarrowSpace = "\u202F";

bool sameReading(std::optional<double> a, std::optional<double> b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || std::bit_cast<std::uint64_t>(*a) == std::bit_cast<std::uint64_t>(*b);
}

void checkSetting(const NumberText& texts, std::string_view text) {
    const std::optional<double> value = texts.read(text);
    if (texts.isNumeric(text) != value.has_value()) {
        fail(texts, "numeric test and reader disagree", text);
    }
    const NumberLocale locale = texts.locale();
    const tarvel::testing::ModelReader model(tarvel::testing::utf8(locale.decimal),
                                             tarvel::testing::utf8(locale.group));
    if (!sameReading(value, model.read(text))) {
        fail(texts, "reads differently from the model reader", text, value.value_or(NAN));
    }
    if (!value) {
        return;
    }
    if (!std::isfinite(*value)) {
        fail(texts, "reader gave a non-finite value", text, *value);
    }
    tarvel::fuzz::checkRendering(texts, *value);
}

// The exact midpoint between the double the first eight bytes give (its magnitude) and the next
// one up, in fixed digits; the ninth byte picks the midpoint itself, a digit 1 past it, one unit
// of its last digit below it, or its first digits only.
void checkNearMidpoint(const std::uint8_t* data, std::size_t size) {
    static_assert(std::numeric_limits<long double>::digits >= 64,
                  "the midpoint of two doubles needs 54 bits and a wider exponent");
    if (size < 9) {
        return;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, data, sizeof bits);
    const double low = std::fabs(std::bit_cast<double>(bits));
    if (!std::isfinite(low)) {
        return;
    }
    const double above = std::nextafter(low, INFINITY);
    // Past the largest double the next step up is 2^1024: half of it is 2^970.
    const long double midpoint = std::isfinite(above)
                                     ? (static_cast<long double>(low) + above) / 2
                                     : static_cast<long double>(low) + std::ldexp(1.0L, 970);
    static char buffer[1300];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, midpoint,
                                   std::chars_format::fixed, 1100).ptr;
    std::string text(buffer, end);
    while (text.ends_with('0')) {
        text.pop_back();
    }
    if (text.ends_with('.')) {
        text.pop_back();
    }
    const unsigned choice = data[8];
    switch (choice % 4) {
        case 0:
            break;
        case 1:
            text += text.find('.') == std::string::npos ? ".1" : "1";
            break;
        case 2: {  // one unit of the last digit less
            std::size_t i = text.size() - 1;
            for (; text[i] == '0' || text[i] == '.'; --i) {
                if (text[i] == '0') {
                    text[i] = '9';
                }
            }
            --text[i];
            break;
        }
        default:
            text.resize(std::min(text.size(), std::size_t{1} + choice / 4 * 6));
            break;
    }
    for (const NumberText* texts : {&tarvel::fuzz::kPunto, &tarvel::fuzz::kComa}) {
        const std::string local = tarvel::fuzz::withDecimal(*texts, text);
        const NumberLocale locale = texts->locale();
        const tarvel::testing::ModelReader model(tarvel::testing::utf8(locale.decimal),
                                                 tarvel::testing::utf8(locale.group));
        const std::optional<double> value = texts->read(local);
        if (!sameReading(value, model.read(local))) {
            fail(*texts, "a text near a midpoint reads differently from the model reader", local,
                 value.value_or(NAN));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const NumberText* texts : tarvel::fuzz::kSettings) {
        checkSetting(*texts, text);
    }
    checkNearMidpoint(data, size);

    // The comma setting is the full-stop setting with "." and "," swapped. Neither byte occurs
    // inside a multi-byte UTF-8 sequence, so a byte-wise swap is a character-wise one.
    std::string swapped(text);
    for (char& c : swapped) {
        c = c == '.' ? ',' : c == ',' ? '.' : c;
    }
    if (!sameReading(tarvel::fuzz::kPunto.read(text), tarvel::fuzz::kComa.read(swapped))) {
        fail(tarvel::fuzz::kComa, "reads differently from the full-stop setting with . and , swapped",
             swapped);
    }

    // Narrow-space groups read like full-stop groups in the comma setting, provided the text
    // had no narrow space of its own.
    if (text.find(kNarrowSpace) == std::string_view::npos) {
        std::string spaced;
        for (const char c : text) {
            if (c == '.') {
                spaced += kNarrowSpace;
            } else {
                spaced += c;
            }
        }
        if (!sameReading(tarvel::fuzz::kComa.read(text),
                         tarvel::fuzz::kComaEspacio.read(spaced))) {
            fail(tarvel::fuzz::kComaEspacio,
                 "reads differently from the comma setting with . for narrow spaces", spaced);
        }
    }
    return 0;
}
