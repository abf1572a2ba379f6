// Both builds side by side: the launcher under test ($MARLWICK_LAUNCHER, of the architecture
// $MARLWICK_LAUNCHER_ARCH) and its pair, the other build ($MARLWICK_PAIR_LAUNCHER), in one folder,
// each with the JVM double of its own architecture. A JVM library of the other architecture hands
// the start to the pair with the command line unchanged, "Pair Return Code" brings its exit code
// back, the registry is searched in the launcher's own view first, and bad libraries and pair
// products end in the documented message, never in a crash or a loop of hand-overs. CTest runs
// every case once from each side.
#include <windows.h>
#include <tlhelp32.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/UniqueResource.h"
#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"
#include "tests/system/jre/JreFixtures.h"

using namespace testsupport;

namespace {

const DWORD kFailed = 0xFFFFFFFF;
const DWORD kRunMs = 60000;
const wchar_t kLoadFailed[] = L"Failed to load Java VM library: ";
const wchar_t kCannotStart[] = L"The program for the other processor type could not be started: ";
const wchar_t kWouldLoop[] = L"The program for the other processor type would start this program again: ";

std::wstring PairFileName() { return LauncherIsX86() ? L"Marlwick 64.exe" : L"Marlwick.exe"; }
std::wstring DoubleIn(const wchar_t* rootVariable) {
    return JoinPath(WinePathFromEnvironment(rootVariable), L"full\\bin\\server\\jvm.dll");
}
std::wstring OwnDouble() { return DoubleIn(L"MARLWICK_FAKE_JVM_ROOT"); }
std::wstring PairDouble() { return DoubleIn(L"MARLWICK_PAIR_FAKE_JVM_ROOT"); }
std::wstring IniPathOf(const std::wstring& exe) { return exe.substr(0, exe.rfind(L'.') + 1) + L"ini"; }

// A box, and whether the pair (a process the launcher started) showed it.
struct Box {
    std::wstring text;
    bool fromPair = false;
};

struct FamilyRun {
    DWORD exitCode = 0;
    bool started = false;
    bool timedOut = false;
    std::vector<Box> boxes;
};

// The launcher and the processes it started, each held by a handle from the moment it is seen:
// a process id that is used again after its process ended (Wine reuses them at once, and other
// tests start processes beside this one) is never taken for a member.
struct Member {
    UniqueHandle handle;
    ULONGLONG created = 0;
};
using Family = std::map<DWORD, Member>;

ULONGLONG CreationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (process == nullptr || !GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

Member Hold(DWORD processId) {
    Member member;
    member.handle.reset(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    member.created = CreationTime(member.handle.get());
    return member;
}

bool Alive(const Member& member) { return member.handle && WaitForSingleObject(member.handle.get(), 0) == WAIT_TIMEOUT; }

// Adds every process whose parent is a member and which was created after that parent.
void AddDescendants(Family& family) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    std::vector<PROCESSENTRY32W> entries;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        entries.push_back(entry);
    }
    CloseHandle(snapshot);
    for (bool grew = true; grew;) {
        grew = false;
        for (const PROCESSENTRY32W& item : entries) {
            const auto parent = family.find(item.th32ParentProcessID);
            if (parent == family.end() || family.count(item.th32ProcessID) != 0) continue;
            Member child = Hold(item.th32ProcessID);
            if (!child.handle || child.created < parent->second.created) continue;
            family.emplace(item.th32ProcessID, std::move(child));
            grew = true;
        }
    }
}

struct WindowsOf {
    const Family* family;
    std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM context) {
    WindowsOf& windows = *reinterpret_cast<WindowsOf*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const auto member = windows.family->find(processId);
    if (member != windows.family->end() && Alive(member->second) && IsVisibleDialog(window)) {
        windows.found.push_back({window, processId});
    }
    return TRUE;
}

// Runs the launcher and answers the boxes of the launcher and of every process it started (the
// pair product) until all of them have ended: OK, but Cancel for the JRE Not Found dialog.
FamilyRun RunFamily(const LauncherFixture& launcher, const std::vector<std::wstring>& arguments,
                    const std::vector<std::wstring>& environment) {
    FamilyRun run;
    StartOptions options;
    options.executable = launcher.exe();
    std::vector<std::wstring> line = {launcher.exe()};
    line.insert(line.end(), arguments.begin(), arguments.end());
    options.commandLine = QuoteCommandLine(line);
    options.workingDirectory = launcher.folder();
    options.environment = EnvironmentMode::InheritWithOverrides;
    options.variables = environment;
    Process process = Process::Start(options);
    run.started = process.started();
    if (!run.started) return run;
    Family family;
    family.emplace(process.id(), Hold(process.id()));
    std::set<HWND> answered;
    const ULONGLONG deadline = GetTickCount64() + kRunMs;
    for (;;) {
        AddDescendants(family);
        WindowsOf windows = {&family, {}};
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        for (const auto& [window, processId] : windows.found) {
            if (!answered.insert(window).second) continue;
            const WindowInfo box = ReadWindow(window);
            run.boxes.push_back({box.MessageText(), processId != process.id()});
            PressButton(window, LauncherFixture::AnswerOkButCancelJreNotFound(box));
        }
        bool anyAlive = false;
        for (const auto& [id, member] : family) anyAlive = anyAlive || (id == process.id() ? process.running() : Alive(member));
        if (!anyAlive) break;
        if (GetTickCount64() > deadline) {
            run.timedOut = true;
            for (const auto& [id, member] : family) {
                if (Alive(member)) TerminateProcess(member.handle.get(), 0xDEAD);
            }
            break;
        }
        Sleep(25);
    }
    run.exitCode = process.WaitForExit(5000).exitCode;
    return run;
}

// A JRE home at `home` whose bin\<type>\jvm.dll holds `bytes` (and the bin\java.dll marker).
bool LayOutJre(const std::wstring& home, const std::wstring& type, const std::string& bytes) {
    return MakeFolders(JoinPath(home, L"bin\\" + type)) && WriteFileBytes(JoinPath(home, L"bin\\java.dll"), "") &&
           WriteFileBytes(JoinPath(home, L"bin\\" + type + L"\\jvm.dll"), bytes);
}

std::string Bytes(const std::wstring& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// The x64 double as a library for ARM64: the machine field of its file header changed.
std::string Arm64Library() {
    std::string bytes = Bytes(LauncherIsX86() ? PairDouble() : OwnDouble());
    if (bytes.size() < 0x40) return bytes;
    const size_t header = *reinterpret_cast<const uint32_t*>(&bytes[0x3C]);
    if (header + 6 > bytes.size()) return bytes;
    bytes[header + 4] = static_cast<char>(0x64);
    bytes[header + 5] = static_cast<char>(0xAA);
    return bytes;
}

// Both launchers in one folder, and the runtimes the cases choose from:
//   Own JRE, Other JRE      the double of each architecture in bin\server
//   Mixed JRE               the other architecture's in bin\client, the own one in bin\server
//   Not PE, Truncated, ARM64   a text file, the first KB of the own double, an ARM64 header
class PairFolder {
public:
    explicit PairFolder(const std::wstring& name)
        : launcher_(name), pairExe_(launcher_.path(PairFileName())) {
        const std::string own = Bytes(OwnDouble()), other = Bytes(PairDouble());
        ok_ = launcher_.ok() && !own.empty() && !other.empty() &&
              CopyThroughMemory(WinePathFromEnvironment(L"MARLWICK_PAIR_LAUNCHER"), pairExe_) &&
              WriteFileBytes(launcher_.path(L"app.jar"), "") && LayOutJre(Home(L"Own JRE"), L"server", own) &&
              LayOutJre(Home(L"Other JRE"), L"server", other) && LayOutJre(Home(L"Mixed JRE"), L"client", other) &&
              LayOutJre(Home(L"Mixed JRE"), L"server", own) &&
              LayOutJre(Home(L"Not PE"), L"server", "this is no library\r\n") &&
              LayOutJre(Home(L"Truncated"), L"server", own.substr(0, 1024)) &&
              LayOutJre(Home(L"ARM64"), L"server", Arm64Library());
    }

    bool ok() const { return ok_; }
    const LauncherFixture& launcher() const { return launcher_; }
    const std::wstring& pairExe() const { return pairExe_; }
    std::wstring Home(const std::wstring& name) const { return launcher_.path(name); }
    std::wstring Log() const { return launcher_.path(L"fake-jvm.log"); }

    // An INI for either launcher: "JRE Path" (none when empty), more lines for the runtime section
    // and the [Application] lines.
    static std::wstring Ini(const std::wstring& jrePath, const std::wstring& runtimeLines,
                            const std::wstring& applicationLines) {
        std::wstring text = L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\n";
        if (!jrePath.empty()) text += L"JRE Path=" + jrePath + L"\r\n";
        return text + runtimeLines + L"[Class Path]\r\nClass Path=\\app.jar\r\n[Application]\r\n" + applicationLines;
    }
    bool WriteIni(const std::wstring& text) const { return launcher_.WriteIni(text); }
    bool WritePairIni(const std::wstring& text) const { return WriteFileBytes(IniPathOf(pairExe_), AsciiBytes(text)); }

    // Runs the launcher; `behaviour` tells the double what its main does.
    FamilyRun Run(const std::vector<std::wstring>& arguments, const std::wstring& behaviour,
                  const std::vector<std::wstring>& more = {}) const {
        DeleteFileW(Log().c_str());
        std::vector<std::wstring> environment = {L"MARLWICK_FAKE_JVM=" + behaviour, L"MARLWICK_FAKE_JVM_LOG=" + Log(),
                                                 L"APPDATA=" + launcher_.path(L"AppData")};
        environment.insert(environment.end(), more.begin(), more.end());
        return RunFamily(launcher_, arguments, environment);
    }

    // From the double's record: the library whose VM ran main (empty when none did), and the
    // arguments main received.
    std::wstring LibraryThatRanMain() const {
        std::wstring library;
        bool ranMain = false;
        std::string bytes;
        ReadFileBytes(Log(), bytes);
        for (const std::string& line : SplitLines(bytes)) {
            if (line.rfind("env VX_JVM_PATH=", 0) == 0) library = WideFromUtf8(line.substr(16));
            if (line.rfind("main class=", 0) == 0) ranMain = true;
        }
        return ranMain ? library : std::wstring();
    }
    std::vector<std::string> MainArguments() const {
        std::vector<std::string> arguments;
        std::string bytes;
        ReadFileBytes(Log(), bytes);
        for (const std::string& line : SplitLines(bytes)) {
            if (line.rfind("main arg[", 0) == 0) arguments.push_back(line.substr(line.find("]=") + 2));
        }
        return arguments;
    }

private:
    LauncherFixture launcher_;
    std::wstring pairExe_;
    bool ok_ = false;
};

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

// Which process is expected to show the one box of a case.
enum class BoxFrom { None, Launcher, Pair };

struct Expected {
    Expected(DWORD code, std::wstring library) : exitCode(code), ranMain(std::move(library)) {}
    Expected(DWORD code, std::wstring library, BoxFrom from, std::wstring start)
        : exitCode(code), ranMain(std::move(library)), boxFrom(from), boxStart(std::move(start)) {}
    DWORD exitCode;
    std::wstring ranMain;  // the library whose VM ran main; empty: none
    BoxFrom boxFrom = BoxFrom::None;
    std::wstring boxStart;  // how the one box's text begins
};

void CheckRun(const std::wstring& name, const PairFolder& folder, const FamilyRun& run, const Expected& expected) {
    CHECK_EQ_AT(name, run.started, true);
    CHECK_EQ_AT(name, run.timedOut, false);
    CHECK_EQ_AT(name, run.exitCode, expected.exitCode);
    CHECK_EQ_AT(name, folder.LibraryThatRanMain(), expected.ranMain);
    CHECK_EQ_AT(name, run.boxes.size(), size_t(expected.boxFrom == BoxFrom::None ? 0 : 1));
    if (expected.boxFrom != BoxFrom::None && run.boxes.size() == 1) {
        CHECK_EQ_AT(name, run.boxes[0].fromPair, expected.boxFrom == BoxFrom::Pair);
        if (!StartsWith(run.boxes[0].text, expected.boxStart)) CHECK_EQ_AT(name, run.boxes[0].text, expected.boxStart);
    }
}

std::wstring ServerLibrary(const std::wstring& home) { return home + L"\\bin\\server\\jvm.dll"; }

}  // namespace

// "JRE Path" naming a runtime of the other architecture: the start goes to the pair product with
// the same arguments, and comes back with its exit code only with "Pair Return Code".
TEST_CASE(pair_HandOverBothWays) {
    PairFolder folder(L"arch-hand-over");
    CHECK(folder.ok());
    const std::wstring own = folder.Home(L"Own JRE"), other = folder.Home(L"Other JRE");
    const std::wstring pair = L"Pair Product=" + folder.pairExe() + L"\r\n";
    const std::wstring returnCode = L"Pair Return Code=yes\r\n";
    struct Row {
        const wchar_t* name;
        std::wstring jrePath, applicationLines;
        std::wstring behaviour;
        Expected expected;
    };
    const Row rows[] = {
        {L"other architecture, Pair Return Code", other, pair + returnCode, L"main=exit:7", {7, ServerLibrary(other)}},
        {L"all 32 bits of the pair's code", other, pair + L"Pair Return Code=YES\r\n", L"main=exit:-2",
         {0xFFFFFFFE, ServerLibrary(other)}},
        // Without it the launcher ends at once with 0, and the pair goes on.
        {L"other architecture, no Pair Return Code", other, pair, L"main=exit:7", {0, ServerLibrary(other)}},
        {L"own architecture, pair set: never handed over", own, pair + returnCode, L"main=exit:5",
         {5, ServerLibrary(own)}},
        // The pair product cannot load the library either: its own message, its -1 comes back.
        {L"the pair fails too", other, pair + returnCode, L"create=-4",
         {kFailed, L"", BoxFrom::Pair, L"JNI exception: failed to create the Java VM"}},
        {L"other architecture, no pair product", other, returnCode, L"",
         {kFailed, L"", BoxFrom::Launcher, kLoadFailed + ServerLibrary(other)}},
    };
    const std::vector<std::wstring> arguments = {L"a b", L"", L"-nosplash", L"\x00f1"};
    const std::wstring tracePath = folder.launcher().path(L"trace.txt");
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.name, folder.WriteIni(PairFolder::Ini(row.jrePath, L"", row.applicationLines)), true);
        // The pair finds the same runtime, which is its own.
        CHECK_EQ_AT(row.name, folder.WritePairIni(PairFolder::Ini(row.jrePath, L"", L"")), true);
        DeleteFileW(tracePath.c_str());
        const FamilyRun run = folder.Run(arguments, row.behaviour, {L"MARLWICK_TRACE=" + tracePath});
        CheckRun(row.name, folder, run, row.expected);
        // Both launchers trace into the same file: the pair, when it ran, was told that it was handed
        // the start, and saw the same command line.
        std::string trace;
        ReadFileBytes(tracePath, trace);
        const bool handedOver = row.jrePath == other && row.applicationLines.find(L"Pair Product") != std::wstring::npos;
        CHECK_EQ_AT(row.name,
                    trace.find(Utf8(L"executable \"" + folder.pairExe() + L"\", handed over by the pair product: yes")) !=
                        std::string::npos,
                    handedOver);
        std::vector<std::string> commandLines;
        for (const std::string& line : SplitLines(trace)) {
            const size_t at = line.find("launcher: command line ");
            if (at != std::string::npos) commandLines.push_back(line.substr(at));
        }
        CHECK_EQ_AT(row.name, commandLines.size(), size_t(handedOver ? 2 : 1));
        if (commandLines.size() == 2) CHECK_EQ_AT(row.name, commandLines[1], commandLines[0]);
        if (!row.expected.ranMain.empty()) {
            CHECK_EQ_AT(row.name, folder.MainArguments(),
                        (std::vector<std::string>{"a b", "", "-nosplash", Utf8(L"\x00f1")}));
        }
    }
}

