// The services of the desktop that the converter's logic calls besides its controls.
#pragma once

#include "platform/number_text.h"

#include <cstdio>
#include <cstdlib>

namespace tarvel::platform {

class Runtime {
public:
    virtual ~Runtime() = default;
    /// The desktop's decimal and grouping characters.
    [[nodiscard]] virtual NumberLocale numberLocale() const = 0;
    /// The standard beep for a refused key.
    virtual void beep() = 0;
    /// Ends the program at once; no handler of the form runs afterwards.
    virtual void end() = 0;
};

/// How a window's runtime ends: now, not after the current handler, not through the event
/// loop, and without taking the window apart. The system reclaims the window and the display
/// connection with the process; what was written is flushed first.
[[noreturn]] inline void endProcess() {
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace tarvel::platform
