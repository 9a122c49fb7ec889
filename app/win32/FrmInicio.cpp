#include "FrmInicio.h"

#include "resource.h"

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace mz::win {

namespace {

constexpr UINT_PTR TimerId = 1;
constexpr int ClientWidth = 372;
constexpr int ClientHeight = 152;

struct Placement {
    int id;
    RECT pixels; // left, top, right, bottom in client pixels
};

constexpr Placement Layout[] = {
    {IDC_IMAGE1, {16, 16, 16 + 339, 16 + 59}},     {IDC_LBL1, {8, 79, 8 + 150, 79 + 13}},
    {IDC_LBL3, {71, 99, 71 + 42, 99 + 13}},        {IDC_IMGOK, {119, 96, 119 + 24, 96 + 24}},
    {IDC_BTNSALVAR, {196, 98, 196 + 80, 98 + 25}}, {IDC_BTNCANCELAR, {280, 98, 280 + 80, 98 + 25}},
};
// The field with its up and down buttons, and the status bar (placed by the window, not by
// itself: CCS_NOPARENTALIGN, CCS_NORESIZE).
constexpr RECT FieldPixels{8, 95, 8 + 57, 95 + 21};
constexpr RECT StatusPixels{0, 133, 372, 133 + 19};

// The width of a label's text in its own font.
int TextWidth(HWND label) {
    const int length = GetWindowTextLengthA(label);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    GetWindowTextA(label, text.data(), length + 1);
    const HDC dc = GetDC(label);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), length, &extent);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return extent.cx;
}

// Labels take the width of their text, as they do in the font the layout was drawn for; a
// wider substitute font must not cut them off.
void FitLabel(HWND label) {
    RECT r{};
    GetWindowRect(label, &r);
    MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&r), 2);
    const int width = std::max<int>(r.right - r.left, TextWidth(label));
    MoveWindow(label, r.left, r.top, width, r.bottom - r.top, FALSE);
}

} // namespace

TFrmInicio::TFrmInicio(const FrmInicioSetup& setup, const Services& services,
                       RegionalSettingsOwner& regional, MessageLoop& loop)
    : regional_(regional), loop_(loop), core_(setup.programDirectory, services, *this),
      pictures_(setup.instance), background_(CreateSolidBrush(RGB(255, 255, 255))) {
    application_.emplace(setup.instance, pictures_.iconSmall.Get(), pictures_.iconLarge.Get(),
                         ButtonHandlers());
    dialog_ = WindowHandle(CreateDialogWindow(setup.instance));
    BuildLayout();
    // The timer counts from the building of the window, before the settings are loaded and
    // before the data module exists; the core holds its tests until then.
    tmrTempo_.emplace(dialog_.Get(), TimerId, static_cast<UINT>(setup.tickPeriod.count()));
    WindowRules& window = core_.Window();
    tray_.emplace(setup.instance, setup.programDirectory, pictures_.iconSmall.Get(),
                  TrayIcon::Handlers{[&window] { window.TrayDoubleClick(); },
                                     [&window] { window.ShowRequested(); },
                                     [&window] { window.CloseRequested(); }});
    loop_.AttachDialog(dialog_.Get(), [this](const MSG& msg) { return FilterKey(msg); });
    window.Created();
}

TFrmInicio::~TFrmInicio() {
    loop_.DetachDialog();
}

HWND TFrmInicio::CreateDialogWindow(HINSTANCE instance) {
    const HWND dialog =
        CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_FRMINICIO), application_->Handle(),
                           &DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog == nullptr) {
        throw std::runtime_error("the main window could not be created");
    }
    return dialog;
}

