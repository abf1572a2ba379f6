// The handler that std::terminate calls, for the MinGW builds. The C++ runtime's own prints the
// type of the escaped exception to standard error, which a GUI program does not have, and brings
// its name demangler along (about 45 KB); this one only ends the process, as the default one does
// after printing. (MSVC's runtime has no such handler; this file is not built there.)
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
