#include "platform/qt/qt_runtime.h"

#include <QApplication>
#include <QList>
#include <QString>

namespace tarvel::platform {
namespace {

// The first character of a locale's symbol; some locales use a non-ASCII one (U+202F, U+00A0).
char32_t firstCharacter(const QString& symbol) {
    const QList<uint> ucs4 = symbol.toUcs4();
    return ucs4.isEmpty() ? 0 : static_cast<char32_t>(ucs4.front());
}

}  // namespace

NumberLocale numberLocaleOf(const QLocale& locale) {
    return numberLocale(firstCharacter(locale.decimalPoint()),
                        firstCharacter(locale.groupSeparator()));
}

QtRuntime::QtRuntime(const QLocale& locale) : locale_(numberLocaleOf(locale)) {}

void QtRuntime::beep() { QApplication::beep(); }

void QtRuntime::end() { endProcess(); }

}  // namespace tarvel::platform
