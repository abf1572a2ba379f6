// A launcher in a fresh folder set up to start one of the Java test programs (tests/java) with the
// real Windows Java runtime, and the report that tests/java/probe/Report.java writes.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <map>
#include <string>
#include <vector>

#include "base/UniqueResource.h"
#include "tests/system/LauncherFixture.h"

namespace javatest {

using testsupport::RunResult;

const DWORD kFailed = 0xFFFFFFFF;
// A cold start of the virtual machine under Wine takes about 10 s, a warm one about 1 s.
const DWORD kRunTimeoutMs = 90000;

// A Linux path from the environment as Wine's Z: drive sees it; empty when the variable is unset.
inline std::wstring WindowsPathFromEnvironment(const wchar_t* name) { return testsupport::WinePathFromEnvironment(name); }

// The runtime that tools/fetch-jre.sh unpacks ($MARLWICK_JRE), the JRE home with bin\server\jvm.dll.
inline std::wstring JreHome() { return WindowsPathFromEnvironment(L"MARLWICK_JRE"); }
// tests/java's probe.jar ($MARLWICK_PROBE_JAR).
inline std::wstring ProbeJar() { return WindowsPathFromEnvironment(L"MARLWICK_PROBE_JAR"); }

// The UTF-16 text of the ASCII or UTF-8 bytes of a file (the JVM writes UTF-8 or ASCII).
inline std::wstring Utf8ToWide(const std::string& bytes) { return testsupport::WideFromUtf8(bytes); }

// Report.java's "key=value" lines, values unescaped (\\ and \uXXXX) back into UTF-16.
class Report {
public:
    static Report Parse(const std::string& bytes) {
        Report report;
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find('\n', start);
            if (end == std::string::npos) end = bytes.size();
            const std::string line = bytes.substr(start, end - start);
            start = end + 1;
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            report.values_[line.substr(0, equals)] = Unescape(line.substr(equals + 1));
        }
        return report;
    }

    // True when the report was written to its end.
    bool complete() const { return values_.count("end") != 0; }
    bool has(const std::string& key) const { return values_.count(key) != 0; }
    std::wstring operator[](const std::string& key) const {
        const auto found = values_.find(key);
        return found == values_.end() ? L"<missing " + std::wstring(key.begin(), key.end()) + L">" : found->second;
    }
    long long Number(const std::string& key) const {
        const auto found = values_.find(key);
        return found == values_.end() ? -1 : std::wcstoll(found->second.c_str(), nullptr, 10);
    }
    // "prefix.0", "prefix.1", ... as counted by "prefix.count".
    std::vector<std::wstring> List(const std::string& prefix, const std::string& countKey) const {
        std::vector<std::wstring> items;
        const long long count = Number(countKey);
        for (long long i = 0; i < count; ++i) items.push_back((*this)[prefix + "." + std::to_string(i)]);
        return items;
    }
    std::vector<std::wstring> Arguments() const { return List("arg", "args.count"); }
    // The virtual machine's input arguments (RuntimeMXBean): the options the launcher handed it,
    // except -Djava.class.path, which the virtual machine leaves out of that list.
    std::vector<std::wstring> InputArguments() const { return List("input", "input.count"); }

private:
    static std::wstring Unescape(const std::string& text) {
        std::wstring value;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') {
                value += L'\\';
                ++i;
            } else if (text[i] == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
                value += static_cast<wchar_t>(std::stoul(text.substr(i + 2, 4), nullptr, 16));
                i += 5;
            } else {
                value += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
            }
        }
        return value;
    }

    std::map<std::string, std::wstring> values_;
};

// The INI settings the tests vary; everything else is fixed by JavaApp::WriteIni.
struct JavaIni {
    std::wstring mainClass = L"probe.Report";
    std::wstring classPath = L"\\lib\\*.jar";
    bool writeClassPath = true;
    std::wstring vmParameters;
    std::wstring libraryPath;
    std::wstring systemPath;
    std::wstring vmProvider;
    std::wstring cmd;
    std::wstring embeddedJar;
    std::wstring failureCheck;
    std::wstring jrePath;       // empty: JreHome()
    std::wstring startupCache;  // "Startup Cache", written when not empty
    std::wstring mainModule;    // "Main Module", written when not empty
    std::wstring modulePath;    // "Module Path", written when not empty
    std::wstring extra;         // more lines of [Java Runtime Environment]
};

