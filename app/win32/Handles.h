#pragma once
// Owners of the Windows handles the front end creates. Move-only; each releases its handle in
// its destructor, as platform::File does for files.
#include "Win32.h"

#include <utility>

namespace mz::win {

template <typename Handle, typename Release> class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }
    void Reset() noexcept {
        if (handle_ != nullptr) {
            Release{}(std::exchange(handle_, nullptr));
        }
    }

private:
    Handle handle_ = nullptr;
};

struct DestroyIconCall {
    void operator()(HICON h) const noexcept { DestroyIcon(h); }
};
struct DeleteBitmapCall {
    void operator()(HBITMAP h) const noexcept { DeleteObject(h); }
};
struct DeleteBrushCall {
    void operator()(HBRUSH h) const noexcept { DeleteObject(h); }
};
struct DestroyMenuCall {
    void operator()(HMENU h) const noexcept { DestroyMenu(h); }
};
struct DestroyWindowCall {
    void operator()(HWND h) const noexcept { DestroyWindow(h); }
};
struct DestroyImageListCall {
    void operator()(HIMAGELIST h) const noexcept { ImageList_Destroy(h); }
};

using IconHandle = UniqueHandle<HICON, DestroyIconCall>;
using BitmapHandle = UniqueHandle<HBITMAP, DeleteBitmapCall>;
using BrushHandle = UniqueHandle<HBRUSH, DeleteBrushCall>;
using MenuHandle = UniqueHandle<HMENU, DestroyMenuCall>;
using WindowHandle = UniqueHandle<HWND, DestroyWindowCall>;
using ImageListHandle = UniqueHandle<HIMAGELIST, DestroyImageListCall>;

// A window timer, running while this lives.
class WindowTimer {
public:
    WindowTimer(HWND window, UINT_PTR id, UINT periodMs) noexcept
        : window_(window), id_(SetTimer(window, id, periodMs, nullptr)) {}
    WindowTimer(WindowTimer&& other) noexcept
        : window_(other.window_), id_(std::exchange(other.id_, 0)) {}
    WindowTimer& operator=(WindowTimer&&) = delete;
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;
    ~WindowTimer() {
        if (id_ != 0) {
            KillTimer(window_, id_);
        }
    }
    UINT_PTR Id() const noexcept { return id_; }

private:
    HWND window_;
    UINT_PTR id_;
};

// One icon in the notification area, there while this lives.
class TrayIconRegistration {
public:
    TrayIconRegistration() = default;
    explicit TrayIconRegistration(const NOTIFYICONDATAA& data) noexcept : data_(data) { Add(); }
    TrayIconRegistration(TrayIconRegistration&& other) noexcept
        : data_(other.data_), added_(std::exchange(other.added_, false)) {}
    TrayIconRegistration& operator=(TrayIconRegistration&&) = delete;
    TrayIconRegistration(const TrayIconRegistration&) = delete;
    TrayIconRegistration& operator=(const TrayIconRegistration&) = delete;
    ~TrayIconRegistration() {
        if (added_) {
            Shell_NotifyIconA(NIM_DELETE, &data_);
        }
    }

    // Adds the icon again, as after the taskbar has been created anew.
    // An icon that is still there (the message came without a new taskbar) is updated instead.
    void Add() noexcept {
        added_ = Shell_NotifyIconA(NIM_ADD, &data_) != FALSE ||
                 Shell_NotifyIconA(NIM_MODIFY, &data_) != FALSE;
        if (added_) {
            Shell_NotifyIconA(NIM_SETVERSION, &data_);
        }
    }
    bool Added() const noexcept { return added_; }

private:
    NOTIFYICONDATAA data_{};
    bool added_ = false;
};

} // namespace mz::win
