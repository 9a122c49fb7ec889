#include "mz/monitor/MonitorCore.h"

#include "mz/Exception.h"
#include "mz/log/uLog.h"
#include "mz/monitor/uMonitorZelnor.h"

#include <utility>

namespace mz {

MonitorCore::MonitorCore(std::string programDirectory, const Services& services, IMonitorView& view)
    : programDirectory_(std::move(programDirectory)), services_(services), view_(view),
      intervalFile_(programDirectory_, services.files, services.sleeper),
      metrics_(programDirectory_, ProgramVersion(), services),
      guard_(
          [this](const std::string& text) {
              const MetricsFile::ErrorBoxOpen shown(metrics_);
              view_.ShowError(text);
          },
          [this](const std::string& text) { LogOverflow(text); },
          [this](std::function<void()> later) { view_.Post(std::move(later)); }),
      window_(view_, guard_,
              {intervalFile_, services_, [this] { FormShow(); }, [this] { metrics_.Started(); }}) {}

MonitorCore::~MonitorCore() {
    metrics_.Ended();
}

void MonitorCore::AttachDataModule(IDataModule& dm) {
    AttachDataModule(dm, std::make_unique<TMonitorZelnor>(dm, view_, services_, programDirectory_));
}

void MonitorCore::AttachDataModule(IDataModule& dm, std::unique_ptr<IActivityTest> test) {
    dm_ = &dm;
    test_ = std::move(test);
}

void MonitorCore::DetachDataModule() noexcept {
    test_.reset();
    dm_ = nullptr;
}

void MonitorCore::FormShow() {
    if (dm_ != nullptr) {
        dm_->OpenConnection();
    }
}

void MonitorCore::Tick() noexcept {
    guard_.Run([this] {
        if (!cycle_.CountTick(ReadInterval(view_.IntervalText()))) {
            return;
        }
        // Skipped, not postponed: the next test comes due a whole interval later. No test runs
        // before the data module exists, nor inside another one.
        if (test_ == nullptr || cycle_.TestRunning() || view_.IsActive()) {
            return;
        }
        RunDueTest();
    });
}

void MonitorCore::RunDueTest() {
    ActivityOutcome outcome;
    {
        const MonitorCycle::RunningTest running(cycle_);
        MetricsFile::RunningTest measured(metrics_);
        outcome = test_->Run();
        measured.Done(outcome.kind);
    }
    if (outcome.kind == ActivityOutcome::Kind::Good) {
        view_.ShowStatus(ActivityStatusText(outcome.moment, services_.regional));
        return;
    }
    WriteLog(services_, NoReplyLogMessage);
}

void MonitorCore::RunGuarded(const std::function<void()>& handler) noexcept {
    guard_.Run(handler);
}

std::int32_t MonitorCore::ReadInterval(std::string_view fieldText) const {
    return ReadIntervalText(fieldText, services_.regional.numbers);
}

std::string MonitorCore::StepInterval(std::string_view fieldText, int steps) const {
    return StepIntervalText(fieldText, steps, services_.regional.numbers);
}

void MonitorCore::LogOverflow(const std::string& text) noexcept {
    try {
        WriteLog(services_, text);
    } catch (...) {
        // The log is the last place a message can go.
    }
}

} // namespace mz
