// The program's entry point: one Launcher, its two phases, and the exit code.
#include <windows.h>

#include <string>

#include "base/Trace.h"
#include "base/Win32Trace.h"
#include "launcher/Launcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    StartTraceFromEnvironment();
    int32_t exitCode = -1;
    {
        Launcher launcher;
        SetThreadLocale(GetSystemDefaultLCID());
        if (launcher.Init()) exitCode = launcher.Run();
    }
    if (TraceOn()) TraceLine(L"launcher: exit code " + std::to_wstring(exitCode));
    return exitCode;
}
