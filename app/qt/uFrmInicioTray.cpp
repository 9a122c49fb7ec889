// The tray icon, its menu, and the window's primitives for going between the screen and the
// tray; the core decides when.
#include "mz/Text.h"
#include "uFrmInicio.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWindowStateChangeEvent>

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
    connect(settings, &QAction::triggered, this, [this] { core_.Window().ShowRequested(); });
    connect(close, &QAction::triggered, this, [this] { core_.Window().CloseRequested(); });

    IconeTray_.setIcon(ProgramIcon());
    IconeTray_.setObjectName(QStringLiteral("IconeTray"));
    IconeTray_.setToolTip(QStringLiteral("Monitor Zelnor"));
    // Qt opens the menu itself on a right click or a keyboard selection of the icon.
    IconeTray_.setContextMenu(&TrayMenu_);
    connect(&IconeTray_, &QSystemTrayIcon::activated, this, &TFrmInicio::IconeTrayActivated);
    IconeTray_.show();
}

void TFrmInicio::IconeTrayActivated(QSystemTrayIcon::ActivationReason reason) {
    // A double click arrives as Trigger followed by DoubleClick; only the latter acts.
    if (reason == QSystemTrayIcon::DoubleClick) {
        core_.Window().TrayDoubleClick();
    }
}

void TFrmInicio::PutAway() {
    if (QWidget* focus = focusWidget()) {
        lastFocus_ = focus;
    }
    // Minimising reports a state change that would otherwise come back as a minimise request.
    const QScopedValueRollback putting(puttingAway_, true);
    if (desktop_.TrayAvailable()) {
        // Withdrawn at once, without minimising first: on X11 the window manager's late answer
        // to a minimise request would put the window away again just after it has come back.
        hide();
    } else if (isVisible() && !isMinimized()) {
        // Without a tray the minimised window keeps its taskbar entry: the only way back.
        showMinimized();
    }
}

void TFrmInicio::ShowOnScreen() {
    showNormal();
    raise();
    activateWindow();
    if (lastFocus_) {
        lastFocus_->setFocus(Qt::ActiveWindowFocusReason);
    }
}

void TFrmInicio::ShowMinimised() {
    const QScopedValueRollback putting(puttingAway_, true);
    showMinimized();
}

void TFrmInicio::CentreOnScreen() {
    if (const QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void TFrmInicio::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::ActivationChange:
        if (isActiveWindow()) {
            core_.Window().Activated();
        }
        break;
    case QEvent::WindowStateChange:
        if (isMinimized() && !puttingAway_) {
            core_.Window().MinimiseRequested();
        } else if (!isMinimized() &&
                   static_cast<QWindowStateChangeEvent*>(event)->oldState().testFlag(
                       Qt::WindowMinimized)) {
            core_.Window().Restored();
        }
        break;
    case QEvent::LocaleChange:
        // The system's regional settings changed: dates and numbers follow from now on.
        core_.RunGuarded([this] { regional_.Refresh(); });
        break;
    default:
        break;
    }
}

} // namespace mz
