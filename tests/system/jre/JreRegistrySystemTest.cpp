// The registry search and the write-back of a chosen folder against the real Wine registry and
// real INI files. The tests own the vendor keys of the prefix while they run.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "launcher/Settings.h"
#include "jre/JreSearch.h"
#include "jre/RegistrySearch.h"
#include "jre/Win32JreSystem.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/jre/JreFixtures.h"

using namespace jrefixtures;
using testsupport::TempFolder;

namespace {

const wchar_t kClient[] = L"bin\\client\\jvm.dll";
const wchar_t kServer[] = L"bin\\server\\jvm.dll";
const REGSAM k32 = KEY_WOW64_32KEY;
const REGSAM k64 = KEY_WOW64_64KEY;

// Everything that one search meets: the JRE homes under `root`, the registry and the settings.
struct World {
    std::wstring root;  // ends with a backslash
    VendorRegistry& registry;
    LauncherSettings settings;

    std::wstring Home(const wchar_t* name) const { return root + name + L"\\"; }
    void Jre(const wchar_t* name, std::initializer_list<const wchar_t*> subPaths) { MakeJre(Home(name), subPaths); }
    void Reg(REGSAM view, const wchar_t* key, const wchar_t* subkey, const wchar_t* home) {
        CHECK(registry.Register(view, key, subkey, root + home));
    }
};

LauncherSettings Settings(const wchar_t* source, const wchar_t* provider, JvmType type, const wchar_t* preferred) {
    LauncherSettings s;
    s.maximumVersion = ParseMaximumVersion(L"any");
    ApplyJvmSource(source, s);
    ApplyVmProvider(provider, s);
    s.jvmType = type;
    s.preferredVersions = SplitList(preferred);
    return s;
}

// Runs the launcher's search with nothing beside the executable and nothing in the working
// directory, so that the registry decides.
bool Search(World& world, JreSelection& selection, Arch arch = kBuildArch) {
    MakeJre(world.root + L"app\\", {L"readme.txt"});
    PlacedSystem system(world.root + L"app\\Tool 64.exe", arch);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    SetCurrentDirectoryW((world.root + L"app").c_str());
    const bool found = FindJre(system, world.settings, nullptr, selection);
    SetCurrentDirectoryW(old);
    return found;
}

std::vector<BYTE> Utf16(const std::wstring& text, bool terminate) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + (terminate ? 1 : 0)) * sizeof(wchar_t));
}

std::wstring ReadJrePath(const std::wstring& iniPath) {
    wchar_t value[512] = {};
    GetPrivateProfileStringW(L"Java Runtime Environment", L"JRE Path", L"<none>", value, 512, iniPath.c_str());
    return value;
}

}  // namespace

