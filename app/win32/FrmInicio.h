#pragma once
#include "ApplicationWindow.h"
#include "Handles.h"
#include "IntervalField.h"
#include "MessageLoop.h"
#include "Pictures.h"
#include "TrayIcon.h"
#include "mz/Services.h"
#include "mz/monitor/MonitorCore.h"
#include "mz/monitor/MonitorView.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace mz::win {

// What the composition root hands the main window.
struct FrmInicioSetup {
    HINSTANCE instance;
    std::string programDirectory; // ends with the path separator
    std::chrono::milliseconds tickPeriod;
};

// The program's one window: the interval field, the status line, the minute timer and the tray
// icon. It turns its messages into the core's window events and carries out what the core says.
// Its taskbar button is the application window's, which owns it.
class TFrmInicio : public IMonitorView {
public:
    TFrmInicio(const FrmInicioSetup& setup, const Services& services,
               RegionalSettingsOwner& regional, MessageLoop& loop);
    ~TFrmInicio() override;
    TFrmInicio(const TFrmInicio&) = delete;
    TFrmInicio& operator=(const TFrmInicio&) = delete;

    MonitorCore& Core() noexcept { return core_; }
    HWND Handle() const noexcept { return dialog_.Get(); }

    // Shows the window as the launcher asked (a minimised launch stays a taskbar button).
    void Show(int showCommand);

    // IMonitorView
    bool IsActive() const override;
    std::string IntervalText() const override;
    void SetIntervalText(const std::string& text) override;
    void ProcessMessages() override;
    void Post(std::function<void()> action) override;
    void ShowError(const std::string& text) override;
    void ShowStatus(const std::string& text) override;
    void ShowSavedMark(bool shown) override;
    void CentreOnScreen() override;
    void ShowOnScreen() override;
    void ShowMinimised() override;
    void PutAway() override;
    void EndProgram() override;

private:
    // Posted to the window: an activation to look at once it is over, and a posted action.
    static constexpr UINT ActivatedMessage = WM_APP + 1;
    static constexpr UINT PostedMessage = WM_APP + 2;
    // Posted to the window: the taskbar button was activated while the window is on screen.
    static constexpr UINT ButtonActivatedMessage = WM_APP + 3;

    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCommand(WPARAM wParam);
    bool OnSysCommand(WPARAM wParam);
    INT_PTR OnNotify(const NMHDR& header);
    INT_PTR OnColor(HDC dc) const;
    void NoteActivation() const;
    void RunPosted();
    ApplicationWindow::Handlers ButtonHandlers();
    void RestoreFromButton();
    void ActivateFromButton() const;
    void ShowDialog() const;
    bool FilterKey(const MSG& msg);
    bool PressFocusedButton(const MSG& msg);

    HWND CreateDialogWindow(HINSTANCE instance);
    void BuildLayout();
    HWND Control(int id) const { return GetDlgItem(dialog_.Get(), id); }

    RegionalSettingsOwner& regional_;
    MessageLoop& loop_;
    MonitorCore core_;
    Pictures pictures_;
    BrushHandle background_;
    // Before the window it owns, so that the window is destroyed first.
    std::optional<ApplicationWindow> application_;
    WindowHandle dialog_;
    std::optional<IntervalField> field_;
    std::optional<WindowTimer> tmrTempo_;
    std::optional<TrayIcon> tray_;
    std::deque<std::function<void()>> posted_;
};

} // namespace mz::win