// Libraries and pair products that are not what they should be.
TEST_CASE(pair_BadLibrariesAndPairProducts) {
    PairFolder folder(L"arch-bad-input");
    CHECK(folder.ok());
    const std::wstring pair = L"Pair Product=" + folder.pairExe() + L"\r\nPair Return Code=yes\r\n";
    const std::wstring mixed = folder.Home(L"Mixed JRE"), other = folder.Home(L"Other JRE");
    // A second copy of the launcher under test, named as the pair: the same architecture again.
    const std::wstring sameBuild = folder.launcher().path(L"Same Build.exe");
    CHECK(CopyThroughMemory(BuiltLauncherPath(), sameBuild));
    CHECK(WriteFileBytes(IniPathOf(sameBuild),
                         AsciiBytes(PairFolder::Ini(other, L"", L"Pair Product=" + folder.launcher().exe() +
                                                                    L"\r\nPair Return Code=yes\r\n"))));
    struct Row {
        const wchar_t* name;
        std::wstring jrePath, runtimeLines, applicationLines;
        Expected expected;
    };
    const std::wstring arm64 = folder.Home(L"ARM64");
    // The 32-bit launcher hands an ARM64 library to the 64-bit one, which cannot load it either;
    // the 64-bit launcher takes it as its own and cannot load it.
    const Expected arm64Expected = LauncherIsX86()
                                       ? Expected{kFailed, L"", BoxFrom::Pair, kLoadFailed + ServerLibrary(arm64)}
                                       : Expected{kFailed, L"", BoxFrom::Launcher, kLoadFailed + ServerLibrary(arm64)};
    const Row rows[] = {
        // bin\client comes first: the other architecture's library there is handed over.
        {L"mixed folder, client first", mixed, L"", pair,
         {3, mixed + L"\\bin\\client\\jvm.dll"}},
        {L"mixed folder, server wanted", mixed, L"JVM Type=server\r\n", pair, {3, ServerLibrary(mixed)}},
        {L"not a PE file", folder.Home(L"Not PE"), L"", pair,
         {kFailed, L"", BoxFrom::Launcher, kLoadFailed + ServerLibrary(folder.Home(L"Not PE"))}},
        {L"truncated library", folder.Home(L"Truncated"), L"", pair,
         {kFailed, L"", BoxFrom::Launcher, kLoadFailed + ServerLibrary(folder.Home(L"Truncated"))}},
        {L"ARM64 library", arm64, L"", pair, arm64Expected},
        {L"pair product missing", other, L"", L"Pair Product=" + folder.launcher().path(L"missing.exe") +
                                                  L"\r\nPair Return Code=yes\r\n",
         {kFailed, L"", BoxFrom::Launcher, kCannotStart}},
        // The copy is handed the start, finds the same foreign library and would hand it on again.
        {L"pair product of the same architecture", other, L"",
         L"Pair Product=" + sameBuild + L"\r\nPair Return Code=yes\r\n",
         {kFailed, L"", BoxFrom::Pair, kWouldLoop}},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.name, folder.WriteIni(PairFolder::Ini(row.jrePath, row.runtimeLines, row.applicationLines)),
                    true);
        CHECK_EQ_AT(row.name, folder.WritePairIni(PairFolder::Ini(row.jrePath, row.runtimeLines, L"")), true);
        CheckRun(row.name, folder, folder.Run({L"x"}, L"main=exit:3"), row.expected);
    }
}

