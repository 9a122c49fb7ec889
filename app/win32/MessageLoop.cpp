#include "MessageLoop.h"

#include <utility>

namespace mz::win {

void MessageLoop::AttachDialog(HWND dialog, KeyFilter filter) {
    dialog_ = dialog;
    filter_ = std::move(filter);
}

void MessageLoop::DetachDialog() noexcept {
    dialog_ = nullptr;
    filter_ = nullptr;
}

void MessageLoop::Deliver(MSG& msg) {
    const bool forDialog =
        dialog_ != nullptr && (msg.hwnd == dialog_ || IsChild(dialog_, msg.hwnd));
    if (forDialog && filter_ && filter_(msg)) {
        return;
    }
    if (forDialog && IsDialogMessageA(dialog_, &msg)) {
        return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

void MessageLoop::RequestQuit() noexcept {
    if (!quitRequested_) {
        quitRequested_ = true;
        PostQuitMessage(0);
    }
}

int MessageLoop::Run() {
    MSG msg{};
    while (!quitRequested_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            exitCode_ = got == 0 ? static_cast<int>(msg.wParam) : 1;
            break;
        }
        Deliver(msg);
    }
    return exitCode_;
}

void MessageLoop::ProcessPending() {
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            exitCode_ = static_cast<int>(msg.wParam);
            quitRequested_ = true;
            return;
        }
        Deliver(msg);
    }
}

} // namespace mz::win
