// The smallest Win32 program with a window and a notification-area icon (window class,
// Shell_NotifyIcon, message loop): the baseline that scripts/footprint.sh sets the Windows
// program's memory and CPU use against. Like the monitor it shows its window once at start-up
// and then waits hidden in the tray.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

namespace {

constexpr const char* Name = "minimal_tray_win";
constexpr UINT TrayMessage = WM_APP + 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = Name;
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA(Name, Name, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 372,
                                152, nullptr, nullptr, instance, nullptr);

    NOTIFYICONDATAA icon{};
    icon.cbSize = sizeof icon;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    icon.uCallbackMessage = TrayMessage;
    icon.hIcon = windowClass.hIcon;
    lstrcpynA(icon.szTip, Name, sizeof icon.szTip);
    Shell_NotifyIconA(NIM_ADD, &icon);

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    ShowWindow(window, SW_HIDE);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
