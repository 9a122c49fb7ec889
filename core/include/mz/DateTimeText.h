#pragma once

#include <chrono>
#include <string>

namespace mz {

// A local calendar date and time.
struct LocalDateTime {
    int year = 1899;
    int month = 12; // 1 to 12
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// The regional number separators; '\0' stands for none.
struct NumberSeparators {
    char group = '\0';
    char decimal = '.';
    friend bool operator==(const NumberSeparators&, const NumberSeparators&) = default;
};

// The parts of the regional settings the program uses: date and time texts, and the
// separators read numbers are cleaned of.
struct RegionalSettings {
    // Short date pattern: d, dd, m, mm, yy, yyyy; "/" stands for dateSeparator.
    std::string shortDateFormat = "m/d/yy";
    char dateSeparator = '/';
    char timeSeparator = ':';
    bool hourLeadingZero = false;
    bool twelveHourClock = true;
    bool amPmFirst = false; // the before/after-noon text stands before the time
    std::string amText = "am";
    std::string pmText = "pm";
    NumberSeparators numbers;
    friend bool operator==(const RegionalSettings&, const RegionalSettings&) = default;
};

// The settings used when the system has no regional settings (the C/POSIX locale).
RegionalSettings FallbackRegionalSettings();

// The short date, then, unless hour, minute and second are all zero, a blank and the long time.
std::string DateTimeText(const LocalDateTime& moment, const RegionalSettings& regional);

// The current local time, behind a seam: core code never reads the wall clock directly.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() const = 0;
    // The same moment in UTC (Unix time), for what is read by other machines.
    virtual std::chrono::system_clock::time_point UtcNow() const = 0;
    // A count that only goes forward, for durations (wall-clock changes do not move it).
    virtual std::chrono::steady_clock::time_point Steady() const = 0;
};
const Clock& SystemClock();

} // namespace mz
