#include "tests/support/ProcessDriver.h"

#include <algorithm>
#include <cwchar>
#include <utility>

namespace testsupport {

namespace {

const DWORD kPollMs = 25;
const UINT kTextTimeoutMs = 1000;

bool EqualsIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

std::wstring VariableName(const std::wstring& entry) {
    // A leading '=' belongs to the name ("=C:=C:\work").
    const size_t equals = entry.find(L'=', 1);
    return equals == std::wstring::npos ? entry : entry.substr(0, equals);
}

std::vector<std::wstring> CurrentEnvironment() {
    std::vector<std::wstring> entries;
    wchar_t* block = GetEnvironmentStringsW();
    if (block == nullptr) return entries;
    for (const wchar_t* p = block; *p != L'\0'; p += wcslen(p) + 1) entries.emplace_back(p);
    FreeEnvironmentStringsW(block);
    return entries;
}

// The environment block for CreateProcessW: sorted by name as Windows expects, double-null ended.
std::wstring BuildEnvironmentBlock(const StartOptions& options) {
    std::vector<std::wstring> entries;
    if (options.environment == EnvironmentMode::InheritWithOverrides) entries = CurrentEnvironment();
    for (const std::wstring& variable : options.variables) {
        const std::wstring name = VariableName(variable);
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::wstring& e) { return EqualsIgnoringCase(VariableName(e), name); }),
                      entries.end());
        if (variable.find(L'=', 1) != std::wstring::npos) entries.push_back(variable);
    }
    std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
        const std::wstring na = VariableName(a), nb = VariableName(b);
        return CompareStringOrdinal(na.c_str(), static_cast<int>(na.size()), nb.c_str(), static_cast<int>(nb.size()),
                                    TRUE) == CSTR_LESS_THAN;
    });
    std::wstring block;
    for (const std::wstring& entry : entries) {
        block += entry;
        block += L'\0';
    }
    if (entries.empty()) block += L'\0';
    block += L'\0';
    return block;
}

std::wstring WithoutAccelerators(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;  // "&&" stands for one '&'
        out += text[i];
    }
    return out;
}

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<std::pair<DWORD, std::vector<HWND>*>*>(context);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search->first) search->second->push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Process

BOOL CreateProcessRetried(const std::function<BOOL()>& create) {
    for (int attempt = 1;; ++attempt) {
        if (create()) return TRUE;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 3) {
            SetLastError(error);
            return FALSE;
        }
        Sleep(100);
    }
}

Process Process::Start(const StartOptions& options) {
    Process process;
    std::wstring commandLine = options.commandLine;  // CreateProcessW may write into it
    std::wstring environment;
    if (options.environment != EnvironmentMode::Inherit) environment = BuildEnvironmentBlock(options);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const BOOL ok = CreateProcessRetried([&] {
        return CreateProcessW(options.executable.empty() ? nullptr : options.executable.c_str(), &commandLine[0],
                              nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT | options.creationFlags,
                              environment.empty() ? nullptr : &environment[0],
                              options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str(), &startup,
                              &info);
    });
    if (!ok) {
        process.startError_ = GetLastError();
        return process;
    }
    process.process_.reset(info.hProcess);
    process.thread_.reset(info.hThread);
    process.id_ = info.dwProcessId;
    return process;
}

bool Process::running() const {
    return started() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

ExitResult Process::WaitForExit(DWORD timeoutMs) {
    ExitResult result;
    if (!started()) return result;
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        result.timedOut = true;
        Terminate();
    }
    GetExitCodeProcess(process_.get(), &result.exitCode);
    return result;
}

void Process::Terminate(UINT exitCode) {
    if (!started()) return;
    TerminateProcess(process_.get(), exitCode);
    WaitForSingleObject(process_.get(), 5000);
}

std::vector<HWND> Process::TopLevelWindows() const {
    std::vector<HWND> windows;
    if (!started()) return windows;
    std::pair<DWORD, std::vector<HWND>*> search(id_, &windows);
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return windows;
}

HWND Process::WaitForWindow(const std::function<bool(HWND)>& match, DWORD timeoutMs) const {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        for (HWND window : TopLevelWindows()) {
            if (match(window)) return window;
        }
        if (!running() || GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
}

std::wstring QuoteCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring line;
    for (const std::wstring& argument : arguments) {
        if (!line.empty()) line += L' ';
        if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
            line += argument;
            continue;
        }
        line += L'"';
        size_t backslashes = 0;
        for (wchar_t c : argument) {
            if (c == L'\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote are doubled, and the quote itself escaped.
            line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
            backslashes = 0;
            line += c;
        }
        line.append(backslashes * 2, L'\\');  // before the closing quote
        line += L'"';
    }
    return line;
}

// ---------------------------------------------------------------------------------------------
// Windows

std::wstring WindowClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTextTimeoutMs, &length)) {
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             kTextTimeoutMs, &copied)) {
        return std::wstring();
    }
    text.resize(std::min(static_cast<size_t>(copied), text.size() - 1));
    return text;
}

