// The assembly of an ahead-of-time cache after the start that listed its classes has ended. The launcher
// starts its own executable once more, detached and without a window, in its assembly mode; that
// process takes the key's lock, runs the runtime's java.exe (-Xshare:dump) in a job of its own
// with a time limit, renames the complete cache into place or leaves a failure mark, and deletes
// the class list. The launcher's process ends without waiting for any of it.
#pragma once

#include <cstdint>
#include <string>

// The files of one assembly; all in the cache folder.
struct AssemblyPaths {
    std::wstring javaExe;  // the runtime's bin\java.exe
    std::wstring temp;     // "<stem>.<key>.<pid>.tmp": the cache while java.exe writes it
    std::wstring cache;    // its final name
    std::wstring failed;   // the failure mark
};

// Starts the assembly process for the class list at ClassListPathOf(paths.temp), whose java.exe
// arguments stand in ArgumentFilePathOf(paths.temp). False (with the Windows error) when it could
// not be started.
bool StartCacheAssembly(const AssemblyPaths& paths, uint32_t& error);

// True in a process that the launcher started as its cache assembly (the marker variable is then
// removed from the environment, so that java.exe does not see it).
bool IsCacheAssemblyProcess();

// The assembly process's work; its exit code (0: nothing left to do or the cache is in place).
int RunCacheAssembly();

// The VM makes its class-data archives read-only, which DeleteFileW refuses.
bool DeleteCacheFile(const std::wstring& path);
bool IsCacheFile(const std::wstring& path);
