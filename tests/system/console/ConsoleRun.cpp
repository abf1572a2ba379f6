#include "tests/system/console/ConsoleRun.h"

#include <vector>

#include "base/Thread.h"
#include "base/UniqueResource.h"
#include "tests/support/ProcessDriver.h"

namespace consoletest {

namespace {

// A pipe whose child end is inheritable and whose own end is not.
bool MakePipe(UniqueHandle& read, UniqueHandle& write, bool childReads) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &inherit, 0)) return false;
    read.reset(r);
    write.reset(w);
    return SetHandleInformation(childReads ? write.get() : read.get(), HANDLE_FLAG_INHERIT, 0) != FALSE;
}

UniqueHandle InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return UniqueHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Reads the pipe to its end on a thread of its own.
UniqueHandle StartReader(HANDLE pipe, std::string& into) {
    return StartThread([pipe, &into] {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) into.append(buffer, read);
        return 0;
    });
}

struct WindowSearch {
    DWORD processId;
    std::wstring found;
};

BOOL CALLBACK NoteVisibleWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window)) {
        search->found = testsupport::WindowClassName(window);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ConsoleRunResult RunConsole(const ConsoleRunOptions& options) {
    ConsoleRunResult result;
    UniqueHandle inRead, inWrite, outRead, outWrite, errRead, errWrite;
    if (!MakePipe(inRead, inWrite, true)) return result;
    if (options.outputFile.empty()) {
        if (!MakePipe(outRead, outWrite, false) || !MakePipe(errRead, errWrite, false)) return result;
    } else {
        outWrite = InheritableFile(options.outputFile);
        errWrite = InheritableFile(options.errorFile);
        if (outWrite.get() == INVALID_HANDLE_VALUE || errWrite.get() == INVALID_HANDLE_VALUE) return result;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = options.detached ? 0 : STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    PROCESS_INFORMATION process = {};
    std::vector<wchar_t> commandLine(options.commandLine.begin(), options.commandLine.end());
    commandLine.push_back(L'\0');
    const BOOL started = testsupport::CreateProcessRetried([&] {
        return CreateProcessW(options.executable.c_str(), commandLine.data(), nullptr, nullptr, !options.detached,
                              options.detached ? DETACHED_PROCESS : 0, nullptr,
                              options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(),
                              &startup, &process);
    });
    // Only the child holds its ends now: the readers see the end of the streams when it ends.
    inRead.reset();
    outWrite.reset();
    errWrite.reset();
    if (!started) return result;
    result.started = true;
    UniqueHandle processHandle(process.hProcess);
    UniqueHandle threadHandle(process.hThread);

    if (options.outputReaderGone) outRead.reset();
    UniqueHandle outReader, errReader;
    if (outRead) outReader = StartReader(outRead.get(), result.output);
    if (errRead) errReader = StartReader(errRead.get(), result.error);
    DWORD written = 0;
    if (!options.input.empty()) {
        WriteFile(inWrite.get(), options.input.data(), static_cast<DWORD>(options.input.size()), &written, nullptr);
    }
    inWrite.reset();

    WindowSearch search{process.dwProcessId, L""};
    const ULONGLONG deadline = GetTickCount64() + options.timeoutMs;
    while (WaitForSingleObject(processHandle.get(), 25) == WAIT_TIMEOUT) {
        if (search.found.empty()) EnumWindows(&NoteVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (GetTickCount64() > deadline) {
            result.timedOut = true;
            TerminateProcess(processHandle.get(), 0xDEAD);
            WaitForSingleObject(processHandle.get(), 5000);
            break;
        }
    }
    GetExitCodeProcess(processHandle.get(), &result.exitCode);
    result.windowSeen = search.found;
    if (outReader) WaitForSingleObject(outReader.get(), 10000);
    if (errReader) WaitForSingleObject(errReader.get(), 10000);
    return result;
}

}  // namespace consoletest
