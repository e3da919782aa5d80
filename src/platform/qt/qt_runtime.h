// The desktop's services on Qt: its number settings, its beep, and ending the program.
#pragma once

#include "platform/runtime.h"

#include <QLocale>

namespace tarvel::platform {

/// The two characters a Qt locale gives for numbers (decimal point, digit grouping).
[[nodiscard]] NumberLocale numberLocaleOf(const QLocale& locale);

class QtRuntime : public Runtime {
public:
    /// `locale` stands for the desktop's number settings; by default, the system's (on
    /// Linux, LC_ALL, then LC_NUMERIC, then LANG).
    explicit QtRuntime(const QLocale& locale = QLocale::system());

    [[nodiscard]] NumberLocale numberLocale() const override { return locale_; }
    /// QApplication::beep().
    void beep() override;
    /// Exits the process with status 0 on the spot: no handler, destructor or event loop
    /// of the window runs afterwards.
    void end() override;

private:
    NumberLocale locale_;
};

}  // namespace tarvel::platform
