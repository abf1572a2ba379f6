// The stack guard of the MinGW builds (base/StackGuard.cpp), as the launcher links it: set up to
// a value of its own before main, and an overrun of a guarded buffer ends the process at once
// with STATUS_STACK_BUFFER_OVERRUN, without a debugger or a box (a child run of this program
// makes the overrun).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

extern "C" void* __stack_chk_guard;

namespace {

__attribute__((noinline)) void Overrun(const char* text, size_t length) {
    char buffer[16];
    std::memcpy(buffer, text, length);
    std::printf("%c\n", buffer[0]);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wcscmp(argv[1], L"overrun") == 0) {
        char text[256];
        std::memset(text, 'A', sizeof text);
        volatile size_t length = 64;  // out of the compiler's sight
        Overrun(text, length);
        return 0;
    }
    const auto guard = reinterpret_cast<uintptr_t>(__stack_chk_guard);
    if (guard == 0 || guard == static_cast<uintptr_t>(0x2B992DDFA2326D4Bull)) {
        std::printf("FAIL: the guard was not set up (%p)\n", __stack_chk_guard);
        return 1;
    }
    wchar_t command[MAX_PATH + 32];
    std::swprintf(command, sizeof command / sizeof command[0], L"\"%ls\" overrun", argv[0]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("FAIL: CreateProcessW error %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    const DWORD waited = WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    if (waited != WAIT_OBJECT_0 || code != STATUS_STACK_BUFFER_OVERRUN) {
        std::printf("FAIL: the overrun ended with wait %lu, exit code 0x%08lX (expected 0xC0000409)\n", waited, code);
        return 1;
    }
    std::printf("guard set up; the overrun ended the process with 0xC0000409\n");
    return 0;
}
