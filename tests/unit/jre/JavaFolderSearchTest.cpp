// Java outside the registry: JAVA_HOME and Path as people write them, the release file's vendor
// lines, and whole searches over an in-memory machine.
#include <string>
#include <vector>

#include "base/Trace.h"
#include "jre/JavaFolderSearch.h"
#include "jre/JreSearch.h"
#include "jre/ReleaseVendor.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"
#include "tests/unit/jre/FakeJreSystem.h"

namespace {

std::wstring Wide(const char* text) { return std::wstring(text, text + std::char_traits<char>::length(text)); }

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

}  // namespace

TEST_CASE(java_home_as_people_set_it) {
    struct Row {
        std::wstring raw;
        const wchar_t* folder;  // empty: refused
        const wchar_t* noteOrReason;
    };
    const Row rows[] = {
        {L"C:\\Program Files\\Java\\jdk-21", L"C:\\Program Files\\Java\\jdk-21\\", L""},
        {L"\"C:\\Program Files\\Java\\jdk-21\"", L"C:\\Program Files\\Java\\jdk-21\\", L"quotes"},
        {L"C:\\jdk-21;", L"C:\\jdk-21\\", L"trailing semicolon"},
        {L"C:\\jdk-21\\", L"C:\\jdk-21\\", L""},
        {L"  C:\\jdk-21  ", L"C:\\jdk-21\\", L""},
        {L"C:\\jdk-21\\bin", L"C:\\jdk-21\\", L"bin folder"},
        {L"\"C:\\jdk-21\\BIN\\\";;", L"C:\\jdk-21\\", L"bin folder"},
        {L"C:\\bin", L"C:\\", L"bin folder"},
        {L"C:\\jdk\\binaries", L"C:\\jdk\\binaries\\", L""},
        {L"jdk-21", L"", L"not an absolute path"},
        {L"%ProgramFiles%\\Java\\jdk-21", L"", L"not an absolute path"},
        {L"\\\\server\\share\\jdk", L"", L"network"},
        {L"\\\\?\\C:\\jdk", L"", L"network"},
        {L"", L"", L"empty"},
        {L"\"\"", L"", L"empty"},
        {L";", L"", L"empty"},
        {L"C:\\" + std::wstring(31997, L'a'), L"", L"longer than"},
        {L"C:\\" + std::wstring(kMaxJavaFolderLength, L'a'), L"", L"longer than"},
    };
    for (const Row& row : rows) {
        const FolderText text = CleanJavaHome(row.raw);
        const std::wstring context = row.raw.substr(0, 60);
        CHECK_EQ_AT(context, text.folder, std::wstring(row.folder));
        const std::wstring said = *row.folder != L'\0' ? text.note : text.reason;
        CHECK_EQ_AT(context, Contains(said, row.noteOrReason), true);
        if (*row.noteOrReason == L'\0' && *row.folder != L'\0') CHECK_EQ_AT(context, text.note, std::wstring());
    }
}

TEST_CASE(path_entries_quoted_empty_relative_network_and_aliases) {
    const std::vector<PathEntry> entries = SplitPathVariable(
        L"C:\\a;;\"C:\\Program Files\\b\";rel\\c; ;\\\\srv\\s;C:\\Users\\u\\AppData\\Local\\Microsoft\\WindowsApps;"
        L"\"C:\\x;y\";C:\\d\\;");
    struct Expected {
        const wchar_t* folder;
        const wchar_t* skipped;
    };
    const Expected expected[] = {
        {L"C:\\a\\", L""},
        {L"", L"empty"},
        {L"C:\\Program Files\\b\\", L""},
        {L"rel\\c\\", L"not an absolute path"},
        {L"", L"empty"},
        {L"\\\\srv\\s\\", L"network"},
        {L"C:\\Users\\u\\AppData\\Local\\Microsoft\\WindowsApps\\", L"app-execution aliases"},
        {L"C:\\x;y\\", L""},
        {L"C:\\d\\", L""},  // a last ";" adds no entry
    };
    CHECK_EQ(entries.size(), sizeof expected / sizeof expected[0]);
    for (size_t i = 0; i < entries.size() && i < sizeof expected / sizeof expected[0]; ++i) {
        CHECK_EQ_AT(expected[i].folder, entries[i].folder, std::wstring(expected[i].folder));
        CHECK_EQ_AT(expected[i].folder, Contains(entries[i].skipped, expected[i].skipped), true);
        if (*expected[i].skipped == L'\0') CHECK_EQ_AT(expected[i].folder, entries[i].skipped, std::wstring());
    }
    CHECK_EQ(SplitPathVariable(std::wstring(300, L';')).size(), size_t(300));
}

