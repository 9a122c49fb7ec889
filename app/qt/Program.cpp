#include "Program.h"

#include "Desktop.h"
#include "SingleInstance.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/platform/InstanceLock.h"
#include "mz/platform/Regional.h"
#include "mz/platform/System.h"
#include "uFrmInicio.h"

#include <QApplication>

namespace mz {

// The composition root: every system service is resolved here, once, and handed down.
int RunMonitorZelnor(int argc, char** argv, std::chrono::milliseconds tickPeriod) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Monitor Zelnor"));
    QApplication::setApplicationVersion(QStringLiteral(MZ_VERSION));
    // The window spends its life hidden; closing a message box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());

    const std::string programDirectory = platform::ProgramDirectory();
    // Two copies would take each other's replies: a second start only brings the first one up.
    const auto lock = platform::InstanceLock::TryAcquire(programDirectory);
    if (!lock) {
        AskRunningCopyToShow(programDirectory);
        return 0;
    }

    RegionalSettingsOwner regional(platform::LoadRegionalSettings);
    const Services services{platform::SystemFileSystem(), SystemClock(), platform::SystemSleeper(),
                            regional.Current()};
    const Desktop desktop;

    // Declared in creation order, so released in reverse: the data module, then the window (its
    // timer stops and its tray icon goes).
    TFrmInicio window(FrmInicioSetup{programDirectory, tickPeriod}, services, desktop, regional);
    TDM dm(programDirectory, services.files, services.sleeper);
    const DataModuleAttachment attachment(window.Core(), dm);
    const SingleInstanceServer server(programDirectory,
                                      [&window] { window.Core().Window().ShowRequested(); });

    window.Core().Window().Start(false);
    return window.Ending() ? 0 : QApplication::exec();
}

} // namespace mz
