// Today's installers: the release file, the vendor keys under both hives, the JDK layout without
// jre\, and environment references in "JRE Path".
#include <string>
#include <vector>

#include "base/Trace.h"
#include "jre/JreSearch.h"
#include "runtime/ReleaseFile.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"
#include "tests/unit/jre/FakeJreSystem.h"

namespace {

const wchar_t kServer[] = L"bin\\server\\jvm.dll";
const wchar_t kClient[] = L"bin\\client\\jvm.dll";
const wchar_t kJavaSoftJdk[] = L"Software\\JavaSoft\\JDK\\";
const wchar_t kJavaSoftJre[] = L"Software\\JavaSoft\\JRE\\";
const wchar_t kClassicJdk[] = L"Software\\JavaSoft\\Java Development Kit\\";
const wchar_t kTemurinJdk[] = L"Software\\Eclipse Adoptium\\JDK\\";
const wchar_t kTemurinJre[] = L"Software\\Eclipse Adoptium\\JRE\\";
const wchar_t kAdoptJdk[] = L"Software\\AdoptOpenJDK\\JDK\\";
const wchar_t kMicrosoftJdk[] = L"Software\\Microsoft\\JDK\\";
const wchar_t kHotspot[] = L"\\hotspot\\MSI";
const wchar_t kOpenJ9[] = L"\\openj9\\MSI";
const RegistryRoot kMachine = RegistryRoot::LocalMachine;
const RegistryRoot kUser = RegistryRoot::CurrentUser;

// A Java 9+ runtime: no jre\ folder, a server library, and a release file (empty text: none).
void Runtime(FakeJreSystem& f, const std::wstring& home, const std::string& release) {
    f.AddJre(home, {kServer, L"bin\\java.dll"});
    if (!release.empty()) f.fileContents[home + L"release"] = release;
}

}  // namespace

TEST_CASE(release_file_java_version) {
    struct Row {
        const char* name;
        std::string data;
        bool complete;
        ReleaseVersion result;
        const wchar_t* version;
    };
    const Row rows[] = {
        {"quoted, first line", "JAVA_VERSION=\"25.0.2\"\nMODULES=\"java.base\"\n", true, ReleaseVersion::Found, L"25.0.2"},
        {"CRLF, Java 8", "IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"1.8.0_412\"\r\n", true, ReleaseVersion::Found,
         L"1.8.0_412"},
        {"unquoted, no final LF", "JAVA_VERSION=21", true, ReleaseVersion::Found, L"21"},
        {"the first line counts", "JAVA_VERSION=\"17\"\nJAVA_VERSION=\"21\"\n", true, ReleaseVersion::Found, L"17"},
        {"no such line", "IMPLEMENTOR=\"x\"\n", true, ReleaseVersion::Missing, L""},
        {"empty file", "", true, ReleaseVersion::Missing, L""},
        {"indented key", " JAVA_VERSION=\"21\"\n", true, ReleaseVersion::Missing, L""},
        {"other letter case", "java_version=\"21\"\n", true, ReleaseVersion::Missing, L""},
        {"cut short inside the line", "JAVA_VERSION=21.0", false, ReleaseVersion::Missing, L""},
        {"cut short after the line", "JAVA_VERSION=21.0\nMODU", false, ReleaseVersion::Found, L"21.0"},
        {"empty value", "JAVA_VERSION=\"\"\n", true, ReleaseVersion::Malformed, L""},
        {"no digit", "JAVA_VERSION=\"abc\"\n", true, ReleaseVersion::Malformed, L""},
        {"one quote", "JAVA_VERSION=\"21\n", true, ReleaseVersion::Malformed, L""},
        {"blank inside", "JAVA_VERSION=\"21 0\"\n", true, ReleaseVersion::Malformed, L""},
        {"NUL inside", std::string("JAVA_VERSION=\"2\0\"\n", 18), true, ReleaseVersion::Malformed, L""},
        {"high bytes", "JAVA_VERSION=\"21\xC3\xA9\"\n", true, ReleaseVersion::Malformed, L""},
        {"65 characters", "JAVA_VERSION=" + std::string(64, '1') + "2\n", true, ReleaseVersion::Malformed, L""},
        {"64 characters", "JAVA_VERSION=" + std::string(64, '1') + "\n", true, ReleaseVersion::Found, nullptr},
    };
    for (const Row& row : rows) {
        std::wstring version = L"stale";
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        CHECK_EQ_AT(name, ReadReleaseVersion(row.data, row.complete, version) == row.result, true);
        if (row.version != nullptr) CHECK_EQ_AT(name, version, std::wstring(row.version));
    }
}

