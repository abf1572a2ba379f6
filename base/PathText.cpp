#include "base/PathText.h"

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring FolderWithSlashOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

bool IsAbsolutePath(const std::wstring& path) {
    return (path.size() > 1 && path[1] == L':') || path.rfind(L"\\\\", 0) == 0;
}

std::wstring ReplaceChar(std::wstring text, wchar_t from, wchar_t to) {
    for (wchar_t& c : text) {
        if (c == from) c = to;
    }
    return text;
}

std::wstring BesideExecutable(const std::wstring& modulePath, const std::wstring& path) {
    if (path.empty() || IsAbsolutePath(path) || path[0] == L'\\') return path;
    return FolderWithSlashOf(modulePath) + path;
}
