// The whole program without a window: the form over windowless controls.
#pragma once

#include "core/ftarvel.h"
#include "platform/windowless.h"

#include <memory>
#include <string>

namespace tarvel::testing {

inline constexpr platform::NumberLocale kPunto{U'.', U','};
inline constexpr platform::NumberLocale kComa{U',', U'.'};
inline constexpr platform::NumberLocale kComaNarrowSpace{U',', U'\u202F'};

/// A test-row name for one of the three settings above.
inline std::string localeName(const platform::NumberLocale& l) {
    if (l == kPunto) {
        return "FullStop";
    }
    return l == kComa ? "Comma" : "CommaNarrowSpace";
}

struct WindowlessProgram {
    explicit WindowlessProgram(platform::NumberLocale locale = kPunto)
        : runtime(locale),
          form(std::make_unique<core::fTarvel>(
              core::Controles{List1, Combo1, Combo2, UA, UB, Label1}, runtime)) {}

    // Declared before the form, so the form goes first and unwires itself.
    platform::WindowlessList List1;
    platform::WindowlessList Combo1;
    platform::WindowlessList Combo2;
    platform::WindowlessText UA{"Text1"};
    platform::WindowlessText UB{"Text2"};
    platform::WindowlessLabel Label1;
    platform::WindowlessRuntime runtime;
    std::unique_ptr<core::fTarvel> form;

    /// Types each character of `keys` (ASCII) into a box, through the key filter.
    static void type(platform::WindowlessText& box, std::string_view keys) {
        for (const char key : keys) {
            box.type(static_cast<char16_t>(key));
        }
    }
};

}  // namespace tarvel::testing
