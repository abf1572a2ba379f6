// The program's entry point: one Launcher, its two phases, and the exit code.
#include <windows.h>

#include <string>

#include "base/DecimalText.h"
#include "base/Trace.h"
#include "base/Win32Trace.h"
#include "launcher/Launcher.h"
#include "launcher/StartupCacheSetup.h"

namespace {

// Before anything else can load a DLL: the working directory (a download folder, a share opened
// by double-click) is never searched for one, by the launcher or by the virtual machine and the
// libraries it loads. A DLL directory takes the place of the current directory in the standard
// search order and leaves the rest as it is: the executable's folder, the system folders and
// "Path", on which the runtime's bin folder is put before jvm.dll is loaded, so the runtime's own
// DLLs that some runtimes load by bare name are still found there. (SetDefaultDllDirectories
// would drop "Path" from the order as well, and with it those DLLs.)
// The DLL directory is the system folder, which the order holds anyway: an empty one is
// documented to do the same, but not every implementation honours it (Wine 8 then searches the
// current directory again). SearchPathW looks in the current directory only after the system
// folders.
void ExcludeWorkingDirectoryFromDllSearch() {
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    SetDllDirectoryW(length > 0 && length < MAX_PATH ? system : L"");
    SetSearchPathMode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
}

int RunLauncher() {
    ExcludeWorkingDirectoryFromDllSearch();
    StartTraceFromEnvironment();
    if (IsStartupCacheAssembly()) return RunStartupCacheAssembly();
    int32_t exitCode = -1;
    {
        Launcher launcher;
        SetThreadLocale(GetSystemDefaultLCID());
        if (launcher.Init()) exitCode = launcher.Run();
    }
    if (TraceOn()) TraceLine(L"launcher: exit code " + DecimalText(exitCode));
    return exitCode;
}

}  // namespace

// The console build is a console program (wmain) and the windowed build a GUI one (wWinMain); the
// build system compiles this file for each with its MARLWICK_CONSOLE_BUILD.
#if defined(MARLWICK_CONSOLE_BUILD) && MARLWICK_CONSOLE_BUILD
int wmain() { return RunLauncher(); }
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunLauncher(); }
#endif
