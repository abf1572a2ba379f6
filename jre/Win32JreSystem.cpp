#include "jre/Win32JreSystem.h"

#include <windows.h>

#include "jre/PeImage.h"
#include "base/IniFile.h"
#include "jre/JreSettings.h"
#include "base/UniqueResource.h"

bool FindFileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
    return static_cast<bool>(find);
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

bool Win32JreSystem::PathExists(const std::wstring& path) { return FindFileExists(path); }

bool Win32JreSystem::IsForeignArchitecture(const std::wstring& library) {
    return ::IsForeignArchitecture(library, arch_);
}

bool Win32JreSystem::ModulePath(std::wstring& path) { return GetModulePath(path); }

std::vector<std::wstring> Win32JreSystem::RegistrySubkeyNames(const std::wstring& key, uint32_t viewFlag) {
    std::vector<std::wstring> names;
    UniqueHKey handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | viewFlag, handle.put()) != ERROR_SUCCESS) {
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

bool Win32JreSystem::RegistryJavaHomeData(const std::wstring& key, const std::wstring& subkey, uint32_t viewFlag,
                                          std::vector<unsigned char>& data) {
    UniqueHKey handle;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (key + subkey).c_str(), 0, KEY_READ | viewFlag, handle.put()) !=
        ERROR_SUCCESS) {
        return false;
    }
    // The size first, then the data; the value may grow in between, so a few rounds are allowed.
    DWORD size = 0;
    if (RegQueryValueExW(handle.get(), L"JavaHome", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return false;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (size == 0) return false;
        data.resize(size);
        DWORD read = size;
        const LONG result = RegQueryValueExW(handle.get(), L"JavaHome", nullptr, nullptr, data.data(), &read);
        if (result == ERROR_SUCCESS) {
            data.resize(read < size ? read : size);
            return !data.empty();
        }
        if (result != ERROR_MORE_DATA) return false;
        size = read;
    }
    return false;
}

std::wstring Win32JreSystem::AppDataFolder() { return GetAppDataFolder(); }

void Win32JreSystem::CreateFolder(const std::wstring& path) { CreateDirectoryW(path.c_str(), nullptr); }

void Win32JreSystem::WriteJrePath(const std::wstring& iniPath, const std::wstring& home) {
    IniFile(iniPath).SetString(L"Java Runtime Environment", L"JRE Path", home);
}
