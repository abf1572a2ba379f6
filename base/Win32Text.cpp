#include "base/Win32Text.h"

#include <vector>

#include "base/PathText.h"

bool QueryModulePath(HMODULE module, std::wstring& path) {
    // Start at MAX_PATH; a launcher installed in a deep folder gets a bigger buffer.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return false;
        if (length < buffer.size() && GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            path.assign(buffer.data(), length);
            return true;
        }
        if (buffer.size() >= 32768) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool QueryEnvironmentVariable(const wchar_t* name, std::wstring& value) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            value.clear();
            return GetLastError() == ERROR_SUCCESS;  // set but empty
        }
        if (length < buffer.size()) {
            value.assign(buffer.data(), length);
            return true;
        }
        buffer.resize(length);  // length includes the terminating NUL here
    }
}

std::wstring ExpandEnvironment(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) return text;
    // ExpandEnvironmentStringsW stops at 32K characters; a longer text (a class path of
    // thousands of jars) is expanded reference by reference.
    if (text.size() >= 32767) {
        return ExpandReferences(text, [](const std::wstring& name, std::wstring& value) {
            return QueryEnvironmentVariable(name.c_str(), value);
        });
    }
    std::vector<wchar_t> buffer(text.size() + MAX_PATH);
    for (;;) {
        const DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return text;
        if (length <= buffer.size()) return std::wstring(buffer.data());
        buffer.resize(length);
    }
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ToThreadAnsi(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int wideLength = static_cast<int>(text.size());
    // No "best fit": a character the code page lacks becomes its default character, not a
    // look-alike (Omega is not O). Code pages that refuse the flag convert without it.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    int size = WideCharToMultiByte(CP_THREAD_ACP, flags, text.c_str(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) {
        flags = 0;
        size = WideCharToMultiByte(CP_THREAD_ACP, flags, text.c_str(), wideLength, nullptr, 0, nullptr, nullptr);
    }
    if (size <= 0) return std::string();
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_THREAD_ACP, flags, text.c_str(), wideLength, &result[0], size, nullptr, nullptr);
    return result;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length != 0 && buffer != nullptr ? std::wstring(buffer, length) : std::wstring();
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
    return text;
}

std::wstring ShortPathOf(const std::wstring& path) {
    std::vector<wchar_t> buffer(path.size() + 1);
    for (;;) {
        const DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(length);
    }
}
