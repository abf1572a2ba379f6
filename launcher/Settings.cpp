#include "launcher/Settings.h"

#include "base/PathText.h"
#include "base/TextSplit.h"

bool IsAnyCaseYes(const std::wstring& text) { return EqualsAsciiNoCase(text, L"yes"); }

JavaVersion ParseMinimumVersion(const std::wstring& text) {
    if (text == L"any") return JavaVersion::OpenMinimum();
    return ParseJavaVersion(text, kVersionFillMinimum);
}

JavaVersion ParseMaximumVersion(const std::wstring& text) {
    if (text == L"any") return JavaVersion::OpenMaximum();
    return ParseJavaVersion(text, kVersionFillMaximum);
}

JvmType ParseJvmType(const std::wstring& text) {
    if (text == L"server") return JvmType::Server;
    if (text == L"favor_server") return JvmType::FavorServer;
    return JvmType::Default;
}

void ApplyJvmSource(const std::wstring& text, JreSettings& settings) {
    if (text.empty()) {
        settings.preferJdk = true;
        settings.preferJre = true;
        return;  // searchBothKinds keeps its initial value
    }
    struct Row { const wchar_t* word; bool both, jdk, jre; };
    static const Row kRows[] = {
        {L"favor_JRE", true, false, true},
        {L"favor_JDK", true, true, false},
        {L"only_JDK", false, true, false},
        {L"only_JRE", false, false, true},
    };
    settings.searchBothKinds = false;
    settings.preferJdk = false;
    settings.preferJre = false;
    for (const Row& row : kRows) {
        if (text == row.word) {
            settings.searchBothKinds = row.both;
            settings.preferJdk = row.jdk;
            settings.preferJre = row.jre;
            return;
        }
    }
}

void ApplyVmProvider(const std::wstring& text, JreSettings& settings) {
    if (text.empty()) return;
    struct Row { const wchar_t* word; bool jrockit, jrockitFav, sun, sunFav, ibm, ibmFav; };
    static const Row kRows[] = {
        {L"jrockit", true, true, false, false, false, false},
        {L"ibm", false, false, false, false, true, true},
        {L"favor_sun", true, false, true, true, true, false},
        {L"favor_jrockit", true, true, true, false, true, false},
        {L"favor_ibm", true, false, true, false, true, true},
        {L"any", true, false, true, false, true, false},
    };
    for (const Row& row : kRows) {
        if (EqualsAsciiNoCase(text, row.word)) {
            settings.jrockitAllowed = row.jrockit;
            settings.jrockitFavoured = row.jrockitFav;
            settings.sunAllowed = row.sun;
            settings.sunFavoured = row.sunFav;
            settings.ibmAllowed = row.ibm;
            settings.ibmFavoured = row.ibmFav;
            return;
        }
    }
}

std::wstring MainClassToSlashes(std::wstring mainClass) { return ReplaceChar(std::move(mainClass), L'.', L'/'); }

void ReadProductInformation(const IniValues& mainIni, LauncherSettings& settings) {
    settings.productCode = mainIni.GetString(ini::kProductSection, ini::kProductCode);
    settings.productName = mainIni.GetString(ini::kProductSection, ini::kProductName);
}

namespace {

// How a switch's text is compared with its word.
enum class WordCase { Exact, AnyCase };

// The yes/no keys: each row names its section, key and case rule; "yes" turns the field on.
struct SwitchRow {
    const wchar_t* section;
    const wchar_t* key;
    WordCase rule;
    bool LauncherSettings::*field;
};

const SwitchRow kSwitches[] = {
    {ini::kApplicationSection, ini::kFailureCheck, WordCase::AnyCase, &LauncherSettings::failureCheck},
    {ini::kApplicationSection, ini::kOverrideWorkingDir, WordCase::AnyCase, &LauncherSettings::overrideWorkingDir},
    {ini::kApplicationSection, ini::kPairReturnCode, WordCase::AnyCase, &LauncherSettings::pairReturnCode},
    {ini::kApplicationSection, ini::kSingleInstance, WordCase::Exact, &LauncherSettings::singleInstance},
    {ini::kApplicationSection, ini::kEmbeddedJar, WordCase::AnyCase, &LauncherSettings::embeddedJar},
    {ini::kApplicationSection, ini::kOutputAppend, WordCase::Exact, &LauncherSettings::outputAppend},
    {ini::kApplicationSection, ini::kErrorAppend, WordCase::Exact, &LauncherSettings::errorAppend},
    {ini::kJreSection, ini::kStartupCache, WordCase::AnyCase, &LauncherSettings::startupCache},
};

bool IsYes(const std::wstring& text, WordCase rule) {
    return rule == WordCase::Exact ? text == L"yes" : IsAnyCaseYes(text);
}

}  // namespace

