// Runs a console program as a shell does: its standard input, output and error are pipes (or
// files) of the test, its exit code is read with GetExitCodeProcess, and every top-level window
// that the process shows while it runs is noted.
#pragma once

#include <windows.h>

#include <string>

namespace consoletest {

struct ConsoleRunOptions {
    std::wstring executable;
    std::wstring commandLine;  // program name included
    std::wstring workingDirectory;
    std::string input;         // written to the program's standard input, which is then closed
    // Set: standard output and error go to these files (`> out 2> err`) instead of pipes.
    std::wstring outputFile;
    std::wstring errorFile;
    // Started without a console and without standard handles (DETACHED_PROCESS).
    bool detached = false;
    // The reading end of the output pipe is closed as soon as the program runs: every write to
    // standard output meets a pipe whose reader has gone.
    bool outputReaderGone = false;
    DWORD timeoutMs = 90000;
};

struct ConsoleRunResult {
    bool started = false;
    bool timedOut = false;
    DWORD exitCode = 0;
    std::string output;  // what the program wrote to the pipes (empty when files were given)
    std::string error;
    std::wstring windowSeen;  // the class name of the first visible top-level window of the process
};

ConsoleRunResult RunConsole(const ConsoleRunOptions& options);

}  // namespace consoletest
