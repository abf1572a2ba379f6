// The start-up cache's decisions: which mechanism a runtime offers, when a start may have a cache,
// the key that names a valid cache, the file names, which old files go, and the VM options that
// create or use the cache. No <windows.h>; jvm/StartupCacheFiles does the file work.
//
// Java 19 and later keep a class-data archive of the application's classes, loaded (and from
// Java 24 on linked) ahead of time. The first start only lists the classes as they load
// (-XX:DumpLoadedClassList), and a process of its own assembles the archive from that list once
// the launcher has gone (the runtime's java.exe with -Xshare:dump, watched by the launcher started
// in its assembly mode); -XX:SharedArchiveFile reads it. (Java 25's own training run,
// -XX:AOTMode=record, costs the start seconds as it ends: it writes a whole archive.) A Java 19 to
// 24 runtime without bin\java.exe but with its base archive keeps a dynamic class-data archive on
// top of it instead (-XX:ArchiveClassesAtExit, written by the VM as it ends). A new cache is
// written under a temporary name that no start reads and renamed when complete, so that a cache
// under its final name is always complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class CacheMechanism {
    None,
    ClassListArchive,  // Java 19 and later with bin\java.exe: assembled from a class list
    DynamicArchive,  // Java 19 to 24, with the base archive
};

// What a runtime offers the cache.
struct CacheRuntime {
    int32_t featureVersion = 0;  // 25 for "25.0.2", 8 for "1.8.0_412"; 0 when unknown
    bool hasBaseArchive = false; // bin\server\classes.jsa, under the dynamic archive
    bool hasJavaExe = false;     // bin\java.exe, which assembles the class-data archive
};
// The mechanism for the runtime; with None, `reason` says why.
CacheMechanism ChooseCacheMechanism(const CacheRuntime& runtime, std::wstring& reason);

// Empty when the composed options allow a cache; otherwise why not, for the trace: the start
// already names a class-data archive or cache, or turns sharing off, or has neither a class path
// nor a main module.
std::wstring CacheBlockedByOptions(const std::vector<std::wstring>& vmOptions);

// 16 hexadecimal digits that change with anything that makes a cache invalid: the runtime's home
// (in any letter case) and version, every VM option except system properties (the class path,
// module and system class loader properties do count), and `fileStamps`, which the caller builds
// from the size and time of the JVM library and of each class path file.
std::wstring StartupCacheKey(const std::wstring& runtimeHome, const std::wstring& releaseVersion,
                             const std::vector<std::wstring>& vmOptions, const std::wstring& fileStamps);

// False when the VM would not write a cache file at this path (or a name that begins with it) as
// it stands: it puts its process id for "%p" and the time for "%t", so every "%" is refused.
bool VmTakesCachePathAsIs(const std::wstring& path);

// The files of one cache in the cache folder. `stem` is the executable's file name without its
// extension, so that the x64 and x86 executables of one product keep their caches apart.
struct StartupCacheNames {
    std::wstring cache;  // "<stem>.<key>.aot" or ".jsa": complete, read by later starts
    std::wstring temp;   // "<stem>.<key>.<process id>.tmp": written by this start's VM
    std::wstring failed; // "<stem>.<key>.failed": making this cache failed within the hour
};
StartupCacheNames MakeStartupCacheNames(const std::wstring& stem, const std::wstring& key, CacheMechanism mechanism,
                                        uint32_t processId);

// A file found in the cache folder; `stale` when it was last written more than an hour ago.
struct CacheFolderFile {
    std::wstring name;
    bool stale = false;
};

// How long an assembly may take before it is stopped (and counted as failed): the benchmark's
// application of about 3,100 classes needs 3 to 10 s under Wine.
constexpr uint32_t kAssemblyTimeLimitMs = 3 * 60 * 1000;

