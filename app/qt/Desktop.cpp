#include "Desktop.h"

#include "mz/Text.h"
#include "mz/monitor/MonitorCore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSystemTrayIcon>

namespace mz {

void Desktop::ShowErrorBox(QWidget* owner, const QString& text) const {
    // Modal to the program's window only: an application-modal box would also block the tray
    // icon, and the tray must stay usable while a message waits for its OK.
    QMessageBox box(QMessageBox::Critical, QString::fromStdString(Cp1252ToUtf8(ApplicationTitle)),
                    text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::WindowModal);
    box.exec();
}

bool Desktop::TrayAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Desktop::Quit() const {
    QCoreApplication::exit(0);
}

void Desktop::Beep() const {
    QApplication::beep();
}

} // namespace mz
