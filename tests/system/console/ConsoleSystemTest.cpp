// The console build of the launcher under Wine, run as a shell runs a command-line tool: its
// messages on standard error with no window, its streams and exit codes against java.exe of the
// same runtime, and a single-instance hand-over between two console starts.
#include <windows.h>

#include <iterator>
#include <string>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"
#include "tests/system/console/ConsoleRun.h"

using namespace consoletest;
using namespace testsupport;

namespace {

// "Marlwick 64 Console.exe" beside "Marlwick 64.exe" (and "Marlwick Console.exe" beside "Marlwick.exe").
std::wstring ConsoleLauncherName() { return LauncherIsX86() ? L"Marlwick Console.exe" : L"Marlwick 64 Console.exe"; }

// A copy of the console launcher in a fresh folder (LauncherFixture copies $MARLWICK_LAUNCHER).
class ConsoleFixture {
public:
    explicit ConsoleFixture(const std::wstring& testName) : temp_(testName) {
        const std::wstring built = BuiltLauncherPath();
        const std::wstring source = built.substr(0, built.rfind(L'\\') + 1) + ConsoleLauncherName();
        exe_ = temp_ / ConsoleLauncherName();
        copied_ = temp_.ok() && CopyFileTo(source, exe_);
    }
    bool ok() const { return copied_; }
    const std::wstring& exe() const { return exe_; }
    std::wstring iniPath() const { return exe_.substr(0, exe_.rfind(L'.') + 1) + L"ini"; }
    std::wstring path(const std::wstring& name) const { return temp_ / name; }
    const std::wstring& folder() const { return temp_.path(); }
    bool WriteIni(const std::wstring& text) const { return WriteFileUtf16(iniPath(), text); }