SettingsResult ReadStartSettings(const IniValues& mainIni, const IniValues* userIni, LauncherSettings& settings) {
    const auto layered = [&mainIni](const wchar_t* section, const wchar_t* key) {
        return GetLayeredString(mainIni, section, key);
    };
    settings.minimumVersion = ParseMinimumVersion(layered(ini::kJreSection, ini::kMinimumVersion));
    settings.maximumVersion = ParseMaximumVersion(layered(ini::kJreSection, ini::kMaximumVersion));

    // "service" exactly: only then is the launcher hosted by a service.
    if (layered(ini::kApplicationSection, ini::kApplicationType) == L"service") {
        settings.isService = true;
        settings.omitServiceName = !layered(ini::kApplicationSection, ini::kOmitServiceName).empty();
    }
    settings.preferredVersions = SplitList(layered(ini::kJreSection, ini::kPreferredVersions));

    // An application's per-user INI file, once it exists, owns "JRE Path" even when it holds none.
    if (!settings.isService && userIni != nullptr) {
        settings.jrePath = userIni->GetString(ini::kJreSection, ini::kJrePath);
    } else {
        settings.jrePath = layered(ini::kJreSection, ini::kJrePath);
    }

    settings.jvmType = ParseJvmType(layered(ini::kJreSection, ini::kJvmType));
    ApplyJvmSource(layered(ini::kJreSection, ini::kJvmSource), settings);
    ApplyVmProvider(layered(ini::kJreSection, ini::kVmProvider), settings);
    // On unless "no" in any letter case: a Java found outside the registry is as good as a registered one.
    settings.searchJavaFolders = !EqualsAsciiNoCase(layered(ini::kJreSection, ini::kSearchJavaFolders), L"no");

    const std::wstring mainClass = layered(ini::kJreSection, ini::kMainClass);
    const std::wstring mainModule = layered(ini::kJreSection, ini::kMainModule);
    if (!mainModule.empty()) {
        if (!ParseMainModule(mainModule, settings.mainModule)) return SettingsResult::BadMainModule;
        settings.needsModules = true;
    } else if (mainClass.empty()) {
        return SettingsResult::NoMainClass;
    }
    settings.mainClass = MainClassToSlashes(mainClass);

    for (const SwitchRow& row : kSwitches) {
        settings.*row.field = IsYes(layered(row.section, row.key), row.rule);
    }
    // A service never runs as a single instance.
    if (settings.isService) settings.singleInstance = false;
    settings.systemPath = layered(ini::kJreSection, ini::kSystemPath);
    settings.libraryPath = layered(ini::kJreSection, ini::kLibraryPath);
    settings.pairProduct = layered(ini::kApplicationSection, ini::kPairProduct);
    settings.classPath = layered(ini::kClassPathSection, ini::kClassPath);
    settings.modulePath = layered(ini::kClassPathSection, ini::kModulePath);
    settings.vmParameters = layered(ini::kJreSection, ini::kVmParameters);
    settings.outputFile = layered(ini::kApplicationSection, ini::kOutputFile);
    settings.errorFile = layered(ini::kApplicationSection, ini::kErrorFile);
    settings.cmd = layered(ini::kApplicationSection, ini::kCmd);
    return SettingsResult::Ok;
}

SplashSettings ReadSplashSettings(const IniValues& mainIni) {
    SplashSettings splash;
    splash.image = mainIni.GetString(ini::kDisplaySection, ini::kSplashScreen);
    splash.shadow = mainIni.GetString(ini::kDisplaySection, ini::kSplashScreenShadow);
    splash.preferNative = mainIni.GetString(ini::kDisplaySection, ini::kPreferNativeSplash);
    return splash;
}
