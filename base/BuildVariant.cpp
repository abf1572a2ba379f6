// Compiled once per executable: the windowed build takes the copy in the Win32 library, the console
// build links its own copy, compiled with MARLWICK_CONSOLE_BUILD=1, ahead of that library.
#include "base/BuildVariant.h"

#ifndef MARLWICK_CONSOLE_BUILD
#define MARLWICK_CONSOLE_BUILD 0
#endif

bool IsConsoleBuild() { return MARLWICK_CONSOLE_BUILD != 0; }
