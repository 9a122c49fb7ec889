// The program with a short timer period, for the driven tests only; never shipped.
#include "ProgramWin.h"
#include "Win32.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int showCommand) {
    return mz::win::RunMonitorZelnor(showCommand, std::chrono::milliseconds(300));
}
