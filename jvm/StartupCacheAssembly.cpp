#include "jvm/StartupCacheAssembly.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "base/DecimalText.h"
#include "base/IniFile.h"
#include "base/PathText.h"
#include "base/TextSplit.h"
#include "base/Trace.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "jvm/StartupCache.h"

namespace {

// Set only in the environment of the assembly process that the launcher starts.
const wchar_t kAssemblyVariable[] = L"MARLWICK_CACHE_ASSEMBLY";
// What the runtime prints while it assembles is kept for the trace up to this size.
constexpr DWORD kLogLimit = 16 * 1024;

void Trace(const std::wstring& line) { TraceLine(L"cache: assembly: " + line); }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The byte after BatteryLifePercent: "SystemStatusFlag" since Windows 10, which older SDK headers
// (MinGW's among them) still call "Reserved1".
bool BatterySaverOn() {
    SYSTEM_POWER_STATUS status = {};
    if (!GetSystemPowerStatus(&status)) return false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(&status);
    return bytes[offsetof(SYSTEM_POWER_STATUS, BatteryLifePercent) + 1] == 1;
}

// The runtime's lines, which say why an assembly failed, into the trace.
void TraceRuntimeOutput(const std::wstring& logPath) {
    std::string bytes(kLogLimit, '\0');
    DWORD read = 0;
    {
        UniqueFile log(CreateFileW(logPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        if (!log || !ReadFile(log.get(), &bytes[0], kLogLimit, &read, nullptr)) return;
    }
    bytes.resize(read);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty()) Trace(L"the runtime: " + FromAnsi(line));
        start = end + 1;
    }
}

// Starts java.exe with its arguments from `argumentFile`, its output into `log`, without a window,
// below normal priority, suspended until it is in `job`.
bool StartJava(const std::wstring& javaExe, const std::wstring& argumentFile, const std::wstring& folder, HANDLE log,
               HANDLE job, UniqueHandle& process, DWORD& error) {
    std::wstring commandLine = Quoted(javaExe) + L" " + Quoted(L"@" + argumentFile);
    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_FORCEOFFFEEDBACK;
    // Only the log is inherited, whatever else this process holds; without a log, nothing.
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<unsigned char> attributes(size);
    auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
    HANDLE inherited[] = {log};
    const bool listed = log != INVALID_HANDLE_VALUE && size > 0 &&
                        InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                        UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                                  sizeof inherited, nullptr, nullptr);
    if (listed) {
        startup.lpAttributeList = list;
        startup.StartupInfo.dwFlags |= STARTF_USESTDHANDLES;
        startup.StartupInfo.hStdOutput = log;
        startup.StartupInfo.hStdError = log;
    }
    DWORD flags = CREATE_NO_WINDOW | CREATE_SUSPENDED | BELOW_NORMAL_PRIORITY_CLASS | CREATE_UNICODE_ENVIRONMENT;
    if (listed) flags |= EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION info = {};
    const BOOL started = CreateProcessW(javaExe.c_str(), &commandLine[0], nullptr, nullptr, listed ? TRUE : FALSE,
                                        flags, nullptr, folder.c_str(), &startup.StartupInfo, &info);
    error = GetLastError();
    if (listed) DeleteProcThreadAttributeList(list);
    if (!started) return false;
    process.reset(info.hProcess);
    UniqueHandle thread(info.hThread);
    // In a job of its own, java.exe ends with this process, however this one ends (logoff, a kill).
    if (job != nullptr && !AssignProcessToJobObject(job, info.hProcess) && TraceOn()) {
        Trace(L"java.exe runs outside a job of its own, error " + DecimalText(GetLastError()));
    }
    ResumeThread(info.hThread);
    return true;
}

UniqueHandle MakeKillOnCloseJob() {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) job.reset();
    return job;
}

