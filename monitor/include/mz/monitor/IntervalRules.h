#pragma once

#include "mz/DateTimeText.h"
#include "mz/IniFile.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace mz {

// The interval of the monitor cycle, in minutes (ticks).
inline constexpr std::int32_t MinInterval = 5;
inline constexpr std::int32_t MaxInterval = 30;

// A value set into the interval field: brought into MinInterval..MaxInterval.
std::int32_t ClampInterval(std::int32_t value) noexcept;
// The field's text for a value set by program: clamped, plain decimal.
std::string IntervalText(std::int32_t value);
// The value of the field's text as typed (not clamped): group separators dropped when they
// differ from the decimal separator, then read as a settings integer; no integer reads as
// MinInterval.
std::int32_t ReadIntervalText(std::string_view text, NumberSeparators separators);
// The text after the up or down stepper was used |steps| times: each step reads the field,
// adds or subtracts one and sets the result, which brings it into range.
std::string StepIntervalText(std::string_view text, int steps, NumberSeparators separators);
// Characters the field accepts from the keyboard (control keys aside).
bool IsIntervalCharacter(char c) noexcept;

// monitor_zelnor.ini in the program directory, [MONITOR] intervalo.
class IntervalFile {
public:
    IntervalFile(std::string programDirectory, const platform::FileSystem& fs,
                 const platform::Sleeper& sleeper);

    const std::string& Path() const noexcept { return path_; }
    // Writes the default interval when no file exists; an existing file is never corrected.
    void CreateIfMissing() const;
    // Never creates the file.
    std::int32_t Read(std::int32_t def) const;
    // One read of the whole file, for a use that needs more than the interval.
    TIniValues ReadValues() const;
    static std::int32_t IntervalOf(const TIniValues& values, std::int32_t def);
    // Raises "Unable to write to <path>" on failure.
    void Write(std::string_view text) const;

private:
    std::string path_;
    const platform::FileSystem& fs_;
    const platform::Sleeper& sleeper_;
};

} // namespace mz