// Each row is one machine; the search must end at the named library and version.
TEST_CASE(todays_installers_are_found_with_their_own_version) {
    struct Row {
        const wchar_t* name;
        void (*setup)(FakeJreSystem&, JreSettings&);
        const wchar_t* library;  // empty: nothing found
        const wchar_t* version;
    };
    const Row rows[] = {
        {L"JavaSoft JDK 21: no jre\\, version from the release file",
         [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21.0.4\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"21", L"", L"JavaHome", L"C:\\jdk21");
         },
         L"C:\\jdk21\\bin\\server\\jvm.dll", L"21.0.4"},
        {L"JavaSoft JRE", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\jre17\\", "JAVA_VERSION=\"17.0.2\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJre, L"17", L"", L"JavaHome", L"C:\\jre17\\");
         },
         L"C:\\jre17\\bin\\server\\jvm.dll", L"17.0.2"},
        {L"Temurin JDK for the current user only", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\u\\temurin\\", "JAVA_VERSION=\"21.0.4\"\n");
             f.RegisterIn(kUser, 0, kTemurinJdk, L"21.0.4.7", kHotspot, L"Path", L"C:\\u\\temurin\\");
         },
         L"C:\\u\\temurin\\bin\\server\\jvm.dll", L"21.0.4"},
        {L"a per-user runtime of the other architecture is not taken without a pair product",
         [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\u\\x86\\", "JAVA_VERSION=\"21\"\n");
             f.foreignLibraries.insert(L"C:\\u\\x86\\bin\\server\\jvm.dll");
             f.RegisterIn(kUser, 0, kTemurinJdk, L"21.0.1", kHotspot, L"Path", L"C:\\u\\x86\\");
             f.RegisterIn(kUser, 0x200, kTemurinJdk, L"21.0.1", kHotspot, L"Path", L"C:\\u\\x86\\");
         },
         L"", L"0.0.0.0"},
        {L"a per-user runtime of the other architecture goes to the pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             Runtime(f, L"C:\\u\\x86\\", "JAVA_VERSION=\"21\"\n");
             f.foreignLibraries.insert(L"C:\\u\\x86\\bin\\server\\jvm.dll");
             f.RegisterIn(kUser, 0, kTemurinJdk, L"21.0.1", kHotspot, L"Path", L"C:\\u\\x86\\");
             f.RegisterIn(kUser, 0x200, kTemurinJdk, L"21.0.1", kHotspot, L"Path", L"C:\\u\\x86\\");
         },
         L"C:\\u\\x86\\bin\\server\\jvm.dll", L"21.0"},
        {L"Microsoft JDK in the other view with a pair product", [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             Runtime(f, L"C:\\ms\\", "JAVA_VERSION=\"17.0.12\"\n");
             f.RegisterIn(kMachine, 0x200, kMicrosoftJdk, L"17.0.12.7", kHotspot, L"Path", L"C:\\ms\\");
         },
         L"C:\\ms\\bin\\server\\jvm.dll", L"17.0.12"},
        {L"no release file: the subkey name", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\t\\", "");
             f.RegisterIn(kMachine, 0, kTemurinJre, L"17.0.2.8", kHotspot, L"Path", L"C:\\t\\");
         },
         L"C:\\t\\bin\\server\\jvm.dll", L"17.0.2.8"},
        {L"malformed JAVA_VERSION: the subkey name", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\t\\", "JAVA_VERSION=\"seventeen\"\n");
             f.RegisterIn(kMachine, 0, kTemurinJre, L"17.0.2.8", kHotspot, L"Path", L"C:\\t\\");
         },
         L"C:\\t\\bin\\server\\jvm.dll", L"17.0.2.8"},
        {L"a 21 with Maximum Version 17 is not taken, whatever its subkey says",
         [](FakeJreSystem& f, JreSettings& s) {
             s.maximumVersion = ParseMaximumVersion(L"17");
             Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21.0.4\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"17", L"", L"JavaHome", L"C:\\jdk21");
         },
         L"", L"0.0.0.0"},
        {L"Minimum Version 21 passes over a 17", [](FakeJreSystem& f, JreSettings& s) {
             s.minimumVersion = ParseJavaVersion(L"21", kVersionFillMinimum);
             Runtime(f, L"C:\\jdk17\\", "JAVA_VERSION=\"17.0.2\"\n");
             Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21.0.4\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"17", L"", L"JavaHome", L"C:\\jdk17");
             f.RegisterIn(kUser, 0, kJavaSoftJdk, L"21", L"", L"JavaHome", L"C:\\jdk21");
         },
         L"C:\\jdk21\\bin\\server\\jvm.dll", L"21.0.4"},
        {L"OpenJ9 is IBM: not taken by default", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\j9\\", "JAVA_VERSION=\"11.0.9\"\n");
             f.RegisterIn(kMachine, 0, kAdoptJdk, L"11.0.9.11", kOpenJ9, L"Path", L"C:\\j9\\");
         },
         L"", L"0.0.0.0"},
        {L"OpenJ9 is IBM: taken with VM Provider ibm", [](FakeJreSystem& f, JreSettings& s) {
             ApplyVmProvider(L"ibm", s);
             Runtime(f, L"C:\\j9\\", "JAVA_VERSION=\"11.0.9\"\n");
             Runtime(f, L"C:\\hs\\", "JAVA_VERSION=\"17.0.1\"\n");
             f.RegisterIn(kMachine, 0, kAdoptJdk, L"11.0.9.11", kOpenJ9, L"Path", L"C:\\j9\\");
             f.RegisterIn(kMachine, 0, kAdoptJdk, L"17.0.1.12", kHotspot, L"Path", L"C:\\hs\\");
         },
         L"C:\\j9\\bin\\server\\jvm.dll", L"11.0.9"},
        {L"only_JRE reads no JDK key", [](FakeJreSystem& f, JreSettings& s) {
             ApplyJvmSource(L"only_JRE", s);
             Runtime(f, L"C:\\jdk\\", "JAVA_VERSION=\"25\"\n");
             Runtime(f, L"C:\\jre\\", "JAVA_VERSION=\"17\"\n");
             f.RegisterIn(kMachine, 0, kMicrosoftJdk, L"25.0.0", kHotspot, L"Path", L"C:\\jdk\\");
             f.RegisterIn(kMachine, 0, kTemurinJre, L"17.0.0", kHotspot, L"Path", L"C:\\jre\\");
         },
         L"C:\\jre\\bin\\server\\jvm.dll", L"17.0"},
        {L"favor_JDK puts a JDK 17 before a JRE 21", [](FakeJreSystem& f, JreSettings& s) {
             ApplyJvmSource(L"favor_JDK", s);
             Runtime(f, L"C:\\jdk\\", "JAVA_VERSION=\"17\"\n");
             Runtime(f, L"C:\\jre\\", "JAVA_VERSION=\"21\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJre, L"21", L"", L"JavaHome", L"C:\\jre\\");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"17", L"", L"JavaHome", L"C:\\jdk\\");
         },
         L"C:\\jdk\\bin\\server\\jvm.dll", L"17.0"},
        {L"a classic JDK key without jre\\ is probed at its own bin\\", [](FakeJreSystem& f, JreSettings&) {
             Runtime(f, L"C:\\jdk11\\", "");
             f.Register(0, kClassicJdk, L"11", L"C:\\jdk11");
         },
         L"C:\\jdk11\\bin\\server\\jvm.dll", L"11.0"},
        {L"a classic JDK with jre\\ still uses its JRE", [](FakeJreSystem& f, JreSettings&) {
             f.AddJre(L"C:\\jdk8\\", {kServer});
             f.AddJre(L"C:\\jdk8\\jre\\", {kClient});
             f.Register(0, kClassicJdk, L"1.8", L"C:\\jdk8");
         },
         L"C:\\jdk8\\jre\\bin\\client\\jvm.dll", L"1.8"},
        {L"a newer runtime under a new key beats a classic 1.8", [](FakeJreSystem& f, JreSettings&) {
             f.AddJre(L"C:\\jre8\\", {kClient});
             f.Register(0, L"Software\\JavaSoft\\Java Runtime Environment\\", L"1.8", L"C:\\jre8");
             Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"21", L"", L"JavaHome", L"C:\\jdk21");
         },
         L"C:\\jdk21\\bin\\server\\jvm.dll", L"21.0"},
        {L"JRE Path with %JAVA_HOME%", [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"%JAVA_HOME%";
             f.environment[L"JAVA_HOME"] = L"C:\\Program Files\\Java\\jdk-25";
             Runtime(f, L"C:\\Program Files\\Java\\jdk-25\\", "");
         },
         L"C:\\Program Files\\Java\\jdk-25\\bin\\server\\jvm.dll", L"0.0.0.0"},
        {L"JRE Path with an unset variable: the search goes on", [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"%NO_SUCH_HOME%\\";
             Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21\"\n");
             f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"21", L"", L"JavaHome", L"C:\\jdk21");
         },
         L"C:\\jdk21\\bin\\server\\jvm.dll", L"21.0"},
    };
    for (const Row& row : rows) {
        FakeJreSystem system;
        JreSettings settings;
        settings.maximumVersion = JavaVersion::OpenMaximum();
        row.setup(system, settings);
        JreSelection selection;
        const bool found = FindJre(system, settings, nullptr, selection);
        CHECK_EQ_AT(row.name, found, *row.library != L'\0');
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, std::wstring(row.library));
        CHECK_EQ_AT(row.name, FormatJavaVersion(selection.version), std::wstring(row.version));
        if (found) CHECK_EQ_AT(row.name, selection.runPairProduct, !settings.pairProduct.empty());
    }
}

