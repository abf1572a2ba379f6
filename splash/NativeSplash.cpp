#include "splash/NativeSplash.h"

#include <windows.h>

#include "base/PathText.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "splash/SplashLayout.h"

std::wstring FindNativeSplashLibrary(const std::wstring& jvmLibraryPath) {
    const std::wstring path = NativeSplashLibraryPath(jvmLibraryPath);
    if (path.empty()) return path;
    WIN32_FIND_DATAW data;
    UniqueFindHandle found(FindFirstFileW(path.c_str(), &data));
    return found ? path : std::wstring();
}

namespace {

// Loads the library with its imports looked for beside it, in `extraFolder` and in the system
// folders. AddDllDirectory exists from Windows 8 (and Windows 7 with KB2533623); without it the
// library's own folder is searched through the altered search path, the rest through "Path".
HMODULE LoadWithDependencies(const std::wstring& libraryPath, const std::wstring& extraFolder) {
    using AddFn = void*(WINAPI*)(PCWSTR);
    using RemoveFn = BOOL(WINAPI*)(void*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto add = reinterpret_cast<AddFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "AddDllDirectory")));
    const auto remove = reinterpret_cast<RemoveFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "RemoveDllDirectory")));
    if (IsAbsolutePath(libraryPath) && IsAbsolutePath(extraFolder) && add != nullptr && remove != nullptr) {
        void* cookie = add(extraFolder.c_str());
        if (cookie != nullptr) {
            // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
            HMODULE library = LoadLibraryExW(libraryPath.c_str(), nullptr, 0x00000100 | 0x00001000);
            remove(cookie);
            if (library != nullptr) return library;
        }
    }
    // The altered search path is undefined for relative paths.
    const DWORD flags = IsAbsolutePath(libraryPath) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
    return LoadLibraryExW(libraryPath.c_str(), nullptr, flags);
}

}  // namespace

bool NativeSplash::Start(const std::wstring& libraryPath, const std::wstring& imagePath,
                         const std::wstring& dependencyFolder) {
    HMODULE library = LoadWithDependencies(libraryPath, dependencyFolder);
    if (library == nullptr) return false;

    using InitFn = void(__cdecl*)();
    using LoadFileFn = int(__cdecl*)(const char*);
    using SetFileJarNameFn = void(__cdecl*)(const char*, const char*);
    const auto init = reinterpret_cast<InitFn>(reinterpret_cast<void*>(GetProcAddress(library, "SplashInit")));
    const auto loadFile = reinterpret_cast<LoadFileFn>(reinterpret_cast<void*>(GetProcAddress(library, "SplashLoadFile")));
    const auto setFileJarName =
        reinterpret_cast<SetFileJarNameFn>(reinterpret_cast<void*>(GetProcAddress(library, "SplashSetFileJarName")));
    // Kept even when the splash cannot be started below: whatever the library did, it closes.
    closeHook_.store(reinterpret_cast<CloseHook>(reinterpret_cast<void*>(GetProcAddress(library, "SplashClose"))));
    if (init == nullptr || loadFile == nullptr || setFileJarName == nullptr) return false;

    const std::string image = ToAnsi(imagePath);
    init();
    loadFile(image.c_str());
    setFileJarName(image.c_str(), "");
    return true;
}

void NativeSplash::Close() {
    const CloseHook hook = closeHook_.exchange(nullptr);
    if (hook != nullptr) hook();
}
