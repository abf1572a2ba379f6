// A modular start: "Main Module" as the INI gives it, the VM options java.exe would hand the VM,
// the search's bounds and the start-up cache's view of it.
#include <map>

#include "jre/JreSettings.h"
#include "jvm/JavaStart.h"
#include "jvm/ModuleOptions.h"
#include "jvm/StartupCache.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

using Strings = std::vector<std::wstring>;

// Two jars and a folder beside C:\App\app.exe; no environment.
class ModuleFacts : public StartFacts {
public:
    std::wstring Expand(const std::wstring& text) override { return text; }
    std::vector<Found> Search(const std::wstring& pattern) override {
        static const std::map<std::wstring, std::vector<Found>> kFolders{
            {L"C:\\App\\mods", {{L"mods", true}}},
            {L"C:\\App\\mods\\*", {{L"."}, {L".."}, {L"a.jar"}, {L"exploded", true}}},
        };
        auto it = kFolders.find(pattern);
        return it == kFolders.end() ? std::vector<Found>() : it->second;
    }
    void MemoryStatus(uint64_t& totalPhysical, uint64_t& availableVirtual) override {
        totalPhysical = 8ull << 30;
        availableVirtual = 2ull << 30;
    }
};

}  // namespace

TEST_CASE(ParseMainModule_Table) {
    struct Row { const wchar_t* text; bool ok; const wchar_t* module; const wchar_t* mainClass; };
    const Row rows[] = {
        {L"com.example.app", true, L"com.example.app", L""},
        {L"com.example.app/com.example.app.Main", true, L"com.example.app", L"com.example.app.Main"},
        {L"app/Main$Inner", true, L"app", L"Main$Inner"},
        {L"_x.\u00f1and\u00fa", true, L"_x.\u00f1and\u00fa", L""},
        {L"app/", false, L"", L""},              // a slash without a class
        {L"/Main", false, L"", L""},
        {L"app/a/b", false, L"", L""},           // two slashes
        {L"app/a.b/c", false, L"", L""},
        {L"com.example app", false, L"", L""},   // a space
        {L"app/Ma in", false, L"", L""},
        {L"app\u00a0x", false, L"", L""},        // a space beyond ASCII
        {L"com-example", false, L"", L""},       // no Java identifier
        {L"1app", false, L"", L""},
        {L"app..x", false, L"", L""},
        {L".app", false, L"", L""},
        {L"app.", false, L"", L""},
        {L"", false, L"", L""},
    };
    for (const Row& row : rows) {
        MainModuleName name;
        CHECK_EQ_AT(row.text, ParseMainModule(row.text, name), row.ok);
        CHECK_EQ_AT(row.text, name.module, std::wstring(row.module));
        CHECK_EQ_AT(row.text, name.mainClass, std::wstring(row.mainClass));
        if (row.ok) CHECK_EQ_AT(row.text, MainModuleText(name), std::wstring(row.text));
    }
}

TEST_CASE(JoinModuleOptionValues_Table) {
    struct Row { Strings tokens; Strings joined; };
    const Row rows[] = {
        {{L"--add-modules", L"java.sql,java.logging", L"-Xmx1g"}, {L"--add-modules=java.sql,java.logging", L"-Xmx1g"}},
        {{L"--add-opens", L"java.base/java.lang=app", L"--add-exports", L"java.base/sun.nio.ch=ALL-UNNAMED"},
         {L"--add-opens=java.base/java.lang=app", L"--add-exports=java.base/sun.nio.ch=ALL-UNNAMED"}},
        {{L"--enable-native-access", L"app", L"--enable-preview"}, {L"--enable-native-access=app", L"--enable-preview"}},
        {{L"-p", L"C:\\mods", L"--limit-modules", L"java.base"}, {L"--module-path=C:\\mods", L"--limit-modules=java.base"}},
        {{L"--add-modules=x", L"--add-reads", L"a=b"}, {L"--add-modules=x", L"--add-reads=a=b"}},
        {{L"--add-modules"}, {L"--add-modules"}},  // alone at the end: the VM refuses it
        {{L"--add-modules", L"--add-opens", L"x"}, {L"--add-modules=--add-opens", L"x"}},  // as java.exe pairs them
    };
    for (const Row& row : rows) {
        Strings tokens = row.tokens;
        JoinModuleOptionValues(tokens);
        CHECK_EQ_AT(row.tokens.front(), tokens, row.joined);
    }
}