void TFrmInicio::BuildLayout() {
    const HWND dialog = dialog_.Get();
    const auto style = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE));
    RECT frame{0, 0, ClientWidth, ClientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(pictures_.iconSmall.Get()));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(pictures_.iconLarge.Get()));

    for (const Placement& place : Layout) {
        const RECT& r = place.pixels;
        MoveWindow(Control(place.id), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    }
    FitLabel(Control(IDC_LBL1));
    FitLabel(Control(IDC_LBL3));
    SendMessageA(Control(IDC_IMAGE1), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(pictures_.banner.Get()));
    SendMessageA(Control(IDC_IMGOK), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(pictures_.ok.Get()));
    ShowWindow(Control(IDC_IMGOK), SW_HIDE);
    SetButtonImage(Control(IDC_BTNSALVAR), pictures_.save.Get());
    SetButtonImage(Control(IDC_BTNCANCELAR), pictures_.cancel.Get());

    field_.emplace(Control(IDC_EDTMINUTOS), Control(IDC_SPIN), core_);
    field_->Place(FieldPixels);

    const HWND status = Control(IDC_STATBAR);
    int parts[] = {-1};
    SendMessageA(status, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
    const RECT& bar = StatusPixels;
    MoveWindow(status, bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, FALSE);
    ShowStatus(InitialStatusText);
}

bool TFrmInicio::IsActive() const {
    const HWND dialog = dialog_.Get();
    return GetActiveWindow() == dialog && IsWindowVisible(dialog) && !IsIconic(dialog);
}

std::string TFrmInicio::IntervalText() const {
    return field_->Text();
}

void TFrmInicio::SetIntervalText(const std::string& text) {
    field_->SetText(text);
}

void TFrmInicio::ProcessMessages() {
    loop_.ProcessPending();
}

void TFrmInicio::Post(std::function<void()> action) {
    posted_.push_back(std::move(action));
    if (PostMessageA(dialog_.Get(), PostedMessage, 0, 0) == FALSE) {
        posted_.pop_back();
        throw std::runtime_error("the window's message queue is full");
    }
}

void TFrmInicio::RunPosted() {
    if (posted_.empty()) {
        return;
    }
    const std::function<void()> action = std::move(posted_.front());
    posted_.pop_front();
    action();
}

void TFrmInicio::ShowError(const std::string& text) {
    // No owner: the window may go to the tray while the box is open (its first activation
    // comes after a failure of its first showing), and an owned box would go with it.
    // Task-modal keeps the window out of reach meanwhile.
    MessageBoxA(nullptr, text.c_str(), ApplicationTitle,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
}

void TFrmInicio::ShowStatus(const std::string& text) {
    SendMessageA(Control(IDC_STATBAR), SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TFrmInicio::ShowSavedMark(bool shown) {
    ShowWindow(Control(IDC_IMGOK), shown ? SW_SHOW : SW_HIDE);
}

void TFrmInicio::EndProgram() {
    loop_.RequestQuit();
}

void TFrmInicio::Show(int showCommand) {
    const bool minimised = showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED ||
                           showCommand == SW_MINIMIZE;
    core_.Window().Start(minimised);
}

void TFrmInicio::ShowOnScreen() {
    application_->ShowButton();
    ShowDialog();
}

void TFrmInicio::ShowDialog() const {
    const HWND dialog = dialog_.Get();
    // Restored while still hidden, so that it never comes on screen minimised: a window shown
    // minimised first leaves the window system a late "minimised" of its own, which would come
    // back as a minimise command and put the window away again. Restoring shows the window,
    // activates it and gives the focus back to its last control.
    if (IsIconic(dialog)) {
        ShowWindow(dialog, SW_RESTORE);
    }
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
}

void TFrmInicio::ShowMinimised() {
    // The taskbar button alone: the window itself is not shown before its first bring-up.
    application_->ShowMinimisedButton();
}

void TFrmInicio::PutAway() {
    // Without its button first, so that the button's window does not take the activation.
    application_->HideButton();
    const HWND dialog = dialog_.Get();
    if (IsWindowVisible(dialog) && !IsIconic(dialog)) {
        ShowWindow(dialog, SW_MINIMIZE);
    }
    // Hidden, the window and its button leave the screen: the tray icon is the way back.
    ShowWindow(dialog, SW_HIDE);
}

void TFrmInicio::CentreOnScreen() {
    const HWND dialog = dialog_.Get();
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT window{};
    GetWindowRect(dialog, &window);
    const RECT& area = monitor.rcWork;
    const int x = area.left + (area.right - area.left - (window.right - window.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (window.bottom - window.top)) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace mz::win
