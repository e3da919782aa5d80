// Any byte string, invalid UTF-8 included, as the text of a value box in every setting: the
// numeric test agrees with the reader, the reader agrees with a reader written apart from it,
// whatever reads is finite and renders soundly, and the settings agree with each other where
// they only swap characters.
#include "number_checks.h"
#include "support/number_model.h"

#include <cstddef>
#include <cstdint>
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const NumberText* texts : tarvel::fuzz::kSettings) {
        checkSetting(*texts, text);
    }

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
