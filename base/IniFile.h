// INI files read and written through the platform's profile-string functions; nothing is cached.
#pragma once

#include <string>

#include "base/SettingsStore.h"

class IniFile : public SettingsStore {
public:
    explicit IniFile(std::wstring path) : path_(std::move(path)) {}

    std::wstring GetString(const std::wstring& section, const std::wstring& key) override;
    bool SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override;

    const std::wstring& Path() const { return path_; }

private:
    std::wstring path_;
};

// Falls back to the section whose name is followed by "+": such a value gets one space in front.
class LayeredIniFile : public IniFile {
public:
    using IniFile::IniFile;
    std::wstring GetString(const std::wstring& section, const std::wstring& key) override;
};

// The executable's path. On failure shows the module-path message and returns false.
bool GetModulePath(std::wstring& path);
// The main INI path beside the executable; false when the module path is unavailable or has no ".".
bool GetIniPath(std::wstring& path);
// %APPDATA%, empty when unset.
std::wstring GetAppDataFolder();
// The per-user INI path of any executable, creating its two folders when asked.
std::wstring MakeUserIniPath(const std::wstring& executablePath, const std::wstring& productName,
                             const std::wstring& productCode, bool createFolders);
