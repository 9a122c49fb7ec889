#pragma once
#include "Handles.h"
#include "MessageRoute.h"

#include <functional>

namespace mz::win {

// The program's taskbar button: a window of no size, titled with the application title, that
// owns the main window. An owned window has no button of its own, so the button reads
// "Monitor Zelnor" while the main window's caption carries the version. The button's restore,
// minimise and close come back as the handlers; an activation through the button is passed on
// to the main window.
class ApplicationWindow {
public:
    struct Handlers {
        std::function<void()> restore; // from the minimised button
        std::function<void()> minimise;
        std::function<void()> close;
        std::function<void()> activated; // the button's window became the active window
    };

    static constexpr const char* WindowClass = "MonitorZelnor.Application";

    ApplicationWindow(HINSTANCE instance, HICON iconSmall, HICON iconLarge, Handlers handlers);
    ApplicationWindow(const ApplicationWindow&) = delete;
    ApplicationWindow& operator=(const ApplicationWindow&) = delete;

    HWND Handle() const noexcept { return window_.Get(); }

    // The button on the taskbar, restored, without taking the activation.
    void ShowButton() const noexcept;
    // The button alone, minimised.
    void ShowMinimisedButton() const noexcept;
    void HideButton() const noexcept;

private:
    friend class MessageRoute<ApplicationWindow>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnSysCommand(WPARAM wParam);

    Handlers handlers_;
    WindowHandle window_;
};

} // namespace mz::win
