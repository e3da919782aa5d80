// The environment's number settings, as the window would take them from the desktop.
#pragma once

#include "platform/number_text.h"

#include <string_view>

namespace tarvel::cli {

/// The variables that name the locale; an empty one counts as unset.
struct Entorno {
    std::string_view lc_all{};
    std::string_view lc_numeric{};
    std::string_view lang{};
};

/// The decimal and grouping characters of the locale that LC_ALL names, else LC_NUMERIC,
/// else LANG. "C" and "POSIX", a locale this system does not have, and (outside Windows) no
/// name at all give the C locale's: a full-stop decimal and the comma grouping digits, as the
/// window has them there. On Windows, no name at all means the user's own settings.
platform::NumberLocale numero_del_entorno(const Entorno& entorno);

} // namespace tarvel::cli
