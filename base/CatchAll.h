// Guards where the system or the virtual machine calls into the launcher (window procedures,
// thread routines, VM hooks): nothing may unwind into their frames.
//
// The MinGW executables are built without exceptions: there a failure that would throw (in
// practice std::bad_alloc from the C++ library) reaches std::terminate at once and ends the process
// through base/TerminateHandler.cpp with the launcher's failure exit code; these guards then
// compile to their guarded part only. Builds with exceptions (MSVC, the native tests) catch.
#pragma once

#if defined(__cpp_exceptions) || defined(_CPPUNWIND)
#define MARLWICK_TRY try
#define MARLWICK_CATCH_ALL catch (...)
#else
#define MARLWICK_TRY if (true)
#define MARLWICK_CATCH_ALL else
#endif
