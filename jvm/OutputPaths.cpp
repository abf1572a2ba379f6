#include "jvm/OutputPaths.h"

#include "base/DecimalText.h"

#include "base/PathText.h"

bool FindTimestampPicture(const std::wstring& path, size_t& first, size_t& last) {
    first = path.find(L'%');
    if (first == std::wstring::npos) return false;
    last = path.rfind(L'%');
    return true;
}

std::wstring ReplaceMilliseconds(const std::wstring& picture, unsigned milliseconds) {
    const std::wstring digits = DecimalText(milliseconds);
    std::wstring result;
    for (wchar_t c : picture) {
        if (c == L'L') {
            result += digits;
        } else {
            result += c;
        }
    }
    return result;
}

std::vector<std::wstring> ParentFoldersToCreate(const std::wstring& path) {
    std::wstring rest = path;
    std::wstring longPrefix;
    if (rest.rfind(L"\\\\?\\", 0) == 0) {
        longPrefix = rest.substr(0, 4);
        rest.erase(0, 4);
    }
    std::vector<std::wstring> components;
    size_t start = 0;
    if (longPrefix.empty() && rest.rfind(L"\\\\", 0) == 0) {
        // A network path's first component is its server part.
        const size_t slash = rest.find(L'\\', 2);
        components.push_back(slash == std::wstring::npos ? rest : rest.substr(0, slash));
        start = slash == std::wstring::npos ? rest.size() : slash + 1;
        if (slash == std::wstring::npos) return {};
    }
    while (true) {
        const size_t slash = rest.find(L'\\', start);
        if (slash == std::wstring::npos) {
            components.push_back(rest.substr(start));
            break;
        }
        components.push_back(rest.substr(start, slash - start));
        start = slash + 1;
    }
    // A relative path lies below the current directory: every folder of it may be missing.
    if (longPrefix.empty() && !IsAbsolutePath(path) && !path.empty() && path[0] != L'\\') {
        std::vector<std::wstring> folders;
        std::wstring folder;
        for (size_t i = 0; i + 1 < components.size(); ++i) {
            folder += (i == 0 ? L"" : L"\\") + components[i];
            folders.push_back(folder);
        }
        return folders;
    }
    // A path that begins with one backslash: its empty first component gives way to the first folder.
    // It keeps its backslash: the folders lie below the current drive's root, not the current directory.
    const bool fromRoot = !components.empty() && components[0].empty();
    if (fromRoot) components.erase(components.begin());
    if (components.size() < 3) return {};
    components[0] = (fromRoot ? L"\\" : longPrefix) + components[0];

    std::vector<std::wstring> folders;
    std::wstring folder = components[0];
    for (size_t i = 1; i + 1 < components.size(); ++i) {
        folder += L"\\" + components[i];
        folders.push_back(folder);
    }
    return folders;
}
