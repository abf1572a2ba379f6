// A launcher copy set up to start one of the Java test applications (java/) on the real JRE, and
// the helpers to start it several times at once, answer its boxes and read what the application
// recorded.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/system/LauncherFixture.h"

namespace instancetest {

using testsupport::LauncherFixture;

// The Java test applications (java/com/example/instance).
extern const wchar_t kIntApp[];    // secondaryMain returns an int
extern const wchar_t kVoidApp[];   // secondaryMain returns nothing
extern const wchar_t kPlainApp[];  // no secondaryMain

const DWORD kFailed = 0xFFFFFFFF;
// What Run reports for a start that had to be terminated.
const DWORD kTimedOut = 0xBAD7111E;
// Time for a JVM to come up under Wine while other tests run beside it.
const DWORD kStartMs = 90000;

// A Linux path from the environment in Wine's Z: form; empty when the variable is unset.
// The folder with this test's build products: the jar, the helper programs, the fake JREs.
std::wstring FilesFolder();
// The real Windows JRE home (Z:\...).
std::wstring JreHome();
// The name of the first block of an executable's single-instance objects.
std::wstring InstanceName(const std::wstring& exePath);

// UTF-8 text of a file; empty when it cannot be read.
std::string ReadText(const std::wstring& path);
// How the applications write an argument list: "2 [a] [b]", non-ASCII as \uXXXX.
std::string Describe(const std::vector<std::wstring>& arguments);
// Names of the files in a folder that match a pattern ("main-*.txt").
std::vector<std::wstring> FilesMatching(const std::wstring& folder, const std::wstring& pattern);
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

struct LaunchPlan {
    std::vector<std::wstring> arguments;
    std::wstring workingDirectory;  // empty: the launcher's folder
    bool suspended = false;         // the main thread waits for Resume
    std::wstring standardError;     // a file that takes the process's standard output and error
    std::vector<std::wstring> environment;  // "NAME=value" on top of the test's environment
};

// A started launcher. Move-only; a process still running when the object goes is terminated.
class Launched {
public:
    Launched() = default;
    Launched(Launched&&) = default;
    Launched& operator=(Launched&&) = default;
    ~Launched();

    bool started() const { return static_cast<bool>(process_); }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    bool running() const;
    DWORD threadId() const;  // of its main thread
    void Resume();
    // Waits for the end, answering every box with OK (recorded in boxes); terminates the
    // process after timeoutMs (timedOut then).
    testsupport::ExitResult Finish(DWORD timeoutMs);
    void Terminate(UINT code);

    std::vector<testsupport::WindowInfo> boxes;
    DWORD startError = 0;  // why the process could not be created

private:
    friend Launched StartLauncher(const std::wstring& exe, const std::wstring& commandLine, const LaunchPlan& plan,
                                  const std::wstring& defaultFolder);
    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

Launched StartLauncher(const std::wstring& exe, const std::wstring& commandLine, const LaunchPlan& plan,
                       const std::wstring& defaultFolder);

class AppFixture {
public:
    // A launcher copy in a fresh folder whose INI starts `mainClass` with the real JRE, the
    // application recording into the same folder. `applicationLines` go to the [Application]
    // section as they are ("Single Instance=yes\r\n").
    AppFixture(const std::wstring& testName, const std::wstring& mainClass, const std::wstring& applicationLines,
               const std::wstring& subFolder = L"");

    bool ok() const { return ok_; }
    const LauncherFixture& launcher() const { return launcher_; }
    const std::wstring& folder() const { return launcher_.folder(); }
    const std::wstring& exe() const { return launcher_.exe(); }
    std::wstring path(const std::wstring& name) const { return launcher_.path(name); }
    std::wstring CommandLine(const std::vector<std::wstring>& arguments) const;
    bool WriteIni(const std::wstring& mainClass, const std::wstring& applicationLines) const;

    // Starts the launcher without waiting.
    Launched Start(const LaunchPlan& plan) const;
    Launched Start(const std::vector<std::wstring>& arguments) const {
        LaunchPlan plan;
        plan.arguments = arguments;
        return Start(plan);
    }
    // Starts and waits for the end (answering boxes); the exit code, or kTimedOut.
    DWORD Run(const std::vector<std::wstring>& arguments, DWORD timeoutMs = kStartMs) const;

    // Files main-<pid>.txt: one per start whose main method ran.
    std::vector<std::string> MainRecords() const;
    bool WaitForMainRecords(size_t count, DWORD timeoutMs = kStartMs) const;
    // Lines of secondary.txt: one per call of secondaryMain.
    std::vector<std::string> SecondaryLines() const;
    bool WaitForSecondaryLines(size_t count, DWORD timeoutMs = 30000) const;
    // Tells every application started with "stay" to end the process with `code`.
    bool Stop(int code) const;

private:
    LauncherFixture launcher_;
    bool ok_ = false;
};

// Waits until a first instance of `exe` has published its listener in the shared block.
bool WaitForListener(const std::wstring& exe, DWORD timeoutMs = 30000);
// A first instance started with "stay" and a tag; checks that its main method ran.
Launched StartFirst(const AppFixture& app, const std::wstring& tag = L"first");
// Tells it to end with `code` and checks that it did.
void StopFirst(const AppFixture& app, Launched& first, DWORD code = 0);

}  // namespace instancetest
