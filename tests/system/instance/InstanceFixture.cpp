#include "tests/system/instance/InstanceFixture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "base/FileIdentity.h"
#include "launcher/InstanceBlock.h"
#include "tests/framework/Check.h"

namespace instancetest {

using namespace testsupport;

const wchar_t kIntApp[] = L"com.example.instance.IntSecondaryApp";
const wchar_t kVoidApp[] = L"com.example.instance.VoidSecondaryApp";
const wchar_t kPlainApp[] = L"com.example.instance.PlainApp";

std::wstring FilesFolder() { return WinePathFromEnvironment(L"MARLWICK_INSTANCE_FILES"); }
std::wstring JreHome() { return WinePathFromEnvironment(L"MARLWICK_JRE_HOME"); }

std::wstring InstanceName(const std::wstring& exePath) { return InstanceNameFromCanonicalPath(FileKey(exePath)); }

std::string ReadText(const std::wstring& path) {
    std::string bytes;
    if (!ReadFileBytes(LongForm(path), bytes)) return std::string();
    return bytes;
}

std::string Describe(const std::vector<std::wstring>& arguments) {
    std::string text = std::to_string(arguments.size());
    for (const std::wstring& argument : arguments) {
        text += " [";
        for (wchar_t c : argument) {
            if (c >= 0x20 && c < 0x7f && c != L'\\') {
                text += static_cast<char>(c);
            } else {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c) & 0xffffu);
                text += escaped;
            }
        }
        text += "]";
    }
    return text;
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(JoinPath(folder, pattern).c_str(), &found));
    if (!search) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(25);
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->processId) search->windows.push_back(window);
    return TRUE;
}

std::wstring EnvironmentBlock(const std::vector<std::wstring>& overrides) {
    std::vector<std::wstring> entries;
    wchar_t* block = GetEnvironmentStringsW();
    for (const wchar_t* p = block; p != nullptr && *p != L'\0'; p += wcslen(p) + 1) {
        std::wstring entry(p);
        bool replaced = false;
        for (const std::wstring& o : overrides) {
            const std::wstring name = o.substr(0, o.find(L'=') + 1);
            if (_wcsnicmp(entry.c_str(), name.c_str(), name.size()) == 0) replaced = true;
        }
        if (!replaced) entries.push_back(entry);
    }
    if (block != nullptr) FreeEnvironmentStringsW(block);
    entries.insert(entries.end(), overrides.begin(), overrides.end());
    std::wstring text;
    for (const std::wstring& entry : entries) text += entry + L'\0';
    return text + L'\0';
}

}  // namespace

Launched::~Launched() {
    if (running()) Terminate(0xDEAD);
}

