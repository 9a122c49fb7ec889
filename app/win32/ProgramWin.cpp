#include "ProgramWin.h"

#include "FrmInicio.h"
#include "MessageLoop.h"
#include "TrayIcon.h"
#include "Win32.h"
#include "mz/Services.h"
#include "mz/data/UDM.h"
#include "mz/platform/InstanceLock.h"
#include "mz/platform/Regional.h"
#include "mz/platform/System.h"

namespace mz::win {

namespace {

void InitCommonControls() {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
}

} // namespace

// The composition root: every system service is resolved here, once, and handed down.
int RunMonitorZelnor(int showCommand, std::chrono::milliseconds tickPeriod) {
    const std::string programDirectory = platform::ProgramDirectory();
    // Two copies would take each other's replies: a second start only brings the first one up.
    const auto lock = platform::InstanceLock::TryAcquire(programDirectory);
    if (!lock) {
        AskRunningCopyToShow(programDirectory);
        return 0;
    }
    InitCommonControls();

    RegionalSettingsOwner regional([] { return platform::LoadRegionalSettings(); });
    const Services services{platform::SystemFileSystem(), SystemClock(), platform::SystemSleeper(),
                            regional.Current()};
    MessageLoop loop;
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    // Declared in creation order, so released in reverse: the data module, then the window (its
    // timer stops and its tray icon goes).
    TFrmInicio window(FrmInicioSetup{instance, programDirectory, tickPeriod}, services, regional,
                      loop);
    TDM dm(programDirectory, services.files, services.sleeper);
    const DataModuleAttachment attachment(window.Core(), dm);

    window.Show(showCommand);
    return loop.QuitRequested() ? 0 : loop.Run();
}

} // namespace mz::win
