#include "jre/Win32JreSystem.h"

#include <windows.h>

#include "jre/PeImage.h"
#include "base/IniFile.h"
#include "base/IniKeys.h"
#include "jre/JreSettings.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"

// A folder that bears a library's name is no library.
bool FindFileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsForeignArchitecture(const std::wstring& library, Arch arch) {
    UniqueFile file(CreateFileW(library.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return false;
    if (static_cast<unsigned long long>(size.QuadPart) > static_cast<SIZE_T>(-1)) return false;

    UniqueHandle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping) return false;
    UniqueViewOfFile view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;
    return IsForeignImage(static_cast<const unsigned char*>(view.get()), static_cast<size_t>(size.QuadPart), arch);
}

JvmProbeResult ProbeJvmLibrary(const std::wstring& home, JvmType type) {
    Win32JreSystem system;
    return ProbeJvmLibrary(system, home, type);
}

bool HasJavaLibrary(const std::wstring& home) {
    Win32JreSystem system;
    return HasJavaLibrary(system, home);
}

bool Win32JreSystem::FileExists(const std::wstring& path) { return FindFileExists(path); }

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

bool Win32JreSystem::ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) {
    data.clear();
    complete = false;
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Only a file on disk: a pipe or a device could make a read wait for ever.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return false;
    const DWORD want = static_cast<DWORD>(maxBytes < 0x7FFFFFFE ? maxBytes + 1 : 0x7FFFFFFF);
    data.resize(want);
    DWORD read = 0;
    if (!ReadFile(file.get(), &data[0], want, &read, nullptr)) {
        data.clear();
        return false;
    }
    complete = read <= maxBytes;
    data.resize(complete ? read : maxBytes);
    return true;
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
