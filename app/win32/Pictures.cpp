#include "Pictures.h"

#include "resource.h"

namespace mz::win {

namespace {

IconHandle LoadIconSized(HINSTANCE instance, int size) {
    return IconHandle(static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON, size, size, 0)));
}

BitmapHandle LoadBitmapResource(HINSTANCE instance, int id) {
    return BitmapHandle(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
}

// A one-picture list that keeps the picture's alpha channel.
ImageListHandle LoadImageList(HINSTANCE instance, int id, int size) {
    ImageListHandle list(ImageList_Create(size, size, ILC_COLOR32, 1, 0));
    const BitmapHandle picture = LoadBitmapResource(instance, id);
    if (list && picture) {
        ImageList_Add(list.Get(), picture.Get(), nullptr);
    }
    return list;
}

} // namespace

Pictures::Pictures(HINSTANCE instance)
    : iconSmall(LoadIconSized(instance, 16)), iconLarge(LoadIconSized(instance, 32)),
      banner(LoadBitmapResource(instance, IDB_BANNER)), ok(LoadBitmapResource(instance, IDB_OK)),
      save(LoadImageList(instance, IDB_SAVE, 20)), cancel(LoadImageList(instance, IDB_CANCEL, 20)) {
}

void SetButtonImage(HWND button, HIMAGELIST images) {
    BUTTON_IMAGELIST list{};
    list.himl = images;
    list.margin = RECT{2, 0, 0, 0};
    list.uAlign = BUTTON_IMAGELIST_ALIGN_LEFT;
    SendMessageA(button, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&list));
}

} // namespace mz::win
