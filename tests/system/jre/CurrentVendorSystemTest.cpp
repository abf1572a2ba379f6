// The keys of today's installers against the real Wine registry, with the real Windows Java
// runtime ($MARLWICK_JRE) as the registered home. The tests own the vendor keys while they run.
#include <windows.h>

#include <string>
#include <vector>

#include "jre/JreSearch.h"
#include "jre/RegistrySearch.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/jre/JreFixtures.h"

using namespace jrefixtures;
using testsupport::TempFolder;

namespace {

const REGSAM k32 = KEY_WOW64_32KEY;
const REGSAM k64 = KEY_WOW64_64KEY;
const REGSAM kOwnView = kBuildArch == Arch::X64 ? k64 : k32;
const REGSAM kOtherView = kBuildArch == Arch::X64 ? k32 : k64;

// The runtime that tools/fetch-jre.sh unpacks, as Wine's Z: drive sees it, with a backslash.
std::wstring RealRuntime() {
    std::wstring path = testsupport::EnvironmentValue(L"MARLWICK_JRE");
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (!path.empty() && path[0] == L'\\') path = L"Z:" + path;
    return path.empty() ? path : path + L"\\";
}

JreSettings AnySettings(const wchar_t* source = L"", const wchar_t* provider = L"any") {
    JreSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    ApplyJvmSource(source, s);
    ApplyVmProvider(provider, s);
    return s;
}

// The launcher's search with an executable in an empty folder, so that the registry decides.
bool Search(const std::wstring& root, const JreSettings& settings, JreSelection& selection) {
    MakeJre(root + L"app\\", {L"readme.txt"});
    PlacedSystem system(root + L"app\\Tool 64.exe");
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW((root + L"app").c_str());
    const bool found = FindJre(system, settings, nullptr, selection);
    SetCurrentDirectoryW(old);
    return found;
}

bool RegisterAt(VendorRegistry& registry, HKEY root, REGSAM view, const VendorKey& key, const std::wstring& subkey,
                const std::wstring& home) {
    return registry.RegisterValue(root, view, key.path + subkey + key.homeSubkey, key.homeValue, home);
}

}  // namespace

TEST_CASE(current_each_key_alone_in_each_hive_and_view) {
    const std::wstring runtime = RealRuntime();
    CHECK(testsupport::PathExists(runtime + L"bin\\server\\jvm.dll"));
    struct Place {
        const wchar_t* name;
        HKEY root;
        REGSAM view;
        bool pair;  // the search reaches the other view only with a pair product
    };
    const Place places[] = {
        {L"HKLM, own view", HKEY_LOCAL_MACHINE, kOwnView, false},
        {L"HKLM, other view", HKEY_LOCAL_MACHINE, kOtherView, true},
        {L"HKCU", HKEY_CURRENT_USER, kOwnView, false},
    };
    VendorRegistry registry;
    TempFolder temp(L"jre-current");
    for (const VendorKey& key : kCurrentVendorKeys) {
        for (const Place& place : places) {
            const std::wstring name = std::wstring(key.path) + key.homeSubkey + L" in " + place.name;
            registry.Clear();
            CHECK_EQ_AT(name, RegisterAt(registry, place.root, place.view, key, L"21.0.1.12", runtime), true);
            JreSettings settings = AnySettings();
            if (place.pair) settings.pairProduct = L"C:\\App\\Tool.exe";
            JreSelection selection;
            CHECK_EQ_AT(name, Search(temp.path() + L"\\", settings, selection), true);
            CHECK_EQ_AT(name, selection.jvmLibraryPath, runtime + L"bin\\server\\jvm.dll");
            CHECK_EQ_AT(name, FormatJavaVersion(selection.version), std::wstring(L"25.0.2"));
            CHECK_EQ_AT(name, selection.runPairProduct, place.pair);
        }
    }
}