struct JavaRun {
    RunResult result;
    Report report;
    std::wstring output;  // System.out (the "Output File")
    std::wstring error;   // System.err (the "Error File")
};

// Marlwick 64.exe in a fresh folder with lib\probe.jar beside it, pointed at the runtime through
// "JRE Path"; System.out and System.err go to out.txt and err.txt in that folder.
class JavaApp {
public:
    explicit JavaApp(const std::wstring& testName, const std::wstring& exeName = L"Marlwick 64.exe")
        : launcher_(testName, exeName) {
        testsupport::MakeFolders(lib());
        jarCopied_ = testsupport::CopyThroughMemory(ProbeJar(), JoinPath(lib(), L"probe.jar"));
    }

    // Also false when the runtime or the jar is missing, which the test then reports.
    bool ok() const {
        return launcher_.ok() && jarCopied_ && testsupport::PathExists(JreHome() + L"\\bin\\server\\jvm.dll");
    }
    std::wstring Problem() const {
        if (!testsupport::PathExists(JreHome() + L"\\bin\\server\\jvm.dll")) {
            return L"no Java runtime at \"" + JreHome() + L"\" ($MARLWICK_JRE): run tools/fetch-jre.sh first";
        }
        if (!jarCopied_) return L"no probe.jar at \"" + ProbeJar() + L"\" ($MARLWICK_PROBE_JAR)";
        return launcher_.ok() ? L"" : L"the launcher could not be copied";
    }

    const std::wstring& folder() const { return launcher_.folder(); }
    const std::wstring& exe() const { return launcher_.exe(); }
    std::wstring lib() const { return JoinPath(launcher_.folder(), L"lib"); }
    std::wstring path(const std::wstring& name) const { return launcher_.path(name); }
    std::wstring outputPath() const { return path(L"out.txt"); }
    std::wstring errorPath() const { return path(L"err.txt"); }

    // UTF-16 with a byte-order mark, so that values outside the ANSI code page survive.
    bool WriteIni(const JavaIni& ini) const { return testsupport::WriteFileUtf16(launcher_.iniPath(), IniText(ini)); }

    // UTF-8, as today's editors save it, with or without a byte-order mark.
    bool WriteIniUtf8(const JavaIni& ini, bool byteOrderMark) const {
        return testsupport::WriteFileBytes(launcher_.iniPath(),
                                           (byteOrderMark ? "\xEF\xBB\xBF" : "") + testsupport::Utf8(IniText(ini)));
    }

    std::wstring IniText(const JavaIni& ini) const {
        std::wstring text =
            L"[Product Information]\r\n"
            L"Product Name=Marlwick Java System Tests\r\n"
            L"Product Code={B7E6C1D2-JAVA-TESTS}\r\n"
            L"[Java Runtime Environment]\r\n"
            L"Main Class=" + ini.mainClass + L"\r\n"
            L"JRE Path=" + (ini.jrePath.empty() ? JreHome() : ini.jrePath) + L"\r\n";
        if (!ini.vmParameters.empty()) text += L"Virtual Machine Parameters=" + ini.vmParameters + L"\r\n";
        if (!ini.libraryPath.empty()) text += L"Library Path=" + ini.libraryPath + L"\r\n";
        if (!ini.systemPath.empty()) text += L"System Path=" + ini.systemPath + L"\r\n";
        if (!ini.vmProvider.empty()) text += L"VM Provider=" + ini.vmProvider + L"\r\n";
        if (!ini.startupCache.empty()) text += L"Startup Cache=" + ini.startupCache + L"\r\n";
        if (!ini.mainModule.empty()) text += L"Main Module=" + ini.mainModule + L"\r\n";
        text += ini.extra;
        text += L"[Class Path]\r\n";
        if (ini.writeClassPath) text += L"Class Path=" + ini.classPath + L"\r\n";
        if (!ini.modulePath.empty()) text += L"Module Path=" + ini.modulePath + L"\r\n";
        text += L"[Application]\r\nOutput File=" + outputPath() + L"\r\nError File=" + errorPath() + L"\r\n";
        if (!ini.cmd.empty()) text += L"Cmd=" + ini.cmd + L"\r\n";
        if (!ini.embeddedJar.empty()) text += L"Embedded Jar=" + ini.embeddedJar + L"\r\n";
        if (!ini.failureCheck.empty()) text += L"Failure Check=" + ini.failureCheck + L"\r\n";
        return text;
    }

