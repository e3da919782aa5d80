// The services of the desktop that the converter's logic calls besides its controls.
#pragma once

#include "platform/number_text.h"

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

}  // namespace tarvel::platform