TEST_CASE(current_bounds_and_kind_and_provider_rules) {
    const std::wstring runtime = RealRuntime();
    const VendorKey& javaSoftJdk = kCurrentVendorKeys[0];
    const VendorKey& temurinJre = kCurrentVendorKeys[3];
    const VendorKey& openJ9Jdk = kCurrentVendorKeys[6];
    struct Row {
        const wchar_t* name;
        const VendorKey* key;
        const wchar_t* subkey;
        JreSettings settings;
        bool found;
    };
    JreSettings max17 = AnySettings();
    max17.maximumVersion = ParseMaximumVersion(L"17");
    JreSettings max2501 = AnySettings();
    max2501.maximumVersion = ParseMaximumVersion(L"25.0.1");
    JreSettings min2502 = AnySettings();
    min2502.minimumVersion = ParseJavaVersion(L"25.0.2", kVersionFillMinimum);
    const Row rows[] = {
        {L"Maximum 17, registered as 17, release says 25", &javaSoftJdk, L"17", max17, false},
        {L"Maximum 25.0.1 against release 25.0.2", &javaSoftJdk, L"25", max2501, false},
        {L"Minimum 25.0.2 against release 25.0.2", &javaSoftJdk, L"21", min2502, true},
        {L"only_JRE: no JDK key", &javaSoftJdk, L"25", AnySettings(L"only_JRE"), false},
        {L"only_JRE: a JRE key", &temurinJre, L"25", AnySettings(L"only_JRE"), true},
        {L"only_JDK: no JRE key", &temurinJre, L"25", AnySettings(L"only_JDK"), false},
        {L"OpenJ9 by default (Sun only)", &openJ9Jdk, L"25", AnySettings(L"", L""), false},
        {L"OpenJ9 with ibm", &openJ9Jdk, L"25", AnySettings(L"", L"ibm"), true},
        {L"HotSpot with ibm", &javaSoftJdk, L"25", AnySettings(L"", L"ibm"), false},
    };
    VendorRegistry registry;
    TempFolder temp(L"jre-current-rules");
    for (const Row& row : rows) {
        registry.Clear();
        CHECK_EQ_AT(row.name, RegisterAt(registry, HKEY_LOCAL_MACHINE, kOwnView, *row.key, row.subkey, runtime), true);
        JreSelection selection;
        CHECK_EQ_AT(row.name, Search(temp.path() + L"\\", row.settings, selection), row.found);
    }
}

// Release files of every shape in a runtime folder of small files; the version falls back to the
// subkey name whenever the file gives none.
TEST_CASE(current_release_files_and_jdk_layouts) {
    TempFolder temp(L"jre-current-release");
    const std::wstring root = temp.path() + L"\\";
    const std::string huge(3 * 1024 * 1024, 'x');
    std::string binary(4096, '\0');
    for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>(i * 37);
    struct Row {
        const wchar_t* name;
        const wchar_t* folder;
        std::string release;  // "-": no release file
        std::vector<std::wstring> files;
        const wchar_t* library;  // relative to the folder
        const wchar_t* version;
    };
    const Row rows[] = {
        {L"well formed", L"good", "IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"21.0.1\"\r\n", {L"bin\\server\\jvm.dll"},
         L"bin\\server\\jvm.dll", L"21.0.1"},
        {L"no JAVA_VERSION", L"none", "IMPLEMENTOR=\"x\"\n", {L"bin\\server\\jvm.dll"}, L"bin\\server\\jvm.dll",
         L"17.0.9.9"},
        {L"malformed", L"bad", "JAVA_VERSION=\"21\n", {L"bin\\server\\jvm.dll"}, L"bin\\server\\jvm.dll",
         L"17.0.9.9"},
        {L"missing", L"missing", "-", {L"bin\\server\\jvm.dll"}, L"bin\\server\\jvm.dll", L"17.0.9.9"},
        {L"3 MiB, the line beyond the read limit", L"huge", huge + "\nJAVA_VERSION=\"21\"\n", {L"bin\\server\\jvm.dll"},
         L"bin\\server\\jvm.dll", L"17.0.9.9"},
        {L"binary", L"binary", binary, {L"bin\\server\\jvm.dll"}, L"bin\\server\\jvm.dll", L"17.0.9.9"},
        {L"a folder named release", L"folder", "-", {L"bin\\server\\jvm.dll", L"release\\x"}, L"bin\\server\\jvm.dll",
         L"17.0.9.9"},
        {L"JDK 8 layout keeps its jre\\", L"jdk8", "JAVA_VERSION=\"1.8.0_412\"\n",
         {L"bin\\server\\jvm.dll", L"jre\\bin\\client\\jvm.dll"}, L"jre\\bin\\client\\jvm.dll", L"1.8.0.412"},
    };
    VendorRegistry registry;
    const VendorKey& temurinJdk = kCurrentVendorKeys[2];
    for (const Row& row : rows) {
        const std::wstring home = root + row.folder + L"\\";
        CHECK_EQ_AT(row.name, MakeJre(home, row.files), true);
        if (row.release != "-") CHECK_EQ_AT(row.name, testsupport::WriteFileBytes(home + L"release", row.release), true);
        registry.Clear();
        CHECK_EQ_AT(row.name, RegisterAt(registry, HKEY_LOCAL_MACHINE, kOwnView, temurinJdk, L"17.0.9.9", home), true);
        JreSelection selection;
        CHECK_EQ_AT(row.name, Search(root, AnySettings(), selection), true);
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, home + row.library);
        CHECK_EQ_AT(row.name, FormatJavaVersion(selection.version), std::wstring(row.version));
    }
}

