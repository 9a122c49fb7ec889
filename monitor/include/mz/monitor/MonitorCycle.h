#pragma once

#include "mz/platform/FileSystem.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace mz {

// The interval of the monitor cycle, in minutes (ticks).
inline constexpr std::int32_t MinInterval = 5;
inline constexpr std::int32_t MaxInterval = 30;

// Written by the cycle when a test got no good reply.
inline constexpr const char* NoReplyLogMessage = "Falha ao obter a resposta do zelnor";

// The regional number separators; '\0' stands for none.
struct NumberSeparators {
    char group = '\0';
    char decimal = '.';
};

// A value set into the interval field: brought into MinInterval..MaxInterval.
std::int32_t ClampInterval(std::int32_t value) noexcept;
// The field's text for a value set by program: clamped, plain decimal.
std::string IntervalText(std::int32_t value);
// The value of the field's text as typed (not clamped): group separators dropped when they
// differ from the decimal separator, then read as a settings integer; no integer reads as
// MinInterval.
std::int32_t ReadIntervalText(std::string_view text, NumberSeparators separators);

// The text of an error message box: the message, with "." appended when it does not already
// end in a character of code "." or lower.
std::string ErrorMessageText(std::string_view message);

// monitor_zelnor.ini in the program directory, [MONITOR] intervalo.
class IntervalFile {
public:
    IntervalFile(std::string programDirectory,
                 const platform::FileSystem& fs = platform::SystemFileSystem());

    const std::string& Path() const noexcept { return path_; }
    // Writes the default interval when no file exists; an existing file is never corrected.
    void CreateIfMissing() const;
    // Never creates the file.
    std::int32_t Read(std::int32_t def) const;
    // Raises "Unable to write to <path>" on failure.
    void Write(std::string_view text) const;

private:
    std::string path_;
    const platform::FileSystem* fs_;
};

// Runs event handlers so that a failure leaving one ends that handler only and is reported
// through one place. Reports can nest (a report may process messages); ReportOpen() tells
// whether one is on screen.
class HandlerGuard {
public:
    using Reporter = std::function<void(const std::string& message)>;

    explicit HandlerGuard(Reporter report);
    HandlerGuard(const HandlerGuard&) = delete;
    HandlerGuard& operator=(const HandlerGuard&) = delete;

    void Run(const std::function<void()>& handler) noexcept;
    bool ReportOpen() const noexcept { return openReports_ > 0; }

private:
    Reporter report_;
    int openReports_ = 0;
};

// What the cycle needs of the rest of the program.
struct MonitorCycleHooks {
    std::function<std::int32_t()> readInterval; // the field's value as it stands
    std::function<bool()> isWindowActive;
    std::function<void(std::string_view)> writeLog;
};

// The minute cycle: one Tick() per timer period; every interval ticks one activity test.
//
// A test that comes due is skipped (not postponed; the count restarts) while the window is
// active, while no test is attached yet (the data module does not exist), while an error
// report is open and while another test is running. The last two keep a lasting fault or a
// long reply wait from nesting tests and message boxes without bound.
class MonitorCycle {
public:
    MonitorCycle(MonitorCycleHooks hooks, HandlerGuard& guard);

    void AttachTest(std::function<bool()> runTest);
    void DetachTest() noexcept;
    // Never throws: a failure is reported through the guard.
    void Tick() noexcept;

    std::int32_t MinuteCounter() const noexcept { return minuteCounter_; }

private:
    void CountTick();
    bool TestHeld() const;

    MonitorCycleHooks hooks_;
    HandlerGuard& guard_;
    std::function<bool()> runTest_;
    std::int32_t minuteCounter_ = 0;
    int testsRunning_ = 0;
};

} // namespace mz
