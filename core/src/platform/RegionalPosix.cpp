#include "mz/Text.h"
#include "mz/platform/Regional.h"

#include <clocale>
#include <langinfo.h>
#include <string>

namespace mz::platform {
namespace {

bool IsPlainC(const std::string& name) {
    return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

// Switches LC_TIME to the environment's locale and back, so the rest of the program keeps the
// locale it had. The program runs on one thread, which makes the switch safe.
class EnvironmentTimeLocale {
public:
    EnvironmentTimeLocale() {
        const char* previous = std::setlocale(LC_TIME, nullptr);
        previous_ = previous == nullptr ? "C" : previous;
        const char* name = std::setlocale(LC_TIME, "");
        if (name != nullptr) {
            name_ = name;
        }
    }
    EnvironmentTimeLocale(const EnvironmentTimeLocale&) = delete;
    EnvironmentTimeLocale& operator=(const EnvironmentTimeLocale&) = delete;
    ~EnvironmentTimeLocale() { std::setlocale(LC_TIME, previous_.c_str()); }

    // Empty when the environment names a locale the system does not have.
    const std::string& Name() const noexcept { return name_; }

private:
    std::string previous_;
    std::string name_;
};

std::string Item(nl_item item) {
    const char* text = ::nl_langinfo(item);
    // Bytes of a single-byte locale are no well-formed UTF-8 and come through unchanged.
    return text == nullptr ? std::string() : Utf8ToCp1252(text);
}

} // namespace

RegionalSettings LoadRegionalSettings() {
    const EnvironmentTimeLocale locale;
    if (locale.Name().empty() || IsPlainC(locale.Name())) {
        return FallbackRegionalSettings();
    }
    return RegionalSettingsFromPosix(Item(D_FMT), Item(T_FMT), Item(AM_STR), Item(PM_STR));
}

} // namespace mz::platform
