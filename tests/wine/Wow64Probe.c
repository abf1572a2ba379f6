/* Built for i686: exits with 32 when it runs as a 32-bit process under WoW64, which is how run.sh
   learns that this machine's Wine can run the 32-bit launcher. */
#include <windows.h>

int main(void) {
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64 && sizeof(void*) == 4 ? 32 : 1;
}
