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
    bool searchJavaFolders = true;  // JAVA_HOME, Path and the usual install folders after the registry
};
