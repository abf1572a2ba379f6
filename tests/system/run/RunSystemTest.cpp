// The launcher's Java run against the test double of jvm.dll (tests/jvmdouble): the failures that a
// real virtual machine cannot be made to produce on demand, and the exact option list, stack size,
// main class names and arguments that the launcher hands over, read back from the double's record.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"

using namespace testsupport;

namespace {

const DWORD kFailed = 0xFFFFFFFF;
const DWORD kRunTimeoutMs = 60000;

// The folder that holds one folder per variant of the double, each laid out as a JRE home.
std::wstring FakeJvmRoot() { return WinePathFromEnvironment(L"MARLWICK_FAKE_JVM_ROOT"); }

// Everything a run needs; the defaults give a start that succeeds.
struct Setup {
    std::wstring variant = L"full";
    std::wstring behaviour;            // MARLWICK_FAKE_JVM
    std::string jvmBytes;              // when set: jvm.dll holds these bytes instead of the double
    bool localJre = false;             // the JRE as "jre64" ("jre" for x86) beside the executable, no "JRE Path"
    std::wstring mainClass = L"com.example.App";
    std::wstring classPath = L"\\app.jar";
    std::wstring vmParameters;
    std::wstring libraryPath;
    std::wstring systemPath;
    std::wstring application;          // more lines of section "Application"
    std::vector<std::wstring> files = {L"app.jar"};  // created empty beside the executable
    std::wstring commandTail;          // raw text after the quoted executable path
    std::vector<std::wstring> environment;  // more NAME=value for the launcher
};

struct Outcome {
    std::unique_ptr<LauncherFixture> launcher;  // keeps the folder until the outcome goes
    RunResult run;
    std::vector<std::string> log;  // the double's record, one line each
    std::wstring folder;           // the executable's folder
    std::wstring exe;
    std::wstring jreHome;

