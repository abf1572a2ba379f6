#include "base/TextSplit.h"

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

std::vector<std::wstring> SplitList(const std::wstring& text) {
    std::vector<std::wstring> items;
    size_t start = 0;
    while (start < text.size()) {
        const size_t semicolon = text.find(L';', start);
        if (semicolon == std::wstring::npos) {
            items.push_back(text.substr(start));
            break;
        }
        items.push_back(text.substr(start, semicolon - start));
        start = semicolon + 1;
    }
    return items;
}

void AppendCmdArguments(const std::wstring& expandedCmd, StringList& arguments) {
    StringList tokens;
    SplitArguments(expandedCmd, tokens);
    for (auto& token : tokens) {
        if (!token.empty()) arguments.push_back(std::move(token));
    }
}

bool EqualsAsciiNoCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

std::wstring TrimBlankSpace(const std::wstring& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlankSpace(text[begin])) ++begin;
    while (end > begin && IsBlankSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}
