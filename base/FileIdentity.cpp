#include "base/FileIdentity.h"

#include <vector>

#include "base/UniqueResource.h"

namespace {

// Calls `fill(buffer, size)`, which returns the length written or, when too small, the size
// needed; grows once or twice. False when the call fails.
template <typename Fill>
bool FillText(Fill fill, std::wstring& text) {
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size()) {
            text.assign(buffer.data(), length);
            return true;
        }
        buffer.resize(static_cast<size_t>(length) + 1);
    }
    return false;
}

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
    if (file && FillText(
                    [&file](wchar_t* buffer, DWORD size) {
                        return GetFinalPathNameByHandleW(file.get(), buffer, size,
                                                         FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
                    },
                    text)) {
        canonical = WithoutLongPrefix(text);
        return true;
    }
    std::wstring full;
    if (!FillText([&path](wchar_t* buffer, DWORD size) { return GetFullPathNameW(path.c_str(), size, buffer, nullptr); },
                  full)) {
        return false;
    }
    if (!FillText([&full](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); },
                  text)) {
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