TEST_CASE(current_jre_path_with_environment_references) {
    const std::wstring runtime = RealRuntime();
    VendorRegistry registry;  // empty: only "JRE Path" can find anything
    TempFolder temp(L"jre-current-env");
    std::wstring folder = runtime;
    folder.pop_back();
    SetEnvironmentVariableW(L"MARLWICK_TEST_JAVA_HOME", folder.c_str());
    SetEnvironmentVariableW(L"MARLWICK_TEST_UNSET", nullptr);
    struct Row {
        const wchar_t* jrePath;
        bool found;
    };
    const Row rows[] = {
        {L"%MARLWICK_TEST_JAVA_HOME%", true},
        {L"%MARLWICK_TEST_JAVA_HOME%\\", true},
        {L"%MARLWICK_TEST_UNSET%\\", false},
        {L"%MARLWICK_TEST_UNSET%%MARLWICK_TEST_JAVA_HOME%", false},
    };
    for (const Row& row : rows) {
        JreSettings settings = AnySettings();
        settings.jrePath = row.jrePath;
        JreSelection selection;
        CHECK_EQ_AT(row.jrePath, Search(temp.path() + L"\\", settings, selection), row.found);
        if (row.found) CHECK_EQ_AT(row.jrePath, selection.jvmLibraryPath, runtime + L"bin\\server\\jvm.dll");
    }
    SetEnvironmentVariableW(L"MARLWICK_TEST_JAVA_HOME", nullptr);
}

// HKEY_CURRENT_USER\Software is shared by both registry views: a per-user runtime of the other
// architecture (a real x86 library) is found only by the search in the other view.
TEST_CASE(current_per_user_runtime_of_the_other_architecture) {
    TempFolder temp(L"jre-current-user-x86");
    const std::wstring root = temp.path() + L"\\";
    const std::wstring home = root + L"x86\\";
    CHECK(testsupport::MakeFolders(home + L"bin\\server"));
    CHECK(testsupport::CopyFileTo(testsupport::JoinPath(testsupport::ExecutableFolder(), L"tiny-x86.dll"),
                                  home + L"bin\\server\\jvm.dll"));
    VendorRegistry registry;
    CHECK(RegisterAt(registry, HKEY_CURRENT_USER, kOwnView, kCurrentVendorKeys[0], L"21", home));
    for (bool pair : {false, true}) {
        JreSettings settings = AnySettings();
        if (pair) settings.pairProduct = L"C:\\App\\Tool.exe";
        JreSelection selection;
        const bool found = Search(root, settings, selection);
        CHECK_EQ_AT(pair ? L"with a pair product" : L"without", found, pair && kBuildArch == Arch::X64);
        if (found) CHECK_EQ(selection.runPairProduct, true);
    }
}
