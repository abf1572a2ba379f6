// Whether and how this start keeps a start-up cache: the runtime's version from its release file,
// its base archive, then the cache component's own checks.
#pragma once

#include <string>

#include "jvm/JavaStart.h"
#include "jvm/VmHost.h"
#include "launcher/Settings.h"

// Adds the cache options to `start` and makes the process's cache component `vmHost`'s lifetime
// observer, when "Startup Cache" is on and the runtime and the start allow a cache; false (and the
// start unchanged) otherwise. `jvmHome` is the runtime's home folder.
// The x86 executable keeps no cache: Java 25 and later have no 32-bit Windows runtime, and the
// executable stays small.
bool SetUpStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                       const std::wstring& jvmHome, const std::wstring& executablePath, VmHost& vmHost,
                       JavaStart& start);

// True in the process that the launcher started to assemble a cache in the background (never in
// the x86 executable); RunStartupCacheAssembly then does that work and gives the exit code.
bool IsStartupCacheAssembly();
int RunStartupCacheAssembly();
