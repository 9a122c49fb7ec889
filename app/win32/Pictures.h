#pragma once
#include "Handles.h"

namespace mz::win {

// The window's pictures and icons, loaded from the program's resources.
struct Pictures {
    explicit Pictures(HINSTANCE instance);

    IconHandle iconSmall; // 16x16: title bar and tray
    IconHandle iconLarge; // 32x32: Alt+Tab and the taskbar
    BitmapHandle banner;
    BitmapHandle ok;
    ImageListHandle save;
    ImageListHandle cancel;
};

// Puts the image list left of a push button's caption.
void SetButtonImage(HWND button, HIMAGELIST images);

} // namespace mz::win
