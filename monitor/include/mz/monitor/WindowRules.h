#pragma once

#include "mz/Services.h"
#include "mz/monitor/HandlerGuard.h"
#include "mz/monitor/IntervalRules.h"
#include "mz/monitor/MonitorView.h"

#include <functional>

namespace mz {

// The rules of the window and the tray icon for every front end: a front end turns its native
// events into the calls below, and this answers with the view's primitives. Every event runs
// guarded (a failure ends it and comes up in a box once it has returned).
class WindowRules {
public:
    struct Hooks {
        IntervalFile& intervalFile;
        const Services& services;
        std::function<void()> showHandler; // the first showing: connects the data module
        std::function<void()> created;     // the window exists and its field is filled
    };

    WindowRules(IMonitorView& view, HandlerGuard& guard, Hooks hooks);

    // The window has been built: creates the interval file when missing and fills the field.
    void Created() noexcept;
    // The main loop shows the window; a minimised launch leaves a taskbar button only.
    void Start(bool minimised) noexcept;
    // The window became the active window.
    void Activated() noexcept;
    // The window is restored from its minimised taskbar button (the window system restores it).
    void Restored() noexcept;
    void MinimiseRequested() noexcept;
    void TrayDoubleClick() noexcept;
    // "Configurações" and a second start's request to show the window.
    void ShowRequested() noexcept;
    // "Fechar", the close box, Alt+F4.
    void CloseRequested() noexcept;
    // Escape reaches the window only while no box has the keyboard.
    void EscapePressed() noexcept;
    void SavePressed() noexcept;
    void CancelPressed() noexcept;

    bool FirstActivation() const noexcept { return firstActivation_; }
    bool WindowShown() const noexcept { return windowShown_; }
    bool OnScreen() const noexcept { return onScreen_; }
    bool ShownOnce() const noexcept { return shownOnce_; }

private:
    void HideToTray();
    void ShowFromTray();
    void FirstShow();
    void Save();

    IMonitorView& view_;
    HandlerGuard& guard_;
    Hooks hooks_;
    bool firstActivation_ = false;
    bool windowShown_ = true;
    bool shownOnce_ = false;
    bool onScreen_ = false;
};

} // namespace mz
