#include "launcher/StartupCacheSetup.h"

#include "base/Trace.h"

#if defined(_WIN64)

#include "jvm/StartupCacheAssembly.h"
#include "jvm/StartupCacheFiles.h"

namespace {
// Lives until the process ends: the VM's exit hook may tell it that the VM has ended.
StartupCacheFiles cache;
}  // namespace

bool SetUpStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                       const std::wstring& jvmHome, const std::wstring& executablePath, VmHost& vmHost,
                       JavaStart& start) {
    if (!settings.startupCache) return false;
    StartupCacheRequest request;
    const CacheRuntime runtime = InspectRuntime(jvmHome, jvmLibraryPath, request.releaseVersion);
    std::wstring reason;
    request.mechanism = ChooseCacheMechanism(runtime, reason);
    if (request.mechanism == CacheMechanism::None) {
        if (TraceOn()) {
            TraceLine(L"cache: none: " + reason + L" (release file version \"" + request.releaseVersion + L"\")");
        }
        return false;
    }
    request.featureVersion = runtime.featureVersion;
    request.runtimeHome = jvmHome;
    request.jvmLibraryPath = jvmLibraryPath;
    request.executablePath = executablePath;
    request.productName = settings.productName;
    request.productCode = settings.productCode;
    if (!cache.Prepare(request, start)) return false;
    vmHost.SetLifetimeObserver(&cache);
    return true;
}

bool IsStartupCacheAssembly() { return IsCacheAssemblyProcess(); }
int RunStartupCacheAssembly() { return RunCacheAssembly(); }

#else

bool SetUpStartupCache(const LauncherSettings& settings, const std::wstring&, const std::wstring&,
                       const std::wstring&, VmHost&, JavaStart&) {
    if (settings.startupCache && TraceOn()) TraceLine(L"cache: none: the x86 executable keeps no start-up cache");
    return false;
}

bool IsStartupCacheAssembly() { return false; }
int RunStartupCacheAssembly() { return -1; }

#endif