TEST_CASE(release_vendor_lines_give_the_family) {
    struct Row {
        const char* name;
        std::string data;
        bool complete;
        JavaProvider provider;
        const wchar_t* evidence;
    };
    const Row rows[] = {
        {"Temurin", "IMPLEMENTOR=\"Eclipse Adoptium\"\nJVM_VARIANT=\"Hotspot\"\n", true, JavaProvider::Sun, L"Hotspot"},
        {"Semeru", "IMPLEMENTOR=\"IBM Corporation\"\r\nJVM_VARIANT=\"Openj9\"\r\n", true, JavaProvider::Ibm, L"Openj9"},
        {"AdoptOpenJDK OpenJ9", "IMPLEMENTOR=\"AdoptOpenJDK\"\nJVM_VARIANT=\"Openj9\"\n", true, JavaProvider::Ibm, L"Openj9"},
        {"variant in other case", "JVM_VARIANT=openj9\n", true, JavaProvider::Ibm, L"openj9"},
        {"Oracle, no variant", "IMPLEMENTOR=\"Oracle Corporation\"\n", true, JavaProvider::Sun, L"Oracle"},
        {"IBM Java 8", "IMPLEMENTOR=\"International Business Machines Corporation\"\n", true, JavaProvider::Ibm, L"Inter"},
        {"unknown variant: the implementor", "IMPLEMENTOR=\"Alibaba\"\nJVM_VARIANT=\"Dragonwell\"\n", true,
         JavaProvider::Sun, L"Alibaba"},
        {"empty file", "", true, JavaProvider::Sun, L"no JVM_VARIANT"},
        {"binary", std::string("\x7f" "ELF\0\0JVM_VARIANT=\x01\x02", 20), true, JavaProvider::Sun, L"no JVM_VARIANT"},
        {"cut short inside the line", "JVM_VARIANT=\"Openj9", false, JavaProvider::Sun, L"no JVM_VARIANT"},
        {"indented key", " JVM_VARIANT=\"Openj9\"\n", true, JavaProvider::Sun, L"no JVM_VARIANT"},
        {"129 characters", "IMPLEMENTOR=\"IBM" + std::string(126, 'x') + "\"\n", true, JavaProvider::Sun,
         L"no JVM_VARIANT"},
    };
    for (const Row& row : rows) {
        std::wstring evidence;
        const JavaProvider provider = ProviderFromRelease(row.data, row.complete, evidence);
        CHECK_EQ_AT(Wide(row.name), provider == row.provider, true);
        CHECK_EQ_AT(Wide(row.name), Contains(evidence, row.evidence), true);
    }
}

namespace {

const wchar_t kServer[] = L"bin\\server\\jvm.dll";

// A runtime folder: java.dll and a server library (a JDK also has javac.exe); `release` empty: none.
void Runtime(FakeJreSystem& f, const std::wstring& home, const std::string& release, bool jdk = true) {
    f.AddJre(home, {kServer, L"bin\\java.dll", L"bin\\java.exe"});
    if (jdk) f.files.insert(home + L"bin\\javac.exe");
    if (!release.empty()) f.fileContents[home + L"release"] = release;
}

std::string Release(const char* version, const char* variant = "Hotspot") {
    return std::string("JAVA_VERSION=\"") + version + "\"\nJVM_VARIANT=\"" + variant + "\"\n";
}

// Answers Cancel and remembers how many refused runtimes it was told of.
class CountingChooser : public JreFolderChooser {
public:
    bool Choose(const JreSettings&, std::wstring&, std::wstring&) override { return false; }
    void SetRejectedRuntimes(size_t count) override { rejected = count; }
    size_t rejected = 99;
};

const wchar_t kPf[] = L"C:\\Program Files\\";

}  // namespace

