#pragma once
#include "Win32.h"

#include <functional>

namespace mz::win {

// The program's message loop. Keys meant for the main window are offered to it before the
// focused control sees them, then the dialog manager takes its keys (Tab, mnemonics).
// Ending is a request: it takes effect once the handler that asked has returned.
class MessageLoop {
public:
    // Returns true when the message has been handled and must go no further.
    using KeyFilter = std::function<bool(const MSG&)>;

    void AttachDialog(HWND dialog, KeyFilter filter);
    void DetachDialog() noexcept;

    // Remembered, and posted as WM_QUIT so that a loop waiting for messages wakes up (also
    // when the request came in a sent message, which GetMessage handles without returning).
    void RequestQuit() noexcept;
    bool QuitRequested() const noexcept { return quitRequested_; }

    // Runs until a quit has been requested (or WM_QUIT arrives); returns the exit code.
    int Run();
    // Handles every pending message, then returns. A WM_QUIT taken out here is remembered.
    void ProcessPending();

private:
    void Deliver(MSG& msg);

    HWND dialog_ = nullptr;
    KeyFilter filter_;
    bool quitRequested_ = false;
    int exitCode_ = 0;
};

} // namespace mz::win
