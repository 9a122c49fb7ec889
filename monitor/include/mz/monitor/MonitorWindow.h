#pragma once

#include <string>

namespace mz {

// What the activity test and the minute cycle need of the main window. The Qt window
// implements it; tests use a plain object.
class IMonitorWindow {
public:
    virtual ~IMonitorWindow() = default;
    // True while the main window is the active (foreground, keyboard) window.
    virtual bool IsActive() const = 0;
    // Sets panel 0 of the status bar (Windows-1252 text).
    virtual void SetStatusText(const std::string& text) = 0;
    // Processes all pending window messages, then returns.
    virtual void ProcessMessages() = 0;
};

} // namespace mz