bool Launched::running() const { return started() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD Launched::threadId() const { return thread_ ? GetThreadId(thread_.get()) : 0; }

void Launched::Resume() {
    if (thread_) ResumeThread(thread_.get());
}

void Launched::Terminate(UINT code) {
    if (!started()) return;
    TerminateProcess(process_.get(), code);
    WaitForSingleObject(process_.get(), 5000);
}

ExitResult Launched::Finish(DWORD timeoutMs) {
    ExitResult result;
    if (!started()) return result;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<HWND> answered;
    while (WaitForSingleObject(process_.get(), 25) == WAIT_TIMEOUT) {
        WindowSearch search{id_, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.windows) {
            if (!IsVisibleDialog(window)) continue;
            bool seen = false;
            for (HWND w : answered) seen = seen || w == window;
            if (seen && IsWindow(window)) continue;
            boxes.push_back(ReadWindow(window));
            PressButton(window, IDOK);
            answered.push_back(window);
        }
        if (GetTickCount64() >= deadline) {
            result.timedOut = true;
            Terminate(0xDEAD);
            break;
        }
    }
    GetExitCodeProcess(process_.get(), &result.exitCode);
    return result;
}

Launched StartLauncher(const std::wstring& exe, const std::wstring& commandLine, const LaunchPlan& plan,
                       const std::wstring& defaultFolder) {
    Launched launched;
    std::wstring line = commandLine;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    UniqueFile errorFile;
    if (!plan.standardError.empty()) {
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        errorFile.reset(CreateFileW(plan.standardError.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!errorFile) return launched;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = errorFile.get();
        startup.hStdError = errorFile.get();
    }
    std::wstring environment;
    if (!plan.environment.empty()) environment = EnvironmentBlock(plan.environment);
    const std::wstring folder = plan.workingDirectory.empty() ? defaultFolder : plan.workingDirectory;
    PROCESS_INFORMATION info = {};
    const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (plan.suspended ? CREATE_SUSPENDED : 0);
    if (!CreateProcessRetried([&] {
            return CreateProcessW(exe.c_str(), &line[0], nullptr, nullptr, errorFile ? TRUE : FALSE, flags,
                                  environment.empty() ? nullptr : &environment[0], folder.c_str(), &startup, &info);
        })) {
        launched.startError = GetLastError();
        return launched;
    }
    launched.process_.reset(info.hProcess);
    launched.thread_.reset(info.hThread);
    launched.id_ = info.dwProcessId;
    return launched;
}

// ---------------------------------------------------------------------------------------------

AppFixture::AppFixture(const std::wstring& testName, const std::wstring& mainClass,
                       const std::wstring& applicationLines, const std::wstring& subFolder)
    : launcher_(testName, L"Marlwick 64.exe", subFolder) {
    const std::wstring jar = JoinPath(FilesFolder(), L"instance-apps.jar");
    ok_ = launcher_.ok() && !JreHome().empty() && PathExists(JoinPath(JreHome(), L"bin\\server\\jvm.dll")) &&
          MakeFolders(launcher_.path(L"lib")) && CopyThroughMemory(jar, launcher_.path(L"lib\\instance-apps.jar")) &&
          WriteIni(mainClass, applicationLines);
}

bool AppFixture::WriteIni(const std::wstring& mainClass, const std::wstring& applicationLines) const {
    // A product code of its own keeps every test away from per-user INI files of the others.
    const std::wstring code = folder().substr(folder().rfind(L'\\') + 1);
    return launcher_.WriteIni(L"[Product Information]\r\nProduct Name=Marlwick Instance Tests\r\nProduct Code=" + code +
                              L"\r\n[Java Runtime Environment]\r\nMain Class=" + mainClass + L"\r\nJRE Path=" +
                              JreHome() + L"\r\nVirtual Machine Parameters=\"-Dinstance.dir=" + folder() +
                              L"\" -Xmx48m -Xss512k -XX:+UseSerialGC -XX:TieredStopAtLevel=1\r\n"
                              L"[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Application]\r\n" +
                              applicationLines);
}

std::wstring AppFixture::CommandLine(const std::vector<std::wstring>& arguments) const {
    std::vector<std::wstring> line = {exe()};
    line.insert(line.end(), arguments.begin(), arguments.end());
    return QuoteCommandLine(line);
}

Launched AppFixture::Start(const LaunchPlan& plan) const {
    return StartLauncher(exe(), CommandLine(plan.arguments), plan, folder());
}

DWORD AppFixture::Run(const std::vector<std::wstring>& arguments, DWORD timeoutMs) const {
    Launched launched = Start(arguments);
    if (!launched.started()) return kTimedOut;
    const ExitResult result = launched.Finish(timeoutMs);
    return result.timedOut ? kTimedOut : result.exitCode;
}

std::vector<std::string> AppFixture::MainRecords() const {
    std::vector<std::string> records;
    for (const std::wstring& name : FilesMatching(folder(), L"main-*.txt")) {
        for (const std::string& line : SplitLines(ReadText(path(name)))) records.push_back(line);
    }
    return records;
}

bool AppFixture::WaitForMainRecords(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return MainRecords().size() >= count; }, timeoutMs);
}

std::vector<std::string> AppFixture::SecondaryLines() const { return SplitLines(ReadText(path(L"secondary.txt"))); }

bool AppFixture::WaitForSecondaryLines(size_t count, DWORD timeoutMs) const {
    return WaitUntil([&] { return SecondaryLines().size() >= count; }, timeoutMs);
}

bool AppFixture::Stop(int code) const { return WriteFileBytes(path(L"stop"), std::to_string(code)); }

bool WaitForListener(const std::wstring& exe, DWORD timeoutMs) {
    return WaitUntil(
        [&] {
            UniqueHandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, InstanceName(exe).c_str()));
            if (!mapping) return false;
            UniqueViewOfFile view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 12));
            if (!view) return false;
            uint32_t header[3];
            std::memcpy(header, view.get(), sizeof header);
            return header[0] != 0 && header[1] != 0 && header[2] != 0;
        },
        timeoutMs);
}

Launched StartFirst(const AppFixture& app, const std::wstring& tag) {
    Launched first = app.Start({L"stay", tag});
    CHECK(first.started());
    CHECK(app.WaitForMainRecords(1));
    return first;
}

void StopFirst(const AppFixture& app, Launched& first, DWORD code) {
    CHECK(app.Stop(static_cast<int>(code)));
    const ExitResult end = first.Finish(30000);
    CHECK_EQ(end.timedOut, false);
    CHECK_EQ(end.exitCode, code);
}

}  // namespace instancetest
