// The INI schema: which keys the launcher reads, how their texts become values, and their defaults.
#pragma once

#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "jre/JreSettings.h"
#include "jvm/JavaStart.h"
#include "splash/SplashLayout.h"
#include "base/IniKeys.h"
#include "base/IniText.h"
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

JavaVersion ParseMinimumVersion(const std::wstring& text);
JavaVersion ParseMaximumVersion(const std::wstring& text);
JvmType ParseJvmType(const std::wstring& text);
void ApplyJvmSource(const std::wstring& text, JreSettings& settings);
void ApplyVmProvider(const std::wstring& text, JreSettings& settings);
std::wstring MainClassToSlashes(std::wstring mainClass);

enum class SettingsResult {
    Ok,
    NoMainClass,      // neither "Main Class" nor "Main Module"
    BadMainModule,    // "Main Module" is not "module" or "module/class"
};

// The settings of a start, from the snapshot of the main INI file and, for an application whose
// per-user INI file exists, the snapshot of that file (otherwise null), in their fixed order.
// The layered keys fall back to the "+" sections; the product keys and [Display] do not.
// A "Main Module" is started instead of a "Main Class" given beside it.
void ReadProductInformation(const IniValues& mainIni, LauncherSettings& settings);
SettingsResult ReadStartSettings(const IniValues& mainIni, const IniValues* userIni, LauncherSettings& settings);

// The [Display] keys of the main INI file.
SplashSettings ReadSplashSettings(const IniValues& mainIni);
