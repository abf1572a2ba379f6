#include "base/FileIdentity.h"

#include "base/UniqueResource.h"
#include "base/Win32Text.h"

namespace {

// Those calls return the length written, the size needed (NUL included) or 0 on failure.
long long Filled(DWORD length) { return length == 0 ? -1 : static_cast<long long>(length); }

// "\\?\C:\x" gives "C:\x", "\\?\UNC\server\share" gives "\\server\share".
std::wstring WithoutLongPrefix(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

}  // namespace

bool CanonicalFilePath(const std::wstring& path, std::wstring& canonical) {
    canonical = path;
    // No access right is needed to ask for the name; the file may be open for anything.
    UniqueFile file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring text;
    if (file && FillBuffer(text, MAX_PATH + 1, [&file](wchar_t* buffer, size_t size) {
            return Filled(GetFinalPathNameByHandleW(file.get(), buffer, static_cast<DWORD>(size),
                                                    FILE_NAME_NORMALIZED | VOLUME_NAME_DOS));
        })) {
        canonical = WithoutLongPrefix(text);
        return true;
    }
    std::wstring full;
    if (!FillBuffer(full, MAX_PATH + 1, [&path](wchar_t* buffer, size_t size) {
            return Filled(GetFullPathNameW(path.c_str(), static_cast<DWORD>(size), buffer, nullptr));
        })) {
        return false;
    }
    if (!FillBuffer(text, MAX_PATH + 1, [&full](wchar_t* buffer, size_t size) {
            return Filled(GetLongPathNameW(full.c_str(), buffer, static_cast<DWORD>(size)));
        })) {
        text = full;
    }
    canonical = WithoutLongPrefix(text);
    return true;
}

std::wstring FoldFileNameCase(const std::wstring& text) {
    if (text.empty()) return text;
    // Upper-casing keeps the length of UTF-16 text (LCMAP_UPPERCASE maps unit for unit).
    std::wstring folded(text.size(), L'\0');
    const int written = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(),
                                      static_cast<int>(text.size()), &folded[0], static_cast<int>(folded.size()),
                                      nullptr, nullptr, 0);
    if (written == static_cast<int>(text.size())) return folded;
    folded = text;
    CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

std::wstring FileKey(const std::wstring& path) {
    std::wstring canonical;
    CanonicalFilePath(path, canonical);
    return FoldFileNameCase(canonical);
}

bool SameFile(const std::wstring& a, const std::wstring& b) { return FileKey(a) == FileKey(b); }
