#include "base/IniFile.h"

#include <windows.h>

#include <vector>

#include "base/ErrorBox.h"
#include "base/IniPaths.h"
#include "base/IniText.h"
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

// Settings files are small; a larger file is left to the profile functions.
const DWORD kMaxUtf8FileSize = 4 * 1024 * 1024;

enum class FileState { Missing, Utf8, Other };

// CreateFileW reaches a path of MAX_PATH characters or more only in the "\\?\" form, which a
// full path without "." or ".." parts (the launcher's own) can take as it is.
std::wstring FilePath(const std::wstring& path) {
    if (path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0 || !IsAbsolutePath(path)) return path;
    return L"\\\\?\\" + path;
}

// The file's bytes when it is UTF-8 (see DetectIniEncoding); ANSI and UTF-16 files, and files
// that cannot be read, stay with the profile functions.
FileState ReadUtf8File(const std::wstring& path, std::string& bytes) {
    UniqueFile file(CreateFileW(FilePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::Missing : FileState::Other;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > kMaxUtf8FileSize) return FileState::Other;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), &bytes[0], static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return FileState::Other;
    }
    return DetectIniEncoding(bytes) == IniEncoding::Utf8 ? FileState::Utf8 : FileState::Other;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(FilePath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

std::wstring IniFile::GetString(const std::wstring& section, const std::wstring& key) {
    std::string bytes;
    if (ReadUtf8File(path_, bytes) == FileState::Utf8) return IniText::Parse(bytes).GetString(section, key);
    const std::wstring file = ProfilePath(path_);
    std::vector<wchar_t> buffer(256);
    for (;;) {
        const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                                      static_cast<DWORD>(buffer.size()), file.c_str());
        if (length != buffer.size() - 1) return std::wstring(buffer.data(), length);
        buffer.assign(buffer.size() * 2, L'\0');  // the value may have been cut
    }
}

// A UTF-8 file stays UTF-8, and a new file is written as UTF-8 (without a mark, so that a file of
// ASCII text is the same as an ANSI one) so that any path survives; ANSI and UTF-16 files are
// written by the profile functions in their own encoding.
bool IniFile::SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    std::string bytes;
    const FileState state = ReadUtf8File(path_, bytes);
    if (state != FileState::Other) return WriteWholeFile(path_, SetIniTextValue(bytes, section, key, value));
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
