#pragma once

#include "mz/DateTimeText.h"

#include <string>

namespace mz::platform {

// Reads the user's regional settings from the platform: on POSIX systems the C library's
// LC_TIME data of the environment's locale (LC_TIME is switched with setlocale for the call and
// put back: call it from the program's one thread); the C/POSIX locale, C.UTF-8 and a locale the
// system lacks give FallbackRegionalSettings(). On Windows, the user's locale patterns.
RegionalSettings LoadRegionalSettings();

// Derives the settings from POSIX nl_langinfo patterns (D_FMT, T_FMT, AM_STR, PM_STR).
// Empty patterns mean no regional settings.
RegionalSettings RegionalSettingsFromPosix(const std::string& dFmt, const std::string& tFmt,
                                           const std::string& amStr, const std::string& pmStr);

} // namespace mz::platform
