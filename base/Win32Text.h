// Grow-and-retry wrappers for the Win32 calls that fill a caller's text buffer.
#pragma once

#include <windows.h>

#include <string>

// The executable's full path, however long; false (with GetLastError set) when it cannot be had.
bool QueryModulePath(HMODULE module, std::wstring& path);

// An environment variable's value; false when it is unset.
bool QueryEnvironmentVariable(const wchar_t* name, std::wstring& value);

// %NAME% references replaced by the process environment; the text unchanged when expansion fails.
std::wstring ExpandEnvironment(const std::wstring& text);

// True when something (file or folder) exists at the path.
bool PathExists(const std::wstring& path);

// UTF-16 to 8-bit text in the thread's ANSI code page; characters it lacks become its default character.
std::string ToThreadAnsi(const std::wstring& text);

// The system's text for an error code, without its line break; "" when it has none.
std::wstring SystemErrorText(DWORD error);

// The short (8.3) form of an existing path; empty when the volume has none or it cannot be had.
std::wstring ShortPathOf(const std::wstring& path);
