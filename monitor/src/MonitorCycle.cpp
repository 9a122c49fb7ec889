#include "mz/monitor/MonitorCycle.h"

#include "mz/IniFile.h"
#include "mz/Integer.h"

#include <algorithm>
#include <exception>
#include <fmt/format.h>
#include <utility>

namespace mz {

namespace {

constexpr const char* IntervalFileName = "monitor_zelnor.ini";
constexpr const char* IntervalSection = "MONITOR";
constexpr const char* IntervalKey = "intervalo";

// Keeps a count raised for the lifetime of a scope, also when it is left by an exception.
class Raised {
public:
    explicit Raised(int& count) : count_(count) { ++count_; }
    ~Raised() { --count_; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

private:
    int& count_;
};

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

std::string ErrorMessageText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

IntervalFile::IntervalFile(std::string programDirectory, const platform::FileSystem& fs)
    : path_(std::move(programDirectory) + IntervalFileName), fs_(&fs) {}

void IntervalFile::CreateIfMissing() const {
    if (!fs_->FileExists(path_)) {
        Write(IntervalText(MinInterval));
    }
}

std::int32_t IntervalFile::Read(std::int32_t def) const {
    return TIniFile(path_, *fs_).ReadInteger(IntervalSection, IntervalKey, def);
}

void IntervalFile::Write(std::string_view text) const {
    TIniFile(path_, *fs_).WriteString(IntervalSection, IntervalKey, text);
}

HandlerGuard::HandlerGuard(Reporter report) : report_(std::move(report)) {}

void HandlerGuard::Run(const std::function<void()>& handler) noexcept {
    std::string message;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    // Reported outside the handler, so the exception is gone before the report runs its own
    // message loop.
    const Raised open(openReports_);
    try {
        report_(message);
    } catch (...) {
        // A report that cannot be shown has nowhere left to go.
    }
}

MonitorCycle::MonitorCycle(MonitorCycleHooks hooks, HandlerGuard& guard)
    : hooks_(std::move(hooks)), guard_(guard) {}

void MonitorCycle::AttachTest(std::function<bool()> runTest) {
    runTest_ = std::move(runTest);
}

void MonitorCycle::DetachTest() noexcept {
    runTest_ = nullptr;
}

void MonitorCycle::Tick() noexcept {
    guard_.Run([this] { CountTick(); });
}

void MonitorCycle::CountTick() {
    ++minuteCounter_;
    if (minuteCounter_ < hooks_.readInterval()) {
        return;
    }
    minuteCounter_ = 0;
    if (TestHeld() || hooks_.isWindowActive()) {
        return;
    }
    bool good = false;
    {
        const Raised running(testsRunning_);
        good = runTest_();
    }
    if (!good) {
        hooks_.writeLog(NoReplyLogMessage);
    }
}

bool MonitorCycle::TestHeld() const {
    return !runTest_ || testsRunning_ > 0 || guard_.ReportOpen();
}

} // namespace mz