TEST_CASE(registry_search_scenarios) {
    struct Row {
        const wchar_t* name;
        LauncherSettings settings;
        std::function<void(World&)> setup;
        const wchar_t* library;  // relative to the root; empty: nothing found
        const wchar_t* version;
        bool runPairProduct;
    };
    const LauncherSettings plain = Settings(L"", L"", JvmType::Default, L"");
    LauncherSettings emptyMaximum = plain;
    emptyMaximum.maximumVersion = ParseMaximumVersion(L"");
    LauncherSettings withPair = plain;
    withPair.pairProduct = L"C:\\App\\Tool.exe";

    const Row rows[] = {
        {L"two subkeys for one home", plain,
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kSunJre, L"1.8.0_202", L"jre8\\");
         },
         L"jre8\\bin\\client\\jvm.dll", L"1.8.0.202", false},
        {L"preferred 1.7;1.8", Settings(L"", L"", JvmType::Default, L"1.7;1.8"),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"jre7", {kClient});
             w.Reg(k64, kSunJre, L"1.8.0_202", L"jre8");
             w.Reg(k64, kSunJre, L"1.7.0_80", L"jre7");
         },
         L"jre7\\bin\\client\\jvm.dll", L"1.7.0.80", false},
        {L"preferred ;1.7", Settings(L"", L"", JvmType::Default, L";1.7"),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"jre7", {kClient});
             w.Reg(k64, kSunJre, L"1.7.0_80", L"jre7");
             w.Reg(k64, kSunJre, L"1.8.0_202", L"jre8");
         },
         L"jre8\\bin\\client\\jvm.dll", L"1.8.0.202", false},
        {L"favor_server: a server JDK before a newer client JRE and a Sun JRE with both", 
         Settings(L"", L"", JvmType::FavorServer, L""),
         [](World& w) {
             w.Jre(L"jdk6\\jre", {kServer});
             w.Jre(L"jre8", {kClient});
             w.Jre(L"jre9", {kClient, kServer});
             w.Reg(k64, kSunJdk, L"1.6", L"jdk6");
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kSunJre, L"1.9", L"jre9");
         },
         L"jdk6\\jre\\bin\\server\\jvm.dll", L"1.6", false},
        {L"favor_server: the Sun JRE loads its server library", Settings(L"", L"", JvmType::FavorServer, L""),
         [](World& w) {
             w.Jre(L"jre9", {kClient, kServer});
             w.Reg(k64, kSunJre, L"1.9", L"jre9");
         },
         L"jre9\\bin\\server\\jvm.dll", L"1.9", false},
        {L"only_JRE does not read the JDK key", Settings(L"only_JRE", L"", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jdk8\\jre", {kClient});
             w.Reg(k64, kSunJdk, L"1.8", L"jdk8");
         },
         L"", L"0.0.0.0", false},
        {L"unknown JVM Source reads no key", Settings(L"JRE", L"", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
         },
         L"", L"0.0.0.0", false},
        {L"IBM in capitals", Settings(L"", L"IBM", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"ibm6", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kIbmJre, L"1.6", L"ibm6");
         },
         L"ibm6\\bin\\client\\jvm.dll", L"1.6", false},
        {L"favor_ibm", Settings(L"", L"favor_ibm", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"ibm6", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kIbmJre, L"1.6", L"ibm6");
         },
         L"ibm6\\bin\\client\\jvm.dll", L"1.6", false},
        {L"favor_ibm with only_JRE ignores favour", Settings(L"only_JRE", L"favor_ibm", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"ibm6", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kIbmJre, L"1.6", L"ibm6");
         },
         L"jre8\\bin\\client\\jvm.dll", L"1.8", false},
        {L"JRockit JRE key before its JDK key", Settings(L"", L"any", JvmType::Default, L""),
         [](World& w) {
             w.Jre(L"jrjdk\\jre", {L"bin\\jrockit\\jvm.dll"});
             w.Jre(L"jrjre", {L"bin\\jrockit\\jvm.dll"});
             w.Reg(k64, kJRockitJdk, L"1.6", L"jrjdk");
             w.Reg(k64, kJRockitJre, L"1.6", L"jrjre");
         },
         L"jrjre\\bin\\jrockit\\jvm.dll", L"1.6", false},
        {L"empty Maximum Version admits only a name without digits", emptyMaximum,
         [](World& w) {
             w.Jre(L"jre8", {kClient});
             w.Jre(L"nodigit", {kClient});
             w.Reg(k64, kSunJre, L"1.8", L"jre8");
             w.Reg(k64, kSunJre, L"current", L"nodigit");
         },
         L"nodigit\\bin\\client\\jvm.dll", L"0.0.0.0", false},
        {L"JavaHome without a library", plain,
         [](World& w) {
             w.Jre(L"empty", {L"bin\\java.dll"});
             w.Jre(L"jre6", {kClient});
             w.Reg(k64, kSunJre, L"1.9", L"empty");
             w.Reg(k64, kSunJre, L"1.6", L"jre6");
         },
         L"jre6\\bin\\client\\jvm.dll", L"1.6", false},
        {L"32-bit view only, no pair product", plain,
         [](World& w) {
             w.Jre(L"jre32", {kClient});
             w.Reg(k32, kSunJre, L"1.8", L"jre32");
         },
         L"", L"0.0.0.0", false},
        {L"32-bit view only, with a pair product", withPair,
         [](World& w) {
             w.Jre(L"jre32", {kClient});
             w.Reg(k32, kSunJre, L"1.8", L"jre32");
         },
         L"jre32\\bin\\client\\jvm.dll", L"1.8", true},
        {L"the own view first, with a pair product", withPair,
         [](World& w) {
             w.Jre(L"jre32", {kClient});
             w.Jre(L"jre64", {kClient});
             w.Reg(k32, kSunJre, L"1.9", L"jre32");
             w.Reg(k64, kSunJre, L"1.7", L"jre64");
         },
         L"jre64\\bin\\client\\jvm.dll", L"1.7", false},
    };
    VendorRegistry registry;
    for (const Row& row : rows) {
        TempFolder temp(L"jre-registry");
        registry.Clear();
        World world{temp.path() + L"\\", registry, row.settings};
        row.setup(world);
        JreSelection selection;
        const bool found = Search(world, selection);
        CHECK_EQ_AT(row.name, found, *row.library != L'\0');
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, *row.library ? world.root + row.library : L"");
        CHECK_EQ_AT(row.name, FormatJavaVersion(selection.version), std::wstring(row.version));
        if (found) CHECK_EQ_AT(row.name, selection.runPairProduct, row.runPairProduct);
    }
}

