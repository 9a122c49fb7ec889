#pragma once
#include "Handles.h"
#include "MessageRoute.h"

#include <functional>
#include <optional>
#include <string>

namespace mz::win {

// The tray's hidden window: it owns the notification-area icon and its menu, takes the icon's
// callbacks and a running copy's requests to show itself. Its class and title name the
// program directory, so a second start from the same directory finds it.
class TrayIcon {
public:
    struct Handlers {
        std::function<void()> doubleClick;
        std::function<void()> settings; // "Configurações" and a second start's request
        std::function<void()> close;    // "Fechar"
    };

    static constexpr const char* WindowClass = "MonitorZelnor.Tray";
    static constexpr const char* ShowRequestMessage = "MonitorZelnor.ShowFromTray";
    static constexpr UINT CallbackMessage = WM_USER + 1;

    TrayIcon(HINSTANCE instance, const std::string& programDirectory, HICON icon,
             Handlers handlers);
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    HWND Window() const noexcept { return window_.Get(); }
    bool IconAdded() const noexcept { return registration_ && registration_->Added(); }

    // The hidden window's title for a program directory.
    static std::string WindowTitle(const std::string& programDirectory);

private:
    friend class MessageRoute<TrayIcon>;
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCallback(LPARAM event);
    void OpenMenu();

    Handlers handlers_;
    UINT taskbarCreated_;
    UINT showRequest_;
    WindowHandle window_;
    MenuHandle menu_;
    std::optional<TrayIconRegistration> registration_;
};

// Asks the copy running from programDirectory to bring its window up; true when it was found.
bool AskRunningCopyToShow(const std::string& programDirectory);

} // namespace mz::win
