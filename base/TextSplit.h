// Cutting texts into items: ";" lists and space-separated arguments. No <windows.h>.
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
