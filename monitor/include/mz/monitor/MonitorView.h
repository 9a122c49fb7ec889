#pragma once

#include <functional>
#include <string>

namespace mz {

// What the monitor core needs back from a front end's window: a few queries and the primitives
// the window rules are made of. The core decides when each runs. Every text is Windows-1252.
class IMonitorView {
public:
    virtual ~IMonitorView() = default;
    // True while the main window is the active (foreground, keyboard) window.
    virtual bool IsActive() const = 0;
    // The interval field's text as it stands, saved or not.
    virtual std::string IntervalText() const = 0;
    virtual void SetIntervalText(const std::string& text) = 0;
    // Processes all pending window messages, then returns.
    virtual void ProcessMessages() = 0;
    // Runs action once the running handler has returned and the messages already queued have
    // been handled, so that whatever it opens does not hold the handler's own event source.
    virtual void Post(std::function<void()> action) = 0;
    // The modal error message box with the program's caption; returns once it is closed.
    virtual void ShowError(const std::string& text) = 0;
    // Panel 0 of the status bar.
    virtual void ShowStatus(const std::string& text) = 0;
    // The confirmation mark of Save.
    virtual void ShowSavedMark(bool shown) = 0;
    virtual void CentreOnScreen() = 0;
    // Puts the window on screen with its taskbar button, restored and active, the focus on
    // the control that last had it.
    virtual void ShowOnScreen() = 0;
    // Shows the window as a minimised taskbar button only, not active.
    virtual void ShowMinimised() = 0;
    // Minimises the window unless it is already, and takes its taskbar button away.
    virtual void PutAway() = 0;
    // Asks the main loop to end once the running handler has returned.
    virtual void EndProgram() = 0;
};

} // namespace mz
