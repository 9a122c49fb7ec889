// The main window's messages and keys, turned into the core's window events.
#include "FrmInicio.h"
#include "resource.h"

namespace mz::win {

namespace {

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
            core_.Tick();
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
        core_.Window().CloseRequested();
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
    case ActivatedMessage:
        core_.Window().Activated();
        return TRUE;
    case PostedMessage:
        RunPosted();
        return TRUE;
    case ButtonActivatedMessage:
        ActivateFromButton();
        return TRUE;
    case WM_SETTINGCHANGE:
        // The system's regional settings may have changed: dates and numbers follow.
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

void TFrmInicio::NoteActivation() const {
    // Handled once the activation is over (the window may be put away then), also when a box
    // has come up meanwhile and is the active window by then.
    const HWND dialog = dialog_.Get();
    if (IsWindowVisible(dialog) && GetActiveWindow() == dialog) {
        PostMessageA(dialog, ActivatedMessage, 0, 0);
    }
}

ApplicationWindow::Handlers TFrmInicio::ButtonHandlers() {
    WindowRules& window = core_.Window();
    return {[this] { RestoreFromButton(); }, [&window] { window.MinimiseRequested(); },
            [&window] { window.CloseRequested(); },
            [this] { PostMessageA(dialog_.Get(), ButtonActivatedMessage, 0, 0); }};
}

void TFrmInicio::RestoreFromButton() {
    // The button has been restored; the window comes back over it, as a restored window would.
    core_.Window().Restored();
    ShowDialog();
}

void TFrmInicio::ActivateFromButton() const {
    // The button's window has no size and takes no keys: the window on screen takes over.
    const HWND dialog = dialog_.Get();
    if (GetActiveWindow() == application_->Handle() && IsWindowVisible(dialog) &&
        !IsIconic(dialog)) {
        SetActiveWindow(dialog);
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
        core_.Window().SavePressed();
        return true;
    case IDC_BTNCANCELAR:
        core_.Window().CancelPressed();
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
        core_.Window().MinimiseRequested();
        return true;
    case SC_RESTORE:
        // The window system restores the window afterwards.
        core_.Window().Restored();
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

bool TFrmInicio::FilterKey(const MSG& msg) {
    if ((msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) && msg.wParam == VK_ESCAPE) {
        core_.Window().EscapePressed();
        return true;
    }
    return PressFocusedButton(msg);
}

bool TFrmInicio::PressFocusedButton(const MSG& msg) {
    // Alt+S and Alt+C run the buttons.
    if (msg.message == WM_SYSKEYDOWN && AltDown(msg)) {
        if (msg.wParam == 'S') {
            core_.Window().SavePressed();
            return true;
        }
        if (msg.wParam == 'C') {
            core_.Window().CancelPressed();
            return true;
        }
        return false;
    }
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN) {
        return false;
    }
    // Enter runs a focused button as Space does, and nothing anywhere else: the window has no
    // default button.
    const HWND focus = GetFocus();
    if (focus == Control(IDC_BTNSALVAR)) {
        core_.Window().SavePressed();
    } else if (focus == Control(IDC_BTNCANCELAR)) {
        core_.Window().CancelPressed();
    }
    return true;
}

} // namespace mz::win
