#pragma once

#include "mz/IniFile.h"
#include "mz/Services.h"
#include "mz/monitor/ActivityTest.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mz {

// The file the monitor keeps for Prometheus' textfile collectors (node_exporter,
// windows_exporter), in the folder named by [MONITOR] prometheus of monitor_zelnor.ini.
inline constexpr const char* MetricsFileName = "monitor_zelnor.prom";
// Written once per run to the month log when that folder cannot be written.
inline constexpr const char* MetricsFailureLogMessage = "Falha ao gravar monitor_zelnor.prom: ";

// How one activity test ended; Error is a test that failed with an exception.
enum class TestResult { Good, NoReply, BadReply, Error };
inline constexpr std::size_t TestResultCount = 4;

// Everything the file tells, at one moment.
struct MonitorMetrics {
    std::string version;
    std::int32_t branch = 0;
    bool up = true;
    std::int64_t intervalSeconds = 0;
    std::array<std::uint64_t, TestResultCount> tests{}; // by TestResult
    // In milliseconds. Unix time (UTC); absent before the first test, and before the first good
    // test, of the run.
    std::optional<std::int64_t> lastTestMs;
    std::optional<std::int64_t> lastSuccessMs;
    std::optional<std::int64_t> lastTestDurationMs;
    bool errorBoxOpen = false;
};

// The program's version, "2.3.0.4".
const char* ProgramVersion() noexcept;

// The Prometheus text exposition format of m: UTF-8, LF line ends, HELP and TYPE lines.
std::string MetricsText(const MonitorMetrics& m);

// Keeps the monitor's state and writes it, whole, to <folder>/monitor_zelnor.prom whenever it
// changes, when the key names a folder. The key is read at each write, so it takes effect
// without a restart; missing or empty, nothing is written. Nothing here throws: a folder that
// cannot be written costs one line in the month log per run and nothing else.
class MetricsFile {
public:
    // Measures one test: the result given to Done, or Error when the test leaves by an
    // exception.
    class RunningTest {
    public:
        explicit RunningTest(MetricsFile& metrics) noexcept;
        RunningTest(const RunningTest&) = delete;
        RunningTest& operator=(const RunningTest&) = delete;
        ~RunningTest();
        void Done(ActivityOutcome::Kind kind) noexcept;

    private:
        MetricsFile& metrics_;
        std::chrono::steady_clock::time_point start_;
        bool done_ = false;
    };

    // ErrorBoxShown(true) for its lifetime, for a box that is open while a call runs.
    class ErrorBoxOpen {
    public:
        explicit ErrorBoxOpen(MetricsFile& metrics) noexcept : metrics_(metrics) {
            metrics_.ErrorBoxShown(true);
        }
        ErrorBoxOpen(const ErrorBoxOpen&) = delete;
        ErrorBoxOpen& operator=(const ErrorBoxOpen&) = delete;
        ~ErrorBoxOpen() { metrics_.ErrorBoxShown(false); }

    private:
        MetricsFile& metrics_;
    };

    // programDirectory ends with the path separator.
    MetricsFile(std::string programDirectory, std::string version, const Services& services);

    void Started() noexcept; // up 1
    void Ended() noexcept;   // up 0, for a clean end
    // The core calls this with true when it asks the view to show an error box, and with false
    // when that box has been closed; boxes on top of each other are counted.
    void ErrorBoxShown(bool open) noexcept;

    const MonitorMetrics& Current() const noexcept { return state_; }

private:
    void TestDone(TestResult result, std::chrono::steady_clock::time_point start) noexcept;
    void Write() noexcept;
    void Refresh(const TIniValues& monitorSettings) noexcept;
    void WriteFile(const std::string& folder) const;
    void ReportFailure(const std::string& text) noexcept;

    std::string programDirectory_;
    const Services& services_;
    MonitorMetrics state_;
    int openBoxes_ = 0;
    bool failureLogged_ = false;
};

} // namespace mz
