// Drives a running MonitorZelnor from outside, as the desktop would: finds its windows, posts
// the messages a click, a key or the tray would send, and reads back what the window shows.
//   mzdriver COMMAND [ARGS...]   exit 0 on success, 3 when a check fails or times out (a status
//                                of its own, apart from what Wine returns when it cannot run it)
// Commands:
//   wait-ready SECONDS           the main window and the tray's window exist
//   close-box                    presses OK on the program's error box
//   state                        prints the window's state, one key=value a line
//   wait KEY VALUE SECONDS       polls until state KEY has VALUE
//   wait-prefix KEY TEXT SECONDS polls until state KEY starts with TEXT
//   wait-gone SECONDS            the tray's window is gone (the program has ended)
//   tray EVENT                   dblclick | rbuttonup | keyselect, as the notification area
//   taskbar-created              the notification area's "TaskbarCreated" broadcast
//   menu ITEM                    configuracoes | fechar, as the tray menu would command
//   pick-menu ITEM SECONDS       waits for the open tray menu and chooses ITEM by its key
//   set-field TEXT               the interval field's text
//   click salvar|cancelar        a button click
//   focus salvar|cancelar|field  moves the focus inside the window
//   key NAME [alt]               posts a key to the focused control: escape, return, space,
//                                up, down, or one character (typed)
//   spin up|down                 a click on an arrow of the up-down control
//   syscommand minimize|restore|close [button]   the title bar's buttons, or with "button" the
//                                taskbar button's (restore always goes to the taskbar button)
// State keys beyond the window's flags: boxes (error boxes on screen), rect-NAME (a control's
// left,top,width,height in client pixels; field is the text box with its arrows), caption (the
// main window's), taskbar (the texts of the program's windows that have a taskbar button, in
// z-order, joined by "|"), taskbar-iconic (1 when the one window with a button is minimised),
// taskbar-size (that window's WIDTHxHEIGHT).
#include "../TrayIcon.h"
#include "../Win32.h"
#include "../resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* Caption = "Monitor Zelnor 1.0.0";

HWND MainWindow() {
    return FindWindowA("#32770", Caption);
}
HWND TrayWindow() {
    return FindWindowA(mz::win::TrayIcon::WindowClass, nullptr);
}
HWND Item(int id) {
    return GetDlgItem(MainWindow(), id);
}

std::string WindowText(HWND hwnd) {
    char buffer[512] = {};
    SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_BLOCK, 2000, nullptr);
    return buffer;
}

std::string StatusText() {
    char buffer[512] = {};
    // The status bar lives in the other process: copy its text through WM_GETTEXT of the
    // simple-mode window text, which the bar keeps equal to part 0.
    const HWND bar = Item(IDC_STATBAR);
    const LRESULT length = SendMessageA(bar, SB_GETTEXTLENGTHA, 0, 0);
    if (LOWORD(length) == 0) {
        return "";
    }
    SendMessageTimeoutA(bar, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                        SMTO_BLOCK, 2000, nullptr);
    return buffer;
}

