#include "platform/qt/qt_runtime.h"

#include <QApplication>
#include <QList>
#include <QString>

#include <cstdio>
#include <cstdlib>

namespace tarvel::platform {
namespace {

// The first character of a locale's symbol; some locales use a non-ASCII one (U+202F, U+00A0).
char32_t firstCharacter(const QString& symbol, char32_t otherwise) {
    const QList<uint> ucs4 = symbol.toUcs4();
    return ucs4.isEmpty() ? otherwise : static_cast<char32_t>(ucs4.front());
}

}  // namespace

NumberLocale numberLocaleOf(const QLocale& locale) {
    return {firstCharacter(locale.decimalPoint(), U'.'),
            firstCharacter(locale.groupSeparator(), U',')};
}

QtRuntime::QtRuntime(const QLocale& locale) : locale_(numberLocaleOf(locale)) {}

void QtRuntime::beep() { QApplication::beep(); }

void QtRuntime::end() {
    // Ending means now: not after the current handler, not through the event loop, and
    // without taking the window apart. The system reclaims the window and the display
    // connection with the process.
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

}  // namespace tarvel::platform
