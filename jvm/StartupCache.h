// The start-up cache's decisions: which mechanism a runtime offers, when a start may have a cache,
// the key that names a valid cache, the file names, which old files go, and the VM options that
// create or use the cache. No <windows.h>; jvm/StartupCacheFiles does the file work.
//
// Java 25 and later keep an ahead-of-time cache (-XX:AOTCacheOutput writes it when the VM ends,
// -XX:AOTCache reads it); Java 19 to 24 a dynamic class-data archive on top of the runtime's base
// archive (-XX:ArchiveClassesAtExit, -XX:SharedArchiveFile). The VM writes a new cache under a
// temporary name that no start reads; the launcher renames it once the VM has ended, so that a
// cache under its final name is always complete.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class CacheMechanism {
    None,
    AheadOfTime,     // Java 25 and later
    DynamicArchive,  // Java 19 to 24, with the base archive
};

// What a runtime offers the cache.
struct CacheRuntime {
    int32_t featureVersion = 0;  // 25 for "25.0.2", 8 for "1.8.0_412"; 0 when unknown
    bool hasBaseArchive = false; // bin\server\classes.jsa, under the dynamic archive
    bool hasJavaExe = false;     // bin\java.exe, which Java 25 starts to assemble its cache
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
// The files of this executable's caches that are no longer wanted: caches and failure marks under
// another key, failure marks older than an hour (then the cache is tried again), and temporary
// files (also the VM's "<temp>.config") that no start is writing any more. A temporary file
// younger than an hour may belong to a start that is still running and stays.
std::vector<std::wstring> ObsoleteCacheFiles(const std::vector<CacheFolderFile>& files, const std::wstring& stem,
                                             const std::wstring& currentKey);

// The VM options that use the existing cache at `cachePath`, or (`create`) have the VM write a new
// one to `tempPath`. The VM's own cache messages are switched off on the console; a damaged cache
// is detected by its checksums and ignored.
std::vector<std::wstring> StartupCacheOptions(CacheMechanism mechanism, bool create, const std::wstring& cachePath,
                                              const std::wstring& tempPath);

// "ahead-of-time cache", "dynamic class-data archive", "none".
const wchar_t* CacheMechanismText(CacheMechanism mechanism);
