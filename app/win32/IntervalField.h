#pragma once
#include "Win32.h"

#include <string>

namespace mz {
class MonitorCore;
}

namespace mz::win {

// The interval field: an EDIT with an up-down control beside it. Its text is free (the up-down
// keeps no number of its own); typing, the arrow keys, the wheel and the arrows follow the
// core's rules.
class IntervalField {
public:
    IntervalField(HWND edit, HWND spin, MonitorCore& core);
    IntervalField(const IntervalField&) = delete;
    IntervalField& operator=(const IntervalField&) = delete;
    ~IntervalField();

    std::string Text() const;
    void SetText(const std::string& text) const;
    void Step(int steps) const;
    // UDN_DELTAPOS from the up-down: steps the text; the result tells the control to keep its
    // own position.
    LRESULT OnDeltaPos(const NMUPDOWN& change) const;
    void Place(const RECT& pixels) const;

private:
    static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    bool HandleEditMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND edit_;
    HWND spin_;
    MonitorCore& core_;
    int wheelRest_ = 0;
};

} // namespace mz::win
