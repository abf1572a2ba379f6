// Drives a Windows program from a test: starts it, finds its windows (message boxes and dialogs),
// reads their texts, presses their buttons and collects its exit code, always with a time limit.
// Failures are reported through return values; nothing here throws.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/UniqueResource.h"

namespace testsupport {

// ---------------------------------------------------------------------------------------------
// Starting a program

enum class EnvironmentMode {
    Inherit,               // the test's own environment; `variables` is ignored
    Replace,               // exactly `variables`, nothing inherited
    InheritWithOverrides,  // the test's environment with `variables` applied on top
};

struct StartOptions {
    std::wstring executable;        // path handed to CreateProcessW; empty: taken from the command line
    std::wstring commandLine;       // the full command line, program name included (see QuoteCommandLine)
    std::wstring workingDirectory;  // empty: the test's current directory
    EnvironmentMode environment = EnvironmentMode::Inherit;
    // "NAME=VALUE" entries. With InheritWithOverrides an entry "NAME" without '=' removes NAME.
    // Names compare in any letter case, as Windows does.
    std::vector<std::wstring> variables;
    DWORD creationFlags = 0;  // added to CreateProcessW's (CREATE_NEW_CONSOLE, ...)
};

// Calls `create` (a CreateProcessW) until it succeeds or fails for a reason of its own. Under load
// Wine now and then fails to create a process with ERROR_INTERNAL_ERROR before any of the program
// has run; such a start is tried again, a few times.
BOOL CreateProcessRetried(const std::function<BOOL()>& create);

struct ExitResult {
    DWORD exitCode = 0;     // the full 32-bit code: -1 reads 0xFFFFFFFF
    bool timedOut = false;  // true: the process was still running and has been terminated
};

// A started process; owns its process and thread handles. Move-only.
class Process {
public:
    Process() = default;

    // Starts the program; check started() afterwards (startError() holds GetLastError then).
    static Process Start(const StartOptions& options);

    bool started() const { return static_cast<bool>(process_); }
    DWORD startError() const { return startError_; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;

    // Waits up to timeoutMs for the process to end. On timeout the process is terminated
    // (TerminateProcess) and waited for, and the result says timedOut.
    ExitResult WaitForExit(DWORD timeoutMs);

    // Ends the process at once and waits (up to 5 s) until it is gone.
    void Terminate(UINT exitCode = 0xDEAD);

    // The process's top-level windows, hidden ones included.
    std::vector<HWND> TopLevelWindows() const;

    // Polls every 25 ms for a top-level window of the process that satisfies `match`.
    // Null when the time runs out or the process ends first.
    HWND WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const;

private:
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    DWORD startError_ = 0;
};

// Joins arguments into a command line that CommandLineToArgvW and the C runtime split back into
// the same arguments (quotes and backslashes escaped as they require).
std::wstring QuoteCommandLine(const std::vector<std::wstring>& arguments);

// ---------------------------------------------------------------------------------------------
// Reading windows

struct ControlInfo {
    int id = 0;
    std::wstring className;
    std::wstring text;
    bool visible = false;
};

struct WindowInfo {
    HWND handle = nullptr;
    std::wstring caption;
    std::wstring className;
    bool visible = false;
    std::vector<ControlInfo> statics;  // class "Static"; a message box's text has id 0xFFFF
    std::vector<ControlInfo> buttons;  // class "Button"
    std::vector<ControlInfo> edits;    // class "Edit"
    std::vector<ControlInfo> others;   // every other child window

    // The message of a message box (the static with id 0xFFFF); empty when there is none.
    std::wstring MessageText() const;
    // The texts of all statics, in child-window order, empty ones left out.
    std::vector<std::wstring> StaticTexts() const;
    const ControlInfo* FindButton(int id) const;
};

std::wstring WindowClassName(HWND window);
// A window's text, asked for with WM_GETTEXT (which also works across processes and for edits).
std::wstring WindowText(HWND window);
// Caption, class and every child control of the window.
WindowInfo ReadWindow(HWND window);

// Message boxes and dialogs from templates: a visible window of class "#32770".
bool IsVisibleDialog(HWND window);

// Presses a button of a dialog by posting WM_COMMAND(id, BN_CLICKED) to the dialog, which is what
// a click sends and works for MessageBoxW as well as for our own dialogs. False if the post fails.
bool PressButton(HWND dialog, int buttonId);
// The same for the button whose text, with '&' accelerator marks dropped, equals `text` in any
// letter case. False when there is no such button.
bool PressButtonByText(HWND dialog, const std::wstring& text);

// ---------------------------------------------------------------------------------------------
// Running a program to its end

struct RunResult {
    bool started = false;
    DWORD startError = 0;
    DWORD exitCode = 0;
    bool timedOut = false;
    std::vector<WindowInfo> boxes;  // each dialog met, read just before it was answered
};

// Chooses the button id with which to answer one dialog.
using BoxAnswer = std::function<int(const WindowInfo& box)>;

// Starts the program and answers every dialog it shows (IsVisibleDialog) by pressing the chosen
// button, recording each one, until the program ends or timeoutMs passes (then it is terminated).
RunResult RunAnswering(const StartOptions& options, DWORD timeoutMs, const BoxAnswer& answer);
RunResult RunAnswering(const StartOptions& options, DWORD timeoutMs, int buttonId = IDOK);

// ---------------------------------------------------------------------------------------------
// Files and folders

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// UTF-16LE text, preceded by a byte-order mark when `byteOrderMark` is set.
bool WriteFileUtf16(const std::wstring& path, const std::wstring& text, bool byteOrderMark = true);
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
// Creates the folder and every missing parent; true if it exists afterwards.
bool MakeFolders(const std::wstring& path);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);
// Deletes a folder with everything in it (read-only files too); true if nothing is left.
bool DeleteTree(const std::wstring& path);
bool PathExists(const std::wstring& path);

// `folder` + "\" + `name`, without doubling a separator.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// The folder of the running test executable.
std::wstring ExecutableFolder();
// The value of an environment variable of the test; empty when unset.
std::wstring EnvironmentValue(const wchar_t* name);
// A Linux path (one that starts with "/") as Wine's Z: drive shows it; any other text unchanged.
std::wstring WinePath(std::wstring path);
// WinePath of an environment variable that the build sets to a Linux path; empty when unset.
std::wstring WinePathFromEnvironment(const wchar_t* name);
// UTF-16 to UTF-8 and back (files written by the JVM and by Java test programs are UTF-8).
std::string Utf8(const std::wstring& text);
std::wstring WideFromUtf8(const std::string& bytes);
// The lines of a text, without their line feeds and a carriage return before one; no empty last
// line for a text that ends with a line feed.
std::vector<std::string> SplitLines(const std::string& text);

// A fresh folder under GetTempPathW, unique to this test and process, deleted with its contents
// when the object goes. Move-only.
class TempFolder {
public:
    explicit TempFolder(const std::wstring& testName);
    ~TempFolder();
    TempFolder(TempFolder&& other) noexcept;
    TempFolder& operator=(TempFolder&& other) noexcept;
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return JoinPath(path_, name); }
    // Leaves the folder in place (for looking at after a failure).
    void Keep() { keep_ = true; }

private:
    std::wstring path_;
    bool keep_ = false;
};

}  // namespace testsupport