WindowInfo ReadWindow(HWND window) {
    WindowInfo info;
    info.handle = window;
    info.caption = WindowText(window);
    info.className = WindowClassName(window);
    info.visible = IsWindowVisible(window) != FALSE;
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        ControlInfo control;
        control.id = static_cast<int>(static_cast<unsigned short>(GetDlgCtrlID(child)));
        control.className = WindowClassName(child);
        control.text = WindowText(child);
        control.visible = IsWindowVisible(child) != FALSE;
        if (EqualsIgnoringCase(control.className, L"Static")) {
            info.statics.push_back(control);
        } else if (EqualsIgnoringCase(control.className, L"Button")) {
            info.buttons.push_back(control);
        } else if (EqualsIgnoringCase(control.className, L"Edit")) {
            info.edits.push_back(control);
        } else {
            info.others.push_back(control);
        }
    }
    return info;
}

std::wstring WindowInfo::MessageText() const {
    for (const ControlInfo& control : statics) {
        if (control.id == 0xFFFF && !control.text.empty()) return control.text;
    }
    return std::wstring();
}

std::vector<std::wstring> WindowInfo::StaticTexts() const {
    std::vector<std::wstring> texts;
    for (const ControlInfo& control : statics) {
        if (!control.text.empty()) texts.push_back(control.text);
    }
    return texts;
}

const ControlInfo* WindowInfo::FindButton(int id) const {
    for (const ControlInfo& control : buttons) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

bool IsVisibleDialog(HWND window) {
    return IsWindowVisible(window) && WindowClassName(window) == L"#32770";
}

bool PressButton(HWND dialog, int buttonId) {
    const HWND button = GetDlgItem(dialog, buttonId);
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button)) !=
           FALSE;
}

bool PressButtonByText(HWND dialog, const std::wstring& text) {
    const WindowInfo info = ReadWindow(dialog);
    for (const ControlInfo& button : info.buttons) {
        if (EqualsIgnoringCase(WithoutAccelerators(button.text), WithoutAccelerators(text))) {
            return PressButton(dialog, button.id);
        }
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Running to the end

RunResult RunAnswering(const StartOptions& options, DWORD timeoutMs, const BoxAnswer& answer) {
    RunResult result;
    Process process = Process::Start(options);
    result.started = process.started();
    result.startError = process.startError();
    if (!result.started) return result;

    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    std::vector<HWND> answered;  // boxes pressed but perhaps not yet gone
    for (;;) {
        if (WaitForSingleObject(process.handle(), 0) == WAIT_OBJECT_0) break;
        answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND w) { return !IsWindow(w); }),
                       answered.end());
        for (HWND window : process.TopLevelWindows()) {
            if (!IsVisibleDialog(window)) continue;
            if (std::find(answered.begin(), answered.end(), window) != answered.end()) continue;
            WindowInfo box = ReadWindow(window);
            PressButton(window, answer(box));
            answered.push_back(window);
            result.boxes.push_back(std::move(box));
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) break;
        WaitForSingleObject(process.handle(), static_cast<DWORD>(std::min<ULONGLONG>(kPollMs, deadline - now)));
    }
    const ExitResult exit = process.WaitForExit(0);
    result.exitCode = exit.exitCode;
    result.timedOut = exit.timedOut;
    return result;
}

RunResult RunAnswering(const StartOptions& options, DWORD timeoutMs, int buttonId) {
    return RunAnswering(options, timeoutMs, [buttonId](const WindowInfo&) { return buttonId; });
}

// ---------------------------------------------------------------------------------------------
// Files and folders

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool WriteFileUtf16(const std::wstring& path, const std::wstring& text, bool byteOrderMark) {
    std::string bytes;
    if (byteOrderMark) bytes = "\xFF\xFE";
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return WriteFileBytes(path, bytes);
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
    bytes.clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
        if (read == 0) return true;
        bytes.append(buffer, read);
    }
    return false;
}

bool PathExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool MakeFolders(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos && separator > 0) {
        const std::wstring parent = path.substr(0, separator);
        if (!(parent.size() == 2 && parent[1] == L':') && !MakeFolders(parent)) return false;
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

bool DeleteTree(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != FALSE;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle find(FindFirstFileW(JoinPath(path, L"*").c_str(), &found));
        if (find) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..") DeleteTree(JoinPath(path, name));
            } while (FindNextFileW(find.get(), &found));
        }
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    const wchar_t last = folder.back();
    return last == L'\\' || last == L'/' ? folder + name : folder + L'\\' + name;
}

std::wstring ExecutableFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

std::wstring WinePath(std::wstring path) {
    if (path.empty() || path[0] != L'/') return path;
    for (auto& c : path) {
        if (c == L'/') c = L'\\';
    }
    return L"Z:" + path;
}

std::wstring WinePathFromEnvironment(const wchar_t* name) { return WinePath(EnvironmentValue(name)); }

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

std::wstring WideFromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], length);
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// ---------------------------------------------------------------------------------------------
// TempFolder

TempFolder::TempFolder(const std::wstring& testName) {
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return;
    static unsigned sequence = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring candidate =
            JoinPath(temp, L"marlwick-" + testName + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(++sequence));
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

TempFolder::~TempFolder() {
    if (!path_.empty() && !keep_) DeleteTree(path_);
}

TempFolder::TempFolder(TempFolder&& other) noexcept : path_(std::move(other.path_)), keep_(other.keep_) {
    other.path_.clear();
}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
    if (this != &other) {
        if (!path_.empty() && !keep_) DeleteTree(path_);
        path_ = std::move(other.path_);
        keep_ = other.keep_;
        other.path_.clear();
    }
    return *this;
}

}  // namespace testsupport
