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