// The launcher's own runtime folder beside it: jre64\ for the 64-bit build, jre\ for the 32-bit
// one, never the other's; a library of the other architecture there goes to the pair product.
TEST_CASE(pair_LocalRuntimeFolder) {
    PairFolder folder(L"arch-local");
    CHECK(folder.ok());
    const std::wstring pair = L"Pair Product=" + folder.pairExe() + L"\r\nPair Return Code=yes\r\n";
    const std::wstring local = folder.launcher().path(LocalJreName());
    const std::wstring otherName = folder.launcher().path(LauncherIsX86() ? L"jre64" : L"jre");
    CHECK(LayOutJre(otherName, L"server", Bytes(PairDouble())));  // the pair's own folder
    CHECK(folder.WriteIni(PairFolder::Ini(L"", L"", pair)));
    CHECK(folder.WritePairIni(PairFolder::Ini(L"", L"", L"")));
    struct Row {
        const wchar_t* name;
        std::wstring library;  // copied into the launcher's own folder name; empty: none there
        Expected expected;
    };
    const Row rows[] = {
        {L"own library in the own folder", OwnDouble(), {4, ServerLibrary(local)}},
        // Handed over: the pair runs with the runtime of its own folder.
        {L"other library in the own folder", PairDouble(), {4, ServerLibrary(otherName)}},
        // Only the other build's folder: not looked at, so no runtime at all.
        {L"only the other build's folder", L"", {kFailed, L"", BoxFrom::Launcher, L""}},
    };
    for (const Row& row : rows) {
        DeleteTree(local);
        if (!row.library.empty()) CHECK_EQ_AT(row.name, LayOutJre(local, L"server", Bytes(row.library)), true);
        CheckRun(row.name, folder, folder.Run({}, L"main=exit:4"), row.expected);
    }
}

