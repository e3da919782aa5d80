#include "platform/win32/win32_runtime.h"

#include <windows.h>

namespace tarvel::platform::win32 {
namespace {

// The first character of a locale's symbol, a surrogate pair combined.
char32_t firstCharacter(const wchar_t* text) {
    const auto high = static_cast<char32_t>(text[0]);
    const auto low = static_cast<char32_t>(text[1]);
    if (high >= 0xD800 && high <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
        return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
    }
    return high;
}

}  // namespace

NumberLocale numberLocaleOf(const wchar_t* localeName) {
    const wchar_t* name = localeName != nullptr ? localeName : LOCALE_NAME_USER_DEFAULT;
    wchar_t decimal[8] = {};
    wchar_t group[8] = {};
    if (GetLocaleInfoEx(name, LOCALE_SDECIMAL, decimal, 8) == 0) {
        return {};
    }
    if (GetLocaleInfoEx(name, LOCALE_STHOUSAND, group, 8) == 0) {
        group[0] = L'\0';
    }
    return numberLocale(firstCharacter(decimal), firstCharacter(group));
}

Win32Runtime::Win32Runtime() : locale_(numberLocaleOf(nullptr)) {}

void Win32Runtime::beep() { MessageBeep(MB_OK); }

void Win32Runtime::end() { endProcess(); }

}  // namespace tarvel::platform::win32
