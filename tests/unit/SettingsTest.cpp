#include <initializer_list>

#include "base/IniPaths.h"
#include "base/PathText.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

// An INI snapshot from its text, lines joined with CR LF.
IniText Ini(std::initializer_list<const wchar_t*> lines) {
    std::wstring text;
    for (const wchar_t* line : lines) text += std::wstring(line) + L"\r\n";
    return IniText::Parse(text);
}

}  // namespace

// The "+" section of a layered key: read only when the key's own value is empty, and given one
// space in front unless it has one.
TEST_CASE(GetLayeredString_FallsBackToThePlusSection) {
    struct Row { const wchar_t* name; IniText ini; const wchar_t* value; };
    const Row rows[] = {
        {L"own value", Ini({L"[A]", L"k=own", L"[A+]", L"k=plus"}), L"own"},
        {L"empty own value", Ini({L"[A]", L"k=", L"[A+]", L"k=x"}), L" x"},
        {L"only plus", Ini({L"[a+]", L"K=x"}), L" x"},
        {L"plus with a space", Ini({L"[A+]", L"k=\" x\""}), L" x"},
        {L"neither", Ini({L"[A+]", L"other=x"}), L""},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.name, GetLayeredString(row.ini, L"A", L"k"), std::wstring(row.value));
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
    const IniText ini = Ini({L"[Application]", L"Failure Check=YES"});
    LauncherSettings s;
    CHECK(ReadStartSettings(ini, nullptr, s) == SettingsResult::NoMainClass);
    CHECK(!s.failureCheck);
}

TEST_CASE(ReadStartSettings_FullApplication) {
    const IniText ini = Ini({L"[Java Runtime Environment]", L"Main Class=com.example.App", L"Minimum Version=1.6",
                             L"Maximum Version=any", L"Preferred versions=;1.7", L"JRE Path=C:\\jre", L"VM Provider=IBM",
                             L"Library Path=%ROOT%\\lib", L"Startup Cache=yES", L"[Application]", L"Single Instance=Yes",
                             L"Failure Check=YES", L"Override WorkingDir=yes", L"Pair Return Code=Yes",
                             L"Pair Product=..\\x86\\App.exe", L"failure check=no"});
    LauncherSettings s;
    CHECK(ReadStartSettings(ini, nullptr, s) == SettingsResult::Ok);
    CHECK(s.startupCache);
    CHECK_EQ(s.mainClass, std::wstring(L"com/example/App"));
    CHECK(s.minimumVersion == JavaVersion::Of(1, 6, 0, 0));
    CHECK(s.maximumVersion == JavaVersion::OpenMaximum());
    CHECK_EQ(s.preferredVersions, (std::vector<std::wstring>{L"", L"1.7"}));
    CHECK_EQ(s.jrePath, std::wstring(L"C:\\jre"));
    CHECK(s.ibmAllowed && s.ibmFavoured && !s.sunAllowed);
    CHECK(!s.singleInstance);  // "yes" exactly
    CHECK(s.failureCheck && s.overrideWorkingDir && s.pairReturnCode);  // the first of a repeated key
    CHECK_EQ(s.pairProduct, std::wstring(L"..\\x86\\App.exe"));
    CHECK_EQ(s.libraryPath, std::wstring(L"%ROOT%\\lib"));  // never expanded here
}

TEST_CASE(ReadStartSettings_MainClassFromPlusSectionKeepsLeadingSpace) {
    const IniText ini = Ini({L"[Java Runtime Environment+]", L"Main Class=App"});
    LauncherSettings s;
    CHECK(ReadStartSettings(ini, nullptr, s) == SettingsResult::Ok);
    CHECK_EQ(s.mainClass, std::wstring(L" App"));
}

TEST_CASE(ReadStartSettings_JrePathSource) {
    // An application's existing per-user INI hides the main INI's value even when it has none.
    const wchar_t* main[] = {L"[Java Runtime Environment]", L"Main Class=App", L"JRE Path=C:\\main-jre"};
    const IniText application = Ini({main[0], main[1], main[2]});
    const IniText emptyUser = Ini({});
    const IniText user = Ini({L"[Java Runtime Environment]", L"JRE Path=D:\\chosen"});
    LauncherSettings app;
    ReadStartSettings(application, &emptyUser, app);
    CHECK_EQ(app.jrePath, std::wstring());
    LauncherSettings app2;
    ReadStartSettings(application, &user, app2);
    CHECK_EQ(app2.jrePath, std::wstring(L"D:\\chosen"));
    // A service always reads the main INI.
    const IniText service = Ini({main[0], main[1], main[2], L"[Application]", L"Application Type=service",
                                 L"Omit Service Name=x"});
    LauncherSettings serviceSettings;
    ReadStartSettings(service, &user, serviceSettings);
    CHECK(serviceSettings.isService && serviceSettings.omitServiceName);
    CHECK_EQ(serviceSettings.jrePath, std::wstring(L"C:\\main-jre"));
    // "Service" is not the word.
    const IniText notService = Ini({main[0], main[1], L"[Application]", L"Application Type=Service", L"Omit Service Name=x"});
    LauncherSettings notServiceSettings;
    ReadStartSettings(notService, nullptr, notServiceSettings);
    CHECK(!notServiceSettings.isService && !notServiceSettings.omitServiceName);
}

TEST_CASE(BesideExecutable_Table) {
    struct Row { const wchar_t* path; const wchar_t* result; };
    const Row rows[] = {
        {L"App.exe", L"C:\\Apps\\App.exe"},
        {L"..\\x86\\App.exe", L"C:\\Apps\\..\\x86\\App.exe"},
        {L"D:\\x\\App.exe", L"D:\\x\\App.exe"},
        {L"\\\\server\\share\\App.exe", L"\\\\server\\share\\App.exe"},
        {L"\\root\\App.exe", L"\\root\\App.exe"},
        {L"", L""},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.path, BesideExecutable(L"C:\\Apps\\Tool 64.exe", row.path), std::wstring(row.result));
    }
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

TEST_CASE(ReadStartSettings_SearchJavaFoldersIsOffOnlyForNoInAnyCase) {
    struct Row {
        const wchar_t* value;
        bool on;
    };
    const Row rows[] = {{L"", true}, {L"yes", true}, {L"no", false}, {L"NO", false}, {L"No", false},
                        {L"false", true}, {L"non", true}};
    for (const Row& row : rows) {
        const std::wstring line = std::wstring(L"Search Java Folders=") + row.value;
        const IniText ini = Ini({L"[Java Runtime Environment]", L"Main Class=App", line.c_str()});
        LauncherSettings s;
        CHECK_EQ_AT(row.value, ReadStartSettings(ini, nullptr, s) == SettingsResult::Ok, true);
        CHECK_EQ_AT(row.value, s.searchJavaFolders, row.on);
    }
}
