// The pair product: the launcher built for the other architecture takes over the whole start.
#include <windows.h>

#include <vector>

#include "base/DecimalText.h"
#include "base/ErrorBox.h"
#include "base/FileIdentity.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "launcher/Launcher.h"
#include "resources/resource.h"

namespace {

// Set in the pair product's environment: a start that was handed over never hands over again,
// so that two launchers whose settings name each other cannot pass a start back and forth.
const wchar_t kHandedOverVariable[] = L"MARLWICK_HANDED_OVER";

int32_t PairProductFailed(const std::wstring& pairProduct, DWORD error) {
    ShowFormattedError(IDS_PAIR_PRODUCT_FAILED,
                       {pairProduct, SystemErrorText(error) + L" (" + DecimalText(error) + L")"});
    return -1;
}

}  // namespace

bool TakeHandedOverMarker() {
    std::wstring value;
    const bool handedOver = QueryEnvironmentVariable(kHandedOverVariable, value) && !value.empty();
    SetEnvironmentVariableW(kHandedOverVariable, nullptr);  // not for the application's own children
    return handedOver;
}

int32_t Launcher::StartPairProduct() {
    if (handedOver || SameFile(settings.pairProduct, modulePath)) {
        ShowFormattedError(IDS_PAIR_PRODUCT_LOOP, {settings.pairProduct});
        return -1;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // Our own command line, unchanged: the pair product sees the same arguments we did.
    const wchar_t* ownCommandLine = GetCommandLineW();
    std::vector<wchar_t> commandLine(ownCommandLine, ownCommandLine + wcslen(ownCommandLine) + 1);
    SetEnvironmentVariableW(kHandedOverVariable, L"1");
    const BOOL started = CreateProcessW(settings.pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &process);
    const DWORD startError = GetLastError();
    SetEnvironmentVariableW(kHandedOverVariable, nullptr);
    if (!started) return PairProductFailed(settings.pairProduct, startError);
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);
    if (!settings.pairReturnCode) return 0;
    DWORD exitCode = 0;
    if (WaitForSingleObject(processHandle.get(), INFINITE) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(processHandle.get(), &exitCode)) {
        return PairProductFailed(settings.pairProduct, GetLastError());
    }
    return static_cast<int32_t>(exitCode);
}