TEST_CASE(registry_the_32_bit_launcher_searches_the_64_bit_view_second) {
    TempFolder temp(L"jre-view");
    VendorRegistry registry;
    const std::wstring home = temp.path() + L"\\jre\\";
    CHECK(MakeJre(home, {kClient}));
    LauncherSettings settings = Settings(L"", L"", JvmType::Default, L"");
    settings.pairProduct = L"C:\\App\\Tool 64.exe";
    PlacedSystem x86(L"", Arch::X86);
    PlacedSystem x64(L"", Arch::X64);
    RegistryJre found;

    CHECK(registry.Register(k64, kSunJre, L"1.8", home));
    CHECK(SearchRegistry(x86, settings, RegistryView::Other, found));
    CHECK_EQ(found.home, home);
    CHECK(!SearchRegistry(x64, settings, RegistryView::Other, found));

    registry.Clear();
    CHECK(registry.Register(k32, kSunJre, L"1.8", home));
    CHECK(!SearchRegistry(x86, settings, RegistryView::Other, found));
    CHECK(SearchRegistry(x64, settings, RegistryView::Other, found));
}

TEST_CASE(registry_java_home_values_of_any_shape) {
    TempFolder temp(L"jre-javahome");
    const std::wstring home = temp.path() + L"\\jre";
    CHECK(MakeJre(home + L"\\", {kClient}));
    SetEnvironmentVariableW(L"MARLWICK_TEST_JRE", home.c_str());

    std::vector<BYTE> odd = Utf16(home, false);
    odd.push_back('x');
    std::vector<BYTE> early = Utf16(home, true);
    const std::vector<BYTE> garbage = Utf16(L"garbage", false);
    early.insert(early.end(), garbage.begin(), garbage.end());
    const std::vector<BYTE> huge = Utf16(std::wstring(1 << 20, L'a'), false);
    std::vector<BYTE> hugeAfterNul = Utf16(home, true);
    hugeAfterNul.insert(hugeAfterNul.end(), huge.begin(), huge.end());
    const DWORD number = 0x00410041;
    const BYTE* numberBytes = reinterpret_cast<const BYTE*>(&number);

    struct Row {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        bool found;
    };
    const Row rows[] = {
        {L"REG_SZ with its NUL", REG_SZ, Utf16(home, true), true},
        {L"REG_SZ without NUL", REG_SZ, Utf16(home, false), true},
        {L"odd byte length", REG_SZ, odd, true},
        {L"text after the NUL ignored", REG_SZ, early, true},
        {L"1 MiB after the NUL", REG_SZ, hugeAfterNul, true},
        {L"REG_BINARY holding the text", REG_BINARY, Utf16(home, false), true},
        {L"REG_EXPAND_SZ is not expanded", REG_EXPAND_SZ, Utf16(L"%MARLWICK_TEST_JRE%", true), false},
        {L"REG_DWORD", REG_DWORD, std::vector<BYTE>(numberBytes, numberBytes + 4), false},
        {L"2 MiB without NUL", REG_SZ, huge, false},
        {L"empty data", REG_SZ, {}, false},
        {L"only a NUL", REG_SZ, Utf16(L"", true), false},
        {L"one byte", REG_BINARY, {'C'}, false},
    };
    VendorRegistry registry;
    PlacedSystem system(L"");
    const LauncherSettings settings = Settings(L"", L"", JvmType::Default, L"");
    for (const Row& row : rows) {
        registry.Clear();
        CHECK_EQ_AT(row.name, registry.RegisterRaw(k64, kSunJre, L"1.8", row.type, row.data), true);
        RegistryJre found;
        CHECK_EQ_AT(row.name, SearchRegistry(system, settings, RegistryView::Native, found), row.found);
        if (row.found) CHECK_EQ_AT(row.name, found.home, home + L"\\");
    }
    registry.Clear();
    CHECK(registry.RegisterEmpty(k64, kSunJre, L"1.8"));
    RegistryJre found;
    CHECK(!SearchRegistry(system, settings, RegistryView::Native, found));
    SetEnvironmentVariableW(L"MARLWICK_TEST_JRE", nullptr);
}