// Each row is one machine. The launcher lies in C:\App with nothing beside it.
TEST_CASE(runtimes_outside_the_registry_are_found_ordered_and_counted) {
    struct Row {
        const wchar_t* name;
        void (*setup)(FakeJreSystem&, JreSettings&);
        const wchar_t* library;  // empty: the dialog
        size_t rejected;         // told to the dialog
        bool pair;
    };
    const Row rows[] = {
        {L"JAVA_HOME alone", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"D:\\jdk\\", Release("21.0.2"));
             f.environment[L"JAVA_HOME"] = L"\"D:\\jdk\";";
         }, L"D:\\jdk\\bin\\server\\jvm.dll", 0, false},
        {L"JAVA_HOME naming bin\\", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"D:\\jdk\\", Release("21.0.2"));
             f.environment[L"JAVA_HOME"] = L"D:\\jdk\\bin\\";
         }, L"D:\\jdk\\bin\\server\\jvm.dll", 0, false},
        {L"JAVA_HOME missing, or a file: nothing counted", [](FakeJreSystem& f, JreSettings&) {
             f.files.insert(L"D:\\file");
             f.environment[L"JAVA_HOME"] = L"D:\\file";
             f.environment[L"Path"] = L"D:\\gone\\bin";
         }, L"", 0, false},
        {L"JAVA_HOME on a network drive is not probed", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"N:\\jdk\\", Release("21"));
             f.remoteDrives.insert(L'N');
             f.environment[L"JAVA_HOME"] = L"N:\\jdk";
         }, L"", 0, false},
        {L"the first java.exe on Path, after empty, relative and unreadable entries",
         [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"D:\\first\\", Release("17.0.9"));
             Runtime(f, L"D:\\second\\", Release("25"));
             f.environment[L"Path"] = L";bin;Q:\\unreadable;\"D:\\first\\bin\";D:\\second\\bin";
         }, L"D:\\first\\bin\\server\\jvm.dll", 0, false},
        {L"Oracle's javapath link leads to the runtime", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\Program Files\\Java\\jdk-21\\", Release("21"));
             const std::wstring link = L"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath\\java.exe";
             f.files.insert(link);
             f.links[link] = L"C:\\Program Files\\Java\\jdk-21\\bin\\java.exe";
             f.environment[L"Path"] = L"C:\\Program Files\\Common Files\\Oracle\\Java\\javapath";
         }, L"C:\\Program Files\\Java\\jdk-21\\bin\\server\\jvm.dll", 0, false},
        {L"the Store's alias is skipped", [](FakeJreSystem& f, JreSettings&) {
             f.files.insert(L"C:\\U\\AppData\\Local\\Microsoft\\WindowsApps\\java.exe");
             Runtime(f, L"D:\\jre\\", Release("11.0.2"), false);
             f.environment[L"Path"] = L"C:\\U\\AppData\\Local\\Microsoft\\WindowsApps;D:\\jre\\bin";
         }, L"D:\\jre\\bin\\server\\jvm.dll", 0, false},
        {L"the usual folders: the newest wins across vendors and scoop", [](FakeJreSystem& f, JreSettings&) {
             f.environment[L"ProgramFiles"] = kPf;
             f.environment[L"USERPROFILE"] = L"C:\\Users\\u";
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-17\\", Release("17.0.9"));
             Runtime(f, std::wstring(kPf) + L"Eclipse Adoptium\\jdk-21.0.2.13-hotspot\\", Release("21.0.2"));
             Runtime(f, std::wstring(kPf) + L"Microsoft\\jdk-11.0.22.7-hotspot\\", Release("11.0.22"));
             Runtime(f, std::wstring(kPf) + L"Microsoft\\Edge\\", Release("99"));  // no jdk- prefix: not looked at
             Runtime(f, L"C:\\Users\\u\\scoop\\apps\\temurin25-jdk\\current\\", Release("25"));
             f.AddJre(L"C:\\Users\\u\\scoop\\apps\\git\\current\\", {L"git.exe"});  // no runtime, not counted
         }, L"C:\\Users\\u\\scoop\\apps\\temurin25-jdk\\current\\bin\\server\\jvm.dll", 0, false},
        {L"Preferred versions pick among all sources", [](FakeJreSystem& f, JreSettings& s) {
             s.preferredVersions = {L"17"};
             f.environment[L"ProgramFiles"] = kPf;
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-17\\", Release("17.0.9"));
             Runtime(f, L"D:\\jdk21\\", Release("21"));
             f.environment[L"JAVA_HOME"] = L"D:\\jdk21";
         }, L"C:\\Program Files\\Java\\jdk-17\\bin\\server\\jvm.dll", 0, false},
        {L"the registry comes first", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"D:\\reg17\\", Release("17"));
             f.RegisterIn(RegistryRoot::LocalMachine, 0, L"Software\\JavaSoft\\JDK\\", L"17", L"", L"JavaHome",
                          L"D:\\reg17");
             Runtime(f, L"D:\\jdk25\\", Release("25"));
             f.environment[L"JAVA_HOME"] = L"D:\\jdk25";
         }, L"D:\\reg17\\bin\\server\\jvm.dll", 0, false},
        {L"bounds, VM Provider and JVM Source refuse; a runtime found twice counts once",
         [](FakeJreSystem& f, JreSettings& s) {
             s.maximumVersion = ParseMaximumVersion(L"17");
             ApplyJvmSource(L"only_JDK", s);
             f.environment[L"ProgramFiles"] = kPf;
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-21\\", Release("21"));             // above the maximum
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-11-j9\\", Release("11", "Openj9"));  // IBM
             Runtime(f, std::wstring(kPf) + L"Java\\jre-11\\", Release("11"), false);       // a JRE
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-x\\", "");                          // no release file
             f.environment[L"JAVA_HOME"] = std::wstring(kPf) + L"Java\\jdk-21";             // the same again
             f.RegisterIn(RegistryRoot::LocalMachine, 0, L"Software\\JavaSoft\\JDK\\", L"21", L"", L"JavaHome",
                          std::wstring(kPf) + L"Java\\jdk-21");                              // and in the registry
         }, L"", 4, false},
        {L"Search Java Folders=no", [](FakeJreSystem& f, JreSettings& s) {
             s.searchJavaFolders = false;
             Runtime(f, L"D:\\jdk\\", Release("21"));
             f.environment[L"JAVA_HOME"] = L"D:\\jdk";
         }, L"", 0, false},
        {L"the other architecture only with a Pair Product, after the own", [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.environment[L"ProgramFiles"] = kPf;
             f.environment[L"ProgramFiles(x86)"] = L"C:\\Program Files (x86)\\";
             Runtime(f, L"C:\\Program Files (x86)\\Java\\jre-21\\", Release("21"), false);
             f.foreignLibraries.insert(L"C:\\Program Files (x86)\\Java\\jre-21\\bin\\server\\jvm.dll");
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-17\\", Release("17"));
         }, L"C:\\Program Files\\Java\\jdk-17\\bin\\server\\jvm.dll", 0, false},
        {L"the other architecture alone goes to the pair product", [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.environment[L"ProgramFiles(x86)"] = L"C:\\Program Files (x86)\\";
             Runtime(f, L"C:\\Program Files (x86)\\Java\\jre-21\\", Release("21"), false);
             f.foreignLibraries.insert(L"C:\\Program Files (x86)\\Java\\jre-21\\bin\\server\\jvm.dll");
         }, L"C:\\Program Files (x86)\\Java\\jre-21\\bin\\server\\jvm.dll", 0, true},
        {L"the other architecture without a Pair Product is refused", [](FakeJreSystem& f, JreSettings&) {
             f.environment[L"ProgramFiles(x86)"] = L"C:\\Program Files (x86)\\";
             Runtime(f, L"C:\\Program Files (x86)\\Java\\jre-21\\", Release("21"), false);
             f.foreignLibraries.insert(L"C:\\Program Files (x86)\\Java\\jre-21\\bin\\server\\jvm.dll");
         }, L"", 1, false},
        {L"a Java 8 JDK is used through its jre\\", [](FakeJreSystem& f, JreSettings&) {
             f.environment[L"ProgramFiles"] = kPf;
             const std::wstring jdk = std::wstring(kPf) + L"Java\\jdk1.8.0_401\\";
             f.files.insert(jdk + L"bin\\javac.exe");
             f.AddJre(jdk + L"jre\\", {L"bin\\client\\jvm.dll", L"bin\\java.dll"});
             f.fileContents[jdk + L"release"] = "JAVA_VERSION=\"1.8.0_401\"\n";
         }, L"C:\\Program Files\\Java\\jdk1.8.0_401\\jre\\bin\\client\\jvm.dll", 0, false},
        {L"an unreadable folder is skipped, the next is read", [](FakeJreSystem& f, JreSettings&) {
             f.environment[L"ProgramFiles"] = kPf;
             Runtime(f, std::wstring(kPf) + L"Java\\jdk-17\\", Release("17"));
             Runtime(f, std::wstring(kPf) + L"Eclipse Adoptium\\jdk-21\\", Release("21"));
             f.unreadable.insert(std::wstring(kPf) + L"Eclipse Adoptium\\");
         }, L"C:\\Program Files\\Java\\jdk-17\\bin\\server\\jvm.dll", 0, false},
    };
    for (const Row& row : rows) {
        FakeJreSystem f;
        JreSettings s;
        s.maximumVersion = ParseMaximumVersion(L"any");
        row.setup(f, s);
        CountingChooser chooser;
        JreSelection selection;
        const bool found = FindJre(f, s, &chooser, selection);
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, std::wstring(row.library));
        CHECK_EQ_AT(row.name, found, *row.library != L'\0');
        CHECK_EQ_AT(row.name, selection.runPairProduct, row.pair);
        if (!found) CHECK_EQ_AT(row.name, chooser.rejected, row.rejected);
    }
}

