// The whole program without a window, with the locales and helpers the tests use.
#pragma once

#include "core/windowless_program.h"

#include <string>
#include <string_view>

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

struct WindowlessProgram : core::WindowlessProgram {
    explicit WindowlessProgram(platform::NumberLocale locale = kPunto)
        : core::WindowlessProgram(locale) {}

    /// Types each character of `keys` (ASCII) into a box, through the key filter.
    static void type(platform::WindowlessText& box, std::string_view keys) {
        for (const char key : keys) {
            box.type(static_cast<char16_t>(key));
        }
    }
};

}  // namespace tarvel::testing
