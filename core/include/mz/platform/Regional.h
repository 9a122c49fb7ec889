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

// A Windows locale's items, as GetLocaleInfoEx gives them (converted to Windows-1252).
struct WindowsLocaleItems {
    std::string shortDate;  // LOCALE_SSHORTDATE, e.g. "dd/MM/yyyy"
    std::string timeFormat; // LOCALE_STIMEFORMAT, e.g. "HH:mm:ss" or "h:mm:ss tt"
    std::string am;         // LOCALE_S1159
    std::string pm;         // LOCALE_S2359
    std::string thousand;   // LOCALE_STHOUSAND
    std::string decimal;    // LOCALE_SDECIMAL
};

// Derives the settings from a Windows locale's patterns. Empty patterns keep the fallback's.
RegionalSettings RegionalSettingsFromWindows(const WindowsLocaleItems& items);

#ifdef _WIN32
// The settings of a named Windows locale ("pt-BR"), with the user's own changes when it is the
// user's locale; FallbackRegionalSettings() for a name Windows does not know.
RegionalSettings LoadRegionalSettings(const std::string& localeName);
#endif

} // namespace mz::platform