    bool Has(const std::string& line) const {
        for (const std::string& item : log) {
            if (item == line) return true;
        }
        return false;
    }
    // Lines that begin with `prefix`, with the prefix removed.
    std::vector<std::string> After(const std::string& prefix) const {
        std::vector<std::string> found;
        for (const std::string& item : log) {
            if (item.rfind(prefix, 0) == 0) found.push_back(item.substr(prefix.size()));
        }
        return found;
    }
    bool HasPrefix(const std::string& prefix) const { return !After(prefix).empty(); }
    // The option strings in the order of the array handed to JNI_CreateJavaVM.
    std::vector<std::string> Options() const {
        std::vector<std::string> options;
        for (const std::string& item : log) {
            if (item.rfind("option[", 0) != 0 || item.find("].extraInfo=") != std::string::npos) continue;
            options.push_back(item.substr(item.find("]=") + 2));
        }
        return options;
    }
    std::vector<std::string> MainArguments() const { return After("main arg["); }
};

// The JRE home of the double's variant, copied to `home` (a folder with a space in its name).
bool LayOutJre(const Setup& setup, const std::wstring& home) {
    const std::wstring server = JoinPath(home, L"bin\\server");
    if (!MakeFolders(server) || !WriteFileBytes(JoinPath(home, L"bin\\java.dll"), "")) return false;
    const std::wstring library = JoinPath(server, L"jvm.dll");
    if (!setup.jvmBytes.empty()) return WriteFileBytes(library, setup.jvmBytes);
    return CopyThroughMemory(JoinPath(FakeJvmRoot(), setup.variant + L"\\bin\\server\\jvm.dll"), library);
}

std::wstring IniText(const Setup& setup, const std::wstring& jrePath) {
    std::wstring text = L"[Java Runtime Environment]\r\n";
    if (!setup.mainClass.empty()) text += L"Main Class=" + setup.mainClass + L"\r\n";
    if (!jrePath.empty()) text += L"JRE Path=" + jrePath + L"\r\n";
    if (!setup.vmParameters.empty()) text += L"Virtual Machine Parameters=" + setup.vmParameters + L"\r\n";
    if (!setup.libraryPath.empty()) text += L"Library Path=" + setup.libraryPath + L"\r\n";
    if (!setup.systemPath.empty()) text += L"System Path=" + setup.systemPath + L"\r\n";
    text += L"[Class Path]\r\n";
    if (!setup.classPath.empty()) text += L"Class Path=" + setup.classPath + L"\r\n";
    text += L"[Application]\r\n" + setup.application;
    return text;
}

// Lays out a launcher with its INI and a JRE made of the double, runs it (every box answered with
// OK) and reads the double's record.
Outcome Launch(const std::wstring& testName, const Setup& setup) {
    Outcome outcome;
    outcome.launcher.reset(new LauncherFixture(testName));
    const LauncherFixture& launcher = *outcome.launcher;
    CHECK(launcher.ok());
    outcome.folder = launcher.folder();
    outcome.exe = launcher.exe();
    outcome.jreHome = launcher.path(setup.localJre ? LocalJreName() : L"Java Home");
    CHECK(LayOutJre(setup, outcome.jreHome));
    CHECK(launcher.WriteIni(IniText(setup, setup.localJre ? std::wstring() : outcome.jreHome)));
    for (const std::wstring& file : setup.files) {
        const std::wstring path = launcher.path(file);
        MakeFolders(path.substr(0, path.rfind(L'\\')));
        CHECK(WriteFileBytes(path, ""));
    }
    const std::wstring logPath = launcher.path(L"fake-jvm.log");
    std::vector<std::wstring> environment = {
        L"MARLWICK_FAKE_JVM=" + setup.behaviour,
        L"MARLWICK_FAKE_JVM_LOG=" + logPath,
        L"APPDATA=" + launcher.path(L"AppData"),  // no per-user INI of another test gets in the way
    };
    environment.insert(environment.end(), setup.environment.begin(), setup.environment.end());
    outcome.run = launcher.RunLine(QuoteCommandLine({launcher.exe()}) + setup.commandTail, kRunTimeoutMs, environment);
    std::string bytes;
    if (ReadFileBytes(logPath, bytes)) outcome.log = SplitLines(bytes);
    return outcome;
}

// What every run must satisfy: it ended by itself and used the JNI as a real VM would accept.
void CheckClean(const std::wstring& context, const Outcome& outcome) {
    CHECK_EQ_AT(context, outcome.run.started, true);
    CHECK_EQ_AT(context, outcome.run.timedOut, false);
    CHECK_EQ_AT(context, (outcome.run.exitCode & 0xFFFFE000u) == 0x0BAD0000u, false);  // unimplemented JNI slot
    CHECK_EQ_AT(context, outcome.After("warning: "), std::vector<std::string>{});
    CHECK_EQ_AT(context, outcome.After("unexpected call: "), std::vector<std::string>{});
}

// The entries that a search of `pattern` gives, as the launcher writes them into the class path.
std::wstring FoundEntries(const std::wstring& folder, const std::wstring& pattern) {
    std::wstring entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        entries += JoinPath(folder, found.cFileName) + L";";
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Loading the library and creating the virtual machine

TEST_CASE(CreateFailureShowsItsReason) {
    struct Row {
        const wchar_t* create;
        const wchar_t* reason;
    };
    const Row rows[] = {
        {L"-1", L"unknown"},           {L"-2", L"thread detached from VM"}, {L"-3", L"JNI version error"},
        {L"-4", L"not enough memory"}, {L"-5", L"VM already created"},      {L"-6", L"invalid arguments"},
        {L"-7", L""},                  {L"1", L""},
    };
    for (const Row& row : rows) {
        Setup setup;
        setup.behaviour = std::wstring(L"create=") + row.create;
        const Outcome outcome = Launch(L"create-failure", setup);
        CheckClean(row.create, outcome);
        CHECK_EQ_AT(row.create, outcome.run.exitCode, kFailed);
        CHECK_EQ_AT(row.create, BoxTexts(outcome.run),
                    std::vector<std::wstring>{std::wstring(L"JNI exception: failed to create the Java VM\nReason: ") +
                                              row.reason + L".\n"});
        CHECK_EQ_AT(row.create, outcome.HasPrefix("CreateJavaVM version="), true);
        // Nothing runs on a virtual machine that does not exist, and there is none to destroy.
        CHECK_EQ_AT(row.create, outcome.HasPrefix("FindClass"), false);
        CHECK_EQ_AT(row.create, outcome.HasPrefix("main "), false);
        CHECK_EQ_AT(row.create, outcome.HasPrefix("DetachCurrentThread"), false);
        CHECK_EQ_AT(row.create, outcome.HasPrefix("DestroyJavaVM"), false);
    }
}

TEST_CASE(ExportMissingShowsWindowsException) {
    for (const wchar_t* variant : {L"nocreate", L"nodefaults"}) {
        Setup setup;
        setup.variant = variant;
        const Outcome outcome = Launch(L"export-missing", setup);
        CheckClean(variant, outcome);
        CHECK_EQ_AT(variant, outcome.run.exitCode, kFailed);
        CHECK_EQ_AT(variant, BoxTexts(outcome.run),
                    std::vector<std::wstring>{L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"});
        CHECK_EQ_AT(variant, outcome.log, std::vector<std::string>{});  // no entry point was called
    }
}

TEST_CASE(UnloadableLibraryShowsPathAndError) {
    Setup setup;
    setup.jvmBytes = "MZ this is no library";
    const Outcome outcome = Launch(L"unloadable", setup);
    CheckClean(L"unloadable", outcome);
    // The launcher reports what the loader says about the same file.
    const std::wstring library = JoinPath(outcome.jreHome, L"bin\\server\\jvm.dll");
    SetLastError(0);
    HMODULE loaded = LoadLibraryW(library.c_str());
    const DWORD error = GetLastError();
    CHECK(loaded == nullptr);
    CHECK(error != 0);
    CHECK_EQ(outcome.run.exitCode, kFailed);
    CHECK_EQ(BoxTexts(outcome.run), std::vector<std::wstring>{L"Failed to load Java VM library: " + library +
                                                               L" (errno = " + std::to_wstring(error) + L").\n"});
    CHECK_EQ(outcome.log, std::vector<std::string>{});
}

// ---------------------------------------------------------------------------------------------
// Options

TEST_CASE(OptionsReachTheVmInOrder) {
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    unsigned long long halfOfMemoryK = static_cast<unsigned long long>((memory.dwTotalPhys >> 10) * 0.5);
    if (LauncherIsX86()) {
        // GlobalMemoryStatus tells a 32-bit process at most 4 GiB - 1, and the launcher stops at
        // the 1536 MB that its 4 GB address space under WoW64 can hold in one piece.
        const unsigned long long physicalK = std::min<unsigned long long>(memory.dwTotalPhys, 0xFFFFFFFFull) >> 10;
        halfOfMemoryK = std::min<unsigned long long>(static_cast<unsigned long long>(physicalK * 0.5), 1536ull * 1024);
    }

    Setup setup;
    setup.libraryPath = L"native";
    setup.systemPath = L"C:\\sys";
    setup.files = {L"app.jar", L"lib\\b.jar", L"lib\\a.jar", L"lib\\c.jar", L"lib\\notes.txt"};
    setup.classPath = L"\\lib\\*.jar;C:\\missing\\x.jar;\\app.jar;\\absent.jar;%MARLWICK_RUN_FOLDER%\\extra.jar";
    setup.vmParameters =
        L"-Xmx512m \"-Dtitle=My App\" -Dx=1  -Dhome=%MARLWICK_RUN_VALUE% -Dq=\"a b\"c -Xms1:2:3P -Xmx50P -Xss8m";
    setup.environment = {L"MARLWICK_RUN_VALUE=some value", L"MARLWICK_RUN_FOLDER=C:\\elsewhere"};
    const Outcome outcome = Launch(L"options", setup);
    CheckClean(L"options", outcome);
    CHECK_EQ(outcome.run.exitCode, DWORD(0));
    CHECK_EQ(BoxTexts(outcome.run), std::vector<std::wstring>{});

    const std::wstring path = EnvironmentValue(L"Path");  // the launcher inherits the test's
    const std::wstring& home = outcome.jreHome;
    const std::vector<std::string> expected = {
        Utf8(L"-Djava.library.path=native;" + outcome.folder + L"\\;.;" + path + L";" + home + L"\\lib"),
        Utf8(L"-Djava.class.path=" + FoundEntries(JoinPath(outcome.folder, L"lib"), L"*.jar") +
             L"C:\\missing\\x.jar;" + outcome.folder + L"\\app.jar;C:\\elsewhere\\extra.jar;"),
        "-Xmx512m",
        "-Dtitle=My App",
        "-Dx=1",
        "-Dhome=some value",
        "-Dq=a bc",
        "-Xms3072K",
        "-Xmx" + std::to_string(halfOfMemoryK) + "K",
        "-Xss8m",
        "abort",
        "exit",
    };
    CHECK_EQ(outcome.Options(), expected);
    CHECK_EQ(outcome.After("CreateJavaVM version="),
             std::vector<std::string>{"0x00010002 nOptions=12 ignoreUnrecognized=0"});
    // Only the two hooks carry extra information.
    CHECK_EQ(outcome.After("option[").size(), size_t(14));
    CHECK(outcome.Has("option[10].extraInfo=set"));
    CHECK(outcome.Has("option[11].extraInfo=set"));

    CHECK(outcome.Has("env VX_JVM_PATH=" + Utf8(home + L"\\bin\\server\\jvm.dll")));
    CHECK(outcome.Has("env VX_JVM_HOME=" + Utf8(home)));
    CHECK(outcome.Has("env Path=" + Utf8(L"C:\\sys;" + path + L";" + home + L"\\bin")));
    // The virtual machine is created on a thread of its own, whose stack -Xss sized.
    CHECK(outcome.Has("CreateJavaVM thread=other stack=8388608"));
    CHECK_EQ(outcome.HasPrefix("GetDefaultJavaVMInitArgs"), false);
}

TEST_CASE(OptionsWithoutSettings) {
    // No library path, no parameters: the array is the class path and the two hooks.
    Setup setup;
    const Outcome outcome = Launch(L"options-bare", setup);
    CheckClean(L"bare", outcome);
    CHECK_EQ(outcome.Options(), (std::vector<std::string>{Utf8(L"-Djava.class.path=" + outcome.folder + L"\\app.jar;"),
                                                           "abort", "exit"}));
    CHECK(outcome.Has("env Path=" + Utf8(EnvironmentValue(L"Path") + L";" + outcome.jreHome + L"\\bin")));
}

TEST_CASE(EmptyClassPath) {
    struct Row {
        const wchar_t* name;
        const wchar_t* application;
    };
    const Row rows[] = {
        {L"no class path", L""},
        {L"embedded jar", L"Embedded Jar=YES\r\n"},  // the executable itself is the class path
    };
    for (const Row& row : rows) {
        const bool embedded = row.application[0] != L'\0';
        Setup setup;
        setup.classPath.clear();
        setup.application = row.application;
        setup.vmParameters = L"-Xmx64m";
        const Outcome outcome = Launch(L"empty-class-path", setup);
        CheckClean(row.name, outcome);
        if (embedded) {
            CHECK_EQ_AT(row.name, outcome.run.exitCode, DWORD(0));
            CHECK_EQ_AT(row.name, BoxTexts(outcome.run), std::vector<std::wstring>{});
            CHECK_EQ_AT(row.name, outcome.Options(),
                        (std::vector<std::string>{Utf8(L"-Djava.class.path=" + outcome.exe + L";"), "-Xmx64m", "abort", "exit"}));
        } else {
            // The run ends after the message: no virtual machine without a class path.
            CHECK_EQ_AT(row.name, outcome.run.exitCode, kFailed);
            CHECK_EQ_AT(row.name, BoxTexts(outcome.run),
                        std::vector<std::wstring>{L"Java Class Path was not specified in INI file."});
            CHECK_EQ_AT(row.name, outcome.HasPrefix("CreateJavaVM"), false);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The Java main thread's stack

TEST_CASE(StackSizeOfTheJavaMainThread) {
    struct Row {
        const wchar_t* parameters;
        const wchar_t* behaviour;
        bool asksDefaults;
        const char* stack;  // the reservation of the thread that creates the VM; null: not checked
    };
    const Row rows[] = {
        {L"-Xss8m", L"stack=16777216", false, "8388608"},
        {L"-Xss4194304", L"", false, "4194304"},
        {L"-Xss3M", L"stack=16777216", false, "3145728"},
        {L"", L"stack=16777216", true, "16777216"},
        {L"-Xssabc", L"stack=16777216", true, "16777216"},
        {L"-Xss8m -Xssabc", L"stack=16777216", true, "16777216"},  // the later one counts, also when unusable
        {L"", L"", true, nullptr},                                  // no default: the executable's own
    };
    for (const Row& row : rows) {
        const std::wstring context = std::wstring(row.parameters) + L" / " + row.behaviour;
        Setup setup;
        setup.vmParameters = row.parameters;
        setup.behaviour = row.behaviour;
        const Outcome outcome = Launch(L"stack", setup);
        CheckClean(context, outcome);
        CHECK_EQ_AT(context, outcome.run.exitCode, DWORD(0));
        CHECK_EQ_AT(context, outcome.After("GetDefaultJavaVMInitArgs "),
                    row.asksDefaults ? std::vector<std::string>{"version=0x00010001 thread=loader"}
                                     : std::vector<std::string>{});
        if (row.stack != nullptr) {
            CHECK_EQ_AT(context, outcome.After("CreateJavaVM thread=other stack="), std::vector<std::string>{row.stack});
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Main class

TEST_CASE(MainClassLookup) {
    struct Row {
        const wchar_t* variant;
        const wchar_t* behaviour;
        bool asksBootLoader;
        bool callsHelper;
        bool findsClass;
    };
    const Row rows[] = {
        {L"full", L"", true, true, false},
        {L"nohelper", L"", false, false, true},
        {L"full", L"helper=missing", true, false, true},
        {L"full", L"checkandload=null", true, true, true},
        {L"full", L"checkandload=exception", true, true, true},
    };
    for (const Row& row : rows) {
        const std::wstring context = std::wstring(row.variant) + L" " + row.behaviour;
        Setup setup;
        setup.variant = row.variant;
        setup.behaviour = row.behaviour;
        const Outcome outcome = Launch(L"main-class", setup);
        CheckClean(context, outcome);
        CHECK_EQ_AT(context, outcome.run.exitCode, DWORD(0));
        CHECK_EQ_AT(context, BoxTexts(outcome.run), std::vector<std::wstring>{});
        CHECK_EQ_AT(context, outcome.Has("FindClassFromBootLoader sun/launcher/LauncherHelper"), row.asksBootLoader);
        CHECK_EQ_AT(context, outcome.Has("checkAndLoadMain printToStderr=1 mode=1 name=com.example.App"), row.callsHelper);
        CHECK_EQ_AT(context, outcome.Has("FindClass com/example/App"), row.findsClass);
        CHECK_EQ_AT(context, outcome.After("main class="), std::vector<std::string>{"com/example/App thread=creator argc=0"});
        CHECK_EQ_AT(context, outcome.HasPrefix("ExceptionDescribe"), false);
    }
}

TEST_CASE(MainClassFailures) {
    struct Row {
        const wchar_t* variant;
        const wchar_t* behaviour;
        const wchar_t* box;        // null: none
        const char* described;     // the exception printed; null: none
    };
    const Row rows[] = {
        {L"full", L"mainclass=missing", L"Could not find the main class com/example/App.\n", "java/lang/NoClassDefFoundError"},
        {L"nohelper", L"mainclass=missing", L"Could not find the main class com/example/App.\n", "java/lang/NoClassDefFoundError"},
        {L"full", L"nomain=exception", nullptr, "java/lang/NoSuchMethodError"},
        {L"full", L"nomain=box", L"No main method found in specified class.\n", nullptr},
        {L"full", L"string=fail", L"Failed to load Main Class: com/example/App.\n", nullptr},
        {L"nohelper", L"utf=fail", nullptr, "java/lang/OutOfMemoryError"},
        {L"full", L"array=fail", nullptr, "java/lang/OutOfMemoryError"},
    };
    for (const Row& row : rows) {
        const std::wstring context = std::wstring(row.variant) + L" " + row.behaviour;
        Setup setup;
        setup.variant = row.variant;
        setup.behaviour = row.behaviour;
        const Outcome outcome = Launch(L"main-failure", setup);
        CheckClean(context, outcome);
        CHECK_EQ_AT(context, outcome.run.exitCode, kFailed);
        CHECK_EQ_AT(context, BoxTexts(outcome.run),
                    row.box != nullptr ? std::vector<std::wstring>{row.box} : std::vector<std::wstring>{});
        CHECK_EQ_AT(context, outcome.After("ExceptionDescribe "),
                    row.described != nullptr ? std::vector<std::string>{row.described} : std::vector<std::string>{});
        CHECK_EQ_AT(context, outcome.HasPrefix("main class="), false);
        CHECK_EQ_AT(context, outcome.Has("DestroyJavaVM thread=loader"), true);
    }
}

// ---------------------------------------------------------------------------------------------
// Arguments

TEST_CASE(ArgumentsReachMainExactly) {
    struct Row {
        const wchar_t* name;
        std::wstring tail;  // after the quoted executable path
        std::wstring cmd;   // "Cmd" of section "Application"
        std::vector<std::wstring> expected;
    };
    const Row rows[] = {
        {L"none", L"", L"", {}},
        {L"spaces around", L"   a   ", L"", {L"a"}},
        {L"quotes",
         L" plain \"with space\" \"\" a\"b \"c d\"e  -nosplash \\\\server\\share\\ \"x\\\"",
         L"",
         {L"plain", L"with space", L"", L"a\"b", L"c d", L"e", L"-nosplash", L"\\\\server\\share\\", L"x\\"}},
        {L"outside the code page",
         L" \u00fcn\u00efc\u00f6d\u00e9 \u65e5\u672c\u8a9e \U0001F600 \u0416",
         L"",
         {L"\u00fcn\u00efc\u00f6d\u00e9", L"\u65e5\u672c\u8a9e", L"\U0001F600", L"\u0416"}},
        {L"cmd appended", L" first", L"  extra  %MARLWICK_RUN_VALUE% \"q r\" \"\" ", {L"first", L"extra", L"some", L"value", L"q r"}},
    };
    for (const Row& row : rows) {
        Setup setup;
        setup.commandTail = row.tail;
        if (!row.cmd.empty()) setup.application = L"Cmd=" + row.cmd + L"\r\n";
        setup.environment = {L"MARLWICK_RUN_VALUE=some value"};
        const Outcome outcome = Launch(L"arguments", setup);
        CheckClean(row.name, outcome);
        CHECK_EQ_AT(row.name, outcome.run.exitCode, DWORD(0));
        std::vector<std::string> expected;
        for (size_t i = 0; i < row.expected.size(); ++i) {
            expected.push_back(std::to_string(i) + "]=" + Utf8(row.expected[i]));
        }
        CHECK_EQ_AT(row.name, outcome.MainArguments(), expected);
        CHECK_EQ_AT(row.name, outcome.After("main class="),
                    std::vector<std::string>{"com/example/App thread=creator argc=" + std::to_string(expected.size())});
    }
}

// ---------------------------------------------------------------------------------------------
// The end of the run

TEST_CASE(EndOfTheRun) {
    struct Row {
        const wchar_t* behaviour;
        DWORD exitCode;
        const char* detach;  // the DetachCurrentThread record; null: not called
        bool destroyed;
    };
    const Row rows[] = {
        {L"", 0, "thread=creator pending=none result=0", true},
        {L"detach=fail", kFailed, "thread=creator pending=none result=-1", true},
        // An uncaught exception without "Failure Check": nothing shown, the thread ends as usual,
        // and the process ends with 1, as java.exe's does.
        {L"main=throw", 1, "thread=creator pending=java/lang/RuntimeException result=0", true},
        // System.exit ends the process inside the VM, after the launcher's exit hook returned.
        {L"main=exit:3", 3, nullptr, false},
        {L"main=exit:-2", 0xFFFFFFFE, nullptr, false},
    };
    for (const Row& row : rows) {
        Setup setup;
        setup.behaviour = row.behaviour;
        const Outcome outcome = Launch(L"end", setup);
        CheckClean(row.behaviour, outcome);
        CHECK_EQ_AT(row.behaviour, outcome.run.exitCode, row.exitCode);
        CHECK_EQ_AT(row.behaviour, BoxTexts(outcome.run), std::vector<std::wstring>{});
        CHECK_EQ_AT(row.behaviour, outcome.After("DetachCurrentThread "),
                    row.detach != nullptr ? std::vector<std::string>{row.detach} : std::vector<std::string>{});
        CHECK_EQ_AT(row.behaviour, outcome.After("DestroyJavaVM "),
                    row.destroyed ? std::vector<std::string>{"thread=loader"} : std::vector<std::string>{});
        CHECK_EQ_AT(row.behaviour, outcome.Has("exit hook returned"), row.detach == nullptr);
    }
}

// Percentages of a machine's memory that a 32-bit process could never hold: the launcher asks for
// no more than the process can reserve in one piece, and the double reserves it in the launcher's
// own address space as a virtual machine reserves its heap.
TEST_CASE(HeapPercentagesFitTheProcess) {
    for (const wchar_t* parameters : {L"-Xmx70P", L"-Xmx100P", L"-Xmx50:3000P", L"-Xmx25:4000:8000P"}) {
        Setup setup;
        setup.vmParameters = parameters;
        setup.behaviour = L"heap=reserve";
        const Outcome outcome = Launch(L"heap", setup);
        CheckClean(parameters, outcome);
        CHECK_EQ_AT(parameters, outcome.run.exitCode, DWORD(0));
        const std::vector<std::string> heap = outcome.After("heap ");
        CHECK_EQ_AT(parameters, heap.size(), size_t(1));
        if (heap.size() != 1) continue;
        CHECK_EQ_AT(parameters, heap[0].substr(heap[0].find(' ') + 1), std::string("reserved=yes"));
        if (LauncherIsX86()) CHECK_EQ_AT(parameters, std::stoull(heap[0]) <= 1536ull << 20, true);
    }
}

// A single-instance first instance whose VM takes 3 s to go after main (DestroyJavaVM lingers):
// a later start that comes then is not delivered into the ending VM, and is told the first
// instance's exit code.
TEST_CASE(LaterStartWhileTheVmEnds) {
    Setup setup;
    setup.application = L"Single Instance=yes\r\n";
    LauncherFixture launcher(L"end-handover");
    CHECK(launcher.ok());
    const std::wstring jreHome = launcher.path(L"Java Home");
    CHECK(LayOutJre(setup, jreHome));
    CHECK(launcher.WriteIni(IniText(setup, jreHome)));
    CHECK(WriteFileBytes(launcher.path(L"app.jar"), ""));
    const std::wstring logPath = launcher.path(L"fake-jvm.log");
    StartOptions options;
    options.executable = launcher.exe();
    options.commandLine = QuoteCommandLine({launcher.exe()});
    options.workingDirectory = launcher.folder();
    options.environment = EnvironmentMode::InheritWithOverrides;
    options.variables = {L"MARLWICK_FAKE_JVM=linger=3000", L"MARLWICK_FAKE_JVM_LOG=" + logPath,
                         L"APPDATA=" + launcher.path(L"AppData")};
    Process first = Process::Start(options);
    CHECK(first.started());
    auto destroying = [&] {
        std::string bytes;
        return ReadFileBytes(logPath, bytes) && bytes.find("DestroyJavaVM") != std::string::npos;
    };
    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (!destroying() && GetTickCount64() < deadline) Sleep(20);
    CHECK(destroying());
    StartOptions later = options;
    later.commandLine = QuoteCommandLine({launcher.exe(), L"later"});
    later.variables[1] = L"MARLWICK_FAKE_JVM_LOG=" + launcher.path(L"later.log");
    const RunResult laterRun = RunAnswering(later, 60000);
    const ExitResult firstEnd = first.WaitForExit(30000);
    CHECK_EQ(firstEnd.timedOut, false);
    CHECK_EQ(firstEnd.exitCode, DWORD(0));
    CHECK_EQ(laterRun.timedOut, false);
    // Told: the first instance's exit code, or -1 after its box when the hand-over itself failed.
    CHECK(laterRun.exitCode == 0 || (laterRun.exitCode == kFailed && !laterRun.boxes.empty()));
    std::string bytes;
    ReadFileBytes(logPath, bytes);
    const std::vector<std::string> log = SplitLines(bytes);
    std::vector<std::string> warnings;
    for (const std::string& line : log) {
        if (line.rfind("warning: ", 0) == 0) warnings.push_back(line);
    }
    CHECK_EQ(warnings, std::vector<std::string>{});
}

// ---------------------------------------------------------------------------------------------
// The JRE beside the executable

TEST_CASE(LocalJreBesideTheExecutable) {
    Setup setup;
    setup.localJre = true;
    // The other build's folder beside it holds a jvm.dll that cannot be loaded: never looked at.
    const std::wstring otherFolder = LauncherIsX86() ? L"jre64" : L"jre";
    setup.files = {L"app.jar", otherFolder + L"\\bin\\java.dll", otherFolder + L"\\bin\\server\\jvm.dll"};
    const Outcome outcome = Launch(L"local-jre", setup);
    CheckClean(L"local", outcome);
    CHECK_EQ(outcome.run.exitCode, DWORD(0));
    const std::wstring home = outcome.folder + L"\\" + LocalJreName();
    CHECK(outcome.Has("env VX_JVM_HOME=" + Utf8(home)));
    CHECK(outcome.Has("env VX_JVM_PATH=" + Utf8(home + L"\\bin\\server\\jvm.dll")));
    CHECK(outcome.HasPrefix("main class=com/example/App"));
}
