// What the JRE search is asked for: the wishes of the INI file that decide which JRE is loaded.
#pragma once

#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "runtime/JvmProbe.h"

struct JreSettings {
    std::wstring productName;
    std::wstring productCode;
    JavaVersion minimumVersion;
    JavaVersion maximumVersion;
    std::vector<std::wstring> preferredVersions;
    std::wstring jrePath;
    JvmType jvmType = JvmType::Default;
    bool preferJdk = false;
    bool preferJre = false;
    bool searchBothKinds = true;
    bool sunAllowed = true;
    bool sunFavoured = true;
    bool jrockitAllowed = false;
    bool jrockitFavoured = false;
    bool ibmAllowed = false;
    bool ibmFavoured = false;
    bool isService = false;
    std::wstring pairProduct;
    bool needsModules = false;      // a "Main Module": only Java 9 and later have modules
    bool searchJavaFolders = true;  // JAVA_HOME, Path and the usual install folders after the registry
};

// The first Java version with modules; a "Main Module" raises the minimum to it.
constexpr int32_t kFirstModularJava = 9;

// Why the search refuses a runtime of `version`, for the trace; null when the bounds admit it.
inline const wchar_t* BoundsRefusal(const JavaVersion& version, const JreSettings& settings) {
    if (settings.needsModules && version.fields[0] < kFirstModularJava) {
        return L"older than Java 9, which a Main Module needs";
    }
    if (!IsWithinBounds(version, settings.minimumVersion, settings.maximumVersion)) {
        return L"outside Minimum Version / Maximum Version";
    }
    return nullptr;
}
