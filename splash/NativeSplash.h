// The Java runtime's own splash: the JRE's splashscreen.dll shows the picture (PNG included).
#pragma once

#include <atomic>
#include <string>

// The JRE's splash library for a JVM library path, or empty when there is none.
std::wstring FindNativeSplashLibrary(const std::wstring& jvmLibraryPath);

class NativeSplash {
public:
    NativeSplash() = default;
    NativeSplash(const NativeSplash&) = delete;
    NativeSplash& operator=(const NativeSplash&) = delete;

    // Loads the library (it stays loaded for the rest of the process) and hands it the picture.
    // The library's own imports are looked for beside it and in `dependencyFolder` too: a modern
    // JRE's splashscreen.dll needs java.dll, which needs jvm.dll, which lies one folder down and
    // is not loaded yet. False when the library cannot be loaded or lacks an entry point that
    // starts the splash; its close entry point is kept even then. A picture the library cannot
    // read still counts as started.
    bool Start(const std::wstring& libraryPath, const std::wstring& imagePath, const std::wstring& dependencyFolder);

    // Calls the library's close entry point if one was kept; at most once in the object's life,
    // whichever thread calls.
    void Close();

private:
    using CloseHook = void(__cdecl*)();
    std::atomic<CloseHook> closeHook_{nullptr};
};
