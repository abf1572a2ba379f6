// What the JRE search asks of the system: files, the registry, the executable's path and the
// per-user folders. The launcher's implementation is Win32JreSystem; tests may use fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Architecture.h"
#include "runtime/RuntimeFiles.h"

// The registry hive of a vendor key: machine-wide installs, or installs for the current user only.
enum class RegistryRoot { LocalMachine, CurrentUser };

// The runtime files (FileExists, ReadFileStart) and the rest of the system.
class JreSystem : public RuntimeFiles {
public:
    virtual ~JreSystem() = default;

    // The build whose decisions apply: local JRE folder, second registry view, foreign machine.
    virtual Arch Architecture() const = 0;

    // True when the file is a PE image that the launcher of Architecture() cannot load; false when
    // it cannot be examined.
    virtual bool IsForeignArchitecture(const std::wstring& library) = 0;

    // The executable's full path. False, after the launcher's module-path message, when it
    // cannot be obtained.
    virtual bool ModulePath(std::wstring& path) = 0;

    // True when the path names an existing folder.
    virtual bool FolderExists(const std::wstring& path) = 0;

    // %NAME% references replaced by the process environment; undefined ones stay as written.
    virtual std::wstring ExpandEnvironment(const std::wstring& text) = 0;

    // The names of the direct subkeys of root\key in enumeration order, opened with read access
    // plus `viewFlag` (0, KEY_WOW64_32KEY or KEY_WOW64_64KEY). Empty when the key cannot be
    // opened; the enumeration ends at its first error.
    virtual std::vector<std::wstring> RegistrySubkeyNames(RegistryRoot root, const std::wstring& key,
                                                          uint32_t viewFlag) = 0;

    // The raw data of the value `valueName` of root\key in the same view, whatever its type.
    // False when the key or the value cannot be read, or the value is empty.
    virtual bool RegistryValueData(RegistryRoot root, const std::wstring& key, const wchar_t* valueName,
                                   uint32_t viewFlag, std::vector<unsigned char>& data) = 0;

    // %APPDATA%, empty when unset.
    virtual std::wstring AppDataFolder() = 0;

    // Creates one folder; an existing folder or any other failure is ignored.
    virtual void CreateFolder(const std::wstring& path) = 0;

    // FileExists by the path's attributes: no find-first-file query, which costs a directory handle
    // (several round trips to the server under Wine). For screening many folders; the library
    // that is loaded is still found by ProbeJvmLibrary.
    virtual bool FileExistsQuick(const std::wstring& path) { return FileExists(path); }

    // The value of a process environment variable (any letter case). False when it is not set.
    virtual bool EnvironmentVariable(const wchar_t* name, std::wstring& value) {
        (void)name;
        value.clear();
        return false;
    }

    // The names of the sub-folders of `folder` (ending with a backslash), without "." and "..",
    // from at most `limit` entries read; `more` tells whether the folder held more. Nothing below
    // them is read. False when the folder cannot be read.
    virtual bool SubfolderNames(const std::wstring& folder, size_t limit, std::vector<std::wstring>& names,
                                bool& more) {
        (void)folder;
        (void)limit;
        names.clear();
        more = false;
        return false;
    }

    // The path that a file finally names, symbolic links followed. False when it cannot be opened.
    virtual bool FinalPath(const std::wstring& path, std::wstring& resolved) {
        resolved = path;
        return false;
    }

    // True when a drive path lies on a network drive (which could stall the start if probed).
    virtual bool IsRemoteDrive(const std::wstring& path) {
        (void)path;
        return false;
    }

    // Writes "JRE Path" in section "Java Runtime Environment" of an INI file; failures are ignored.
    virtual void WriteJrePath(const std::wstring& iniPath, const std::wstring& home) = 0;
};
