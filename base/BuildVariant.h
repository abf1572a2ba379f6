// Which of the two builds this executable is: the windowed program or the console program. The
// console build writes its messages to standard error instead of showing boxes and dialogs, leaves
// an uncaught exception to the runtime and ends with java.exe's exit codes; everything else is
// shared. The few places that differ ask IsConsoleBuild.
#pragma once

// True in the console build. Defined by base/BuildVariant.cpp, which each executable compiles
// with its own MARLWICK_CONSOLE_BUILD.
bool IsConsoleBuild();
