// The main window's messages and keys, the tray's handlers and the window's trips between the
// screen and the tray.
#include "FrmInicio.h"
#include "resource.h"

namespace mz::win {

namespace {

// Posted at the first activation: the window goes to the tray once activation is over.
constexpr UINT FirstActivationMessage = WM_APP + 1;

// Bit 29 of a key message: Alt was down when the key went down.
bool AltDown(const MSG& msg) {
    return (msg.lParam & (LPARAM{1} << 29)) != 0;
}

} // namespace

INT_PTR CALLBACK TFrmInicio::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        return TRUE;
    }
    auto* self = reinterpret_cast<TFrmInicio*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    return self == nullptr ? FALSE : self->HandleMessage(msg, wParam, lParam);
}

INT_PTR TFrmInicio::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER:
        if (tmrTempo_ && wParam == tmrTempo_->Id()) {
            tmrTempoTimer();
        }
        return TRUE;
    case WM_COMMAND:
        return OnCommand(wParam) ? TRUE : FALSE;
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam)) {
            SetWindowLongPtrA(dialog_.Get(), DWLP_MSGRESULT, 0);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CLOSE:
        core_.RunGuarded([this] { RequestQuit(); });
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            NoteActivation();
        }
        return FALSE; // the dialog manager saves and restores the focused control
    case WM_WINDOWPOSCHANGED:
        // Wine may activate the window before it is first shown; its showing then counts.
        if ((reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0) {
            NoteActivation();
        }
        return FALSE;
    case FirstActivationMessage:
        core_.RunGuarded([this] { HideToTray(); });
        return TRUE;
    case WM_SETTINGCHANGE:
        core_.RunGuarded([this] { regional_.Refresh(); });
        return FALSE;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return OnColor(reinterpret_cast<HDC>(wParam));
    default:
        return FALSE;
    }
}

void TFrmInicio::NoteActivation() {
    const HWND dialog = dialog_.Get();
    if (firstActivation_ && IsWindowVisible(dialog) && GetActiveWindow() == dialog) {
        firstActivation_ = false;
        PostMessageA(dialog, FirstActivationMessage, 0, 0);
    }
}

INT_PTR TFrmInicio::OnColor(HDC dc) const {
    SetBkColor(dc, RGB(255, 255, 255));
    return reinterpret_cast<INT_PTR>(background_.Get());
}

bool TFrmInicio::OnCommand(WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) {
        return false;
    }
    switch (LOWORD(wParam)) {
    case IDC_BTNSALVAR:
        btnBtnSalvarClick();
        return true;
    case IDC_BTNCANCELAR:
        btnBtnCancelarClick();
        return true;
    case IDOK:
    case IDCANCEL:
        // The dialog manager's Enter and Escape: the window's own keys decide those.
        return true;
    default:
        return false;
    }
}

bool TFrmInicio::OnSysCommand(WPARAM wParam) {
    switch (wParam & 0xFFF0) {
    case SC_MINIMIZE:
        core_.RunGuarded([this] { HideToTray(); });
        return true;
    case SC_RESTORE:
        // A minimised start is first shown here.
        if (!shownOnce_) {
            FirstShow();
        }
        return false;
    default:
        return false;
    }
}

INT_PTR TFrmInicio::OnNotify(const NMHDR& header) {
    if (header.idFrom == IDC_SPIN && header.code == UDN_DELTAPOS && field_) {
        const LRESULT result = field_->OnDeltaPos(reinterpret_cast<const NMUPDOWN&>(header));
        SetWindowLongPtrA(dialog_.Get(), DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

bool TFrmInicio::FormKeyDown(const MSG& msg) {
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE) {
        RequestQuit();
        return true;
    }
    return false;
}

bool TFrmInicio::PressFocusedButton(const MSG& msg) {
    // Alt+S and Alt+C run the buttons; Enter and Return run a focused button as Space does.
    if (msg.message == WM_SYSKEYDOWN && AltDown(msg)) {
        if (msg.wParam == 'S') {
            btnBtnSalvarClick();
            return true;
        }
        if (msg.wParam == 'C') {
            btnBtnCancelarClick();
            return true;
        }
        return false;
    }
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) {
        return false;
    }
    const HWND focus = GetFocus();
    if (focus == Control(IDC_BTNSALVAR)) {
        btnBtnSalvarClick();
        return true;
    }
    if (focus == Control(IDC_BTNCANCELAR)) {
        btnBtnCancelarClick();
        return true;
    }
    return false;
}

void TFrmInicio::Configuraes1Click() {
    core_.RunGuarded([this] { ShowFromTray(); });
}

void TFrmInicio::Fechar1Click() {
    core_.RunGuarded([this] { RequestQuit(); });
}

void TFrmInicio::IconeTrayDblClick() {
    core_.RunGuarded([this] {
        if (windowShown_) {
            HideToTray();
        } else {
            ShowFromTray();
        }
    });
}

void TFrmInicio::HideToTray() {
    const HWND dialog = dialog_.Get();
    ShowWindow(dialog, SW_MINIMIZE);
    // Hidden, the window leaves the taskbar too: the tray icon is the way back.
    ShowWindow(dialog, SW_HIDE);
    windowShown_ = false;
}

void TFrmInicio::ShowFromTray() {
    windowShown_ = true;
    const HWND dialog = dialog_.Get();
    if (IsWindowVisible(dialog) && !IsIconic(dialog)) {
        return;
    }
    if (!shownOnce_) {
        FirstShow();
    }
    ShowWindow(dialog, SW_SHOW);
    if (IsIconic(dialog)) {
        // Restoring activates the window and gives the focus back to its last control.
        ShowWindow(dialog, SW_RESTORE);
    }
    SetForegroundWindow(dialog);
}

} // namespace mz::win
