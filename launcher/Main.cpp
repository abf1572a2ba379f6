// The program's entry point: one Launcher, its two phases, and the exit code.
#include <windows.h>

#include "launcher/Launcher.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int32_t exitCode = -1;
    {
        Launcher launcher;
        SetThreadLocale(GetSystemDefaultLCID());
        if (launcher.Init()) exitCode = launcher.Run();
    }
    return exitCode;
}