// What this start finds for its cache's key.
struct CacheKeyState {
    bool cacheExists = false;       // "<stem>.<key>.aot" or ".jsa"
    bool failedRecently = false;    // "<stem>.<key>.failed", younger than an hour
    bool assemblyUnderWay = false;  // another process assembles this key's cache right now
};
enum class CacheStep {
    Use,     // the cache exists: the VM reads it
    Create,  // the VM records (ahead-of-time) or writes (dynamic archive) the cache as it ends
    None,    // neither: `reason` says why
};
CacheStep DecideCacheStep(const CacheKeyState& state, std::wstring& reason);

// What the assembly process finds when it begins.
struct AssemblyState {
    bool classListExists = false;      // the class list of the start that ended
    bool cacheExists = false;          // another assembly has finished meanwhile
    bool anotherAssembly = false;      // holds this key's lock
    bool batterySaver = false;         // the system saves energy: no heavy work in the background
};
// True when the assembly runs; otherwise `reason` says why not, for the trace. Either way the
// class list is deleted when the assembly does not run: no mark of failure, so the next start
// records again.
bool ShouldAssemble(const AssemblyState& state, std::wstring& reason);

// How the runtime's assembling process ended.
struct AssemblyEnd {
    bool finished = false;      // within the time limit
    uint32_t exitCode = 0;
    uint64_t tempSize = 0;      // of the temporary cache file, 0 when there is none
};
// Empty when the temporary file is a complete cache to rename into place; otherwise why not.
std::wstring AssemblyFailure(const AssemblyEnd& end);

// The name of the lock that one assembly of the cache at `cachePath` holds while it runs (a named
// mutex in the session's namespace: it goes with the last process holding it, killed or not).
std::wstring AssemblyLockName(const std::wstring& cachePath);

// The arguments of the runtime's java.exe that assemble the cache at `tempPath` from the class list
// at `classListPath`: the start's VM options that shape the cache (those its key counts, without
// the start's own cache and logging options), the class path as -cp, and the assembly's options.
std::vector<std::wstring> AssemblyJavaArguments(const std::vector<std::wstring>& vmOptions, int32_t featureVersion,
                                                const std::wstring& classListPath, const std::wstring& tempPath);
// The arguments as a java.exe argument file ("@file"): one per line, quoted, with the backslash
// and the quote escaped; no length limit, unlike a command line.
std::wstring JavaArgumentFileText(const std::vector<std::wstring>& arguments);
// The files of this executable's caches that are no longer wanted: caches and failure marks under
// another key, failure marks older than an hour (then the cache is tried again), and temporary
// files (also "<temp>.classlist", ".args" and ".log") that no start is writing any more. A temporary file
// younger than an hour may belong to a start that is still running and stays.
// With `recorderGone` (when no assembly of the current key runs), also the current key's temporary
// files whose start (the process id in their name) has ended: what a killed assembly left.
std::vector<std::wstring> ObsoleteCacheFiles(const std::vector<CacheFolderFile>& files, const std::wstring& stem,
                                             const std::wstring& currentKey,
                                             bool (*recorderGone)(uint32_t processId) = nullptr);

// The VM options that use the existing cache at `cachePath`, or (`create`) have the VM write a new
// dynamic archive to `tempPath` or list its classes for the ahead-of-time cache at
// ClassListPathOf(tempPath).
// The VM's own cache messages are switched off on the console; a damaged cache is detected by its
// checksums and ignored.
std::vector<std::wstring> StartupCacheOptions(CacheMechanism mechanism, int32_t featureVersion, bool create,
                                              const std::wstring& cachePath, const std::wstring& tempPath);

// "class-data archive", "dynamic class-data archive", "none".
const wchar_t* CacheMechanismText(CacheMechanism mechanism);

// The class list that `tempPath`'s start writes: "<temp>.classlist"; its java.exe argument
// file: "<temp>.args"; what the runtime prints while it assembles: "<temp>.log".
std::wstring ClassListPathOf(const std::wstring& tempPath);
std::wstring ArgumentFilePathOf(const std::wstring& tempPath);
std::wstring AssemblyLogPathOf(const std::wstring& tempPath);
