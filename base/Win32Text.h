// Grow-and-retry wrappers for the Win32 calls that fill a caller's text buffer.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string>

// Grows a buffer until one call of a Win32 function that fills it succeeds. `fill(data, capacity)`
// gets room for `capacity` elements (for text, the terminating NUL included) and returns:
// - the length of what it wrote (for text, without the NUL) when that fitted, below `capacity`;
// - a length of at least `capacity` when it did not fit: the length the function asked for, or
//   `capacity` itself when it does not say (the buffer then doubles);
// - -1 when the call failed.
// `out` ends up holding exactly what was written; false (and `out` empty) after a failure, or
// when the call asks for more than 16M elements (no Win32 text is that long).
template <typename Buffer, typename Fill>
bool FillBuffer(Buffer& out, size_t capacity, Fill fill) {
    for (int round = 0; round < 12; ++round) {
        out.resize(capacity);
        const long long length = fill(&out[0], capacity);
        if (length < 0 || length >= (1ll << 24)) break;
        if (static_cast<size_t>(length) < capacity) {
            out.resize(static_cast<size_t>(length));
            return true;
        }
        capacity = (std::max)(static_cast<size_t>(length) + 1, capacity * 2);
    }
    out.clear();
    return false;
}

// The executable's full path, however long; false (with GetLastError set) when it cannot be had.
bool QueryModulePath(HMODULE module, std::wstring& path);

// An environment variable's value; false when it is unset.
bool QueryEnvironmentVariable(const wchar_t* name, std::wstring& value);

// %NAME% references replaced by the process environment; the text unchanged when expansion fails.
std::wstring ExpandEnvironment(const std::wstring& text);

// True when something (file or folder) exists at the path.
bool PathExists(const std::wstring& path);

// UTF-16 to 8-bit text in the system's ANSI code page, in which the VM decodes its options and
// the profile functions their files, whichever thread converts. Characters it lacks become its
// default character (no look-alikes); `lossless`, when given, tells whether every one survived.
std::string ToAnsi(const std::wstring& text, bool* lossless = nullptr);
// 8-bit text in the system's ANSI code page to UTF-16.
std::wstring FromAnsi(const std::string& text);

// The system's text for an error code, without its line break; "" when it has none.
std::wstring SystemErrorText(DWORD error);

// The short (8.3) form of an existing path; empty when the volume has none or it cannot be had.
std::wstring ShortPathOf(const std::wstring& path);
