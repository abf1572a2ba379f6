#include <map>

#include "base/IniPaths.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

// An in-memory INI file; `layered` makes it behave like the layered store ("<section>+" fallback).
class FakeStore : public SettingsStore {
public:
    explicit FakeStore(bool layered = false) : layered_(layered) {}
    void Put(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        values_[section + L"|" + key] = value;
    }
    std::wstring GetString(const std::wstring& section, const std::wstring& key) override {
        reads.push_back(key);
        std::wstring value = Raw(section, key);
        if (!value.empty() || !layered_) return value;
        return PlusSectionValue(Raw(section + L"+", key));
    }
    bool SetString(const std::wstring&, const std::wstring&, const std::wstring&) override { return false; }
    std::vector<std::wstring> reads;

private:
    std::wstring Raw(const std::wstring& section, const std::wstring& key) const {
        auto it = values_.find(section + L"|" + key);
        return it == values_.end() ? std::wstring() : it->second;
    }
    bool layered_;
    std::map<std::wstring, std::wstring> values_;
};

const wchar_t kJre[] = L"Java Runtime Environment";
const wchar_t kApp[] = L"Application";

}  // namespace

TEST_CASE(PlusSectionValue_AddsOneLeadingSpace) {
    CHECK_EQ(PlusSectionValue(L"x"), std::wstring(L" x"));
    CHECK_EQ(PlusSectionValue(L" x"), std::wstring(L" x"));
    CHECK_EQ(PlusSectionValue(L""), std::wstring(L""));
}

TEST_CASE(SplitList_Table) {
    struct Row { const wchar_t* text; std::vector<std::wstring> items; };
    const Row rows[] = {
        {L"", {}},
        {L"1.7;1.8", {L"1.7", L"1.8"}},
        {L";1.7", {L"", L"1.7"}},
        {L"1.7;;1.8", {L"1.7", L"", L"1.8"}},
        {L"1.7;", {L"1.7"}},
        {L";", {L""}},
        {L" 1.7 ; 1.8", {L" 1.7 ", L" 1.8"}},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text, SplitList(row.text), row.items);
}

TEST_CASE(SwitchWords_ExactAndAnyCase) {
    CHECK(IsAnyCaseYes(L"YES"));
    CHECK(IsAnyCaseYes(L"yEs"));
    CHECK(!IsAnyCaseYes(L"yes "));
    CHECK(!IsAnyCaseYes(L"y"));
    CHECK(!EqualsAsciiNoCase(L"\x0131", L"i"));  // only A-Z fold
    CHECK(ParseJvmType(L"server") == JvmType::Server);
    CHECK(ParseJvmType(L"favor_server") == JvmType::FavorServer);
    CHECK(ParseJvmType(L"Server") == JvmType::Default);
    CHECK(ParseMinimumVersion(L"any") == JavaVersion::OpenMinimum());
    CHECK(ParseMaximumVersion(L"any") == JavaVersion::OpenMaximum());
    CHECK(ParseMaximumVersion(L"Any") == JavaVersion());
    CHECK(ParseMaximumVersion(L"1.8") == JavaVersion::Of(1, 8, 65535, 65535));
    CHECK_EQ(MainClassToSlashes(L"com.example.App"), std::wstring(L"com/example/App"));
}

TEST_CASE(JvmSource_Table) {
    struct Row { const wchar_t* text; bool both, jdk, jre; };
    const Row rows[] = {
        {L"", true, true, true},
        {L"favor_JRE", true, false, true},
        {L"favor_JDK", true, true, false},
        {L"only_JDK", false, true, false},
        {L"only_JRE", false, false, true},
        {L"favor_jdk", false, false, false},
        {L"anything", false, false, false},
    };
    for (const Row& row : rows) {
        LauncherSettings s;
        ApplyJvmSource(row.text, s);
        CHECK_EQ_AT(row.text, s.searchBothKinds, row.both);
        CHECK_EQ_AT(row.text, s.preferJdk, row.jdk);
        CHECK_EQ_AT(row.text, s.preferJre, row.jre);
    }
}

