// The launch trace's file: MARLWICK_TRACE names it; lines are appended in UTF-8, each with the
// milliseconds since the process started.
#pragma once

#include <string>

// Opens the file named by MARLWICK_TRACE for appending and installs it as the trace sink. Without
// the variable, or when the file cannot be opened, nothing is installed and nothing else changes.
// Call once, first thing at start.
void StartTraceFromEnvironment();

// The line as written to the file, after the time stamp: UTF-8, ending with CR LF.
std::string TraceFileLine(double milliseconds, const std::wstring& line);
