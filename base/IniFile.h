// INI files: each read once, whole, into a snapshot that every reader of a start shares, and
// written by replacing the whole file in one step, so that no reader ever sees half a file.
#pragma once

#include <string>

#include "base/IniText.h"

// One INI file as it stood when it was read. A missing or unreadable file holds no keys.
struct IniSnapshot {
    std::wstring path;
    bool exists = false;  // a file was there (it may still have been unreadable)
    IniText text;
};

// Opens the file once, reads it whole and decodes it by its mark or content (UTF-16 with a mark,
// UTF-8, or the ANSI code page). While the trace is on, lists every key once.
IniSnapshot ReadIniSnapshot(const std::wstring& path);

// Where a write stands, for tests that stop a writer part-way.
enum class IniWriteStep {
    TemporaryWritten,  // the new text is whole in the temporary file; the INI is untouched
    Replaced,          // the INI holds the new text
};
using IniWriteObserver = void (*)(IniWriteStep step, const std::wstring& temporaryPath);

// Sets one value in the file as it stands now (read again, not a snapshot), in the file's own
// encoding; a new file is UTF-8, and an ANSI file that cannot hold the text becomes UTF-8 with a
// mark. The new text goes to a temporary file in the same folder, which then replaces the INI
// (ReplaceFileW keeps its attributes) or, when there was none, takes its name. False, with the
// INI as it was, when the file is read-only, unreadable, no regular file, or the folder refuses.
bool WriteIniValue(const std::wstring& path, const std::wstring& section, const std::wstring& key,
                   const std::wstring& value, IniWriteObserver observer = nullptr);

// The executable's path. On failure shows the module-path message and returns false.
bool GetModulePath(std::wstring& path);
// %APPDATA%, empty when unset.
std::wstring GetAppDataFolder();
// The per-user INI path of any executable, creating its two folders when asked.
std::wstring MakeUserIniPath(const std::wstring& executablePath, const std::wstring& productName,
                             const std::wstring& productCode, bool createFolders);
