// The facts about a Java runtime on the real file system.
#pragma once

#include <cstddef>
#include <string>

#include "runtime/Architecture.h"
#include "runtime/JvmProbe.h"
#include "runtime/RuntimeFiles.h"

class Win32RuntimeFiles : public RuntimeFiles {
public:
    bool FileExists(const std::wstring& path) override;
    bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) override;
};

// True when a find-first-file query on exactly this path finds a file; the file is not opened.
bool FindFileExists(const std::wstring& path);

// The first `maxBytes` bytes of a file on disk (no pipe or device), as RuntimeFiles::ReadFileStart.
bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete);

// Maps the file read-only and reads its PE machine type; false when it cannot be examined.
bool IsForeignArchitecture(const std::wstring& library, Arch arch = kBuildArch);

// The probes of a folder on the real file system (for the JRE Not Found dialog among others).
JvmProbeResult ProbeJvmLibrary(const std::wstring& home, JvmType type);
bool HasJavaLibrary(const std::wstring& home);
