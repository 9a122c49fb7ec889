#pragma once

#include "mz/monitor/MonitorCycle.h"
#include "mz/monitor/MonitorWindow.h"
#include "mz/platform/FileSystem.h"
#include "mz/platform/System.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace Ui {
class TFrmInicio;
}

namespace mz {

class TIntervalEdit;

// What the main window takes from whoever builds it. Empty seams take the system's own.
struct FrmInicioSeams {
    std::string programDirectory; // ends with the path separator
    std::chrono::milliseconds tickPeriod = std::chrono::minutes(1);
    const platform::FileSystem* files = nullptr;
    const platform::Sleeper* sleeper = nullptr;
    std::function<void(const QString& text)> showError; // default: the modal error message box
    std::function<bool()> trayAvailable;                // default: asks the desktop
    std::function<void(std::string_view)> writeLog;     // default: the monthly log file
    std::function<void()> quit;                         // default: ends the application's loops
    std::function<void()> beep;                         // default: the system's beep
};

// The program's one window: the interval setting, the status line, the minute timer and the
// tray icon. The cycle's logic lives in MonitorCycle; this class wires it to Qt.
class TFrmInicio : public QWidget, public IMonitorWindow {
    Q_OBJECT

public:
    explicit TFrmInicio(FrmInicioSeams seams, QWidget* parent = nullptr);
    ~TFrmInicio() override;
    TFrmInicio(const TFrmInicio&) = delete;
    TFrmInicio& operator=(const TFrmInicio&) = delete;

    // From now on the data module exists: the first showing connects, due ticks run tests.
    void AttachDataModule(std::function<void()> openConnection, std::function<bool()> runTest);
    void DetachDataModule() noexcept;

    bool IsActive() const override;
    void SetStatusText(const std::string& text) override;
    void ProcessMessages() override;

    // Asks the main loop to end; takes effect once the running handler has returned.
    void RequestQuit();
    void HideToTray();
    void ShowFromTray();

    // A quit request has been taken out of the queue.
    bool Ending() const noexcept { return ending_; }
    bool WindowShown() const noexcept { return windowShown_; }
    bool FirstActivation() const noexcept { return firstActivation_; }
    const MonitorCycle& Cycle() const noexcept { return cycle_; }
    TIntervalEdit& EdtMinutos() const;
    QString StatusText() const;

    // Event handlers, each guarded: a failure is shown in the error message box.
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
    void FormShow();
    void FormActivate();
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift);
    void Save();
    void Cancel();
    void Quit();
    void ShowError(const std::string& message);
    bool TrayAvailable() const;
    void CentreOnScreen();

    FrmInicioSeams seams_;
    const platform::Sleeper& sleeper_;
    IntervalFile intervalFile_;
    HandlerGuard guard_;
    MonitorCycle cycle_;
    std::unique_ptr<Ui::TFrmInicio> ui_;
    QTimer tmrTempo_;
    QMenu TrayMenu_; // outlives the tray icon that shows it
    QSystemTrayIcon IconeTray_;
    QLabel statPanel_;
    std::function<void()> openConnection_;
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
