#pragma once
#include "Handles.h"
#include "IntervalField.h"
#include "MessageLoop.h"
#include "Pictures.h"
#include "TrayIcon.h"
#include "mz/Services.h"
#include "mz/monitor/MonitorCore.h"
#include "mz/monitor/MonitorView.h"

#include <chrono>
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
// icon. It holds the monitor core, forwards its events there and shows what the core tells it.
class TFrmInicio : public IMonitorView {
public:
    TFrmInicio(const FrmInicioSetup& setup, const Services& services,
               RegionalSettingsOwner& regional, MessageLoop& loop);
    ~TFrmInicio() override;
    TFrmInicio(const TFrmInicio&) = delete;
    TFrmInicio& operator=(const TFrmInicio&) = delete;

    MonitorCore& Core() noexcept { return core_; }
    HWND Handle() const noexcept { return dialog_.Get(); }

    // Shows the window as the launcher asked: a minimised start stays a taskbar button until
    // it is first restored.
    void Show(int showCommand);

    // IMonitorView
    bool IsActive() const override;
    std::string IntervalText() const override;
    void ProcessMessages() override;
    void ShowError(const std::string& text) override;
    void ShowStatus(const std::string& text) override;

    void RequestQuit() noexcept;
    void HideToTray();
    void ShowFromTray();

    // Event handlers.
    void tmrTempoTimer();
    void btnBtnSalvarClick();
    void btnBtnCancelarClick();
    void Configuraes1Click();
    void Fechar1Click();
    void IconeTrayDblClick();

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool OnCommand(WPARAM wParam);
    bool OnSysCommand(WPARAM wParam);
    INT_PTR OnNotify(const NMHDR& header);
    INT_PTR OnColor(HDC dc) const;
    // The first activation of the window on screen sends it to the tray.
    void NoteActivation();
    bool FormKeyDown(const MSG& msg);
    bool PressFocusedButton(const MSG& msg);

    HWND CreateDialogWindow(HINSTANCE instance);
    void BuildLayout();
    void FirstShow();
    void CentreOnScreen() const;
    void ShowSavedMark();
    HWND Control(int id) const { return GetDlgItem(dialog_.Get(), id); }

    const Services& services_;
    RegionalSettingsOwner& regional_;
    MessageLoop& loop_;
    MonitorCore core_;
    Pictures pictures_;
    BrushHandle background_;
    WindowHandle dialog_;
    std::optional<IntervalField> field_;
    std::optional<WindowTimer> tmrTempo_;
    std::optional<TrayIcon> tray_;
    bool firstActivation_ = false;
    bool windowShown_ = true;
    bool shownOnce_ = false;
};

} // namespace mz::win
