// Cutting the launcher's command line and the "Cmd" setting into arguments.
#pragma once

#include <string>
#include <vector>

#include "base/TextSplit.h"

// The arguments of a whole command line: trimmed, split, the executable's path dropped.
StringList ArgumentsFromCommandLine(const std::wstring& commandLine);

// True when an argument equals "-nosplash" or "/nosplash" exactly.
bool HasNoSplashSwitch(const StringList& arguments);

// The folder part of a module path for SetCurrentDirectory: false when there is no "\" or it is
// the first character.
bool ModuleDirectoryOf(const std::wstring& modulePath, std::wstring& folder);
