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
          [this](const std::string& text) { LogOverflow(text); }) {}

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

std::string MonitorCore::FormCreate() noexcept {
    std::string text = IntervalText(MinInterval);
    guard_.Run([&] {
        intervalFile_.CreateIfMissing();
        text = IntervalText(intervalFile_.Read(0));
    });
    metrics_.Started();
    return text;
}

void MonitorCore::FormShow() noexcept {
    guard_.Run([this] {
        if (dm_ != nullptr) {
            dm_->OpenConnection();
        }
    });
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

bool MonitorCore::Save(std::string_view fieldText) noexcept {
    bool saved = false;
    guard_.Run([&] {
        if (ReadInterval(fieldText) > MaxInterval) {
            throw Exception("Intervalo maximo de 30 minutos.");
        }
        // The text as typed, not a normalised number.
        intervalFile_.Write(fieldText);
        saved = true;
    });
    return saved;
}

std::string MonitorCore::Cancel() noexcept {
    std::int32_t saved = 0;
    try {
        saved = intervalFile_.Read(0);
    } catch (...) {
        // Cancel never fails on reading: a file that cannot be read gives the default.
    }
    return IntervalText(saved);
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
