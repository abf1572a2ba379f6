// Whether and how this start keeps a start-up cache: the runtime's version from its release file,
// its base archive, then the cache component's own checks.
#pragma once

#include <string>

#include "jvm/JavaStart.h"
#include "jvm/StartupCacheFiles.h"
#include "launcher/Settings.h"

// Adds the cache options to `start` when "Startup Cache" is on and the runtime and the start allow
// a cache; false (and the start unchanged) otherwise. `jvmHome` is the runtime's home folder.
bool SetUpStartupCache(const LauncherSettings& settings, const std::wstring& jvmLibraryPath,
                       const std::wstring& jvmHome, const std::wstring& executablePath, StartupCacheFiles& cache,
                       JavaStart& start);
