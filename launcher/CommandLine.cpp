#include "launcher/CommandLine.h"

#include "base/PathText.h"

#include <cwctype>

StringList ArgumentsFromCommandLine(const std::wstring& commandLine) {
    size_t begin = 0;
    size_t end = commandLine.size();
    while (begin < end && std::iswspace(commandLine[begin])) ++begin;
    while (end > begin && std::iswspace(commandLine[end - 1])) --end;
    StringList arguments;
    SplitArguments(commandLine.substr(begin, end - begin), arguments);
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

bool HasNoSplashSwitch(const StringList& arguments) {
    for (const auto& argument : arguments) {
        if (argument == L"-nosplash") return true;
    }
    for (const auto& argument : arguments) {
        if (argument == L"/nosplash") return true;
    }
    return false;
}

bool ModuleDirectoryOf(const std::wstring& modulePath, std::wstring& folder) {
    folder = FolderOf(modulePath);
    return !folder.empty();
}
