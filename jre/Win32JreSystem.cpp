#include "jre/Win32JreSystem.h"

#include <windows.h>

#include "base/IniFile.h"
#include "base/IniKeys.h"
#include "jre/JreSettings.h"
#include "runtime/Win32RuntimeFiles.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"

bool Win32JreSystem::FileExists(const std::wstring& path) { return FindFileExists(path); }

bool Win32JreSystem::ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) {
    return ::ReadFileStart(path, maxBytes, data, complete);
}

bool Win32JreSystem::IsForeignArchitecture(const std::wstring& library) {
    return ::IsForeignArchitecture(library, arch_);
}

bool Win32JreSystem::ModulePath(std::wstring& path) { return GetModulePath(path); }

namespace {

HKEY RootKey(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

}  // namespace

bool Win32JreSystem::FolderExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring Win32JreSystem::ExpandEnvironment(const std::wstring& text) { return ::ExpandEnvironment(text); }

std::vector<std::wstring> Win32JreSystem::RegistrySubkeyNames(RegistryRoot root, const std::wstring& key,
                                                              uint32_t viewFlag) {
    std::vector<std::wstring> names;
    UniqueHKey handle;
    if (RegOpenKeyExW(RootKey(root), key.c_str(), 0, KEY_READ | viewFlag, handle.put()) != ERROR_SUCCESS) {
        return names;
    }
    wchar_t name[256];  // a key name holds at most 255 characters
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name / sizeof name[0];
        if (RegEnumKeyExW(handle.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

bool Win32JreSystem::RegistryValueData(RegistryRoot root, const std::wstring& key, const wchar_t* valueName,
                                       uint32_t viewFlag, std::vector<unsigned char>& data) {
    data.clear();
    UniqueHKey handle;
    if (RegOpenKeyExW(RootKey(root), key.c_str(), 0, KEY_READ | viewFlag, handle.put()) != ERROR_SUCCESS) {
        return false;
    }
    // The value may grow between two reads; the buffer follows it.
    return FillBuffer(data, 256, [&](unsigned char* buffer, size_t capacity) -> long long {
        DWORD size = static_cast<DWORD>(capacity);
        const LONG result = RegQueryValueExW(handle.get(), valueName, nullptr, nullptr, buffer, &size);
        if (result == ERROR_SUCCESS) return size;  // a full buffer reads once more, in a bigger one
        return result == ERROR_MORE_DATA ? static_cast<long long>(size) : -1;
    }) && !data.empty();
}

std::wstring Win32JreSystem::AppDataFolder() { return GetAppDataFolder(); }

void Win32JreSystem::CreateFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

void Win32JreSystem::WriteJrePath(const std::wstring& iniPath, const std::wstring& home) {
    WriteIniValue(iniPath, ini::kJreSection, ini::kJrePath, home);
}

bool Win32JreSystem::FileExistsQuick(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32JreSystem::EnvironmentVariable(const wchar_t* name, std::wstring& value) {
    return QueryEnvironmentVariable(name, value);
}

bool Win32JreSystem::SubfolderNames(const std::wstring& folder, size_t limit, std::vector<std::wstring>& names,
                                    bool& more) {
    names.clear();
    more = false;
    WIN32_FIND_DATAW data;
    // FindExInfoBasic skips the short names; limiting to folders is only a hint, hence the test below.
    UniqueFindHandle find(FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &data,
                                           FindExSearchLimitToDirectories, nullptr,
                                           FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return false;
    size_t read = 0;
    do {
        if (read++ == limit) {
            more = true;
            break;
        }
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(find.get(), &data));
    return true;
}

bool Win32JreSystem::FinalPath(const std::wstring& path, std::wstring& resolved) {
    resolved = path;
    // No access beyond the attributes: enough to follow links, and granted where reading is not.
    UniqueFile file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) return false;
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length = GetFinalPathNameByHandleW(file.get(), &buffer[0], static_cast<DWORD>(buffer.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return false;
        if (length < buffer.size()) {
            buffer.resize(length);
            // \\?\C:\... is a drive path; \\?\UNC\server\... a network one, refused by the caller.
            if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
                resolved = L"\\\\" + buffer.substr(8);
            } else if (buffer.compare(0, 4, L"\\\\?\\") == 0) {
                resolved = buffer.substr(4);
            } else {
                resolved = buffer;
            }
            return true;
        }
        buffer.resize(length);
    }
    return false;
}

bool Win32JreSystem::IsRemoteDrive(const std::wstring& path) {
    if (path.size() < 2 || path[1] != L':') return false;
    // GetDriveType answers from the drive's mapping, without asking the server.
    const wchar_t root[] = {path[0], L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_REMOTE;
}
