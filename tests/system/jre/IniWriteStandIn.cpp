// Writes "JRE Path" into an INI file as the launcher does, and can stop on the way for a test to
// kill it there:
//
//   IniWriteStandIn.exe <ini path> <value> [temporary|replaced]
//
// With a step named, it creates "<ini path>.paused" when the write reaches that step and then
// waits forever. Exit code 0 when the write succeeded, 1 when it failed, 2 for bad arguments.
#include <windows.h>

#include <string>

#include "base/IniFile.h"
#include "base/IniKeys.h"

namespace {

IniWriteStep pauseAt = IniWriteStep::TemporaryWritten;
bool pause = false;
std::wstring marker;

void Observe(IniWriteStep step, const std::wstring&) {
    if (!pause || step != pauseAt) return;
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    for (;;) Sleep(INFINITE);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring path = argv[1];
    marker = path + L".paused";
    if (argc > 3) {
        const std::wstring step = argv[3];
        pause = true;
        if (step == L"temporary") {
            pauseAt = IniWriteStep::TemporaryWritten;
        } else if (step == L"replaced") {
            pauseAt = IniWriteStep::Replaced;
        } else {
            return 2;
        }
    }
    return WriteIniValue(path, ini::kJreSection, ini::kJrePath, argv[2], &Observe) ? 0 : 1;
}
