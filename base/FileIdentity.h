// Which file a path names, in the form in which Windows tells files apart.
#pragma once

#include <windows.h>

#include <string>

// The canonical long path of an existing file ("C:\..." or "\\server\share\..."): short names
// resolved, the stored letter case, "." and ".." and links resolved as the file system does. When
// the file cannot be opened, its full long path as far as that can be had; false when even that
// fails (`canonical` is then `path`).
bool CanonicalFilePath(const std::wstring& path, std::wstring& canonical);

// `text` in the case in which Windows compares file names: upper case by the invariant rules.
std::wstring FoldFileNameCase(const std::wstring& text);

// The folded canonical path of a file: two paths name the same file when their keys are equal.
std::wstring FileKey(const std::wstring& path);
// True when both paths name the same file (whatever their case, short forms or links).
bool SameFile(const std::wstring& a, const std::wstring& b);
