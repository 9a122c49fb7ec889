#include "TrayIcon.h"

#include "resource.h"

#include <cstring>
#include <utility>

namespace mz::win {

namespace {

constexpr const char* TipText = "Monitor Zelnor";
constexpr const char* SettingsCaption = "&Configura\xE7\xF5"
                                        "es";

MenuHandle BuildMenu() {
    MenuHandle menu(CreatePopupMenu());
    AppendMenuA(menu.Get(), MF_STRING, IDM_CONFIGURACOES, SettingsCaption);
    AppendMenuA(menu.Get(), MF_STRING, IDM_FECHAR, "&Fechar");
    return menu;
}

NOTIFYICONDATAA IconData(HWND window, HICON icon) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = TrayIcon::CallbackMessage;
    data.hIcon = icon;
    std::strncpy(data.szTip, TipText, sizeof data.szTip - 1);
    data.uVersion = NOTIFYICON_VERSION;
    return data;
}

} // namespace

std::string TrayIcon::WindowTitle(const std::string& programDirectory) {
    return "Monitor Zelnor " + programDirectory;
}

TrayIcon::TrayIcon(HINSTANCE instance, const std::string& programDirectory, HICON icon,
                   Handlers handlers)
    : handlers_(std::move(handlers)), taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")),
      showRequest_(RegisterWindowMessageA(ShowRequestMessage)) {
    RegisterRoutedClass(instance, WindowClass);
    // A plain hidden top-level window rather than a message-only one: only top-level windows
    // hear the "TaskbarCreated" broadcast.
    window_ =
        WindowHandle(CreateWindowExA(0, WindowClass, WindowTitle(programDirectory).c_str(),
                                     WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr));
    MessageRoute<TrayIcon>::Attach(window_.Get(), this);
    // Lets a second copy, started by the same user, post its request past UIPI.
    ChangeWindowMessageFilterEx(window_.Get(), showRequest_, MSGFLT_ALLOW, nullptr);
    menu_ = BuildMenu();
    registration_.emplace(IconData(window_.Get(), icon));
}

LRESULT TrayIcon::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == CallbackMessage) {
        OnCallback(lParam);
        return 0;
    }
    if (msg == WM_COMMAND && HIWORD(wParam) == 0) {
        if (LOWORD(wParam) == IDM_CONFIGURACOES) {
            handlers_.settings();
        } else if (LOWORD(wParam) == IDM_FECHAR) {
            handlers_.close();
        }
        return 0;
    }
    if (msg == taskbarCreated_ && taskbarCreated_ != 0 && registration_) {
        registration_->Add();
        return 0;
    }
    if (msg == showRequest_ && showRequest_ != 0) {
        handlers_.settings();
        return 0;
    }
    return DefWindowProcA(window_.Get(), msg, wParam, lParam);
}

void TrayIcon::OnCallback(LPARAM event) {
    // Version 3 callbacks: the mouse message or the keyboard selection in lParam.
    switch (LOWORD(event)) {
    case WM_LBUTTONDBLCLK:
        handlers_.doubleClick();
        break;
    case WM_RBUTTONUP:
    case NIN_KEYSELECT:
        OpenMenu();
        break;
    default:
        break;
    }
}

void TrayIcon::OpenMenu() {
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(window_.Get());
    TrackPopupMenu(menu_.Get(), TPM_LEFTBUTTON | TPM_RIGHTBUTTON, at.x, at.y, 0, window_.Get(),
                   nullptr);
    PostMessageA(window_.Get(), WM_NULL, 0, 0);
}

bool AskRunningCopyToShow(const std::string& programDirectory) {
    const HWND running =
        FindWindowA(TrayIcon::WindowClass, TrayIcon::WindowTitle(programDirectory).c_str());
    if (running == nullptr) {
        return false;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(running, &process);
    // The running copy may then bring its window to the front.
    AllowSetForegroundWindow(process);
    return PostMessageA(running, RegisterWindowMessageA(TrayIcon::ShowRequestMessage), 0, 0) !=
           FALSE;
}

} // namespace mz::win
