#include "runtime/Win32RuntimeFiles.h"

#include <windows.h>

#include "base/UniqueResource.h"
#include "runtime/PeImage.h"

bool Win32RuntimeFiles::FileExists(const std::wstring& path) { return FindFileExists(path); }

bool Win32RuntimeFiles::ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) {
    return ::ReadFileStart(path, maxBytes, data, complete);
}

// A folder that bears a library's name is no library.
bool FindFileExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &data));
    return find && (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) {
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
    Win32RuntimeFiles files;
    return ProbeJvmLibrary(files, home, type);
}

bool HasJavaLibrary(const std::wstring& home) {
    Win32RuntimeFiles files;
    return HasJavaLibrary(files, home);
}
