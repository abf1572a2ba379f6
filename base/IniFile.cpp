#include "base/IniFile.h"

#include <windows.h>

#include <vector>

#include "base/ErrorBox.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "resources/resource.h"

namespace {

// The profile functions take at most MAX_PATH characters. A longer path (a launcher installed in
// a deep folder) is handed over in its short form when that fits; the file itself, or for a file
// not yet written its folder, must exist for the short form to be known.
std::wstring ProfilePath(const std::wstring& path) {
    if (path.size() < MAX_PATH) return path;
    std::wstring shortPath(path.size() + 1, L'\0');
    DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length > 0 && length < shortPath.size()) return shortPath.substr(0, length);
    const std::wstring folder = FolderOf(path);
    if (folder.empty()) return path;
    length = GetShortPathNameW(folder.c_str(), &shortPath[0], static_cast<DWORD>(shortPath.size()));
    if (length > 0 && length < shortPath.size()) return shortPath.substr(0, length) + L"\\" + FileNameOf(path);
    return path;
}

}  // namespace

std::wstring IniFile::GetString(const std::wstring& section, const std::wstring& key) {
    const std::wstring file = ProfilePath(path_);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), file.c_str());
        if (length != buffer.size() - 1) return std::wstring(buffer.data(), length);
        buffer.assign(buffer.size() * 2, L'\0');  // the value may have been cut
    }
}

bool IniFile::SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    return WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), ProfilePath(path_).c_str()) != FALSE;
}

std::wstring LayeredIniFile::GetString(const std::wstring& section, const std::wstring& key) {
    std::wstring value = IniFile::GetString(section, key);
    if (!value.empty()) return value;
    return PlusSectionValue(IniFile::GetString(section + L"+", key));
}

bool GetModulePath(std::wstring& path) {
    if (QueryModulePath(nullptr, path)) return true;
    const DWORD error = GetLastError();
    ShowFormattedError(IDS_WINDOWS_EXCEPTION, {ErrorArg::StringId(IDS_MODULE_PATH_FAILED), ErrorArg(static_cast<int>(error))});
    return false;
}

bool GetIniPath(std::wstring& path) {
    std::wstring modulePath;
    if (!GetModulePath(modulePath)) return false;
    return IniPathFromModulePath(modulePath, path);
}

std::wstring GetAppDataFolder() {
    std::wstring value;
    QueryEnvironmentVariable(L"APPDATA", value);
    return value;
}

std::wstring MakeUserIniPath(const std::wstring& executablePath, const std::wstring& productName,
                             const std::wstring& productCode, bool createFolders) {
    const UserIniLocation location = MakeUserIniLocation(GetAppDataFolder(), productName, productCode, executablePath);
    if (createFolders) {
        CreateDirectoryW(location.productFolder.c_str(), nullptr);  // an existing folder is fine
        CreateDirectoryW(location.codeFolder.c_str(), nullptr);
    }
    return location.path;
}
