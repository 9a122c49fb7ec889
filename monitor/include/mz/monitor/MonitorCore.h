#pragma once

#include "mz/Services.h"
#include "mz/data/DataModule.h"
#include "mz/monitor/ActivityTest.h"
#include "mz/monitor/HandlerGuard.h"
#include "mz/monitor/IntervalRules.h"
#include "mz/monitor/MetricsFile.h"
#include "mz/monitor/MonitorCycle.h"
#include "mz/monitor/MonitorView.h"
#include "mz/monitor/WindowRules.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace mz {

// The program's caption of every error box, and the status line before the first good test
// (Windows-1252).
inline constexpr const char* ApplicationTitle = "Monitor Zelnor";
inline constexpr const char* InitialStatusText =
    "Salve a configura\xE7\xE3o para ativar o monitoramento.";
// Written by the cycle when a test got no good reply.
inline constexpr const char* NoReplyLogMessage = "Falha ao obter a resposta do zelnor";

// The monitor behind any front end: the interval file, the minute cycle with its activity test
// and log, and the handling of failures. A front end forwards its events here and shows what
// it is told through IMonitorView; it decides nothing itself.
//
// Every handler below runs guarded: a failure ends it and is shown in the view's error box once
// the handler has returned, or, while a box is already open or about to open, written to the
// monthly log instead.
class MonitorCore {
public:
    // programDirectory ends with the path separator. Nothing here outlives the view.
    MonitorCore(std::string programDirectory, const Services& services, IMonitorView& view);
    MonitorCore(const MonitorCore&) = delete;
    MonitorCore& operator=(const MonitorCore&) = delete;
    ~MonitorCore();

    // From now on the data module exists: the first showing connects and due ticks run the
    // activity test over it. Both must outlive the core or be detached first.
    void AttachDataModule(IDataModule& dm);
    void AttachDataModule(IDataModule& dm, std::unique_ptr<IActivityTest> test);
    void DetachDataModule() noexcept;

    // The window's and the tray's events.
    WindowRules& Window() noexcept { return window_; }
    const WindowRules& Window() const noexcept { return window_; }
    // One period of the minute timer.
    void Tick() noexcept;
    // Any other handler of a front end (a change of the regional settings, say).
    void RunGuarded(const std::function<void()>& handler) noexcept;

    // The interval field's rules, with the current regional separators.
    std::int32_t ReadInterval(std::string_view fieldText) const;
    std::string StepInterval(std::string_view fieldText, int steps) const;

    std::int32_t MinuteCounter() const noexcept { return cycle_.MinuteCounter(); }
    bool ReportOpen() const noexcept { return guard_.ReportOpen(); }

private:
    void RunDueTest();
    void FormShow();
    void LogOverflow(const std::string& text) noexcept;

    std::string programDirectory_;
    const Services& services_;
    IMonitorView& view_;
    IntervalFile intervalFile_;
    MetricsFile metrics_;
    HandlerGuard guard_;
    MonitorCycle cycle_;
    WindowRules window_;
    IDataModule* dm_ = nullptr;
    std::unique_ptr<IActivityTest> test_;
};

// Attaches a data module to a core for its own lifetime, so the core lets go of the module
// before the module goes, whatever ends the run.
class DataModuleAttachment {
public:
    DataModuleAttachment(MonitorCore& core, IDataModule& dm) : core_(core) {
        core_.AttachDataModule(dm);
    }
    ~DataModuleAttachment() { core_.DetachDataModule(); }
    DataModuleAttachment(const DataModuleAttachment&) = delete;
    DataModuleAttachment& operator=(const DataModuleAttachment&) = delete;

private:
    MonitorCore& core_;
};

} // namespace mz
