// The start-up cache of one start on disk: the per-user cache folder, the VM options that create
// or use the cache, and the rename of a newly written cache once the VM has ended. Every failure
// just means a start without a cache.
#pragma once

#include <string>
#include <vector>

#include "jvm/JavaStart.h"
#include "jvm/StartupCache.h"
#include "jvm/VmHost.h"

// What the launcher knows of the application and the runtime.
struct StartupCacheRequest {
    CacheMechanism mechanism = CacheMechanism::None;
    int32_t featureVersion = 0;
    std::wstring runtimeHome;
    std::wstring releaseVersion;  // JAVA_VERSION's value
    std::wstring jvmLibraryPath;
    std::wstring executablePath;
    std::wstring productName;
    std::wstring productCode;
};

// What a cache depends on in the runtime at `jvmHome` (whose library is `jvmLibraryPath`): the
// version its release file names (into `releaseVersion`, empty when there is none), its base
// archive and its bin\java.exe.
CacheRuntime InspectRuntime(const std::wstring& jvmHome, const std::wstring& jvmLibraryPath,
                            std::wstring& releaseVersion);

class StartupCacheFiles : public VmLifetimeObserver {
public:
    // Adds the cache options to `start` when the start can have a cache: the folder
    // %LOCALAPPDATA%\<product name>\<product code> exists or can be made, and the class path holds
    // only files. Removes the executable's caches under other keys. False: no cache this start.
    bool Prepare(const StartupCacheRequest& request, JavaStart& start);

    // A cache the VM did not take (damaged, stale, foreign) is deleted, so the next start makes a
    // new one.
    void VmCreated(JNIEnv* env) override;
    // The new dynamic archive, complete now, gets its final name; an ahead-of-time record goes to
    // its assembly; a failed creation's files are deleted.
    void VmEnded() override;

private:
    void HandOverToAssembly();
    void MarkFailed(const std::wstring& why);

    bool creating_ = false;
    bool active_ = false;
    bool vmCreated_ = false;
    CacheMechanism mechanism_ = CacheMechanism::None;
    int32_t featureVersion_ = 0;
    std::wstring cachePath_;
    std::wstring tempPath_;
    std::wstring failedPath_;
    std::wstring javaExe_;
    std::vector<std::wstring> assemblyArguments_;
};
