// The handler that std::terminate calls, for the MinGW builds. The x86 build has no exceptions: a
// failure that would have thrown (the C++ library out of memory) comes here at once, from any
// thread, with the start in no known state. The process ends there with the launcher's failure
// code, -1, after one message: a box in the windowed build, a line on standard error in the
// console build (ShowErrorBox). A failure while saying so, or on another thread meanwhile, ends it
// without one. The C++ runtime's own handler would print the exception's type (and bring its name
// demangler along, about 45 KB) and abort with code 3. (MSVC's runtime has no such handler; this
// file is not built there.)
#include <windows.h>

#include <atomic>

#include "base/ErrorBox.h"
#include "base/Trace.h"
#include "resources/resource.h"

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    static std::atomic<bool> ending{false};
    if (!ending.exchange(true)) {
        if (TraceOn()) TraceLine(L"launcher: an internal failure ends the process");
        ShowErrorBox(nullptr, IDS_INTERNAL_FAILURE);
    }
    TerminateProcess(GetCurrentProcess(), 0xFFFFFFFF);
    ExitProcess(0xFFFFFFFF);  // not reached: a process can always end itself
}

}  // namespace __gnu_cxx
