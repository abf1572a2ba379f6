// A small GUI program for the test-support self-test. It behaves like the launcher does when it
// fails: an error box without caption or owner, then an exit code. The first argument chooses:
//   box TEXT        shows TEXT in an error box, then exits with 0xFFFFFFFF
//   boxes A B ...   shows one error box per text, then exits with the number of boxes
//   answer TEXT     shows TEXT in an OK/Cancel box and exits with the id of the button pressed
//   exit N          exits with N at once (decimal, or hexadecimal with 0x)
//   hang            never ends
//   env NAME        shows the value of the variable NAME (or "<unset>"), then exits with 0
//   cwd             shows the current directory, then exits with 0
//   locale          shows the UI language and the system, user and thread locales, then exits
//                   with the UI language
#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

int ShowError(const std::wstring& text) {
    return MessageBoxW(nullptr, text.c_str(), nullptr, MB_ICONERROR);
}

std::wstring Hex(unsigned value) {
    wchar_t buffer[16];
    swprintf(buffer, 16, L"0x%04X", value);
    return buffer;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 2) ExitProcess(2);
    const std::wstring mode = argv[1];
    const std::wstring argument = argc > 2 ? argv[2] : L"";

    if (mode == L"box") {
        ShowError(argument);
        ExitProcess(0xFFFFFFFF);
    }
    if (mode == L"boxes") {
        for (int i = 2; i < argc; ++i) ShowError(argv[i]);
        ExitProcess(static_cast<UINT>(argc - 2));
    }
    if (mode == L"answer") {
        ExitProcess(static_cast<UINT>(MessageBoxW(nullptr, argument.c_str(), L"Question", MB_OKCANCEL)));
    }
    if (mode == L"exit") ExitProcess(static_cast<UINT>(wcstoul(argument.c_str(), nullptr, 0)));
    if (mode == L"hang") {
        for (;;) Sleep(INFINITE);
    }
    if (mode == L"env") {
        const DWORD size = GetEnvironmentVariableW(argument.c_str(), nullptr, 0);
        std::wstring value(size, L'\0');
        if (size == 0) {
            value = L"<unset>";
        } else {
            value.resize(GetEnvironmentVariableW(argument.c_str(), &value[0], size));
        }
        ShowError(value);
        ExitProcess(0);
    }
    if (mode == L"cwd") {
        wchar_t directory[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, directory);
        ShowError(directory);
        ExitProcess(0);
    }
    if (mode == L"locale") {
        const LANGID uiLanguage = GetUserDefaultUILanguage();
        ShowError(L"ui=" + Hex(uiLanguage) + L" system=" + Hex(GetSystemDefaultLCID()) + L" user=" +
                  Hex(GetUserDefaultLCID()) + L" thread=" + Hex(GetThreadLocale()));
        ExitProcess(uiLanguage);
    }
    ExitProcess(2);
}
