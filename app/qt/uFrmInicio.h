#pragma once

#include "Desktop.h"
#include "mz/Services.h"
#include "mz/monitor/MonitorCore.h"
#include "mz/monitor/MonitorView.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>

namespace Ui {
class TFrmInicio;
}

namespace mz {

class TIntervalEdit;

// What the composition root hands the main window.
struct FrmInicioSetup {
    std::string programDirectory; // ends with the path separator
    std::chrono::milliseconds tickPeriod{std::chrono::minutes(1)};
};

// The program's one window: the interval field, the status line, the minute timer and the tray
// icon. It turns its events into the core's window events and carries out what the core says.
class TFrmInicio : public QWidget, public IMonitorView {
    Q_OBJECT

public:
    // regional, behind services.regional, is read again when the system's locale changes.
    TFrmInicio(const FrmInicioSetup& setup, const Services& services, const Desktop& desktop,
               RegionalSettingsOwner& regional, QWidget* parent = nullptr);
    ~TFrmInicio() override;
    TFrmInicio(const TFrmInicio&) = delete;
    TFrmInicio& operator=(const TFrmInicio&) = delete;

    MonitorCore& Core() noexcept { return core_; }
    const MonitorCore& Core() const noexcept { return core_; }

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

    // A quit request has been taken out of the queue.
    bool Ending() const noexcept { return ending_; }
    TIntervalEdit& EdtMinutos() const;
    QString StatusText() const;

    // Event handlers.
    void tmrTempoTimer();
    void IconeTrayActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildTray();
    bool PressFocusedButton(QObject* watched, int key);
    void Quit();

    const Desktop& desktop_;
    RegionalSettingsOwner& regional_;
    MonitorCore core_;
    std::unique_ptr<Ui::TFrmInicio> ui_;
    QTimer tmrTempo_;
    QMenu TrayMenu_; // outlives the tray icon that shows it
    QSystemTrayIcon IconeTray_;
    QLabel statPanel_;
    QPointer<QWidget> lastFocus_;
    bool puttingAway_ = false;
    bool ending_ = false;
};

// The program's icon in all its sizes.
QIcon ProgramIcon();

} // namespace mz
