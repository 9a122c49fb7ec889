#include "mz/monitor/IntervalRules.h"

#include "mz/IniFile.h"
#include "mz/Integer.h"

#include <algorithm>
#include <fmt/format.h>
#include <utility>

namespace mz {

namespace {

constexpr const char* IntervalFileName = "monitor_zelnor.ini";
constexpr const char* IntervalSection = "MONITOR";
constexpr const char* IntervalKey = "intervalo";

} // namespace

std::int32_t ClampInterval(std::int32_t value) noexcept {
    return std::clamp(value, MinInterval, MaxInterval);
}

std::string IntervalText(std::int32_t value) {
    return fmt::format("{}", ClampInterval(value));
}

std::int32_t ReadIntervalText(std::string_view text, NumberSeparators separators) {
    std::string digits(text);
    if (separators.group != '\0' && separators.group != separators.decimal) {
        std::erase(digits, separators.group);
    }
    return StrToIntDef(digits, MinInterval);
}

std::string StepIntervalText(std::string_view text, int steps, NumberSeparators separators) {
    std::string current(text);
    const int direction = steps > 0 ? 1 : -1;
    for (int i = 0; i != steps; i += direction) {
        const std::int64_t next = std::int64_t{ReadIntervalText(current, separators)} + direction;
        current = IntervalText(
            static_cast<std::int32_t>(std::clamp<std::int64_t>(next, MinInterval, MaxInterval)));
    }
    return current;
}

bool IsIntervalCharacter(char c) noexcept {
    return (c >= '0' && c <= '9') || c == '+' || c == '-';
}

IntervalFile::IntervalFile(std::string programDirectory, const platform::FileSystem& fs,
                           const platform::Sleeper& sleeper)
    : path_(std::move(programDirectory) + IntervalFileName), fs_(fs), sleeper_(sleeper) {}

void IntervalFile::CreateIfMissing() const {
    if (!fs_.FileExists(path_)) {
        Write(IntervalText(MinInterval));
    }
}

std::int32_t IntervalFile::Read(std::int32_t def) const {
    return TIniFile(path_, fs_, sleeper_).ReadInteger(IntervalSection, IntervalKey, def);
}

TIniValues IntervalFile::ReadValues() const {
    return TIniFile(path_, fs_, sleeper_).Read();
}

std::int32_t IntervalFile::IntervalOf(const TIniValues& values, std::int32_t def) {
    return values.ReadInteger(IntervalSection, IntervalKey, def);
}

void IntervalFile::Write(std::string_view text) const {
    TIniFile(path_, fs_, sleeper_).WriteString(IntervalSection, IntervalKey, text);
}

} // namespace mz