    ConsoleRunResult Run(const std::vector<std::wstring>& arguments, const std::string& input = "",
                         const std::wstring& outputFile = L"", const std::wstring& errorFile = L"",
                         bool outputReaderGone = false) const {
        std::vector<std::wstring> line = {exe_};
        line.insert(line.end(), arguments.begin(), arguments.end());
        ConsoleRunOptions options;
        options.executable = exe_;
        options.commandLine = QuoteCommandLine(line);
        options.workingDirectory = temp_.path();
        options.input = input;
        options.outputFile = outputFile;
        options.errorFile = errorFile;
        options.outputReaderGone = outputReaderGone;
        return RunConsole(options);
    }

private:
    TempFolder temp_;
    std::wstring exe_;
    bool copied_ = false;
};

bool ExpectSpanish() { return EnvironmentValue(L"MARLWICK_EXPECT_LANGUAGE") == L"es"; }

// The bytes of a message line as the launcher writes it to a pipe: the ANSI code page, CR LF.
std::string AnsiLine(const std::wstring& text) {
    const std::wstring line = text + L"\r\n";
    const int size = WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) WideCharToMultiByte(CP_ACP, 0, line.data(), static_cast<int>(line.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

const DWORD kCannotStart = 0xFFFFFFFF;

// Every failure that the windowed build shows in a box: one line on standard error, in the
// system's language, the exit code -1, and no window at any moment; dropped when the tool is
// started detached. A runtime of the other architecture goes to the pair product as in the
// windowed build (here the launcher itself, which it refuses).
TEST_CASE(FailuresAreOneLineOnStandardErrorWithoutAWindow) {
    const bool es = ExpectSpanish();
    struct Row {
        const wchar_t* name;
        std::wstring ini;
        std::wstring english;
        std::wstring spanish;
    };
    const Row rows[] = {
        {L"no main class", L"[Application]\r\n", L"Main class was not specified in INI file.",
         L"La clase principal no fue especificada en el archivo INI."},
        {L"no JRE",
         L"[Java Runtime Environment]\r\nMain Class=a.B\r\nMinimum Version=99\r\nJRE Path=C:\\no-such-jre\r\n",
         L"The Java Runtime Environment (JRE) was not found: this program needs a JRE (minimum version 99.0). Install "
         L"one, or set its folder as \"JRE Path\" in the [Java Runtime Environment] section of %INI%",
         L"No se encontr\x00f3 el Java Runtime Environment (JRE): este programa necesita un JRE (versi\x00f3n m\x00ednima 99.0). "
         L"Instale uno, o indique su carpeta como \"JRE Path\" en la secci\x00f3n [Java Runtime Environment] de %INI%"},
    };
    // The JVM double of this build's architecture and of the other one (the pair product's).
    const std::wstring ownJvm = WinePathFromEnvironment(L"MARLWICK_FAKE_JVM_ROOT");
    const std::wstring otherJvm = WinePathFromEnvironment(L"MARLWICK_PAIR_FAKE_JVM_ROOT");
    const Row pairRows[] = {
        {L"no JNI_CreateJavaVM",
         L"[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=" + ownJvm + L"\\nocreate\r\n",
         L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).",
         L"Excepci\x00f3n de Windows: no se puede encontrar CreateJavaVM JNI (n\x00famero del error = 127)."},
        // A runtime of the other architecture goes to the pair product, here the launcher itself.
        {L"pair product loop",
         L"[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=" + otherJvm +
             L"\\full\r\n[Application]\r\nPair Product=%EXE%\r\n",
         L"The program for the other processor type would start this program again: %EXE% The start was stopped.",
         L"El programa para el otro tipo de procesador volver\x00ed" L"a a iniciar este programa: %EXE% Se detuvo el "
         L"inicio."},
    };
    std::vector<Row> all(std::begin(rows), std::end(rows));
    all.insert(all.end(), std::begin(pairRows), std::end(pairRows));
    for (Row row : all) {
        ConsoleFixture fixture(L"console-failure");
        for (std::wstring* text : {&row.ini, &row.english, &row.spanish}) {
            const size_t at = text->find(L"%EXE%");
            if (at != std::wstring::npos) text->replace(at, 5, fixture.exe());
        }
        CHECK_EQ_AT(row.name, fixture.ok() && fixture.WriteIni(row.ini), true);
        std::wstring expected = es ? row.spanish : row.english;
        const size_t ini = expected.find(L"%INI%");
        if (ini != std::wstring::npos) expected.replace(ini, 5, fixture.iniPath());
        const ConsoleRunResult run = fixture.Run({L"arg"});
        CHECK_EQ_AT(row.name, run.started && !run.timedOut, true);
        CHECK_EQ_AT(row.name, run.exitCode, kCannotStart);
        CHECK_EQ_AT(row.name, run.output, std::string());
        CHECK_EQ_AT(row.name, run.error, AnsiLine(expected));
        CHECK_EQ_AT(row.name, run.windowSeen, std::wstring());
        // Started detached, with no standard error to write to: the line is dropped, nothing else changes.
        ConsoleRunOptions detached;
        detached.executable = fixture.exe();
        detached.commandLine = QuoteCommandLine({fixture.exe(), L"arg"});
        detached.detached = true;
        const ConsoleRunResult quiet = RunConsole(detached);
        CHECK_EQ_AT(row.name, quiet.started && !quiet.timedOut, true);
        CHECK_EQ_AT(row.name, quiet.exitCode, kCannotStart);
        CHECK_EQ_AT(row.name, quiet.windowSeen, std::wstring());
    }
}

// --- With the real Java 17 runtime -----------------------------------------------------------

std::wstring Jre() { return WinePathFromEnvironment(L"MARLWICK_JRE"); }
std::wstring ProbeJar() { return WinePathFromEnvironment(L"MARLWICK_PROBE_JAR"); }

// The INI of probe.Console, with probe.jar copied beside the launcher.
bool WriteJavaIni(const ConsoleFixture& fixture, const std::wstring& extra, const std::wstring& vmParameters = L"") {
    return CopyFileTo(ProbeJar(), fixture.path(L"probe.jar")) &&
           fixture.WriteIni(L"[Java Runtime Environment]\r\nMain Class=probe.Console\r\nVirtual Machine Parameters=" +
                            vmParameters + L"\r\nJRE Path=" + Jre() +
                            L"\r\n[Class Path]\r\nClass Path=\\probe.jar\r\n[Application]\r\n" + extra);
}

// java.exe of the same runtime with the same arguments, streams and working folder.
ConsoleRunResult RunJavaExe(const std::wstring& folder, const std::vector<std::wstring>& arguments,
                            const std::string& input, const std::wstring& outputFile = L"",
                            const std::wstring& errorFile = L"", bool outputReaderGone = false) {
    const std::wstring java = Jre() + L"\\bin\\java.exe";
    std::vector<std::wstring> line = {java, L"-cp", JoinPath(folder, L"probe.jar"), L"probe.Console"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    ConsoleRunOptions options;
    options.executable = java;
    options.commandLine = QuoteCommandLine(line);
    options.workingDirectory = folder;
    options.input = input;
    options.outputFile = outputFile;
    options.errorFile = errorFile;
    options.outputReaderGone = outputReaderGone;
    return RunConsole(options);
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}

// Arguments, standard output and error, standard input, files for both and the exit code: byte for
// byte what java.exe gives, and never a window.
TEST_CASE(StreamsAndExitCodesMatchJavaExe) {
    struct Row {
        const wchar_t* name;
        std::vector<std::wstring> arguments;
        std::string input;
        std::wstring iniExtra;
        bool toFiles;
        DWORD exitCode;
        bool outputReaderGone = false;
    };
    const Row rows[] = {
        {L"pipes", {L"echo", L"\x00f1" L"and\x00fa", L"\x65e5\x672c", L"a b", L""}, "line 1\r\n\xC3\xB1\n", L"", false, 0},
        {L"files", {L"echo", L"\x00f1" L"and\x00fa", L"plain"}, "in", L"", true, 0},
        {L"output reader gone", {L"echo", L"a", L"b"}, "in", L"", false, 0, true},
        {L"System.exit", {L"exit", L"3"}, "", L"", false, 3},
        {L"System.exit(-1)", {L"exit", L"-1"}, "", L"", false, kCannotStart},
        {L"uncaught exception", {L"throw"}, "", L"", false, 1},
        {L"uncaught exception, Failure Check", {L"throw"}, "", L"Failure Check=true\r\n", false, 1},
    };
    for (const Row& row : rows) {
        ConsoleFixture fixture(L"console-streams");
        CHECK_EQ_AT(row.name, fixture.ok() && WriteJavaIni(fixture, row.iniExtra), true);
        const std::wstring folder = fixture.folder();
        ConsoleRunResult java, ours;
        if (row.toFiles) {
            java = RunJavaExe(folder, row.arguments, row.input, fixture.path(L"java.out"), fixture.path(L"java.err"));
            ours = fixture.Run(row.arguments, row.input, fixture.path(L"ours.out"), fixture.path(L"ours.err"));
            java.output = FileBytes(fixture.path(L"java.out"));
            java.error = FileBytes(fixture.path(L"java.err"));
            ours.output = FileBytes(fixture.path(L"ours.out"));
            ours.error = FileBytes(fixture.path(L"ours.err"));
        } else {
            java = RunJavaExe(folder, row.arguments, row.input, L"", L"", row.outputReaderGone);
            ours = fixture.Run(row.arguments, row.input, L"", L"", row.outputReaderGone);
        }
        CHECK_EQ_AT(row.name, java.exitCode, row.exitCode);
        CHECK_EQ_AT(row.name, ours.started && !ours.timedOut, true);
        CHECK_EQ_AT(row.name, ours.exitCode, java.exitCode);
        CHECK_EQ_AT(row.name, ours.output, java.output);
        CHECK_EQ_AT(row.name, ours.error, java.error);
        if (row.arguments[0] == L"echo") CHECK_EQ_AT(row.name, ours.output.empty(), row.outputReaderGone);
        CHECK_EQ_AT(row.name, ours.windowSeen, std::wstring());
    }
}

// "Output File" still takes System.out from the caller's stream into its file.
TEST_CASE(OutputFileStillRedirects) {
    ConsoleFixture fixture(L"console-output-file");
    CHECK(fixture.ok() && WriteJavaIni(fixture, L"Output File=" + fixture.path(L"app.out") + L"\r\n"));
    const ConsoleRunResult java = RunJavaExe(fixture.folder(), {L"echo", L"x"}, "");
    const ConsoleRunResult ours = fixture.Run({L"echo", L"x"});
    CHECK_EQ(ours.exitCode, static_cast<DWORD>(0));
    CHECK_EQ(ours.output, std::string());
    CHECK_EQ(ours.error, java.error);
    CHECK_EQ(FileBytes(fixture.path(L"app.out")), java.output);
}

// Ctrl+C in the console of a running tool: the runtime's own console handler runs the shutdown
// hooks and ends the process with java.exe's code (130); with -Xrs the runtime installs none and
// the system ends the process at once, hooks unrun, again as with java.exe. The test takes a
// console of its own and ignores the event itself.
TEST_CASE(CtrlCEndsTheToolAsJavaExeDoes) {
    FreeConsole();
    CHECK(AllocConsole());
    struct Row {
        const wchar_t* name;
        std::wstring vmParameters;
    };
    const Row rows[] = {{L"shutdown hook", L""}, {L"-Xrs", L"-Xrs"}};
    for (const Row& row : rows) {
        ConsoleFixture fixture(L"console-ctrl-c");
        CHECK_EQ_AT(row.name, fixture.ok() && WriteJavaIni(fixture, L"", row.vmParameters), true);
        std::vector<std::wstring> javaLine = {Jre() + L"\\bin\\java.exe"};
        if (!row.vmParameters.empty()) javaLine.push_back(row.vmParameters);
        for (const std::wstring& part : {std::wstring(L"-cp"), fixture.path(L"probe.jar"), std::wstring(L"probe.Console")}) {
            javaLine.push_back(part);
        }
        struct Outcome {
            DWORD exitCode = 0;
            bool hookRan = false;
        };
        auto interrupt = [&](const std::wstring& executable, std::vector<std::wstring> line, const std::wstring& hook) {
            line.push_back(L"hook");
            line.push_back(hook);
            StartOptions options;
            options.executable = executable;
            options.commandLine = QuoteCommandLine(line);
            options.workingDirectory = fixture.folder();
            SetConsoleCtrlHandler(nullptr, FALSE);  // the tool inherits Ctrl+C enabled
            Process process = Process::Start(options);
            Outcome outcome;
            for (int i = 0; i < 1200 && process.running() && !PathExists(hook + L".started"); ++i) Sleep(50);
            Sleep(500);  // the hook is added before the marker is written, the handler long before
            SetConsoleCtrlHandler(nullptr, TRUE);
            CHECK_EQ_AT(row.name, GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != FALSE, true);
            const ExitResult result = process.WaitForExit(30000);
            CHECK_EQ_AT(row.name, result.timedOut, false);
            outcome.exitCode = result.exitCode;
            outcome.hookRan = PathExists(hook);
            return outcome;
        };
        const Outcome java = interrupt(javaLine[0], javaLine, fixture.path(L"java-hook"));
        const Outcome ours = interrupt(fixture.exe(), {fixture.exe()}, fixture.path(L"our-hook"));
        if (row.vmParameters.empty()) {
            CHECK_EQ_AT(row.name, java.exitCode, static_cast<DWORD>(130));
            CHECK_EQ_AT(row.name, java.hookRan, true);
        }
        CHECK_EQ_AT(row.name, ours.exitCode, java.exitCode);
        CHECK_EQ_AT(row.name, ours.hookRan, java.hookRan);
    }
    SetConsoleCtrlHandler(nullptr, FALSE);
}

// What a console shows, read from its screen buffer by attaching to the console of `processId`:
// the lines down to the cursor's, without their trailing blanks. Empty when it cannot be read.
std::wstring ConsoleScreen(DWORD processId) {
    std::wstring text;
    FreeConsole();
    if (!AttachConsole(processId)) return text;
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    if (out != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(out, &info)) {
        for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
            std::wstring line(static_cast<size_t>(info.dwSize.X), L' ');
            DWORD read = 0;
            if (!ReadConsoleOutputCharacterW(out, &line[0], static_cast<DWORD>(line.size()), COORD{0, y}, &read)) break;
            line.resize(read);
            line.erase(line.find_last_not_of(L' ') + 1);
            text += line + L"\n";
        }
    }
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    FreeConsole();
    return text;
}

size_t ShownLines(const std::wstring& screen) {
    size_t lines = 0;
    for (size_t at = 0; at < screen.size();) {
        const size_t end = screen.find(L'\n', at);
        if (end > at) ++lines;
        at = end == std::wstring::npos ? screen.size() : end + 1;
    }
    return lines;
}

// Closes the console window of `processId`, as its user does with the window's close button.
bool CloseConsoleOf(DWORD processId) {
    FreeConsole();
    if (!AttachConsole(processId)) return false;
    const HWND window = GetConsoleWindow();
    FreeConsole();  // the test itself stays out of what follows
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0);
}

// A tool started in a console of its own (as from a shortcut, or `start`): non-ASCII arguments
// printed to a real console, not a pipe, read back from the console's screen, then the console
// closed by its user, with a shutdown hook waiting. Screen, exit code and hook as with java.exe.
// (Wine 8 sends no Ctrl+Break, for any process group: its server passes on Ctrl+C only.)
TEST_CASE(InAConsoleOfItsOwnAsJavaExe) {
    ConsoleFixture fixture(L"console-own");
    CHECK(fixture.ok() && WriteJavaIni(fixture, L""));
    struct Row {
        const wchar_t* name;
        std::vector<std::wstring> arguments;
        size_t linesWhenReady;  // on the screen once the tool waits
    };
    const Row rows[] = {
        {L"non-ASCII text", {L"echo", L"\x00f1and\x00fa", L"\x65e5\x672c"}, 4},
        {L"shutdown hook", {L"hook", fixture.path(L"hook")}, 1},
    };
    for (const Row& row : rows) {
        struct Outcome {
            std::wstring screen;
            DWORD exitCode = 0;
            bool hookRan = false;
        };
        auto run = [&](std::vector<std::wstring> line) {
            line.insert(line.end(), row.arguments.begin(), row.arguments.end());
            DeleteFileW(fixture.path(L"hook").c_str());
            StartOptions options;
            options.executable = line[0];
            options.commandLine = QuoteCommandLine(line);
            options.workingDirectory = fixture.folder();
            options.creationFlags = CREATE_NEW_CONSOLE;
            Process process = Process::Start(options);
            Outcome outcome;
            for (int i = 0; i < 600 && process.running(); ++i) {
                outcome.screen = ConsoleScreen(process.id());
                if (ShownLines(outcome.screen) >= row.linesWhenReady) break;
                Sleep(50);
            }
            Sleep(500);  // the hook is added before the marker is written, the handler long before
            // Read again: the last line's text may have been on the screen before its line end.
            if (process.running()) outcome.screen = ConsoleScreen(process.id());
            CHECK_EQ_AT(row.name, CloseConsoleOf(process.id()), true);
            const ExitResult result = process.WaitForExit(30000);
            CHECK_EQ_AT(row.name, result.timedOut, false);
            outcome.exitCode = result.exitCode;
            outcome.hookRan = PathExists(fixture.path(L"hook"));
            return outcome;
        };
        const Outcome java = run({Jre() + L"\\bin\\java.exe", L"-cp", fixture.path(L"probe.jar"), L"probe.Console"});
        const Outcome ours = run({fixture.exe()});
        CHECK_EQ_AT(row.name, ShownLines(java.screen), row.linesWhenReady);
        CHECK_EQ_AT(row.name, ours.screen, java.screen);
        CHECK_EQ_AT(row.name, ours.exitCode, java.exitCode);
        CHECK_EQ_AT(row.name, ours.hookRan, java.hookRan);
    }
}

// A later console start hands its arguments to the first and ends with its answer (40 + the number
// of arguments), printing nothing of its own.
TEST_CASE(LaterConsoleStartHandsOverAndPrintsNothing) {
    ConsoleFixture fixture(L"console-instance");
    CHECK(fixture.ok() && WriteJavaIni(fixture, L"Single Instance=yes\r\n"));
    const std::wstring hookFile = fixture.path(L"hook.txt");
    StartOptions first;
    first.executable = fixture.exe();
    first.commandLine = QuoteCommandLine({fixture.exe(), L"hook", hookFile});
    first.workingDirectory = fixture.folder();
    Process firstProcess = Process::Start(first);
    CHECK(firstProcess.started());
    for (int i = 0; i < 1200 && !PathExists(hookFile + L".started"); ++i) Sleep(50);
    CHECK(PathExists(hookFile + L".started"));
    const ConsoleRunResult later = fixture.Run({L"a", L"b"});
    CHECK_EQ(later.started && !later.timedOut, true);
    CHECK_EQ(later.exitCode, static_cast<DWORD>(42));
    CHECK_EQ(later.output, std::string());
    CHECK_EQ(later.error, std::string());
    CHECK_EQ(later.windowSeen, std::wstring());
    firstProcess.Terminate();
}

}  // namespace

