/* What the link tests open: records that it was started by creating "<its own path>.opened". */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    wchar_t path[MAX_PATH + 16];
    DWORD length = GetModuleFileNameW(NULL, path, MAX_PATH);
    HANDLE file;
    (void)instance; (void)previous; (void)commandLine; (void)show;
    if (length == 0 || length >= MAX_PATH) return 1;
    lstrcatW(path, L".opened");
    file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(file);
    return 0;
}
