// The desktop's services on Windows: the user's number settings, the beep, ending the program.
#pragma once

#include "platform/runtime.h"

namespace tarvel::platform::win32 {

/// The decimal and grouping characters of a Windows locale (GetLocaleInfoEx), by name
/// ("es-ES"), or the user's own settings with nullptr. Falls back to "." and "," when Windows
/// does not know the locale; a locale without a grouping character groups with ",".
[[nodiscard]] NumberLocale numberLocaleOf(const wchar_t* localeName);

class Win32Runtime : public Runtime {
public:
    /// The user's own number settings, read once.
    Win32Runtime();

    [[nodiscard]] NumberLocale numberLocale() const override { return locale_; }
    /// MessageBeep(MB_OK), the sound the user has chosen for a refused action.
    void beep() override;
    /// Ends the process with status 0 on the spot: no handler, destructor or message loop of
    /// the window runs afterwards.
    void end() override;

private:
    NumberLocale locale_;
};

}  // namespace tarvel::platform::win32
