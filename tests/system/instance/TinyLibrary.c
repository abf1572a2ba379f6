/* A DLL with no exports: stands in for a jvm.dll of either architecture, whose PE header is all
   the launcher reads before it hands the start to its pair product. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}
