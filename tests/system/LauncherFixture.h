// A copy of the launcher in a fresh folder, with its INI file, ready to be run by a test.
#pragma once

#include <string>
#include <vector>

#include "tests/support/ProcessDriver.h"

namespace testsupport {

// The launcher that the build made: $MARLWICK_LAUNCHER, a Linux path, seen through Wine's Z: drive.
inline std::wstring BuiltLauncherPath() { return WinePathFromEnvironment(L"MARLWICK_LAUNCHER"); }

// The launcher under test is the 32-bit build ($MARLWICK_LAUNCHER_ARCH=x86; a test registered for
// both builds runs once with each, see marlwick_add_wine_test_per_arch).
inline bool LauncherIsX86() {
    wchar_t value[8] = {};
    const DWORD length = GetEnvironmentVariableW(L"MARLWICK_LAUNCHER_ARCH", value, 8);
    return length == 3 && std::wstring(value) == L"x86";
}
// How each build ships: "Marlwick 64.exe" and its jre64\ folder, "Marlwick.exe" and jre\.
inline std::wstring LauncherFileName() { return LauncherIsX86() ? L"Marlwick.exe" : L"Marlwick 64.exe"; }
inline std::wstring LocalJreName() { return LauncherIsX86() ? L"jre" : L"jre64"; }
inline std::wstring LauncherIniName() { return LauncherIsX86() ? L"Marlwick.ini" : L"Marlwick 64.ini"; }

// UTF-16 to the bytes of an ANSI (ASCII-only in practice) INI file.
inline std::string AsciiBytes(const std::wstring& text) {
    std::string bytes;
    for (wchar_t c : text) bytes += static_cast<char>(c);
    return bytes;
}

// Past MAX_PATH, files are reached through the "\\?\" form, which Wine handles where the plain
// form of some calls (CopyFileW among them) fails.
inline std::wstring LongForm(const std::wstring& path) {
    return path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0 ? path : L"\\\\?\\" + path;
}

inline bool CopyThroughMemory(const std::wstring& from, const std::wstring& to) {
    std::string bytes;
    return ReadFileBytes(LongForm(from), bytes) && WriteFileBytes(LongForm(to), bytes);
}

class LauncherFixture {
public:
    // `folder` and `exeName` may hold several path components (for deep or odd paths).
    explicit LauncherFixture(const std::wstring& testName, const std::wstring& exeName = LauncherFileName(),
                             const std::wstring& subFolder = L"")
        : temp_(testName) {
        folder_ = subFolder.empty() ? temp_.path() : JoinPath(temp_.path(), subFolder);
        MakeFolders(LongForm(folder_));
        exe_ = JoinPath(folder_, exeName);
        copied_ = CopyThroughMemory(BuiltLauncherPath(), exe_);
    }

    bool ok() const { return temp_.ok() && copied_; }
    const std::wstring& folder() const { return folder_; }
    const std::wstring& exe() const { return exe_; }
    std::wstring path(const std::wstring& name) const { return JoinPath(folder_, name); }

    // The INI beside the executable: its name with the text after the last "." replaced by "ini".
    std::wstring iniPath() const { return exe_.substr(0, exe_.rfind(L'.') + 1) + L"ini"; }
    // ASCII text as an ANSI file; any other text as UTF-16 with its byte-order mark, which the
    // profile functions read whole.
    bool WriteIni(const std::wstring& text) const {
        for (wchar_t c : text) {
            if (c > 0x7F) return WriteFileUtf16(LongForm(iniPath()), text);
        }
        return WriteFileBytes(LongForm(iniPath()), AsciiBytes(text));
    }

    // Runs the launcher with `arguments` after its path, answering every box with OK.
    RunResult Run(const std::vector<std::wstring>& arguments = {}, DWORD timeoutMs = 60000,
                  const std::vector<std::wstring>& environment = {}) const {
        std::vector<std::wstring> line = {exe_};
        line.insert(line.end(), arguments.begin(), arguments.end());
        return RunLine(QuoteCommandLine(line), timeoutMs, environment);
    }

    RunResult RunLine(const std::wstring& commandLine, DWORD timeoutMs = 60000,
                      const std::vector<std::wstring>& environment = {}) const {
        StartOptions options;
        options.executable = LongForm(exe_);
        options.commandLine = commandLine;
        // Wine cannot start a process in a working directory past MAX_PATH.
        options.workingDirectory = folder_.size() < MAX_PATH ? folder_ : temp_.path();
        if (!environment.empty()) {
            options.environment = EnvironmentMode::InheritWithOverrides;
            options.variables = environment;
        }
        return RunAnswering(options, timeoutMs, AnswerOkButCancelJreNotFound);
    }

    // Every box is answered with OK, except the JRE Not Found dialog (it has a Browse button), whose
    // OK stays disabled until a JRE is chosen: it is cancelled.
    static int AnswerOkButCancelJreNotFound(const WindowInfo& box) {
        const int browseButton = 202;
        return box.FindButton(browseButton) != nullptr ? IDCANCEL : IDOK;
    }

    void Keep() { temp_.Keep(); }

private:
    TempFolder temp_;
    std::wstring folder_;
    std::wstring exe_;
    bool copied_ = false;
};

// The message texts of every box a run showed, in order.
inline std::vector<std::wstring> BoxTexts(const RunResult& result) {
    std::vector<std::wstring> texts;
    for (const WindowInfo& box : result.boxes) texts.push_back(box.MessageText());
    return texts;
}

}  // namespace testsupport