TEST_CASE(VmProvider_Table) {
    struct Row { const wchar_t* text; bool jr, jrFav, sun, sunFav, ibm, ibmFav; };
    const Row rows[] = {
        {L"", false, false, true, true, false, false},
        {L"unknown", false, false, true, true, false, false},
        {L"jrockit", true, true, false, false, false, false},
        {L"IBM", false, false, false, false, true, true},
        {L"favor_sun", true, false, true, true, true, false},
        {L"Favor_JRockit", true, true, true, false, true, false},
        {L"favor_ibm", true, false, true, false, true, true},
        {L"ANY", true, false, true, false, true, false},
    };
    for (const Row& row : rows) {
        LauncherSettings s;
        ApplyVmProvider(row.text, s);
        CHECK_EQ_AT(row.text, s.jrockitAllowed, row.jr);
        CHECK_EQ_AT(row.text, s.jrockitFavoured, row.jrFav);
        CHECK_EQ_AT(row.text, s.sunAllowed, row.sun);
        CHECK_EQ_AT(row.text, s.sunFavoured, row.sunFav);
        CHECK_EQ_AT(row.text, s.ibmAllowed, row.ibm);
        CHECK_EQ_AT(row.text, s.ibmFavoured, row.ibmFav);
    }
}

TEST_CASE(ReadStartSettings_NoMainClassStopsReading) {
    FakeStore plain, layered(true);
    layered.Put(kApp, L"Failure Check", L"YES");
    LauncherSettings s;
    CHECK(ReadStartSettings({plain, layered, nullptr}, s) == SettingsResult::NoMainClass);
    CHECK(!s.failureCheck);
    CHECK_EQ(layered.reads.back(), std::wstring(L"Main Class"));
}

TEST_CASE(ReadStartSettings_FullApplication) {
    FakeStore plain, layered(true);
    layered.Put(kJre, L"Main Class", L"com.example.App");
    layered.Put(kJre, L"Minimum Version", L"1.6");
    layered.Put(kJre, L"Maximum Version", L"any");
    layered.Put(kJre, L"Preferred versions", L";1.7");
    layered.Put(kJre, L"JRE Path", L"C:\\jre");
    layered.Put(kJre, L"VM Provider", L"IBM");
    layered.Put(kApp, L"Single Instance", L"Yes");
    layered.Put(kApp, L"Failure Check", L"YES");
    layered.Put(kApp, L"Override WorkingDir", L"yes");
    layered.Put(kApp, L"Pair Return Code", L"Yes");
    layered.Put(kApp, L"Pair Product", L"..\\x86\\App.exe");
    layered.Put(kJre, L"Library Path", L"%ROOT%\\lib");
    layered.Put(kJre, L"Startup Cache", L"yES");
    LauncherSettings s;
    CHECK(ReadStartSettings({plain, layered, nullptr}, s) == SettingsResult::Ok);
    CHECK(s.startupCache);
    CHECK_EQ(s.mainClass, std::wstring(L"com/example/App"));
    CHECK(s.minimumVersion == JavaVersion::Of(1, 6, 0, 0));
    CHECK(s.maximumVersion == JavaVersion::OpenMaximum());
    CHECK_EQ(s.preferredVersions, (std::vector<std::wstring>{L"", L"1.7"}));
    CHECK_EQ(s.jrePath, std::wstring(L"C:\\jre"));
    CHECK(s.ibmAllowed && s.ibmFavoured && !s.sunAllowed);
    CHECK(!s.singleInstance);  // read by the single-instance setup, never here
    CHECK(s.failureCheck && s.overrideWorkingDir && s.pairReturnCode);
    CHECK_EQ(s.pairProduct, std::wstring(L"..\\x86\\App.exe"));
    CHECK_EQ(s.libraryPath, std::wstring(L"%ROOT%\\lib"));  // never expanded here
}