    // Starts the launcher with `arguments` (quoted for the C runtime's rules, which the launcher's
    // own splitting agrees with for arguments without quotes and backslashes).
    JavaRun Run(const std::vector<std::wstring>& arguments = {}, const std::vector<std::wstring>& environment = {},
                const testsupport::BoxAnswer& answer = nullptr) const {
        std::vector<std::wstring> line = {exe()};
        line.insert(line.end(), arguments.begin(), arguments.end());
        return RunLine(testsupport::QuoteCommandLine(line), environment, answer);
    }

    // Starts the launcher with exactly this command line; answers every box with OK unless
    // `answer` is given.
    JavaRun RunLine(const std::wstring& commandLine, const std::vector<std::wstring>& environment = {},
                    const testsupport::BoxAnswer& answer = nullptr) const {
        DeleteFileW(outputPath().c_str());
        DeleteFileW(errorPath().c_str());
        testsupport::StartOptions options;
        options.executable = exe();
        options.commandLine = commandLine;
        options.workingDirectory = workingDirectory_.empty() ? folder() : workingDirectory_;
        if (!environment.empty()) {
            options.environment = testsupport::EnvironmentMode::InheritWithOverrides;
            options.variables = environment;
        }
        JavaRun run;
        run.result = answer ? testsupport::RunAnswering(options, timeoutMs_, answer)
                            : testsupport::RunAnswering(options, timeoutMs_);
        std::string bytes;
        if (testsupport::ReadFileBytes(outputPath(), bytes)) {
            run.report = Report::Parse(bytes);
            run.output = Utf8ToWide(bytes);
        }
        bytes.clear();
        if (testsupport::ReadFileBytes(errorPath(), bytes)) run.error = Utf8ToWide(bytes);
        return run;
    }

    std::wstring ReadError() const {
        std::string bytes;
        return testsupport::ReadFileBytes(errorPath(), bytes) ? Utf8ToWide(bytes) : std::wstring();
    }

    void Keep() { launcher_.Keep(); }
    // For a run that may hang: how long to wait before the process is ended and counted as timed out.
    void SetTimeout(DWORD timeoutMs) { timeoutMs_ = timeoutMs; }
    // The folder the launcher starts in; by default the launcher's own folder.
    void SetWorkingDirectory(const std::wstring& folder) { workingDirectory_ = folder; }

private:
    static std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
        return testsupport::JoinPath(folder, name);
    }

    testsupport::LauncherFixture launcher_;
    bool jarCopied_ = false;
    DWORD timeoutMs_ = kRunTimeoutMs;
    std::wstring workingDirectory_;
};

inline bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The processes that run the program at `image`.
inline std::vector<DWORD> ProcessesOf(const std::wstring& image) {
    std::vector<DWORD> found;
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        wchar_t path[MAX_PATH * 2];
        DWORD size = MAX_PATH * 2;
        if (process && QueryFullProcessImageNameW(process.get(), 0, path, &size) && _wcsicmp(path, image.c_str()) == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    return found;
}

// Waits until no process runs the program at `image` any more (the launcher's background
// assembly of its start-up cache); false after about three and a half minutes.
inline bool WaitUntilNoneRuns(const std::wstring& image) {
    for (int i = 0; i < 2100; ++i) {
        if (ProcessesOf(image).empty()) return true;
        Sleep(100);
    }
    return false;
}

}  // namespace javatest

// Every test starts here: a missing runtime or jar is one clear failure, not a dozen odd ones.
#define REQUIRE_APP(app)                                                     \
    do {                                                                     \
        if (!(app).ok()) {                                                   \
            check::Fail(__FILE__, __LINE__, check::Narrow((app).Problem())); \
            return;                                                          \
        }                                                                    \
    } while (0)

namespace javatest {

// The names that FindFirstFileW/FindNextFileW return for a pattern, in their order.
inline std::vector<std::wstring> FindNames(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileW(search.get(), &found));
    return names;
}

}  // namespace javatest
