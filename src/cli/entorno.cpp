#include "cli/entorno.h"

#include <string>

#ifdef _WIN32
#include "platform/win32/win32_runtime.h"
#else
#include <climits>
#include <clocale>
#include <cwchar>
#include <langinfo.h>
#include <locale.h>
#endif

namespace tarvel::cli {
namespace {

using platform::NumberLocale;

#ifdef _WIN32

// "es_ES.UTF-8@euro" is "es-ES" to Windows.
NumberLocale del_nombre(std::string_view nombre) {
    std::wstring windows;
    for (const char c : nombre.substr(0, nombre.find_first_of(".@"))) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return {};
        }
        windows += c == '_' ? L'-' : static_cast<wchar_t>(c);
    }
    return windows.empty() ? NumberLocale{} : platform::win32::numberLocaleOf(windows.c_str());
}

NumberLocale sin_nombre() {
    return platform::win32::numberLocaleOf(nullptr);
}

#else

// The first character of a text in the current thread's locale.
char32_t primer_caracter(const char* texto) {
    wchar_t c = 0;
    std::mbstate_t estado{};
    const std::size_t n = std::mbrtowc(&c, texto, MB_LEN_MAX, &estado);
    if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
        return 0;
    }
#ifdef __STDC_ISO_10646__
    return static_cast<char32_t>(c); // wchar_t holds the code point
#else
    return static_cast<unsigned char>(texto[0]) < 0x80 ? static_cast<char32_t>(texto[0]) : 0;
#endif
}

NumberLocale del_nombre(std::string_view nombre) {
    const std::string z(nombre);
    // The character set comes with the name, so the separators decode as that locale writes
    // them; uselocale changes this thread only.
    const locale_t local = newlocale(LC_NUMERIC_MASK | LC_CTYPE_MASK, z.c_str(), locale_t{});
    if (local == locale_t{}) {
        return {};
    }
    const locale_t antes = uselocale(local);
    const char32_t decimal = primer_caracter(nl_langinfo(RADIXCHAR));
    const char32_t grupo = primer_caracter(nl_langinfo(THOUSEP));
    uselocale(antes);
    freelocale(local);
    // A locale without a grouping character ("C" in glibc) still groups with the comma.
    return platform::numberLocale(decimal, grupo);
}

NumberLocale sin_nombre() {
    return {};
}

#endif

} // namespace

NumberLocale numero_del_entorno(const Entorno& entorno) {
    std::string_view nombre = entorno.lc_all;
    if (nombre.empty()) {
        nombre = entorno.lc_numeric;
    }
    if (nombre.empty()) {
        nombre = entorno.lang;
    }
    if (nombre.empty()) {
        return sin_nombre();
    }
    if (nombre == "C" || nombre == "POSIX" || nombre.starts_with("C.")) {
        return {};
    }
    return del_nombre(nombre);
}

} // namespace tarvel::cli