void MarkFailed(const std::wstring& failedPath) {
    UniqueFile mark(CreateFileW(failedPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

int Assemble(const AssemblyPaths& paths) {
    const std::wstring classList = ClassListPathOf(paths.temp);
    const std::wstring arguments = ArgumentFilePathOf(paths.temp);
    const std::wstring logPath = AssemblyLogPathOf(paths.temp);
    // One assembly per cache at a time; the lock goes with this process, however it ends.
    UniqueHandle lock(CreateMutexW(nullptr, FALSE, AssemblyLockName(paths.cache).c_str()));
    const DWORD taken = lock ? WaitForSingleObject(lock.get(), 0) : WAIT_FAILED;
    AssemblyState state;
    state.classListExists = IsCacheFile(classList);
    state.cacheExists = IsCacheFile(paths.cache);
    state.anotherAssembly = taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED;
    state.batterySaver = BatterySaverOn();
    std::wstring reason;
    if (!ShouldAssemble(state, reason)) {
        if (TraceOn()) Trace(L"not run: " + reason);
        // This start's list goes: the cache comes from another assembly, or a later start lists again.
        DeleteCacheFile(classList);
        DeleteCacheFile(arguments);
        return 0;
    }
    if (TraceOn()) Trace(L"\"" + paths.javaExe + L"\" assembles \"" + paths.temp + L"\"");

    AssemblyEnd end;
    {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        UniqueFile log(CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_TEMPORARY, nullptr));
        UniqueHandle job = MakeKillOnCloseJob();
        UniqueHandle java;
        DWORD error = 0;
        if (!StartJava(paths.javaExe, arguments, FolderOf(paths.cache), log.get(), job.get(), java, error)) {
            if (TraceOn()) Trace(L"java.exe could not be started, error " + DecimalText(error));
            end.finished = true;
            end.exitCode = error;
        } else {
            end.finished = WaitForSingleObject(java.get(), kAssemblyTimeLimitMs) == WAIT_OBJECT_0;
            if (!end.finished) {
                if (job) TerminateJobObject(job.get(), ERROR_TIMEOUT);
                TerminateProcess(java.get(), ERROR_TIMEOUT);
                WaitForSingleObject(java.get(), 10000);  // until it lets go of its files
            }
            DWORD code = 0;
            GetExitCodeProcess(java.get(), &code);
            end.exitCode = code;
        }
    }
    end.tempSize = FileSize(paths.temp);
    if (TraceOn()) TraceRuntimeOutput(logPath);
    DeleteCacheFile(logPath);
    DeleteCacheFile(arguments);
    DeleteCacheFile(classList);

    const std::wstring failure = AssemblyFailure(end);
    if (!failure.empty()) {
        DeleteCacheFile(paths.temp);
        MarkFailed(paths.failed);
        if (TraceOn()) Trace(L"failed: " + failure + L"; no new try for an hour");
        return 1;
    }
    // Never replaces: a cache that another assembly renamed first is as good as this one.
    if (MoveFileExW(paths.temp.c_str(), paths.cache.c_str(), 0)) {
        if (TraceOn()) Trace(L"cache created: \"" + paths.cache + L"\"");
        return 0;
    }
    const DWORD error = GetLastError();
    DeleteCacheFile(paths.temp);
    if (TraceOn()) Trace(L"cache not renamed, error " + DecimalText(error));
    return error == ERROR_ALREADY_EXISTS ? 0 : 1;
}

}  // namespace

bool DeleteCacheFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != FALSE;
}

bool IsCacheFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool StartCacheAssembly(const AssemblyPaths& paths, uint32_t& error) {
    std::wstring executable;
    if (!GetModulePath(executable)) {
        error = GetLastError();
        return false;
    }
    std::wstring commandLine = Quoted(executable) + L" " + Quoted(paths.javaExe) + L" " + Quoted(paths.temp) + L" " +
                               Quoted(paths.cache) + L" " + Quoted(paths.failed);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_FORCEOFFFEEDBACK;  // no busy cursor for a process that shows nothing
    PROCESS_INFORMATION info = {};
    // No console, no inherited handle, below normal priority, and out of the launcher's job where the
    // job allows it (a job that forbids breaking away refuses the start: then inside it). Its working
    // folder is the cache folder, so that it holds no folder of the user's.
    const DWORD flags = DETACHED_PROCESS | BELOW_NORMAL_PRIORITY_CLASS | CREATE_DEFAULT_ERROR_MODE;
    const std::wstring folder = FolderOf(paths.cache);
    // The lock exists from now on: a handle of it goes into the new process, which keeps it until
    // it ends, so that no start finds the key free before the assembly has taken the lock itself.
    UniqueHandle lock(CreateMutexW(nullptr, FALSE, AssemblyLockName(paths.cache).c_str()));
    SetEnvironmentVariableW(kAssemblyVariable, L"1");
    BOOL started = CreateProcessW(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                  flags | CREATE_BREAKAWAY_FROM_JOB, nullptr, folder.c_str(), &startup, &info);
    if (!started) {
        if (TraceOn()) Trace(L"not out of the launcher's job, error " + DecimalText(GetLastError()));
        started = CreateProcessW(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr,
                                 folder.c_str(), &startup, &info);
    }
    error = started ? 0 : GetLastError();
    SetEnvironmentVariableW(kAssemblyVariable, nullptr);
    if (!started) return false;
    HANDLE inChild = nullptr;
    if (lock) DuplicateHandle(GetCurrentProcess(), lock.get(), info.hProcess, &inChild, 0, FALSE, DUPLICATE_SAME_ACCESS);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}

bool IsCacheAssemblyProcess() {
    std::wstring value;
    if (!QueryEnvironmentVariable(kAssemblyVariable, value) || value.empty()) return false;
    SetEnvironmentVariableW(kAssemblyVariable, nullptr);
    return true;
}

int RunCacheAssembly() {
    // StartCacheAssembly wrote this command line: five quoted paths, which hold no quote. The
    // splitter of base is enough for it, and the start does not load shell32 for one call (every
    // library loaded before the VM also costs the VM's own start).
    StringList arguments;
    SplitArguments(GetCommandLineW(), arguments);
    if (arguments.size() != 5) return 1;
    return Assemble({arguments[1], arguments[2], arguments[3], arguments[4]});
}