TEST_CASE(ComposeJavaStart_ModularOptionsInJavaExeOrder) {
    struct Row {
        const wchar_t* name;
        const wchar_t* classPath;
        const wchar_t* modulePath;
        const wchar_t* vmParameters;
        Strings options;
    };
    const Row rows[] = {
        {L"module path folder", L"", L"\\mods", L"", {L"--module-path=C:\\App\\mods", L"-Djdk.module.main=app"}},
        {L"wildcard takes folders", L"", L"\\mods\\*", L"",
         {L"--module-path=C:\\App\\mods\\a.jar;C:\\App\\mods\\exploded", L"-Djdk.module.main=app"}},
        {L"empty elements and a missing one", L"", L";\\mods;;\\gone.jar;", L"",
         {L"--module-path=C:\\App\\mods", L"-Djdk.module.main=app"}},
        {L"class path first, then parameters", L"C:\\cp.jar", L"C:\\m.jar", L"--add-modules \"java.sql\" -Xss1m",
         {L"-Djava.class.path=C:\\cp.jar;", L"--add-modules=java.sql", L"-Xss1m", L"--module-path=C:\\m.jar",
          L"-Djdk.module.main=app"}},
        {L"an image that holds the module", L"", L"", L"", {L"-Djdk.module.main=app"}},
    };
    for (const Row& row : rows) {
        JavaSettings settings;
        settings.mainModule.module = L"app";
        settings.mainModule.mainClass = L"app.Main";
        settings.classPath = row.classPath;
        settings.modulePath = row.modulePath;
        settings.vmParameters = row.vmParameters;
        ModuleFacts facts;
        JavaStart start;
        CHECK_EQ_AT(row.name, ComposeJavaStart(settings, VmEnvironment(), L"C:\\App\\app.exe", {}, false, facts, start), true);
        CHECK_EQ_AT(row.name, start.vmOptions, row.options);
        CHECK_EQ_AT(row.name, start.mainClass, std::wstring(L"app/Main"));
    }
    // A class start keeps its class path rule; a module path beside it still reaches the VM.
    JavaSettings plain;
    plain.mainClass = L"a/Main";
    plain.modulePath = L"C:\\m.jar";
    ModuleFacts facts;
    JavaStart start;
    CHECK(!ComposeJavaStart(plain, VmEnvironment(), L"C:\\App\\app.exe", {}, false, facts, start));
    plain.classPath = L"C:\\cp.jar";
    CHECK(ComposeJavaStart(plain, VmEnvironment(), L"C:\\App\\app.exe", {}, false, facts, start));
    CHECK_EQ(start.vmOptions, (Strings{L"-Djava.class.path=C:\\cp.jar;", L"--module-path=C:\\m.jar"}));
    // A module path of 32,000 characters reaches the VM whole.
    JavaSettings huge;
    huge.mainModule.module = L"app";
    huge.modulePath = L"C:\\" + std::wstring(32000, L'm') + L".jar";
    CHECK(ComposeJavaStart(huge, VmEnvironment(), L"C:\\App\\app.exe", {}, false, facts, start));
    CHECK_EQ(ModulePathOptionEntries(start.vmOptions), (Strings{huge.modulePath}));
}

TEST_CASE(ReadStartSettings_MainModule) {
    struct Row { Strings lines; SettingsResult result; const wchar_t* module; bool needsModules; };
    const Row rows[] = {
        {{L"[Java Runtime Environment]", L"Main Module=app/app.Main", L"Main Class=other.Main"}, SettingsResult::Ok, L"app", true},
        {{L"[Java Runtime Environment]", L"Main Module=app", L"[Class Path]", L"Module Path=\\mods"}, SettingsResult::Ok, L"app", true},
        {{L"[Java Runtime Environment]", L"Main Module=app/"}, SettingsResult::BadMainModule, L"", false},
        {{L"[Java Runtime Environment]", L"Main Class=a.Main"}, SettingsResult::Ok, L"", false},
        {{L"[Class Path]", L"Module Path=\\mods"}, SettingsResult::NoMainClass, L"", false},
    };
    for (const Row& row : rows) {
        std::wstring text;
        for (const std::wstring& line : row.lines) text += line + L"\r\n";
        const IniText ini = IniText::Parse(text);
        LauncherSettings s;
        const std::wstring name = row.lines.size() > 1 ? row.lines[1] : row.lines[0];
        CHECK_EQ_AT(name, ReadStartSettings(ini, nullptr, s) == row.result, true);
        CHECK_EQ_AT(name, s.mainModule.module, std::wstring(row.module));
        CHECK_EQ_AT(name, s.needsModules, row.needsModules);
    }
}

TEST_CASE(BoundsRefusal_MainModuleNeedsJava9) {
    struct Row { const wchar_t* version; bool modules; const wchar_t* refusal; };
    const Row rows[] = {
        {L"1.8.0_412", true, L"older than Java 9, which a Main Module needs"},
        {L"1.8.0_412", false, nullptr},
        {L"9", true, nullptr},
        {L"17.0.9", true, nullptr},
        {L"26", true, L"outside Minimum Version / Maximum Version"},  // the maximum still holds
    };
    for (const Row& row : rows) {
        JreSettings settings;
        settings.maximumVersion = JavaVersion::Of(25, 65535, 65535, 65535);
        settings.needsModules = row.modules;
        const wchar_t* refusal = BoundsRefusal(ParseJavaVersion(row.version, kVersionFillMinimum), settings);
        CHECK_EQ_AT(row.version, std::wstring(refusal ? refusal : L"-"), std::wstring(row.refusal ? row.refusal : L"-"));
    }
}

TEST_CASE(StartupCache_MainModuleWithoutClassPath) {
    CHECK_EQ(CacheBlockedByOptions({L"--module-path=C:\\mods", L"-Djdk.module.main=app"}), std::wstring());
    CHECK_EQ(CacheBlockedByOptions({L"--module-path=C:\\mods"}), std::wstring(L"the class path is empty"));
    // The module path is part of the key.
    CHECK(StartupCacheKey(L"C:\\jre", L"25", {L"--module-path=C:\\a", L"-Djdk.module.main=app"}, L"") !=
          StartupCacheKey(L"C:\\jre", L"25", {L"--module-path=C:\\b", L"-Djdk.module.main=app"}, L""));
}
