// The INI schema: which keys the launcher reads, how their texts become values, and their defaults.
#pragma once

#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "jre/JreSettings.h"
#include "jvm/JavaStart.h"
#include "splash/SplashLayout.h"
#include "base/IniKeys.h"
#include "base/SettingsStore.h"
#include "base/TextSplit.h"

// Everything the INI files say: the JRE wishes, the Java run, and the launcher's own run modes.
struct LauncherSettings : JreSettings, JavaSettings {
    bool omitServiceName = false;
    bool overrideWorkingDir = false;
    bool pairReturnCode = false;
    bool singleInstance = false;
    bool startupCache = false;  // "Startup Cache" in any case: keep a start-up cache for the VM
};

// "Yes" in any letter case (A-Z equal a-z, nothing else folded).
bool IsAnyCaseYes(const std::wstring& text);
// Case-insensitive over A-Z only.
bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b);

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

// The [Display] keys, read from the plain INI store when the splash starts.
SplashSettings ReadSplashSettings(SettingsStore& plain);
