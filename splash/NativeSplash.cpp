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

bool NativeSplash::Start(const std::wstring& libraryPath, const std::wstring& imagePath) {
    // The library's own dependencies lie beside it, which the plain search order would not look at.
    const DWORD flags = IsAbsolutePath(libraryPath) ? LOAD_WITH_ALTERED_SEARCH_PATH : 0;
    HMODULE library = LoadLibraryExW(libraryPath.c_str(), nullptr, flags);
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

    const std::string image = ToThreadAnsi(imagePath);
    init();
    loadFile(image.c_str());
    setFileJarName(image.c_str(), "");
    return true;
}

void NativeSplash::Close() {
    const CloseHook hook = closeHook_.exchange(nullptr);
    if (hook != nullptr) hook();
}