// The vendor keys in both registry views, written with reg.exe /reg:32 and /reg:64: the launcher's
// own view first; the other view only with a pair product, which then gets the start.
TEST_CASE(registry_ViewsInOrder) {
    PairFolder folder(L"arch-registry");
    CHECK(folder.ok());
    jrefixtures::VendorRegistry registry;  // empties the vendor keys now and when the test ends
    const std::wstring ownView = LauncherIsX86() ? L"/reg:32" : L"/reg:64";
    const std::wstring otherView = LauncherIsX86() ? L"/reg:64" : L"/reg:32";
    const std::wstring own = folder.Home(L"Own JRE"), other = folder.Home(L"Other JRE");
    auto reg = [](const std::vector<std::wstring>& arguments) {
        std::vector<std::wstring> line = {L"reg.exe"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        StartOptions options;
        options.commandLine = QuoteCommandLine(line);
        Process process = Process::Start(options);
        return process.started() && process.WaitForExit(30000).exitCode == 0;
    };
    struct Key {
        const wchar_t* root;
        std::wstring path;
        const wchar_t* value;
    };
    const Key classic = {L"HKLM", L"Software\\JavaSoft\\Java Runtime Environment\\1.8.0_202", L"JavaHome"};
    const Key modern = {L"HKLM", L"Software\\Eclipse Adoptium\\JRE\\17.0.9.9\\hotspot\\MSI", L"Path"};
    const Key user = {L"HKCU", L"Software\\JavaSoft\\JDK\\21.0.1", L"JavaHome"};
    struct Registration {
        const Key* key;
        bool ownView;
        bool own;  // the own architecture's runtime, else the other's
    };
    struct Row {
        const wchar_t* name;
        std::vector<Registration> registrations;
        bool pairProduct;
        Expected expected;
    };
    const std::wstring notFound;  // the JRE Not Found dialog, cancelled: no message text
    const Row rows[] = {
        {L"classic key, own view", {{&classic, true, true}}, true, {6, ServerLibrary(own)}},
        {L"classic key, other view, pair product", {{&classic, false, false}}, true, {6, ServerLibrary(other)}},
        {L"modern key, other view, pair product", {{&modern, false, false}}, true, {6, ServerLibrary(other)}},
        {L"both views: the own one first", {{&classic, true, true}, {&modern, false, false}}, true,
         {6, ServerLibrary(own)}},
        {L"other view without pair product: not searched", {{&classic, false, false}}, false,
         {kFailed, L"", BoxFrom::Launcher, notFound}},
        // HKEY_CURRENT_USER\Software is one key for both views.
        {L"current user's key", {{&user, false, true}}, true, {6, ServerLibrary(own)}},
    };
    for (const Row& row : rows) {
        registry.Clear();
        for (const Registration& registration : row.registrations) {
            const Key& key = *registration.key;
            CHECK_EQ_AT(row.name,
                        reg({L"add", std::wstring(key.root) + L"\\" + key.path, L"/v", key.value, L"/d",
                             registration.own ? own : other, L"/f", registration.ownView ? ownView : otherView}),
                        true);
        }
        const std::wstring pair =
            row.pairProduct ? L"Pair Product=" + folder.pairExe() + L"\r\nPair Return Code=yes\r\n" : L"";
        CHECK_EQ_AT(row.name, folder.WriteIni(PairFolder::Ini(L"", L"Maximum Version=any\r\n", pair)), true);
        CHECK_EQ_AT(row.name, folder.WritePairIni(PairFolder::Ini(L"", L"Maximum Version=any\r\n", L"")), true);
        CheckRun(row.name, folder, folder.Run({}, L"main=exit:6"), row.expected);
    }
}

// Java that no registry key names, found by each build: JAVA_HOME (as people write it: quoted, at
// bin\) and the first java.exe on Path; a runtime of the other architecture there goes to the pair
// product, and "Search Java Folders=no" turns both sources off.
TEST_CASE(pair_JavaOutsideRegistry) {
    PairFolder folder(L"arch-folders");
    CHECK(folder.ok());
    const std::wstring own = folder.Home(L"Own JRE"), other = folder.Home(L"Other JRE");
    for (const std::wstring& home : {own, other}) {
        CHECK(WriteFileBytes(JoinPath(home, L"release"), "IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"21.0.2\"\n"));
        CHECK(WriteFileBytes(JoinPath(home, L"bin\\java.exe"), ""));
    }
    const std::wstring pair = L"Pair Product=" + folder.pairExe() + L"\r\nPair Return Code=yes\r\n";
    const std::wstring noPath = L"Path=C:\\windows\\system32;C:\\windows";
    struct Row {
        const wchar_t* name;
        std::wstring javaHome, path, runtimeLines, applicationLines;
        Expected expected;
    };
    const Row rows[] = {
        {L"JAVA_HOME quoted, at bin", L"\"" + own + L"\\bin\"", noPath, L"", pair, {5, ServerLibrary(own)}},
        {L"first java.exe on Path", L"", noPath + L";" + own + L"\\bin", L"", pair, {5, ServerLibrary(own)}},
        {L"other architecture: the pair", other, noPath, L"", pair, {5, ServerLibrary(other)}},
        {L"other architecture, no pair", other, noPath, L"", L"", {kFailed, L"", BoxFrom::Launcher, L""}},
        {L"Search Java Folders=no", own, noPath + L";" + own + L"\\bin", L"Search Java Folders=No\r\n", pair,
         {kFailed, L"", BoxFrom::Launcher, L""}},
    };
    for (const Row& row : rows) {
        const std::wstring runtimeLines = L"Maximum Version=any\r\n" + row.runtimeLines;
        CHECK_EQ_AT(row.name, folder.WriteIni(PairFolder::Ini(L"", runtimeLines, row.applicationLines)), true);
        CHECK_EQ_AT(row.name, folder.WritePairIni(PairFolder::Ini(L"", runtimeLines, L"")), true);
        CheckRun(row.name, folder, folder.Run({}, L"main=exit:5", {L"JAVA_HOME=" + row.javaHome, row.path}), row.expected);
    }
}
