// Cutting the launcher's command line and the "Cmd" setting into arguments.
#pragma once

#include <string>
#include <vector>

using StringList = std::vector<std::wstring>;

// Appends the tokens of `text` to `out`. Only U+0020 separates tokens; a token that starts with a
// double quote runs to the next double quote (or the end); there is no escape character.
void SplitArguments(const std::wstring& text, StringList& out);

// The arguments of a whole command line: trimmed, split, the executable's path dropped.
StringList ArgumentsFromCommandLine(const std::wstring& commandLine);

// The "Cmd" tokens (already expanded) that are appended after the command-line arguments:
// empty tokens are dropped.
void AppendCmdArguments(const std::wstring& expandedCmd, StringList& arguments);

// True when an argument equals "-nosplash" or "/nosplash" exactly.
bool HasNoSplashSwitch(const StringList& arguments);

// The folder part of a module path for SetCurrentDirectory: false when there is no "\" or it is
// the first character.
bool ModuleDirectoryOf(const std::wstring& modulePath, std::wstring& folder);

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
