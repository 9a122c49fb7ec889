#pragma once

#include <string>

namespace mz {

// What the monitor core needs back from a front end's window. Every text is Windows-1252.
class IMonitorView {
public:
    virtual ~IMonitorView() = default;
    // True while the main window is the active (foreground, keyboard) window.
    virtual bool IsActive() const = 0;
    // The interval field's text as it stands, saved or not.
    virtual std::string IntervalText() const = 0;
    // Processes all pending window messages, then returns.
    virtual void ProcessMessages() = 0;
    // The modal error message box with the program's caption; returns once it is closed.
    virtual void ShowError(const std::string& text) = 0;
    // Panel 0 of the status bar.
    virtual void ShowStatus(const std::string& text) = 0;
};

} // namespace mz
