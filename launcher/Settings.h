// The INI schema: which keys the launcher reads, how their texts become values, and their defaults.
#pragma once

#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "jre/JreSettings.h"
#include "base/SettingsStore.h"

// The fields of the launcher that the INI file fills: the JRE wishes and the rest.
struct LauncherSettings : JreSettings {
    std::wstring mainClass;  // dots already replaced by slashes
    bool omitServiceName = false;
    bool failureCheck = false;
    bool overrideWorkingDir = false;
    bool pairReturnCode = false;
    std::wstring systemPath;
    std::wstring libraryPath;
    bool singleInstance = false;
};

// Section and key names, written once.
namespace ini {
inline const wchar_t kProductSection[] = L"Product Information";
inline const wchar_t kJreSection[] = L"Java Runtime Environment";
inline const wchar_t kApplicationSection[] = L"Application";
inline const wchar_t kClassPathSection[] = L"Class Path";
inline const wchar_t kDisplaySection[] = L"Display";

inline const wchar_t kProductCode[] = L"Product Code";
inline const wchar_t kProductName[] = L"Product Name";
inline const wchar_t kMinimumVersion[] = L"Minimum Version";
inline const wchar_t kMaximumVersion[] = L"Maximum Version";
inline const wchar_t kPreferredVersions[] = L"Preferred versions";
inline const wchar_t kJrePath[] = L"JRE Path";
inline const wchar_t kJvmType[] = L"JVM Type";
inline const wchar_t kJvmSource[] = L"JVM Source";
inline const wchar_t kVmProvider[] = L"VM Provider";
inline const wchar_t kMainClass[] = L"Main Class";
inline const wchar_t kSystemPath[] = L"System Path";
inline const wchar_t kLibraryPath[] = L"Library Path";
inline const wchar_t kVmParameters[] = L"Virtual Machine Parameters";
inline const wchar_t kApplicationType[] = L"Application Type";
inline const wchar_t kOmitServiceName[] = L"Omit Service Name";
inline const wchar_t kSingleInstance[] = L"Single Instance";
inline const wchar_t kFailureCheck[] = L"Failure Check";
inline const wchar_t kOverrideWorkingDir[] = L"Override WorkingDir";
inline const wchar_t kPairProduct[] = L"Pair Product";
inline const wchar_t kPairReturnCode[] = L"Pair Return Code";
inline const wchar_t kEmbeddedJar[] = L"Embedded Jar";
inline const wchar_t kOutputFile[] = L"Output File";
inline const wchar_t kOutputAppend[] = L"Output Append";
inline const wchar_t kErrorFile[] = L"Error File";
inline const wchar_t kErrorAppend[] = L"Error Append";
inline const wchar_t kCmd[] = L"Cmd";
inline const wchar_t kClassPath[] = L"Class Path";
inline const wchar_t kSplashScreen[] = L"Splash Screen";
inline const wchar_t kSplashScreenShadow[] = L"Splash Screen Shadow";
inline const wchar_t kPreferNativeSplash[] = L"Preffer Native Splash Screen";
}  // namespace ini

// "Yes" in any letter case (A-Z equal a-z, nothing else folded).
bool IsAnyCaseYes(const std::wstring& text);
// Case-insensitive over A-Z only.
bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b);
// Split at ";": empty items are kept, a trailing ";" adds none, an empty text gives no items.
std::vector<std::wstring> SplitList(const std::wstring& text);

JavaVersion ParseMinimumVersion(const std::wstring& text);
JavaVersion ParseMaximumVersion(const std::wstring& text);
JvmType ParseJvmType(const std::wstring& text);
void ApplyJvmSource(const std::wstring& text, JreSettings& settings);
void ApplyVmProvider(const std::wstring& text, JreSettings& settings);
std::wstring MainClassToSlashes(std::wstring mainClass);

// The stores that ReadSettings reads, opened by the caller. `userIni` is the per-user INI of an
// application when that file exists, otherwise null.
struct SettingsSources {
    SettingsStore& plain;
    SettingsStore& layered;
    SettingsStore* userIni;
};

enum class SettingsResult { Ok, NoMainClass };

// Reads the keys that decide the start, in their fixed order. The product keys must already be
// in `settings` (the per-user INI path depends on them), see ReadProductInformation.
void ReadProductInformation(SettingsStore& plain, LauncherSettings& settings);
SettingsResult ReadStartSettings(const SettingsSources& sources, LauncherSettings& settings);
