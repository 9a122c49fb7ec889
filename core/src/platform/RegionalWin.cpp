#include "WinText.h"
#include "mz/platform/Regional.h"

#include <array>
#include <optional>
#include <string>
#include <windows.h>

namespace mz::platform {
namespace {

// One item of the locale; nullopt when Windows does not know the locale.
std::optional<std::string> Item(const wchar_t* locale, LCTYPE type) {
    std::array<wchar_t, LOCALE_NAME_MAX_LENGTH * 2> buffer{};
    const int length =
        ::GetLocaleInfoEx(locale, type, buffer.data(), static_cast<int>(buffer.size()));
    if (length <= 0) {
        return std::nullopt;
    }
    return win::WideToCp1252(
        std::wstring_view(buffer.data(), static_cast<std::size_t>(length - 1)));
}

RegionalSettings Load(const wchar_t* locale) {
    WindowsLocaleItems items;
    const std::pair<std::string*, LCTYPE> wanted[] = {
        {&items.shortDate, LOCALE_SSHORTDATE},
        {&items.timeFormat, LOCALE_STIMEFORMAT},
        {&items.am, LOCALE_S1159},
        {&items.pm, LOCALE_S2359},
        {&items.thousand, LOCALE_STHOUSAND},
        {&items.decimal, LOCALE_SDECIMAL},
    };
    for (const auto& [target, type] : wanted) {
        auto value = Item(locale, type);
        if (!value) {
            return FallbackRegionalSettings();
        }
        *target = std::move(*value);
    }
    return RegionalSettingsFromWindows(items);
}

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end()); // locale names are plain ASCII
}

} // namespace

// Read afresh at every call, so a change the user makes in the control panel is seen the
// next time the program asks (it asks when Windows announces a change of its settings).
RegionalSettings LoadRegionalSettings() {
    return Load(LOCALE_NAME_USER_DEFAULT);
}

RegionalSettings LoadRegionalSettings(const std::string& localeName) {
    const std::wstring name = Widen(localeName);
    return Load(name.c_str());
}

} // namespace mz::platform
