// The console build's messages: one line each on the process's standard error.
#pragma once

#include <string>

// Writes `text` as one line (see AsOneLine) to standard error: to a console as UTF-16, to a file
// or pipe in the ANSI code page, as the runtime's own messages go there. Dropped silently when
// standard error is missing, closed or its reader has gone.
void WriteStandardErrorLine(const std::wstring& text);
