// Text arithmetic on Windows paths and environment references: no file system, no <windows.h>.
#pragma once

#include <string>

// Everything before the last backslash ("C:\a\b.exe" -> "C:\a"); empty when there is none.
std::wstring FolderOf(const std::wstring& path);
// The same with its backslash ("C:\a\b.exe" -> "C:\a\"); empty when there is none.
std::wstring FolderWithSlashOf(const std::wstring& path);
// Everything after the last backslash; the whole text when there is none.
std::wstring FileNameOf(const std::wstring& path);
// A drive path (second character ":") or a network path (two leading backslashes).
bool IsAbsolutePath(const std::wstring& path);
// `path` taken in the folder of the executable `modulePath` when it is relative ("jre", "..\x");
// drive and network paths, and paths from the root of the current drive, stay as written.
std::wstring BesideExecutable(const std::wstring& modulePath, const std::wstring& path);
// `text` with every `from` replaced by `to`.
std::wstring ReplaceChar(std::wstring text, wchar_t from, wchar_t to);

// %NAME% references replaced through `lookup` (false: undefined). An undefined reference stays
// as written, and its closing "%" may open the next one; a lone "%" stays.
template <typename Lookup>
std::wstring ExpandReferences(const std::wstring& text, Lookup lookup) {
    std::wstring result;
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t open = text.find(L'%', pos);
        if (open == std::wstring::npos) break;
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring::npos) break;
        result.append(text, pos, open - pos);
        std::wstring value;
        const std::wstring name = text.substr(open + 1, close - open - 1);
        if (!name.empty() && lookup(name, value)) {
            result += value;
            pos = close + 1;
        } else {
            result += L'%';
            result += name;
            pos = close;
        }
    }
    result.append(text, pos, std::wstring::npos);
    return result;
}
