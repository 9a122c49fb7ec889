#include "IntervalField.h"

#include "Win32.h"
#include "mz/monitor/IntervalRules.h"
#include "mz/monitor/MonitorCore.h"

#include <algorithm>
#include <string>

namespace mz::win {

namespace {
constexpr UINT_PTR SubclassId = 1;
}

IntervalField::IntervalField(HWND edit, HWND spin, MonitorCore& core)
    : edit_(edit), spin_(spin), core_(core) {
    // A fixed range and position: the arrows then always report +1 up and -1 down.
    SendMessageA(spin_, UDM_SETRANGE32, 0, 100);
    SendMessageA(spin_, UDM_SETPOS32, 0, 50);
    SetWindowSubclass(edit_, &EditProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

IntervalField::~IntervalField() {
    RemoveWindowSubclass(edit_, &EditProc, SubclassId);
}

std::string IntervalField::Text() const {
    const int length = GetWindowTextLengthA(edit_);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(edit_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

void IntervalField::SetText(const std::string& text) const {
    SetWindowTextA(edit_, text.c_str());
}

void IntervalField::Step(int steps) const {
    core_.RunGuarded([this, steps] { SetText(core_.StepInterval(Text(), steps)); });
}

LRESULT IntervalField::OnDeltaPos(const NMUPDOWN& change) const {
    Step(change.iDelta > 0 ? 1 : -1);
    return TRUE;
}

namespace {

// A child window's rectangle in its parent's client pixels.
RECT ChildRect(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

void IntervalField::Place(const RECT& pixels) const {
    const int height = pixels.bottom - pixels.top;
    MoveWindow(edit_, pixels.left, pixels.top, pixels.right - pixels.left, height, TRUE);
    // Re-attaching the buddy lets UDS_ALIGNRIGHT take the right end of the field again; it lays
    // the buttons over the text box's border, which leaves the pair short of the given width.
    SendMessageA(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    const RECT edit = ChildRect(edit_);
    const RECT spin = ChildRect(spin_);
    const int spinWidth = spin.right - spin.left;
    const int overlap = std::max<int>(0, edit.right - spin.left);
    MoveWindow(spin_, pixels.right - spinWidth, pixels.top, spinWidth, height, TRUE);
    MoveWindow(edit_, pixels.left, pixels.top, pixels.right - pixels.left - spinWidth + overlap,
               height, TRUE);
}

LRESULT CALLBACK IntervalField::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR /*id*/, DWORD_PTR self) {
    if (reinterpret_cast<IntervalField*>(self)->HandleEditMessage(msg, wParam, lParam)) {
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool IntervalField::HandleEditMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    (void)lParam;
    switch (msg) {
    case WM_CHAR: {
        const char c = static_cast<char>(wParam);
        if (static_cast<unsigned char>(c) < 0x20 || IsIntervalCharacter(c)) {
            return false;
        }
        MessageBeep(0);
        return true;
    }
    case WM_KEYDOWN:
        // Up and Down step by one, with or without Ctrl.
        if (wParam == VK_UP || wParam == VK_DOWN) {
            Step(wParam == VK_UP ? 1 : -1);
            return true;
        }
        return false;
    case WM_MOUSEWHEEL: {
        wheelRest_ += GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = wheelRest_ / WHEEL_DELTA;
        wheelRest_ -= notches * WHEEL_DELTA;
        if (notches != 0) {
            Step(notches);
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace mz::win