// The program's error boxes on screen.
int OpenBoxes() {
    int count = 0;
    EnumWindows(
        [](HWND hwnd, LPARAM counter) -> BOOL {
            char className[16] = {};
            GetClassNameA(hwnd, className, sizeof className);
            if (std::strcmp(className, "#32770") == 0 && IsWindowVisible(hwnd) &&
                WindowText(hwnd) == "Monitor Zelnor") {
                ++*reinterpret_cast<int*>(counter);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

// The program's windows with a button on the taskbar: visible top-level windows of its process
// that are unowned and no tool windows, or that ask for a button.
std::vector<HWND> TaskbarWindows() {
    struct Search {
        DWORD process = 0;
        std::vector<HWND> found;
    } search;
    GetWindowThreadProcessId(TrayWindow(), &search.process);
    EnumWindows(
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(param);
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
            const bool button =
                (exStyle & WS_EX_APPWINDOW) != 0 ||
                (GetWindow(hwnd, GW_OWNER) == nullptr && (exStyle & WS_EX_TOOLWINDOW) == 0);
            if (process == s.process && IsWindowVisible(hwnd) && button) {
                s.found.push_back(hwnd);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string TaskbarTexts() {
    std::string texts;
    for (const HWND hwnd : TaskbarWindows()) {
        if (!texts.empty()) {
            texts += '|';
        }
        texts += WindowText(hwnd);
    }
    return texts;
}

RECT ClientRectOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, MainWindow(), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string ControlRect(const std::string& name) {
    const int id = name == "statbar"    ? IDC_STATBAR
                   : name == "salvar"   ? IDC_BTNSALVAR
                   : name == "cancelar" ? IDC_BTNCANCELAR
                   : name == "image1"   ? IDC_IMAGE1
                   : name == "okmark"   ? IDC_IMGOK
                                        : IDC_EDTMINUTOS;
    RECT r = ClientRectOf(Item(id));
    if (name == "field") {
        const RECT spin = ClientRectOf(Item(IDC_SPIN));
        UnionRect(&r, &r, &spin);
    }
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top);
}

std::string State(const std::string& key) {
    const HWND main = MainWindow();
    if (key == "exists")
        return main != nullptr ? "1" : "0";
    if (key == "tray")
        return TrayWindow() != nullptr ? "1" : "0";
    if (key == "tray-title")
        return TrayWindow() != nullptr ? WindowText(TrayWindow()) : "";
    if (key == "taskbar")
        return TaskbarTexts();
    if (key == "taskbar-iconic") {
        const std::vector<HWND> windows = TaskbarWindows();
        return windows.size() == 1 && IsIconic(windows.front()) ? "1" : "0";
    }
    if (key == "taskbar-size") {
        const std::vector<HWND> windows = TaskbarWindows();
        RECT r{};
        if (windows.size() == 1)
            GetWindowRect(windows.front(), &r);
        return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    }
    if (main == nullptr)
        return "";
    if (key == "caption")
        return WindowText(main);
    if (key == "visible")
        return IsWindowVisible(main) ? "1" : "0";
    if (key == "iconic")
        return IsIconic(main) ? "1" : "0";
    if (key == "foreground")
        return GetForegroundWindow() == main ? "1" : "0";
    if (key == "field")
        return WindowText(Item(IDC_EDTMINUTOS));
    if (key == "status")
        return StatusText();
    if (key == "ok-mark")
        return IsWindowVisible(Item(IDC_IMGOK)) ? "1" : "0";
    if (key == "boxes")
        return std::to_string(OpenBoxes());
    if (key.rfind("rect-", 0) == 0)
        return ControlRect(key.substr(5));
    if (key == "box") {
        const HWND box = FindWindowA("#32770", "Monitor Zelnor");
        return box != nullptr && IsWindowVisible(box) ? "1" : "0";
    }
    if (key == "centred") {
        RECT r{};
        GetWindowRect(main, &r);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& a = monitor.rcWork;
        // The window manager may shift a mapped window by a few pixels of its frame.
        constexpr int Slack = 2 * 16;
        const bool centred = std::abs((r.left + r.right) - (a.left + a.right)) <= Slack &&
                             std::abs((r.top + r.bottom) - (a.top + a.bottom)) <= Slack;
        if (centred)
            return "1";
        return "0 (window " + std::to_string(r.left) + "," + std::to_string(r.top) + "-" +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + ", work area " +
               std::to_string(a.right) + "x" + std::to_string(a.bottom) + ")";
    }
    if (key == "client") {
        RECT r{};
        GetClientRect(main, &r);
        return std::to_string(r.right) + "x" + std::to_string(r.bottom);
    }
    return "?";
}

void PrintState() {
    for (const char* key :
         {"exists", "tray", "tray-title", "visible", "iconic", "foreground", "field", "status",
          "ok-mark", "box", "boxes", "client", "centred", "rect-field", "rect-statbar", "caption",
          "taskbar", "taskbar-iconic", "taskbar-size"}) {
        std::printf("%s=%s\n", key, State(key).c_str());
    }
}

template <typename Check> bool WaitFor(double seconds, Check check) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds * 1000);
    for (;;) {
        if (check())
            return true;
        if (static_cast<LONG>(GetTickCount() - end) >= 0)
            return false;
        Sleep(100);
    }
}

constexpr int FailedStatus = 3;

int Fail(const std::string& what) {
    std::fprintf(stderr, "mzdriver: %s\n", what.c_str());
    PrintState();
    return FailedStatus;
}

int ButtonId(const std::string& name) {
    return name == "salvar" ? IDC_BTNSALVAR : name == "cancelar" ? IDC_BTNCANCELAR : IDC_EDTMINUTOS;
}

int PostKey(const std::string& name, bool alt) {
    HWND target = nullptr;
    // The control with the focus: the window's own keys are seen before it by the program.
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(MainWindow(), nullptr);
    if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr)
        target = info.hwndFocus;
    if (target == nullptr)
        target = MainWindow();
    const LPARAM altBit = alt ? (1 << 29) : 0;
    const UINT down = alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    const UINT up = alt ? WM_SYSKEYUP : WM_KEYUP;
    WPARAM vk = 0;
    if (name == "escape")
        vk = VK_ESCAPE;
    else if (name == "return")
        vk = VK_RETURN;
    else if (name == "space")
        vk = VK_SPACE;
    else if (name == "up")
        vk = VK_UP;
    else if (name == "down")
        vk = VK_DOWN;
    else if (name.size() == 1 && !alt) {
        PostMessageA(target, WM_CHAR, static_cast<unsigned char>(name[0]), 1);
        return 0;
    } else if (name.size() == 1) {
        vk = static_cast<WPARAM>(std::toupper(static_cast<unsigned char>(name[0])));
    } else {
        return Fail("unknown key " + name);
    }
    PostMessageA(target, down, vk, 1 | altBit);
    PostMessageA(target, up, vk, 1 | altBit | (1u << 30) | (1u << 31));
    return 0;
}

int PickMenu(const std::string& item, double seconds) {
    HWND menu = nullptr;
    if (!WaitFor(seconds, [&] {
            menu = FindWindowA("#32768", nullptr);
            return menu != nullptr && IsWindowVisible(menu);
        })) {
        return Fail("no tray menu opened");
    }
    // The menu's own loop takes keys from the queue: the item's mnemonic chooses it.
    const WPARAM key = item == "fechar" ? WPARAM{'F'} : WPARAM{'C'};
    PostMessageA(menu, WM_KEYDOWN, key, 1);
    PostMessageA(menu, WM_CHAR, std::tolower(static_cast<int>(key)), 1);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Fail("no command");
    const std::string command = argv[1];
    auto arg = [&](int i) { return i < argc ? std::string(argv[i]) : std::string(); };
    auto seconds = [&](int i) { return i < argc ? std::atof(argv[i]) : 10.0; };

    if (command == "wait-ready") {
        return WaitFor(seconds(2),
                       [] { return MainWindow() != nullptr && TrayWindow() != nullptr; })
                   ? 0
                   : Fail("the program's windows did not appear");
    }
    if (command == "close-box") {
        // OK on the program's error box.
        const HWND box = FindWindowA("#32770", "Monitor Zelnor");
        if (box == nullptr)
            return Fail("no error box");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return 0;
    }
    if (command == "state") {
        PrintState();
        return 0;
    }
    if (command == "wait" || command == "wait-prefix") {
        const std::string key = arg(2), value = arg(3);
        const bool prefix = command == "wait-prefix";
        return WaitFor(seconds(4),
                       [&] {
                           const std::string now = State(key);
                           return prefix ? now.rfind(value, 0) == 0 : now == value;
                       })
                   ? 0
                   : Fail(key + " never became " + value);
    }
    if (command == "wait-gone") {
        return WaitFor(seconds(2), [] { return TrayWindow() == nullptr; })
                   ? 0
                   : Fail("the program did not end");
    }
    if (MainWindow() == nullptr || TrayWindow() == nullptr)
        return Fail("the program is not running");
    if (command == "tray") {
        const std::string event = arg(2);
        const LPARAM message = event == "dblclick"    ? WM_LBUTTONDBLCLK
                               : event == "rbuttonup" ? WM_RBUTTONUP
                                                      : NIN_KEYSELECT;
        PostMessageA(TrayWindow(), mz::win::TrayIcon::CallbackMessage, 0, MAKELPARAM(message, 1));
        return 0;
    }
    if (command == "taskbar-created") {
        PostMessageA(TrayWindow(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        return 0;
    }
    if (command == "menu") {
        PostMessageA(TrayWindow(), WM_COMMAND, arg(2) == "fechar" ? IDM_FECHAR : IDM_CONFIGURACOES,
                     0);
        return 0;
    }
    if (command == "pick-menu")
        return PickMenu(arg(2), seconds(3));
    if (command == "set-field") {
        SendMessageA(Item(IDC_EDTMINUTOS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        return 0;
    }
    if (command == "click") {
        const int id = ButtonId(arg(2));
        PostMessageA(MainWindow(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
        return 0;
    }
    if (command == "focus") {
        SendMessageA(MainWindow(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(ButtonId(arg(2)))),
                     TRUE);
        return 0;
    }
    if (command == "key")
        return PostKey(arg(2), arg(3) == "alt");
    if (command == "spin") {
        // A press and release on the upper or lower arrow of the up-down control.
        const HWND spin = Item(IDC_SPIN);
        RECT r{};
        GetClientRect(spin, &r);
        const int y = arg(2) == "up" ? r.bottom / 4 : r.bottom * 3 / 4;
        const LPARAM at = MAKELPARAM(r.right / 2, y);
        PostMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(spin, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (command == "syscommand") {
        const std::string which = arg(2);
        const WPARAM command = which == "close"     ? SC_CLOSE
                               : which == "restore" ? SC_RESTORE
                                                    : SC_MINIMIZE;
        const std::vector<HWND> buttons = TaskbarWindows();
        if (arg(3) == "button" && buttons.size() != 1)
            return Fail("no one taskbar button");
        const HWND target = (command == SC_RESTORE || arg(3) == "button") && buttons.size() == 1
                                ? buttons.front()
                                : MainWindow();
        PostMessageA(target, WM_SYSCOMMAND, command, 0);
        return 0;
    }
    return Fail("unknown command " + command);
}
