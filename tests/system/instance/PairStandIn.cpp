// Stands in for the pair product: records the command line it was given, its current directory
// and its MARLWICK_HANDED_OVER into the file named by MARLWICK_PAIR_RECORD (UTF-16LE, separated by
// line feeds), then exits with the number in MARLWICK_PAIR_EXIT (decimal or 0x hex; 0 when unset).
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring Variable(const wchar_t* name) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
    return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::wstring text = GetCommandLineW();
    wchar_t folder[32768] = {};
    GetCurrentDirectoryW(32768, folder);
    text += L"\n";
    text += folder;
    text += L"\n" + Variable(L"MARLWICK_HANDED_OVER");
    const std::wstring record = Variable(L"MARLWICK_PAIR_RECORD");
    if (!record.empty()) {
        const std::wstring partial = record + L".partial";
        HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
            CloseHandle(file);
            MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    const std::wstring code = Variable(L"MARLWICK_PAIR_EXIT");
    ExitProcess(static_cast<UINT>(std::wcstoul(code.c_str(), nullptr, 0)));
}
