// Cutting texts into items (";" lists, space-separated arguments), trimming and comparing words.
// No <windows.h>.
#pragma once

#include <string>
#include <vector>

using StringList = std::vector<std::wstring>;

// Split at ";": empty items are kept, a trailing ";" adds none, an empty text gives no items.
std::vector<std::wstring> SplitList(const std::wstring& text);

// Appends the tokens of `text` to `out`. Only U+0020 separates tokens; a token that starts with a
// double quote runs to the next double quote (or the end); there is no escape character.
void SplitArguments(const std::wstring& text, StringList& out);

// The "Cmd" tokens (already expanded) that are appended after the command-line arguments:
// empty tokens are dropped.
void AppendCmdArguments(const std::wstring& expandedCmd, StringList& arguments);

// A-Z to a-z; every other character as it is.
inline wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }
// Equal when only the letter case of A-Z differs (nothing else is folded).
bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b);

// Space, tab, vertical tab and form feed: what INI lines and environment values lose at their ends.
inline bool IsBlankSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\v' || c == L'\f'; }
// `text` without the blank space at its start and end.
std::wstring TrimBlankSpace(const std::wstring& text);
