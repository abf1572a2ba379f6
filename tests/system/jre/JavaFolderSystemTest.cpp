// Java outside the registry under Wine: JAVA_HOME, Path and the usual install folders with the
// real Windows runtimes' files (Java 25, 21 and 17 from $MARLWICK_JRE and its siblings), placed in
// a temporary tree that the process's environment variables point at.
#include <windows.h>

#include <string>
#include <vector>

#include "jre/JreSearch.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/jre/JreFixtures.h"

using namespace jrefixtures;
using testsupport::TempFolder;

namespace {

// The runtime that tools/fetch-jre.sh unpacks ("" for 25, "-21", "-17"), as Wine's Z: drive sees it.
std::wstring RealRuntime(const wchar_t* suffix) {
    std::wstring path = testsupport::EnvironmentValue(L"MARLWICK_JRE");
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
    return path.empty() ? path : path + suffix + L"\\";
}

// A runtime's files where an installer would put them: the real java.dll, java.exe and server
// jvm.dll of `source` (hard links, copies where links fail), its release file when wanted, and an
// empty javac.exe for a JDK.
bool PlaceRuntime(const std::wstring& source, const std::wstring& top, bool jdk, bool release = true) {
    bool ok = testsupport::MakeFolders(top + L"bin\\server");
    std::vector<const wchar_t*> files = {L"bin\\java.dll", L"bin\\java.exe", L"bin\\server\\jvm.dll"};
    if (release) files.push_back(L"release");
    for (const wchar_t* file : files) {
        const std::wstring from = source + file;
        const std::wstring to = top + file;
        ok = (CreateHardLinkW(to.c_str(), from.c_str(), nullptr) || CopyFileW(from.c_str(), to.c_str(), FALSE)) && ok;
    }
    if (jdk) ok = testsupport::WriteFileBytes(top + L"bin\\javac.exe", "") && ok;
    return ok;
}

// Sets a variable of this process for one row and puts the old value back.
class ScopedVariable {
public:
    ScopedVariable(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t probe[1];
        had_ = GetEnvironmentVariableW(name, probe, 1) != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
        old_ = testsupport::EnvironmentValue(name);
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~ScopedVariable() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

// Answers Cancel and remembers how many refused runtimes it was told of.
class CountingChooser : public JreFolderChooser {
public:
    bool Choose(const JreSettings&, std::wstring&, std::wstring&) override { return false; }
    void SetRejectedRuntimes(size_t count) override { rejected = count; }
    size_t rejected = 99;
};

// The machine of one row: a temporary tree with Program Files, a user profile and a drive of
// zip installs; the variables that the search reads point into it.
struct Machine {
    TempFolder temp{L"jre-folders"};
    std::wstring pf = temp / L"Program Files" + L"\\";
    std::wstring pf86 = temp / L"Program Files (x86)" + L"\\";
    std::wstring profile = temp / L"Users\\u" + L"\\";
    std::wstring zips = temp / L"zips" + L"\\";
    std::wstring javaHome;
    std::wstring path;
};

struct Result {
    bool found = false;
    std::wstring library;
    size_t rejected = 0;
    bool pair = false;
};

// The launcher's search, the executable in an empty folder, with the row's variables.
Result Search(Machine& m, const JreSettings& settings) {
    MakeJre(m.temp / L"app" + L"\\", {L"readme.txt"});
    ScopedVariable programFiles(L"ProgramFiles", m.pf);
    ScopedVariable programW6432(L"ProgramW6432", m.pf);
    ScopedVariable programFiles86(L"ProgramFiles(x86)", m.pf86);
    ScopedVariable programData(L"ProgramData", m.temp / L"ProgramData");
    ScopedVariable profile(L"USERPROFILE", m.profile);
    ScopedVariable javaHome(L"JAVA_HOME", m.javaHome);
    ScopedVariable path(L"Path", m.path.empty() ? L"C:\\windows\\system32" : m.path);
    PlacedSystem system(m.temp / L"app\\Tool 64.exe");
    CountingChooser chooser;
    JreSelection selection;
    Result result;
    result.found = FindJre(system, settings, &chooser, selection);
    result.library = selection.jvmLibraryPath;
    result.rejected = chooser.rejected;
    result.pair = selection.runPairProduct;
    return result;
}

JreSettings AnySettings() {
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    return s;
}

const wchar_t kLibrary[] = L"bin\\server\\jvm.dll";

}  // namespace

// Each source alone, the order among them and against the registry, the rules of registry
// candidates, a runtime found twice, and the switch that turns the sources off.
TEST_CASE(folders_sources_order_and_rules) {
    const std::wstring j25 = RealRuntime(L"");
    const std::wstring j21 = RealRuntime(L"-21");
    const std::wstring j17 = RealRuntime(L"-17");
    CHECK(!j25.empty());
    if (j25.empty()) return;
    struct Row {
        const wchar_t* name;
        // Lays out the machine; returns the folder (below the temporary tree) whose library must be
        // loaded, empty when the dialog must come.
        std::wstring (*setup)(Machine&, JreSettings&, const std::wstring& j25, const std::wstring& j21,
                              const std::wstring& j17);
        size_t rejected;  // told to the dialog when nothing is found
    };
    const Row rows[] = {
        {L"JAVA_HOME alone, quoted with a trailing ;",
         [](Machine& m, JreSettings&, const std::wstring&, const std::wstring& j21, const std::wstring&) {
             PlaceRuntime(j21, m.zips + L"jdk-21\\", true);
             m.javaHome = L"\"" + m.zips + L"jdk-21\";";
             return m.zips + L"jdk-21\\";
         }, 0},
        {L"JAVA_HOME naming the bin folder",
         [](Machine& m, JreSettings&, const std::wstring&, const std::wstring&, const std::wstring& j17) {
             PlaceRuntime(j17, m.zips + L"jdk-17\\", true);
             m.javaHome = m.zips + L"jdk-17\\bin";
             return m.zips + L"jdk-17\\";
         }, 0},
        {L"Path alone: the first java.exe, after 300 entries that hold none",
         [](Machine& m, JreSettings&, const std::wstring&, const std::wstring&, const std::wstring& j17) {
             PlaceRuntime(j17, m.zips + L"jre-17\\", false);
             PlaceRuntime(j17, m.zips + L"second\\", false);
             for (int i = 0; i < 300; ++i) m.path += m.zips + L"none" + std::to_wstring(i) + L";";
             m.path += L";relative;\"" + m.zips + L"jre-17\\bin\";" + m.zips + L"second\\bin";
             return m.zips + L"jre-17\\";
         }, 0},
        {L"usual folders alone: the newest of Java, Eclipse Adoptium, Microsoft and scoop",
         [](Machine& m, JreSettings&, const std::wstring& j25, const std::wstring& j21, const std::wstring& j17) {
             PlaceRuntime(j17, m.pf + L"Java\\jdk-17.0.9\\", true);
             PlaceRuntime(j21, m.pf + L"Eclipse Adoptium\\jdk-21.0.8.9-hotspot\\", true);
             PlaceRuntime(j17, m.pf + L"Microsoft\\jdk-17.0.9.8-hotspot\\", true);
             PlaceRuntime(j25, m.profile + L"scoop\\apps\\temurin25-jre\\current\\", false);
             return m.profile + L"scoop\\apps\\temurin25-jre\\current\\";
         }, 0},
        {L"JAVA_HOME, Path and folders are ordered together: Preferred versions 21",
         [](Machine& m, JreSettings& s, const std::wstring& j25, const std::wstring& j21, const std::wstring& j17) {
             s.preferredVersions = {L"21"};
             PlaceRuntime(j17, m.zips + L"jdk-17\\", true);
             PlaceRuntime(j25, m.zips + L"jdk-25\\", true);
             PlaceRuntime(j21, m.pf + L"Java\\jdk-21\\", true);
             m.javaHome = m.zips + L"jdk-17";
             m.path = m.zips + L"jdk-25\\bin";
             return m.pf + L"Java\\jdk-21\\";
         }, 0},
        {L"a runtime without a release file is refused, the one with is taken",
         [](Machine& m, JreSettings&, const std::wstring& j25, const std::wstring&, const std::wstring& j17) {
             PlaceRuntime(j25, m.pf + L"Java\\jdk-25\\", true, false);
             PlaceRuntime(j17, m.pf + L"Java\\jdk-17\\", true);
             return m.pf + L"Java\\jdk-17\\";
         }, 0},
        {L"bounds, JVM Source and VM Provider refuse; the same runtime by JAVA_HOME and folder counts once",
         [](Machine& m, JreSettings& s, const std::wstring& j25, const std::wstring& j21, const std::wstring& j17) {
             s.minimumVersion = ParseMinimumVersion(L"21");
             ApplyJvmSource(L"only_JDK", s);
             PlaceRuntime(j17, m.pf + L"Java\\jdk-17\\", true);        // below the minimum
             PlaceRuntime(j21, m.pf + L"Java\\jre-21\\", false);       // a JRE
             PlaceRuntime(j25, m.pf + L"Java\\jdk-25\\", true, false);  // no version
             m.javaHome = m.pf + L"JAVA\\jdk-17\\";                   // found twice
             PlaceRuntime(j21, m.pf + L"Eclipse Adoptium\\jdk-21-openj9\\", true, false);  // IBM
             testsupport::WriteFileBytes(m.pf + L"Eclipse Adoptium\\jdk-21-openj9\\release",
                                         "JAVA_VERSION=\"21.0.8\"\nJVM_VARIANT=\"Openj9\"\n");
             return std::wstring();
         }, 4},
        {L"Search Java Folders=no",
         [](Machine& m, JreSettings& s, const std::wstring&, const std::wstring& j21, const std::wstring&) {
             s.searchJavaFolders = false;
             PlaceRuntime(j21, m.pf + L"Java\\jdk-21\\", true);
             m.javaHome = m.pf + L"Java\\jdk-21";
             return std::wstring();
         }, 0},
    };
    for (const Row& row : rows) {
        Machine m;
        JreSettings s = AnySettings();
        const std::wstring expected = row.setup(m, s, j25, j21, j17);
        const Result result = Search(m, s);
        CHECK_EQ_AT(row.name, result.library, expected.empty() ? expected : expected + kLibrary);
        CHECK_EQ_AT(row.name, result.found, !expected.empty());
        if (!result.found) CHECK_EQ_AT(row.name, result.rejected, row.rejected);
    }
}

// The registry comes before every folder, and a registered runtime that is refused is not counted
// again when a folder shows it.
TEST_CASE(folders_after_the_registry) {
    const std::wstring j17 = RealRuntime(L"-17");
    const std::wstring j21 = RealRuntime(L"-21");
    CHECK(!j17.empty());
    if (j17.empty()) return;
    VendorRegistry registry;
    const REGSAM own = kBuildArch == Arch::X64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    {
        Machine m;
        PlaceRuntime(j17, m.zips + L"registered-17\\", true);
        PlaceRuntime(j21, m.pf + L"Java\\jdk-21\\", true);
        CHECK(registry.RegisterValue(HKEY_LOCAL_MACHINE, own, L"Software\\JavaSoft\\JDK\\17", L"JavaHome",
                                     m.zips + L"registered-17"));
        const Result result = Search(m, AnySettings());
        CHECK_EQ(result.library, m.zips + L"registered-17\\" + kLibrary);
        registry.Clear();
    }
    {
        Machine m;
        JreSettings s = AnySettings();
        s.maximumVersion = ParseMaximumVersion(L"11");
        PlaceRuntime(j21, m.pf + L"Java\\jdk-21\\", true);
        CHECK(registry.RegisterValue(HKEY_LOCAL_MACHINE, own, L"Software\\JavaSoft\\JDK\\21", L"JavaHome",
                                     m.pf + L"Java\\jdk-21"));
        const Result result = Search(m, s);
        CHECK_EQ(result.found, false);
        CHECK_EQ(result.rejected, size_t(1));
        registry.Clear();
    }
}

// Bad input: no crash, no hang, nothing admitted that should not be.
TEST_CASE(folders_bad_input) {
    const std::wstring j17 = RealRuntime(L"-17");
    CHECK(!j17.empty());
    if (j17.empty()) return;
    struct Row {
        const wchar_t* name;
        void (*setup)(Machine&, const std::wstring& j17);
    };
    const Row rows[] = {
        {L"JAVA_HOME at a missing folder", [](Machine& m, const std::wstring&) { m.javaHome = m.zips + L"gone"; }},
        {L"JAVA_HOME at a file",
         [](Machine& m, const std::wstring&) {
             testsupport::MakeFolders(m.zips);
             testsupport::WriteFileBytes(m.zips + L"file", "x");
             m.javaHome = m.zips + L"file";
         }},
        {L"JAVA_HOME of 32,000 characters", [](Machine& m, const std::wstring&) {
             m.javaHome = L"C:\\" + std::wstring(31997, L'a');
         }},
        {L"JAVA_HOME and Path on a server that does not answer", [](Machine& m, const std::wstring&) {
             m.javaHome = L"\\\\192.0.2.1\\share\\jdk";
             m.path = L"\\\\192.0.2.1\\share\\bin;\"\\\\192.0.2.1\\x\"";
         }},
        {L"a release file of 10 MB and a binary one", [](Machine& m, const std::wstring& j17) {
             PlaceRuntime(j17, m.pf + L"Java\\big\\", true, false);
             testsupport::WriteFileBytes(m.pf + L"Java\\big\\release", std::string(10 * 1024 * 1024, 'J'));
             PlaceRuntime(j17, m.pf + L"Java\\binary\\", true, false);
             testsupport::WriteFileBytes(m.pf + L"Java\\binary\\release", std::string("\0\x01JAVA_VERSION=\xff", 17));
         }},
        {L"a folder named jvm.dll", [](Machine& m, const std::wstring& j17) {
             PlaceRuntime(j17, m.pf + L"Java\\odd\\", true);
             DeleteFileW((m.pf + L"Java\\odd\\bin\\server\\jvm.dll").c_str());
             testsupport::MakeFolders(m.pf + L"Java\\odd\\bin\\server\\jvm.dll");
         }},
        {L"an unreadable Path entry and an empty one", [](Machine& m, const std::wstring&) {
             m.path = L"Q:\\no-such-drive;;" + m.zips + L"none";
         }},
    };
    for (const Row& row : rows) {
        Machine m;
        row.setup(m, j17);
        const DWORD start = GetTickCount();
        const Result result = Search(m, AnySettings());
        CHECK_EQ_AT(row.name, result.found, false);
        CHECK_EQ_AT(row.name, GetTickCount() - start < 3000, true);
    }
}
