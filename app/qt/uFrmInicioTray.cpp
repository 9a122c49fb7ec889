// The tray icon, its menu and the window's trips between the screen and the tray.
#include "mz/Text.h"
#include "uFrmInicio.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QScopedValueRollback>

namespace mz {

namespace {

constexpr const char* SettingsCaption = "&Configura\xE7\xF5"
                                        "es";

} // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 128}) {
        const QString file = QStringLiteral(":/icon-%1.png").arg(size);
        if (QFile::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    return icon;
}

void TFrmInicio::BuildTray() {
    TrayMenu_.setObjectName(QStringLiteral("TrayMenu"));
    QAction* settings = TrayMenu_.addAction(QString::fromStdString(Cp1252ToUtf8(SettingsCaption)));
    settings->setObjectName(QStringLiteral("Configuraes1"));
    QAction* close = TrayMenu_.addAction(QStringLiteral("&Fechar"));
    close->setObjectName(QStringLiteral("Fechar1"));
    connect(settings, &QAction::triggered, this, &TFrmInicio::Configuraes1Click);
    connect(close, &QAction::triggered, this, &TFrmInicio::Fechar1Click);

    IconeTray_.setIcon(ProgramIcon());
    IconeTray_.setObjectName(QStringLiteral("IconeTray"));
    IconeTray_.setToolTip(QStringLiteral("Monitor Zelnor"));
    // Qt opens the menu itself on a right click or a keyboard selection of the icon.
    IconeTray_.setContextMenu(&TrayMenu_);
    connect(&IconeTray_, &QSystemTrayIcon::activated, this, &TFrmInicio::IconeTrayActivated);
    IconeTray_.show();
}

void TFrmInicio::Configuraes1Click() {
    core_.RunGuarded([this] { ShowFromTray(); });
}

void TFrmInicio::Fechar1Click() {
    core_.RunGuarded([this] { RequestQuit(); });
}

void TFrmInicio::IconeTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    // A double click arrives as Trigger followed by DoubleClick; only the latter acts.
    if (reason != QSystemTrayIcon::DoubleClick) {
        return;
    }
    core_.RunGuarded([this] {
        if (windowShown_) {
            HideToTray();
        } else {
            ShowFromTray();
        }
    });
}

void TFrmInicio::HideToTray() {
    if (QWidget* focus = focusWidget()) {
        lastFocus_ = focus;
    }
    {
        // Minimising reports a state change that would otherwise come back here.
        const QScopedValueRollback hiding(hidingToTray_, true);
        if (desktop_.TrayAvailable()) {
            // Withdrawn at once, without minimising first: on X11 the window manager's late
            // answer to a minimise request would put the window away again just after it has
            // been brought back.
            hide();
        } else if (isVisible() && !isMinimized()) {
            // Without a tray the minimised window keeps its taskbar entry: the only way back.
            showMinimized();
        }
    }
    windowShown_ = false;
}

void TFrmInicio::ShowFromTray() {
    windowShown_ = true;
    if (isVisible() && !isMinimized()) {
        return;
    }
    showNormal();
    raise();
    activateWindow();
    if (lastFocus_) {
        lastFocus_->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void TFrmInicio::FormActivate() {
    if (firstActivation_) {
        HideToTray();
        firstActivation_ = false;
    }
}

void TFrmInicio::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        core_.RunGuarded([this] { FormActivate(); });
    } else if (event->type() == QEvent::WindowStateChange && isMinimized() && !hidingToTray_) {
        core_.RunGuarded([this] { HideToTray(); });
    }
}

} // namespace mz