// An allocation that the C++ library cannot make, in programs built as the launchers are. The x86
// builds have no exceptions: wherever it happens, the process ends there with -1 after one
// message (a line on standard error, a box in the windowed build), never going on past it. x64
// keeps exceptions, and a thread routine's guard catches one.
TEST_CASE(FailureThatWouldThrowEndsTheProcess) {
    const std::wstring message = L"The program must stop: it ran out of memory or met an internal error.";
    const bool x86 = LauncherIsX86();
    struct Row {
        const wchar_t* where;
        bool windowed;
        DWORD exitCode;
        std::string output;  // the console build's standard output
        bool message;        // on standard error, or in a box
    };
    const Row rows[] = {
        {L"main", false, kCannotStart, "", true},
        {L"thread", false, x86 ? kCannotStart : 0, x86 ? "" : "thread ended with 1\r\nwent on\r\n", x86},
        {L"main", true, kCannotStart, "", true},
        {L"thread", true, x86 ? kCannotStart : 0, "", x86},
    };
    for (const Row& row : rows) {
        const std::wstring name = std::wstring(row.where) + (row.windowed ? L", windowed" : L", console");
        const std::wstring probe =
            WinePathFromEnvironment(row.windowed ? L"MARLWICK_WINDOWED_FAILURE_PROBE" : L"MARLWICK_FAILURE_PROBE");
        if (row.windowed) {
            StartOptions options;
            options.executable = probe;
            options.commandLine = QuoteCommandLine({probe, row.where});
            const RunResult run = RunAnswering(options, 60000);
            CHECK_EQ_AT(name, run.started && !run.timedOut, true);
            CHECK_EQ_AT(name, run.exitCode, row.exitCode);
            CHECK_EQ_AT(name, run.boxes.size(), size_t(row.message ? 1 : 0));
            if (row.message && run.boxes.size() == 1) CHECK_EQ_AT(name, run.boxes[0].MessageText(), message);
            continue;
        }
        ConsoleRunOptions options;
        options.executable = probe;
        options.commandLine = QuoteCommandLine({probe, row.where});
        options.timeoutMs = 60000;
        const ConsoleRunResult run = RunConsole(options);
        CHECK_EQ_AT(name, run.started && !run.timedOut, true);
        CHECK_EQ_AT(name, run.exitCode, row.exitCode);
        CHECK_EQ_AT(name, run.output, row.output);
        CHECK_EQ_AT(name, run.error, row.message ? AnsiLine(message) : std::string());
        CHECK_EQ_AT(name, run.windowSeen, std::wstring());
    }
}