namespace {

std::vector<std::wstring> traced;
void CaptureTrace(const std::wstring& line) { traced.push_back(line); }

bool Traced(const std::wstring& text) {
    for (const std::wstring& line : traced) {
        if (line.find(text) != std::wstring::npos) return true;
    }
    return false;
}

}  // namespace

TEST_CASE(the_trace_names_every_candidate_and_why_it_was_rejected) {
    FakeJreSystem f;
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"17");
    Runtime(f, L"C:\\jdk21\\", "JAVA_VERSION=\"21.0.4\"\n");
    f.RegisterIn(kMachine, 0, kJavaSoftJdk, L"17", L"", L"JavaHome", L"C:\\jdk21");
    f.RegisterIn(kMachine, 0, kTemurinJdk, L"17.0.1.1", kHotspot, L"InstallPath", L"C:\\t");
    f.RegisterIn(kMachine, 0, kTemurinJre, L"17.0.1.1", kHotspot, L"Path", std::wstring(L"\0C:\\t", 5));
    f.AddJre(L"C:\\nolib\\", {L"bin\\java.dll"});
    f.RegisterIn(kUser, 0, kMicrosoftJdk, L"17.0.2", kHotspot, L"Path", L"C:\\nolib");
    Runtime(f, L"C:\\jre17\\", "JAVA_VERSION=\"17.0.9\"\n");
    f.RegisterIn(kUser, 0, kJavaSoftJre, L"17", L"", L"JavaHome", L"C:\\jre17");

    traced.clear();
    InstallTraceSink(&CaptureTrace);
    JreSelection selection;
    const bool found = FindJre(f, s, nullptr, selection);
    InstallTraceSink(nullptr);
    CHECK(found);
    CHECK(!TraceOn());
    const std::wstring expected[] = {
        L"jre: JRE Path empty",
        L"jre: key HKLM\\Software\\JavaSoft\\Java Development Kit\\ in the own view: 0 subkeys",
        L"jre: candidate HKLM\\Software\\JavaSoft\\JDK\\17: home \"C:\\jdk21\\\", version 21.0.4 (release file), JDK, "
        L"Sun, server no, favoured no: rejected, outside Minimum Version / Maximum Version",
        L"HKLM\\Software\\Eclipse Adoptium\\JDK\\17.0.1.1\\hotspot\\MSI: JDK, Sun, server no, favoured no: "
        L"rejected, no value \"Path\"",
        L"HKLM\\Software\\Eclipse Adoptium\\JRE\\17.0.1.1\\hotspot\\MSI: JRE, Sun, server no, favoured no: "
        L"rejected, empty value \"Path\"",
        L"HKCU\\Software\\Microsoft\\JDK\\17.0.2\\hotspot\\MSI: home \"C:\\nolib\\\", version 17.0.2 (subkey name; "
        L"no release file), JDK, Sun, server no, favoured no: rejected, no JVM library of the wanted type",
        L"HKCU\\Software\\JavaSoft\\JRE\\17: home \"C:\\jre17\\\", version 17.0.9 (release file), JRE, Sun, server "
        L"yes, favoured no: admitted",
        L"jre: key HKLM\\Software\\AdoptOpenJDK\\JDK\\<version>\\openj9\\MSI skipped by JVM Source / VM Provider",
        L"jre: picked \"C:\\jre17\\\" version 17.0.9 of 1 candidates: first in order",
        L"jre: registry pick \"C:\\jre17\\\": library \"C:\\jre17\\bin\\server\\jvm.dll\", server yes",
    };
    for (const std::wstring& text : expected) CHECK_EQ_AT(text, Traced(text), true);

    // Without a sink nothing is traced.
    traced.clear();
    FindJre(f, s, nullptr, selection);
    CHECK(traced.empty());
}
