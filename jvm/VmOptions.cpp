#include "jvm/VmOptions.h"

#include <cmath>

#include "base/PathText.h"

namespace {

bool EndsWith(const std::wstring& text, wchar_t c) { return !text.empty() && text.back() == c; }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

JreFolders JreFoldersOf(const std::wstring& jvmLibraryPath) {
    JreFolders folders;
    folders.bin = FolderOf(FolderOf(jvmLibraryPath));
    folders.home = FolderOf(folders.bin);
    folders.homeWithSlash = FolderWithSlashOf(folders.bin);
    return folders;
}

std::wstring ComposeLibraryPath(const std::wstring& libraryPath, const std::wstring& launcherFolderWithSlash,
                                const JreFolders& jre) {
    if (libraryPath.empty()) return std::wstring();
    std::wstring text = libraryPath;
    if (!EndsWith(text, L';')) text += L';';
    text += launcherFolderWithSlash + L";.;%Path%;" + jre.homeWithSlash + L"lib";
    return text;
}

std::wstring ComposeSearchPath(const std::wstring& systemPath, const JreFolders& jre) {
    std::wstring text;
    if (!systemPath.empty()) {
        text = systemPath;
        if (!EndsWith(text, L';')) text += L';';
    }
    return text + L"%Path%;" + jre.bin;
}

bool IsRelativeEntry(const std::wstring& entry) { return !IsAbsolutePath(entry); }

bool NeedsClassPathSearch(const std::wstring& entry) {
    return entry.find(L'*') != std::wstring::npos || IsRelativeEntry(entry);
}

std::wstring ClassPathSearchPath(const std::wstring& entry, const std::wstring& launcherFolder) {
    return IsRelativeEntry(entry) ? launcherFolder + entry : entry;
}

std::wstring FolderPrefixOf(const std::wstring& searchPath) { return FolderWithSlashOf(searchPath); }

std::vector<std::wstring> SplitVmParameters(const std::wstring& text) {
    std::vector<std::wstring> tokens;
    const size_t npos = std::wstring::npos;
    const size_t length = text.size();
    size_t start = 0;
    while (start < length) {
        size_t sp = text.find(L' ', start);
        size_t q = text.find(L'"', start);
        size_t end;
        for (;;) {
            if (q == npos) { end = sp == npos ? length : sp; break; }
            if (sp == npos) { end = length; break; }
            if (sp < q) { end = sp; break; }
            size_t c = text.find(L'"', q + 1);
            if (c == npos) { end = sp; break; }  // an unclosed quote protects nothing
            if (c + 1 < length && text[c + 1] == L'"') ++c;
            q = text.find(L'"', c + 1);
            sp = text.find(L' ', c + 1);
        }
        tokens.push_back(text.substr(start, end - start));
        while (end < length && text[end] == L' ') ++end;
        start = end;
    }
    return tokens;
}

void UnquoteToken(std::wstring& token) {
    size_t b = token.find(L'"');
    while (b != std::wstring::npos) {
        size_t i = token.find(L'"', b + 1);
        if (i == std::wstring::npos) return;
        if (i + 1 < token.size() && token[i + 1] == L'"') ++i;
        const std::wstring inner = token.substr(b + 1, i - b - 1);
        token.replace(b, i - b + 1, inner);
        b = token.find(L'"', b + inner.size());
    }
}

ColonNumbers ParseColonNumbers(const std::wstring& text) {
    ColonNumbers result;
    size_t pos = 0;
    while (pos < text.size() && !IsDigit(text[pos]) && text[pos] != L':') ++pos;
    result.prefixLength = pos;
    if (pos == text.size()) return result;
    const size_t last = text.size() - 1;
    const size_t end = IsDigit(text[last]) ? text.size() : last;
    result.numbers.push_back(0);
    for (size_t i = pos; i < end; ++i) {
        const wchar_t c = text[i];
        if (IsDigit(c)) {
            result.numbers.back() = result.numbers.back() * 10 + static_cast<uint64_t>(c - L'0');
        } else if (c == L':') {
            result.numbers.push_back(0);
        }
    }
    return result;
}

bool IsMemoryPercentageToken(const std::wstring& token) {
    if (!StartsWith(token, L"-Xms") && !StartsWith(token, L"-Xmx") && !StartsWith(token, L"-Xss")) return false;
    const wchar_t last = token.back();
    return last == L'P' || last == L'p' || last == L'T' || last == L't';
}

void ApplyMemoryPercentage(std::wstring& token, uint64_t physicalBytes, uint64_t availableVirtualBytes) {
    const ColonNumbers parsed = ParseColonNumbers(token);
    auto number = [&parsed](size_t i) { return i < parsed.numbers.size() ? parsed.numbers[i] : 0; };
    const uint64_t percent = number(0), minimumMb = number(1), maximumMb = number(2);
    const wchar_t unit = token.back();
    const uint64_t base = (unit == L'T' || unit == L't') ? availableVirtualBytes : physicalBytes;
    const double scaled = static_cast<double>(base >> 10) * (static_cast<double>(percent) / 100.0);
    // Past 2^64 the conversion would be undefined; no machine has that much memory.
    uint64_t kilobytes = scaled >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(scaled);
    if (maximumMb != 0 && maximumMb * 1024 < kilobytes) kilobytes = maximumMb * 1024;
    if (minimumMb * 1024 > kilobytes) kilobytes = minimumMb * 1024;
    token = token.substr(0, parsed.prefixLength) + std::to_wstring(kilobytes) + L"K";
}

uint64_t ParseStackSize(const std::wstring& value) {
    const ColonNumbers parsed = ParseColonNumbers(value);
    if (value.empty() || parsed.prefixLength != 0 || parsed.numbers.size() != 1) return 0;
    uint64_t unit = 1;
    switch (value.back()) {
        case L'G': case L'g': unit = 1ull << 30; break;
        case L'M': case L'm': unit = 1ull << 20; break;
        case L'K': case L'k': unit = 1024; break;
        default: break;
    }
    return parsed.numbers[0] * unit;
}