TEST_CASE(a_usual_folder_is_read_only_so_far) {
    FakeJreSystem f;
    f.environment[L"ProgramFiles"] = kPf;
    for (int i = 0; i < 450; ++i) f.files.insert(std::wstring(kPf) + L"Java\\other" + std::to_wstring(i) + L"\\x");
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    RuntimeKeys seen;
    size_t rejected = 0;
    FolderJre found;
    CHECK_EQ(SearchJavaFolders(f, s, seen, rejected, found), false);
    CHECK_EQ(f.entriesRead, kMaxFolderEntries);
}

TEST_CASE(java_home_with_an_environment_reference_is_expanded_once) {
    FakeJreSystem f;
    f.AddJre(L"D:\\jdks\\21\\", {kServer, L"bin\\java.dll"});
    f.fileContents[L"D:\\jdks\\21\\release"] = "JAVA_VERSION=\"21\"\n";
    f.environment[L"JDKS"] = L"D:\\jdks";
    f.environment[L"JAVA_HOME"] = L"%JDKS%\\21";
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    JreSelection selection;
    CHECK_EQ(FindJre(f, s, nullptr, selection), true);
    CHECK_EQ(selection.jvmLibraryPath, std::wstring(L"D:\\jdks\\21\\bin\\server\\jvm.dll"));
}

namespace {
std::vector<std::wstring> folderTrace;
void CaptureFolderTrace(const std::wstring& line) { folderTrace.push_back(line); }
}  // namespace

// A usual folder that does not exist is not reported as one that could not be read.
TEST_CASE(the_trace_tells_an_absent_folder_from_an_unreadable_one) {
    FakeJreSystem f;
    f.environment[L"ProgramFiles"] = kPf;
    f.files.insert(std::wstring(kPf) + L"Java\\x");
    f.unreadable.insert(std::wstring(kPf) + L"Java\\");
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    RuntimeKeys seen;
    size_t rejected = 0;
    FolderJre found;
    folderTrace.clear();
    InstallTraceSink(&CaptureFolderTrace);
    SearchJavaFolders(f, s, seen, rejected, found);
    InstallTraceSink(nullptr);
    auto traced = [](const std::wstring& text) {
        for (const std::wstring& line : folderTrace) {
            if (line.find(text) != std::wstring::npos) return true;
        }
        return false;
    };
    CHECK(traced(L"folder \"C:\\Program Files\\Java\\\": cannot be read"));
    CHECK(traced(L"folder \"C:\\Program Files\\Eclipse Adoptium\\\": not there"));
}
