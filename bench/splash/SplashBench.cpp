// Starts a program and reports how long after its creation its first visible top-level window
// (the splash) appeared, as the system's process creation time and a 1 ms poll measure it:
//
//   splash_bench.exe <program> [arguments...]
//
// Prints "<microseconds>" (or "none" when no window showed before the program ended) and waits for
// the program to end.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    DWORD process;
    bool found;
};

BOOL CALLBACK FindVisible(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->process && IsWindowVisible(window)) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);  // fine-grained under Wine and with timeBeginPeriod(1)
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

std::wstring Quote(const std::wstring& argument) { return L"\"" + argument + L"\""; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: splash_bench <program> [arguments...]\n");
        return 2;
    }
    std::wstring line = Quote(argv[1]);
    for (int i = 2; i < argc; ++i) line += L" " + Quote(argv[i]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(argv[1], &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "cannot start the program (error %lu)\n", GetLastError());
        return 1;
    }
    timeBeginPeriod(1);
    FILETIME created, exited, kernel, user;
    GetProcessTimes(info.hProcess, &created, &exited, &kernel, &user);
    const ULONGLONG start = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    Search search = {info.dwProcessId, false};
    ULONGLONG seen = 0;
    while (WaitForSingleObject(info.hProcess, 1) == WAIT_TIMEOUT) {
        EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            seen = Now();
            break;
        }
    }
    if (seen != 0) {
        std::printf("%llu\n", (seen - start) / 10);
    } else {
        std::printf("none\n");
    }
    std::fflush(stdout);
    WaitForSingleObject(info.hProcess, 120000);
    timeEndPeriod(1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return 0;
}
