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

std::string Item(nl_item item) {
    const char* text = ::nl_langinfo(item);
    // Bytes of a single-byte locale are no well-formed UTF-8 and come through unchanged.
    return text == nullptr ? std::string() : Utf8ToCp1252(text);
}

// Switches one category to the environment's locale and back, so the rest of the program keeps
// the locale it had. The program runs on one thread, which makes the switch safe.
class EnvironmentLocale {
public:
    explicit EnvironmentLocale(int category) : category_(category) {
        const char* previous = std::setlocale(category_, nullptr);
        previous_ = previous == nullptr ? "C" : previous;
        const char* name = std::setlocale(category_, "");
        if (name != nullptr) {
            name_ = name;
        }
    }
    EnvironmentLocale(const EnvironmentLocale&) = delete;
    EnvironmentLocale& operator=(const EnvironmentLocale&) = delete;
    ~EnvironmentLocale() { std::setlocale(category_, previous_.c_str()); }

    // Empty when the environment names a locale the system does not have.
    const std::string& Name() const noexcept { return name_; }

private:
    int category_;
    std::string previous_;
    std::string name_;
};

// A separator the program can compare byte for byte: one Windows-1252 character, or none.
char SingleCharacter(const char* text) {
    if (text == nullptr) {
        return '\0';
    }
    const std::string converted = Utf8ToCp1252(text);
    return converted.size() == 1 ? converted.front() : '\0';
}

NumberSeparators LoadNumberSeparators() {
    const EnvironmentLocale locale(LC_NUMERIC);
    const std::lconv* conv = std::localeconv();
    if (locale.Name().empty() || conv == nullptr) {
        return {};
    }
    const char decimal = SingleCharacter(conv->decimal_point);
    return {.group = SingleCharacter(conv->thousands_sep), .decimal = decimal ? decimal : '.'};
}

RegionalSettings LoadDateTimeSettings() {
    const EnvironmentLocale locale(LC_TIME);
    if (locale.Name().empty() || IsPlainC(locale.Name())) {
        return FallbackRegionalSettings();
    }
    return RegionalSettingsFromPosix(Item(D_FMT), Item(T_FMT), Item(AM_STR), Item(PM_STR));
}

} // namespace

RegionalSettings LoadRegionalSettings() {
    RegionalSettings settings = LoadDateTimeSettings();
    settings.numbers = LoadNumberSeparators();
    return settings;
}

} // namespace mz::platform
