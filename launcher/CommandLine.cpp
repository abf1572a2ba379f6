#include "launcher/CommandLine.h"

#include "base/PathText.h"

#include <cwctype>

void SplitArguments(const std::wstring& text, StringList& out) {
    const size_t size = text.size();
    size_t pos = 0;
    while (pos < size) {
        size_t end;
        if (text[pos] == L'"') {
            const size_t close = text.find(L'"', pos + 1);
            if (close == std::wstring::npos) {
                out.push_back(text.substr(pos + 1));
                return;
            }
            out.push_back(text.substr(pos + 1, close - pos - 1));
            end = close + 1;
        } else {
            const size_t space = text.find(L' ', pos);
            if (space == std::wstring::npos) {
                out.push_back(text.substr(pos));
                return;
            }
            out.push_back(text.substr(pos, space - pos));
            end = space;
        }
        while (end < size && text[end] == L' ') ++end;
        pos = end;
    }
}

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

void AppendCmdArguments(const std::wstring& expandedCmd, StringList& arguments) {
    StringList tokens;
    SplitArguments(expandedCmd, tokens);
    for (auto& token : tokens) {
        if (!token.empty()) arguments.push_back(std::move(token));
    }
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
