// The smallest Qt program with a window and a tray icon: the baseline that footprint.sh sets
// the monitor's memory and CPU use against.
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QIcon icon;
    for (const char* size : {"16", "32", "48", "128"}) {
        icon.addFile(QStringLiteral(":/icon-%1.png").arg(QLatin1String(size)));
    }
    QLabel window(QStringLiteral("minimal_tray"));
    window.setWindowTitle(QStringLiteral("minimal_tray"));
    window.setWindowIcon(icon);
    window.resize(372, 152);
    QSystemTrayIcon tray(icon);
    tray.setToolTip(QStringLiteral("minimal_tray"));
    tray.show();
    window.show();
    return QApplication::exec();
}
