#include "mz/monitor/MetricsFile.h"

#include "mz/Exception.h"
#include "mz/IniFile.h"
#include "mz/log/uLog.h"
#include "mz/monitor/IntervalRules.h"
#include "mz/platform/System.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace mz {

namespace {

constexpr const char* MonitorSection = "MONITOR";
constexpr const char* PrometheusKey = "prometheus";
constexpr std::int32_t DefaultBranch = 2;
constexpr std::int64_t SecondsPerMinute = 60;

std::int64_t Milliseconds(auto duration) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(duration).count();
}

TestResult ResultOf(ActivityOutcome::Kind kind) noexcept {
    switch (kind) {
    case ActivityOutcome::Kind::Good:
        return TestResult::Good;
    case ActivityOutcome::Kind::BadReply:
        return TestResult::BadReply;
    case ActivityOutcome::Kind::NoReply:
        break;
    }
    return TestResult::NoReply;
}

// The folder as configured, with a separator added when it has none at its end.
std::string FolderPrefix(std::string folder) {
    if (!folder.empty() && folder.back() != platform::PathDelimiter && folder.back() != '/') {
        folder += platform::PathDelimiter;
    }
    return folder;
}

} // namespace

const char* ProgramVersion() noexcept {
    return MZ_VERSION;
}

MetricsFile::RunningTest::RunningTest(MetricsFile& metrics) noexcept
    : metrics_(metrics), start_(metrics.services_.clock.Steady()) {}

MetricsFile::RunningTest::~RunningTest() {
    if (!done_) {
        metrics_.TestDone(TestResult::Error, start_);
    }
}

void MetricsFile::RunningTest::Done(ActivityOutcome::Kind kind) noexcept {
    done_ = true;
    metrics_.TestDone(ResultOf(kind), start_);
}

MetricsFile::MetricsFile(std::string programDirectory, std::string version,
                         const Services& services)
    : programDirectory_(std::move(programDirectory)), services_(services) {
    state_.version = std::move(version);
}

void MetricsFile::Started() noexcept {
    state_.up = true;
    Write();
}

void MetricsFile::Ended() noexcept {
    state_.up = false;
    Write();
}

void MetricsFile::ErrorBoxShown(bool open) noexcept {
    openBoxes_ = open ? openBoxes_ + 1 : std::max(openBoxes_ - 1, 0);
    if (state_.errorBoxOpen != (openBoxes_ > 0)) {
        state_.errorBoxOpen = openBoxes_ > 0;
        Write();
    }
}

void MetricsFile::TestDone(TestResult result,
                           std::chrono::steady_clock::time_point start) noexcept {
    const std::int64_t now = Milliseconds(services_.clock.UtcNow().time_since_epoch());
    ++state_.tests[static_cast<std::size_t>(result)];
    state_.lastTestMs = now;
    if (result == TestResult::Good) {
        state_.lastSuccessMs = now;
    }
    state_.lastTestDurationMs = Milliseconds(services_.clock.Steady() - start);
    Write();
}

void MetricsFile::Write() noexcept {
    // One read of monitor_zelnor.ini gives the folder and the interval.
    TIniValues monitorSettings;
    try {
        monitorSettings =
            IntervalFile(programDirectory_, services_.files, services_.sleeper).ReadValues();
    } catch (...) {
        // The settings cannot be read just now; the next write asks again.
        return;
    }
    std::string folder = monitorSettings.ReadString(MonitorSection, PrometheusKey, "");
    if (folder.empty()) {
        return;
    }
    Refresh(monitorSettings);
    try {
        WriteFile(FolderPrefix(std::move(folder)));
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    } catch (...) {
        ReportFailure("Unknown error");
    }
}

// The branch and the interval as the settings files give them now; a branch that cannot be read
// keeps the one read before.
void MetricsFile::Refresh(const TIniValues& monitorSettings) noexcept {
    state_.intervalSeconds =
        std::int64_t{ClampInterval(IntervalFile::IntervalOf(monitorSettings, 0))} *
        SecondsPerMinute;
    try {
        state_.branch =
            TIniFile(programDirectory_ + "sistema_tervo.ini", services_.files, services_.sleeper)
                .ReadInteger("FilialMatriz", "CodLogica", DefaultBranch);
    } catch (...) {
    }
}

// Written under a temporary name in the same folder, then put in place in one step: an exporter
// reads the old file or the new one, never a part, and never the temporary (not "*.prom").
void MetricsFile::WriteFile(const std::string& folder) const {
    const std::string path = folder + MetricsFileName;
    const std::string temporary = path + ".tmp";
    const platform::FileSystem& files = services_.files;
    bool created = false;
    try {
        platform::File file = files.Open(temporary, platform::OpenMode::CreateExclusive);
        created = true;
        file.Write(MetricsText(state_));
        file.Close();
        files.ReplaceFileAtomically(temporary, path);
    } catch (const platform::SystemError& error) {
        if (created) {
            files.DeleteFile(temporary);
        }
        throw Exception(platform::FileErrorMessage("Cannot create file", path, error.Error()));
    }
}

void MetricsFile::ReportFailure(const std::string& text) noexcept {
    if (failureLogged_) {
        return;
    }
    failureLogged_ = true;
    try {
        WriteLog(services_, MetricsFailureLogMessage + text);
    } catch (...) {
        // The log is the last place this could go.
    }
}

} // namespace mz
