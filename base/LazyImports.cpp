// The shell and OLE functions of the MinGW x86 launcher, bound when first called. Only the JRE Not
// Found dialog, its link and the splash picture call them, so an ordinary start does not load
// shell32, ole32 and oleaut32 (and what they load in turn): every library in the process before
// the VM costs the start once to load and once more in the VM's own start, which walks the
// process's modules. The other builds get the same from the linker's delay-load; the delay thunks
// that dlltool makes for x86 call through a null pointer under WoW64.
//
// The calls of the rest of the code go through the import pointers "__imp__<name>@<bytes>" as
// always. Each pointer is defined here, so the import libraries' pointers are not linked: it
// starts at a stand-in that loads the library from the system folder, looks the function up,
// stores it in the pointer for the next calls and calls it. Without the library or the function,
// the stand-in gives the function's own failure result.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

FARPROC Bind(const wchar_t* library, const char* name, void** pointer) {
    HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    FARPROC function = module != nullptr ? GetProcAddress(module, name) : nullptr;
    if (function != nullptr) InterlockedExchangePointer(pointer, reinterpret_cast<void*>(function));
    return function;
}

// The failure of a function that could not be bound: never a success code, even where the system
// left no error behind.
HRESULT BindFailure() {
    const DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

// One lazily bound function: library, return type, name, argument bytes (its stdcall decoration),
// failure result, parameter list, argument list.
#define MARLWICK_LAZY(library, Result, name, bytes, failure, parameters, arguments)                      \
    extern "C" Result WINAPI Lazy##name parameters;                                                       \
    extern "C" void* lazyPointer##name __asm__("__imp__" #name "@" #bytes);                              \
    void* lazyPointer##name = reinterpret_cast<void*>(&Lazy##name);                                       \
    extern "C" Result WINAPI Lazy##name parameters {                                                      \
        FARPROC function = Bind(library, #name, &lazyPointer##name);                                      \
        if (function == nullptr) return failure;                                                          \
        return reinterpret_cast<Result(WINAPI*) parameters>(reinterpret_cast<void*>(function)) arguments; \
    }

#define MARLWICK_VOID
MARLWICK_LAZY(L"shell32.dll", HINSTANCE, ShellExecuteW, 24, reinterpret_cast<HINSTANCE>(SE_ERR_DLLNOTFOUND),
              (HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR folder, INT show),
              (window, verb, file, parameters, folder, show))
MARLWICK_LAZY(L"shell32.dll", PIDLIST_ABSOLUTE, SHBrowseForFolderW, 4, nullptr, (LPBROWSEINFOW info), (info))
MARLWICK_LAZY(L"shell32.dll", BOOL, SHGetPathFromIDListW, 8, FALSE, (PCIDLIST_ABSOLUTE list, LPWSTR path),
              (list, path))
MARLWICK_LAZY(L"ole32.dll", HRESULT, CoInitializeEx, 8, BindFailure(),
              (LPVOID reserved, DWORD model), (reserved, model))
MARLWICK_LAZY(L"ole32.dll", void, CoUninitialize, 0, MARLWICK_VOID, (), ())
MARLWICK_LAZY(L"ole32.dll", void, CoTaskMemFree, 4, MARLWICK_VOID, (LPVOID block), (block))
MARLWICK_LAZY(L"ole32.dll", HRESULT, OleInitialize, 4, BindFailure(), (LPVOID reserved),
              (reserved))
MARLWICK_LAZY(L"ole32.dll", void, OleUninitialize, 0, MARLWICK_VOID, (), ())
MARLWICK_LAZY(L"ole32.dll", HRESULT, CreateStreamOnHGlobal, 12, BindFailure(),
              (HGLOBAL block, BOOL deleteOnRelease, LPSTREAM* stream), (block, deleteOnRelease, stream))
MARLWICK_LAZY(L"oleaut32.dll", HRESULT, OleLoadPicture, 20, BindFailure(),
              (LPSTREAM stream, LONG size, BOOL runmode, REFIID iid, LPVOID* picture),
              (stream, size, runmode, iid, picture))
