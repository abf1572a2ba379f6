/* A stand-in for a JRE's splashscreen.dll: each entry point appends one line, UTF-8, to the file
 * named by MARLWICK_FAKE_JVM_LOG (the record that the jvm.dll double writes too, so the order of
 * the two libraries' calls shows):
 *   SplashInit
 *   SplashLoadFile <file name>
 *   SplashSetFileJarName <file name> jar=<jar name>
 *   SplashClose
 * FAKE_SPLASH_NO_INIT leaves out SplashInit, so the library cannot start a splash. */
#include <windows.h>

#include <string.h>

static void Record(const char* first, const char* second, const char* third) {
    wchar_t path[1024];
    DWORD length = GetEnvironmentVariableW(L"MARLWICK_FAKE_JVM_LOG", path, 1024);
    if (length == 0 || length >= 1024) return;
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    char line[2048] = "";
    strncat(line, first, 600);
    if (second != NULL) {
        strcat(line, " ");
        strncat(line, second, 600);
    }
    if (third != NULL) {
        strcat(line, " jar=");
        strncat(line, third, 600);
    }
    strcat(line, "\n");
    DWORD written = 0;
    WriteFile(file, line, (DWORD)strlen(line), &written, NULL);
    CloseHandle(file);
}

#ifndef FAKE_SPLASH_NO_INIT
__declspec(dllexport) void __cdecl SplashInit(void) { Record("SplashInit", NULL, NULL); }
#endif

__declspec(dllexport) int __cdecl SplashLoadFile(const char* fileName) {
    Record("SplashLoadFile", fileName, NULL);
    return 1;
}

__declspec(dllexport) void __cdecl SplashSetFileJarName(const char* fileName, const char* jarName) {
    Record("SplashSetFileJarName", fileName, jarName);
}

__declspec(dllexport) void __cdecl SplashClose(void) { Record("SplashClose", NULL, NULL); }
