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
// icon. It holds the monitor core, forwards its events there and shows what the core tells it.
class TFrmInicio : public QWidget, public IMonitorView {
    Q_OBJECT

public:
    TFrmInicio(const FrmInicioSetup& setup, const Services& services, const Desktop& desktop,
               QWidget* parent = nullptr);
    ~TFrmInicio() override;
    TFrmInicio(const TFrmInicio&) = delete;
    TFrmInicio& operator=(const TFrmInicio&) = delete;

    MonitorCore& Core() noexcept { return core_; }
    const MonitorCore& Core() const noexcept { return core_; }

    // IMonitorView
    bool IsActive() const override;
    std::string IntervalText() const override;
    void ProcessMessages() override;
    void ShowError(const std::string& text) override;
    void ShowStatus(const std::string& text) override;

    // Asks the main loop to end; takes effect once the running handler has returned.
    void RequestQuit();
    void HideToTray();
    void ShowFromTray();

    // A quit request has been taken out of the queue.
    bool Ending() const noexcept { return ending_; }
    bool WindowShown() const noexcept { return windowShown_; }
    bool FirstActivation() const noexcept { return firstActivation_; }
    TIntervalEdit& EdtMinutos() const;
    QString StatusText() const;

    // Event handlers.
    void tmrTempoTimer();
    void btnBtnSalvarClick();
    void btnBtnCancelarClick();
    void Configuraes1Click();
    void Fechar1Click();
    void IconeTrayActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildLayout();
    void BuildTray();
    void FormCreate();
    void FormActivate();
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift);
    bool PressFocusedButton(QObject* watched, int key);
    void ShowSavedMark();
    void Quit();
    void CentreOnScreen();

    const Services& services_;
    const Desktop& desktop_;
    MonitorCore core_;
    std::unique_ptr<Ui::TFrmInicio> ui_;
    QTimer tmrTempo_;
    QMenu TrayMenu_; // outlives the tray icon that shows it
    QSystemTrayIcon IconeTray_;
    QLabel statPanel_;
    QPointer<QWidget> lastFocus_;
    bool firstActivation_ = false;
    bool windowShown_ = true;
    bool shownOnce_ = false;
    bool hidingToTray_ = false;
    bool ending_ = false;
};

// The program's icon in all its sizes.
QIcon ProgramIcon();

} // namespace mz