TEST_CASE(ReadStartSettings_MainClassFromPlusSectionKeepsLeadingSpace) {
    FakeStore plain, layered(true);
    layered.Put(L"Java Runtime Environment+", L"Main Class", L"App");
    LauncherSettings s;
    CHECK(ReadStartSettings({plain, layered, nullptr}, s) == SettingsResult::Ok);
    CHECK_EQ(s.mainClass, std::wstring(L" App"));
}

TEST_CASE(ReadStartSettings_JrePathSource) {
    // An application's existing per-user INI hides the main INI's value even when it has none.
    FakeStore plain, layered(true), user;
    layered.Put(kJre, L"Main Class", L"App");
    layered.Put(kJre, L"JRE Path", L"C:\\main-jre");
    LauncherSettings app;
    ReadStartSettings({plain, layered, &user}, app);
    CHECK_EQ(app.jrePath, std::wstring());
    user.Put(kJre, L"JRE Path", L"D:\\chosen");
    LauncherSettings app2;
    ReadStartSettings({plain, layered, &user}, app2);
    CHECK_EQ(app2.jrePath, std::wstring(L"D:\\chosen"));
    // A service always reads the main INI.
    layered.Put(kApp, L"Application Type", L"service");
    layered.Put(kApp, L"Omit Service Name", L"x");
    LauncherSettings service;
    ReadStartSettings({plain, layered, &user}, service);
    CHECK(service.isService && service.omitServiceName);
    CHECK_EQ(service.jrePath, std::wstring(L"C:\\main-jre"));
    // "Service" is not the word.
    layered.Put(kApp, L"Application Type", L"Service");
    LauncherSettings notService;
    ReadStartSettings({plain, layered, nullptr}, notService);
    CHECK(!notService.isService && !notService.omitServiceName);
}

TEST_CASE(IniPathFromModulePath_Table) {
    struct Row { const wchar_t* module; bool ok; const wchar_t* ini; };
    const Row rows[] = {
        {L"C:\\Apps\\Tool 64.exe", true, L"C:\\Apps\\Tool 64.ini"},
        {L"C:\\v1.2\\Tool", true, L"C:\\v1.ini"},
        {L"C:\\Apps\\Tool", false, L""},
        {L"C:\\Apps\\Tool.", true, L"C:\\Apps\\Tool.ini"},
    };
    for (const Row& row : rows) {
        std::wstring ini;
        CHECK_EQ_AT(row.module, IniPathFromModulePath(row.module, ini), row.ok);
        if (row.ok) CHECK_EQ_AT(row.module, ini, std::wstring(row.ini));
    }
}

TEST_CASE(MakeUserIniLocation_Table) {
    struct Row { const wchar_t* appData; const wchar_t* name; const wchar_t* code; const wchar_t* exe; const wchar_t* path; };
    const Row rows[] = {
        {L"C:\\Users\\u\\AppData\\Roaming", L"Tool: Pro", L"{1A2B}", L"C:\\Apps\\Tool 64.exe",
         L"C:\\Users\\u\\AppData\\Roaming\\Tool Pro\\{1A2B}\\Tool 64.ini"},
        {L"A", L"a/b:c", L"X", L"C:\\t.exe", L"A\\abc\\X\\t.ini"},
        {L"A", L"\\?\"|><:/*", L"", L"C:\\v1.2\\Tool", L"A\\\\\\Tool.ini"},
        {L"", L"P", L"C", L"Tool.x.exe", L"\\P\\C\\Tool.x.ini"},  // APPDATA unset
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.exe, MakeUserIniLocation(row.appData, row.name, row.code, row.exe).path, std::wstring(row.path));
    }
    const UserIniLocation location = MakeUserIniLocation(L"R", L"P", L"C", L"x.exe");
    CHECK_EQ(location.productFolder, std::wstring(L"R\\P"));
    CHECK_EQ(location.codeFolder, std::wstring(L"R\\P\\C"));
}
