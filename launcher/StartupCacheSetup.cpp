#include "launcher/StartupCacheSetup.h"

#include "base/PathText.h"
#include "base/Trace.h"
#include "base/Win32Text.h"
#include "jre/ReleaseFile.h"
#include "jre/Win32JreSystem.h"

bool SetUpStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                       const std::wstring& jvmHome, const std::wstring& executablePath, StartupCacheFiles& cache,
                       JavaStart& start) {
    if (!settings.startupCache) return false;
    StartupCacheRequest request;
    std::string data;
    bool complete = false;
    Win32JreSystem system;
    if (system.ReadFileStart(jvmHome + L"\\release", kReleaseFileReadLimit, data, complete)) {
        ReadReleaseVersion(data, complete, request.releaseVersion);
    }
    JavaVersion version;
    int32_t feature = 0;
    if (ParseJavaVersion(request.releaseVersion, kVersionFillMinimum, version)) {
        feature = version.fields[0] == 1 ? version.fields[1] : version.fields[0];  // "1.8.0" is 8
    }
    // The dynamic archive sits on top of the base archive beside jvm.dll.
    const bool baseArchive = PathExists(FolderWithSlashOf(jvmLibraryPath) + L"classes.jsa");
    std::wstring reason;
    request.mechanism = ChooseCacheMechanism(feature, baseArchive, reason);
    if (request.mechanism == CacheMechanism::None) {
        if (TraceOn()) TraceLine(L"cache: none: " + reason + L" (release file version \"" + request.releaseVersion + L"\")");
        return false;
    }
    request.runtimeHome = jvmHome;
    request.jvmLibraryPath = jvmLibraryPath;
    request.executablePath = executablePath;
    request.productName = settings.productName;
    request.productCode = settings.productCode;
    return cache.Prepare(request, start);
}
