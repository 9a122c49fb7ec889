#pragma once
#include "Win32.h"

namespace mz::win {

// The messages of a window of the program's own class go to the object that made it: Attach
// keeps the object in the window's user data and gives the window a procedure that passes each
// message to Owner::HandleMessage (a friend of this class).
template <typename Owner> class MessageRoute {
public:
    static void Attach(HWND window, Owner* owner) noexcept {
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    }

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        return owner != nullptr ? owner->HandleMessage(msg, wParam, lParam)
                                : DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

// Registers the window class name for windows that MessageRoute gives their procedure; a class
// registered already (a second window of the class) is left as it is.
inline void RegisterRoutedClass(HINSTANCE instance, const char* name) noexcept {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    RegisterClassExA(&wc);
}

} // namespace mz::win
