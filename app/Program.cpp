#include "Program.h"

#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/monitor/uMonitorZelnor.h"
#include "mz/platform/System.h"
#include "uFrmInicio.h"

#include <QApplication>
#include <utility>

namespace mz {

int RunMonitorZelnor(int argc, char** argv, std::chrono::milliseconds tickPeriod) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Monitor Zelnor"));
    QApplication::setApplicationVersion(QStringLiteral("2.3.0.4"));
    // The window spends its life hidden; closing a message box must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon());

    const std::string programDirectory = platform::ProgramDirectory();
    const Services services = SystemServices();
    // Declared in creation order, so released in reverse: the activity test, the data module,
    // then the window (its timer stops and its tray icon goes).
    FrmInicioSeams seams;
    seams.programDirectory = programDirectory;
    seams.tickPeriod = tickPeriod;
    TFrmInicio window(std::move(seams));
    TDM dm(programDirectory);
    TMonitorZelnor monitor(dm, window, services, programDirectory);
    window.AttachDataModule([&dm] { dm.OpenConnection(); },
                            [&monitor] { return monitor.RunActivityTest(); });
    window.show();
    const int result = window.Ending() ? 0 : QApplication::exec();
    window.DetachDataModule();
    return result;
}

} // namespace mz
