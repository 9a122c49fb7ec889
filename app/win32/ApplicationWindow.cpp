#include "ApplicationWindow.h"

#include "mz/monitor/MonitorCore.h"

#include <stdexcept>
#include <utility>

namespace mz::win {

namespace {

// A popup with a caption, a system menu and a minimise box: the taskbar gives its button the
// window's menu and minimises and restores it; with no size nothing of it is seen.
constexpr DWORD Style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;

} // namespace

ApplicationWindow::ApplicationWindow(HINSTANCE instance, HICON iconSmall, HICON iconLarge,
                                     Handlers handlers)
    : handlers_(std::move(handlers)) {
    RegisterRoutedClass(instance, WindowClass);
    // Centred on the primary screen as the main window will be, so that the button's
    // minimising and restoring animate from and to the middle of the screen.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    window_ = WindowHandle(CreateWindowExA(0, WindowClass, ApplicationTitle, Style, x, y, 0, 0,
                                           nullptr, nullptr, instance, nullptr));
    if (!window_) {
        throw std::runtime_error("the application window could not be created");
    }
    MessageRoute<ApplicationWindow>::Attach(window_.Get(), this);
    SendMessageA(window_.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall));
    SendMessageA(window_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(iconLarge));
}

void ApplicationWindow::ShowButton() const noexcept {
    // Also restores a minimised button.
    ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
}

void ApplicationWindow::ShowMinimisedButton() const noexcept {
    ShowWindow(window_.Get(), SW_SHOWMINNOACTIVE);
}

void ApplicationWindow::HideButton() const noexcept {
    ShowWindow(window_.Get(), SW_HIDE);
}

LRESULT ApplicationWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam)) {
            return 0;
        }
        break;
    case WM_CLOSE:
        handlers_.close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            handlers_.activated();
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(window_.Get(), msg, wParam, lParam);
}

bool ApplicationWindow::OnSysCommand(WPARAM wParam) {
    switch (wParam & 0xFFF0) {
    case SC_RESTORE:
        if (IsIconic(window_.Get()) == FALSE) {
            return true;
        }
        // The button comes back first; the handler then brings the main window up over it.
        DefWindowProcA(window_.Get(), WM_SYSCOMMAND, wParam, 0);
        handlers_.restore();
        return true;
    case SC_MINIMIZE:
        handlers_.minimise();
        return true;
    case SC_CLOSE:
        handlers_.close();
        return true;
    default:
        return false;
    }
}

} // namespace mz::win
