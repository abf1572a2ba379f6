#include "base/Win32Text.h"

#include "base/PathText.h"

bool QueryModulePath(HMODULE module, std::wstring& path) {
    // Start at MAX_PATH; a launcher installed in a deep folder gets a bigger buffer. A path that
    // did not fit comes back cut, as long as the buffer.
    return FillBuffer(path, MAX_PATH, [module](wchar_t* buffer, size_t capacity) -> long long {
        const DWORD length = GetModuleFileNameW(module, buffer, static_cast<DWORD>(capacity));
        if (length == 0) return -1;
        if (capacity >= 32768 && length >= capacity) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return -1;
        }
        return length;
    });
}

bool QueryEnvironmentVariable(const wchar_t* name, std::wstring& value) {
    return FillBuffer(value, MAX_PATH, [name](wchar_t* buffer, size_t capacity) -> long long {
        SetLastError(ERROR_SUCCESS);
        const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(capacity));
        if (length == 0 && GetLastError() != ERROR_SUCCESS) return -1;  // unset (empty is fine)
        return length;  // when too small: the size needed, NUL included
    });
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
    std::wstring expanded;
    const bool done = FillBuffer(expanded, text.size() + MAX_PATH, [&text](wchar_t* buffer, size_t capacity) -> long long {
        const DWORD size = ExpandEnvironmentStringsW(text.c_str(), buffer, static_cast<DWORD>(capacity));
        return size == 0 ? -1 : static_cast<long long>(size) - 1;  // the size counts the NUL
    });
    return done ? expanded : text;
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ToAnsi(const std::wstring& text, bool* lossless) {
    if (lossless != nullptr) *lossless = true;
    if (text.empty()) return std::string();
    const int wideLength = static_cast<int>(text.size());
    // No "best fit": a character the code page lacks becomes its default character, not a
    // look-alike (Omega is not O). Code pages that refuse the flag (UTF-8) hold every character
    // and convert without it.
    DWORD flags = WC_NO_BEST_FIT_CHARS;
    BOOL lost = FALSE;
    BOOL* lostFlag = &lost;
    int size = WideCharToMultiByte(CP_ACP, flags, text.c_str(), wideLength, nullptr, 0, nullptr, lostFlag);
    if (size <= 0) {
        flags = 0;
        lostFlag = nullptr;
        size = WideCharToMultiByte(CP_ACP, flags, text.c_str(), wideLength, nullptr, 0, nullptr, nullptr);
    }
    if (size <= 0) {
        if (lossless != nullptr) *lossless = false;
        return std::string();
    }
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.c_str(), wideLength, &result[0], size, nullptr, lostFlag);
    if (lossless != nullptr) *lossless = !lost;
    return result;
}

std::wstring FromAnsi(const std::string& text) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size <= 0) return std::wstring();
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, &result[0], size);
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
    std::wstring shortPath;
    FillBuffer(shortPath, path.size() + 1, [&path](wchar_t* buffer, size_t capacity) -> long long {
        const DWORD length = GetShortPathNameW(path.c_str(), buffer, static_cast<DWORD>(capacity));
        return length == 0 ? -1 : static_cast<long long>(length);  // when too small: the size needed, NUL included
    });
    return shortPath;
}
