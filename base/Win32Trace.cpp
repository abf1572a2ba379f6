#include "base/Win32Trace.h"

#include <windows.h>

#include "base/DecimalText.h"
#include "base/Trace.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"

namespace {

UniqueFile traceFile;
ULONGLONG processStart = 0;  // 100 ns units since 1601

ULONGLONG Now() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// One WriteFile per line: appends of whole lines from several threads do not interleave.
void WriteTraceLine(const std::wstring& line) {
    const double ms = static_cast<double>(Now() - processStart) / 10000.0;
    const std::string text = TraceFileLine(ms, line);
    DWORD written = 0;
    WriteFile(traceFile.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

std::string TraceFileLine(double milliseconds, const std::wstring& line) {
    // "%10.1f ms  " by hand: the printf family would bring its floating-point code along.
    const long long tenths = milliseconds <= 0 ? 0 : static_cast<long long>(milliseconds * 10.0 + 0.5);
    std::wstring number = DecimalText(tenths / 10) + L"." + DecimalText(tenths % 10);
    if (number.size() < 10) number.insert(0, 10 - number.size(), L' ');
    std::string text(number.begin(), number.end());
    text += " ms  ";
    if (!line.empty()) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                             nullptr, nullptr);
        if (size > 0) {
            const size_t at = text.size();
            text.resize(at + static_cast<size_t>(size));
            WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &text[at], size, nullptr,
                                nullptr);
        }
    }
    text += "\r\n";
    return text;
}

void StartTraceFromEnvironment() {
    std::wstring path;
    if (!QueryEnvironmentVariable(L"MARLWICK_TRACE", path) || path.empty()) return;
    traceFile.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!traceFile) return;
    if (GetFileType(traceFile.get()) != FILE_TYPE_DISK) {
        traceFile.reset();
        return;
    }
    FILETIME created, exited, kernel, user;
    processStart = GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)
                       ? (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime
                       : Now();
    InstallTraceSink(&WriteTraceLine);
}
