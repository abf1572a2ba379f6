// The pair product: the launcher built for the other architecture takes over the whole start.
#include <windows.h>

#include <vector>

#include "launcher/Launcher.h"

int32_t Launcher::StartPairProduct() {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Our own command line, unchanged: the pair product sees the same arguments we did.
    const wchar_t* ownCommandLine = GetCommandLineW();
    std::vector<wchar_t> commandLine(ownCommandLine, ownCommandLine + wcslen(ownCommandLine) + 1);
    if (!CreateProcessW(settings.pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return 0;
    }
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!settings.pairReturnCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(processHandle.get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(processHandle.get(), &exitCode)) {
        return 0;
    }
    return static_cast<int32_t>(exitCode);
}
