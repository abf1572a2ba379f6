#include "jvm/VmOptions.h"

#include "base/DecimalText.h"

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
                                const std::wstring& processPath, const JreFolders& jre) {
    if (libraryPath.empty()) return std::wstring();
    std::wstring text = libraryPath;
    if (!EndsWith(text, L';')) text += L';';
    text += launcherFolderWithSlash + L";.;" + processPath + L";" + jre.homeWithSlash + L"lib";
    return text;
}

std::wstring ComposeSearchPath(const std::wstring& systemPath, const std::wstring& processPath, const JreFolders& jre) {
    std::wstring text;
    if (!systemPath.empty()) {
        text = systemPath;
        if (!EndsWith(text, L';')) text += L';';
    }
    return text + processPath + L";" + jre.bin;
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
    // One pass: every character is looked at a bounded number of times, however many tokens
    // and quotes the text has.
    std::vector<std::wstring> tokens;
    const size_t npos = std::wstring::npos;
    const size_t length = text.size();
    size_t start = 0;
    while (start < length) {
        size_t end = start;
        for (;;) {
            if (end >= length || text[end] == L' ') break;
            if (text[end] != L'"') {
                ++end;
                continue;
            }
            size_t close = text.find(L'"', end + 1);
            if (close == npos) {  // an unclosed quote protects nothing
                end = text.find(L' ', end + 1);
                if (end == npos) end = length;
                break;
            }
            if (close + 1 < length && text[close + 1] == L'"') ++close;
            end = close + 1;
        }
        tokens.push_back(text.substr(start, end - start));
        while (end < length && text[end] == L' ') ++end;
        start = end;
    }
    return tokens;
}

void UnquoteToken(std::wstring& token) {
    std::wstring result;
    size_t pos = 0;
    for (;;) {
        const size_t open = token.find(L'"', pos);
        if (open == std::wstring::npos) break;
        size_t close = token.find(L'"', open + 1);
        if (close == std::wstring::npos) break;
        if (close + 1 < token.size() && token[close + 1] == L'"') ++close;
        result.append(token, pos, open - pos);
        result.append(token, open + 1, close - open - 1);  // a doubled quote leaves its first half
        pos = close + 1;
    }
    if (pos == 0) return;
    result.append(token, pos, std::wstring::npos);
    token = std::move(result);
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
            // Saturates instead of wrapping: a huge number stays huge.
            uint64_t& number = result.numbers.back();
            const uint64_t digit = static_cast<uint64_t>(c - L'0');
            number = number > (UINT64_MAX - digit) / 10 ? UINT64_MAX : number * 10 + digit;
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

void ApplyMemoryPercentage(std::wstring& token, uint64_t physicalBytes, uint64_t availableVirtualBytes,
                           uint64_t ceilingBytes) {
    const ColonNumbers parsed = ParseColonNumbers(token);
    auto number = [&parsed](size_t i) { return i < parsed.numbers.size() ? parsed.numbers[i] : 0; };
    // More than the whole base is no sensible size: the percentage stops at 100.
    const uint64_t percent = number(0) > 100 ? 100 : number(0);
    const uint64_t minimumMb = number(1), maximumMb = number(2);
    auto kilobytesOf = [](uint64_t megabytes) { return megabytes > UINT64_MAX / 1024 ? UINT64_MAX : megabytes * 1024; };
    const wchar_t unit = token.back();
    const uint64_t base = (unit == L'T' || unit == L't') ? availableVirtualBytes : physicalBytes;
    const double scaled = static_cast<double>(base >> 10) * (static_cast<double>(percent) / 100.0);
    // Past 2^64 the conversion would be undefined; no machine has that much memory.
    uint64_t kilobytes = scaled >= 18446744073709551615.0 ? UINT64_MAX : static_cast<uint64_t>(scaled);
    if (maximumMb != 0 && kilobytesOf(maximumMb) < kilobytes) kilobytes = kilobytesOf(maximumMb);
    if (kilobytesOf(minimumMb) > kilobytes) kilobytes = kilobytesOf(minimumMb);
    // Last: a size the process cannot reserve would only keep the VM from starting.
    if (ceilingBytes != UINT64_MAX && kilobytes > (ceilingBytes >> 10)) kilobytes = ceilingBytes >> 10;
    token = token.substr(0, parsed.prefixLength) + DecimalText(kilobytes) + L"K";
}

uint64_t MemoryCeilingOf32BitProcess(uint64_t totalVirtualBytes) {
    const uint64_t megabyte = 1ull << 20;
    return totalVirtualBytes > (2048 + 512) * megabyte ? 1536 * megabyte : 1280 * megabyte;
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
    return parsed.numbers[0] > UINT64_MAX / unit ? UINT64_MAX : parsed.numbers[0] * unit;
}
