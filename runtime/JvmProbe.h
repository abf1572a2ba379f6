// Whether a folder is a usable JRE, and which JVM library in it the launcher loads.
#pragma once

#include <cstddef>
#include <string>

#include "runtime/RuntimeFiles.h"

// "JVM Type": which library of a runtime the launcher wants.
enum class JvmType { Default = 0, Server = 1, FavorServer = 2 };

// One place where a JVM library may lie inside a JRE home.
struct JvmProbeStep {
    const wchar_t* subPath;
    bool server;  // the library is a server VM
};

// The sub-paths tried for a JVM type, in order. `count` receives their number.
const JvmProbeStep* JvmProbeSteps(JvmType type, size_t& count);

struct JvmProbeResult {
    std::wstring library;  // home + sub-path; empty when nothing was found
    bool server = false;
    bool Found() const { return !library.empty(); }
};

// The first sub-path of the type's order that exists under `home`. The home must end with a
// backslash (or be empty: the bare sub-paths are then resolved against the working directory).
JvmProbeResult ProbeJvmLibrary(RuntimeFiles& files, const std::wstring& home, JvmType type);

// True when home + "bin\java.dll" exists: the weaker test for a JRE shipped beside the executable.
bool HasJavaLibrary(RuntimeFiles& files, const std::wstring& home);

// The text with one backslash appended unless it already ends with one (an empty text included).
std::wstring WithTrailingBackslash(const std::wstring& path);