namespace {

class Chooser : public JreFolderChooser {
public:
    bool accept = true;
    std::wstring home;
    std::wstring library;
    bool Choose(const JreSettings&, std::wstring& h, std::wstring& l) override {
        h = home;
        l = library;
        return accept;
    }
};

}  // namespace

TEST_CASE(writeback_of_the_chosen_folder) {
    struct Row {
        const wchar_t* name;
        bool service;
        bool pair;
        bool accept;
        bool modulePath;
        std::vector<std::wstring> written;  // relative to the temporary folder
    };
    const std::wstring user = L"appdata\\Tool Pro\\{1A}\\";
    const Row rows[] = {
        {L"application", false, false, true, true, {user + L"Tool 64.ini"}},
        {L"application with pair product", false, true, true, true, {user + L"Tool 64.ini", user + L"Tool.ini"}},
        {L"service", true, false, true, true, {L"app\\Tool 64.ini"}},
        {L"service with pair product", true, true, true, true, {L"app\\Tool 64.ini", L"pair\\Tool.ini"}},
        {L"cancel", false, true, false, true, {}},
        {L"cancelled service", true, true, false, true, {}},
        {L"module path unavailable", false, true, true, false, {}},
        {L"service, module path unavailable", true, true, true, false, {}},
    };
    VendorRegistry registry;  // empty: the search reaches the chooser
    std::wstring oldAppData(MAX_PATH, L'\0');
    oldAppData.resize(GetEnvironmentVariableW(L"APPDATA", &oldAppData[0], MAX_PATH));
    for (const Row& row : rows) {
        TempFolder temp(L"jre-writeback");
        const std::wstring root = temp.path() + L"\\";
        MakeJre(root + L"app\\", {L"readme.txt"});
        MakeJre(root + L"pair\\", {L"readme.txt"});
        // The chosen library is a real x86 one: with a pair product the 64-bit launcher hands over.
        testsupport::MakeFolders(root + L"picked\\bin\\client");
        CHECK(testsupport::CopyFileTo(
            testsupport::JoinPath(testsupport::ExecutableFolder(), L"tiny-x86.dll"), root + L"picked\\" + kClient));
        CreateDirectoryW((root + L"appdata").c_str(), nullptr);
        SetEnvironmentVariableW(L"APPDATA", (root + L"appdata").c_str());

        LauncherSettings settings = Settings(L"", L"", JvmType::Default, L"");
        settings.productName = L"Tool: Pro";
        settings.productCode = L"{1A}";
        settings.isService = row.service;
        if (row.pair) settings.pairProduct = root + L"pair\\Tool.exe";
        Chooser chooser;
        chooser.accept = row.accept;
        chooser.home = root + L"picked";  // the backslash is added before writing
        chooser.library = root + L"picked\\" + kClient;

        PlacedSystem system(row.modulePath ? root + L"app\\Tool 64.exe" : L"");
        SetCurrentDirectoryW((root + L"app").c_str());
        JreSelection selection;
        CHECK_EQ_AT(row.name, FindJre(system, settings, &chooser, selection), row.accept);
        SetCurrentDirectoryW(testsupport::ExecutableFolder().c_str());
        if (row.accept) {
            CHECK_EQ_AT(row.name, selection.jvmLibraryPath, chooser.library);
            CHECK_EQ_AT(row.name, selection.runPairProduct, row.pair && kBuildArch == Arch::X64);
        }

        for (const std::wstring& file : row.written) {
            CHECK_EQ_AT(std::wstring(row.name) + L": " + file, ReadJrePath(root + file), root + L"picked\\");
        }
        // Nothing else: no INI file beside either executable unless listed, no per-user folder
        // unless an application wrote one.
        const std::wstring unlisted[] = {L"app\\Tool 64.ini", L"pair\\Tool.ini", user + L"Tool 64.ini",
                                         user + L"Tool.ini"};
        for (const std::wstring& file : unlisted) {
            bool listed = false;
            for (const std::wstring& w : row.written) listed = listed || w == file;
            if (!listed) CHECK_EQ_AT(std::wstring(row.name) + L": " + file, testsupport::PathExists(root + file), false);
        }
        if (row.written.empty() || row.service) {
            CHECK_EQ_AT(row.name, testsupport::PathExists(root + L"appdata\\Tool Pro"), false);
        }
    }
    SetEnvironmentVariableW(L"APPDATA", oldAppData.empty() ? nullptr : oldAppData.c_str());
}
