// The splash screen of a start, as the launcher drives it: either the JRE's own splash or the
// launcher's splash window on a thread of its own.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "base/UniqueResource.h"
#include "splash/NativeSplash.h"
#include "splash/SplashLayout.h"

class SplashWindow;

class SplashScreen {
public:
    SplashScreen();
    ~SplashScreen();
    SplashScreen(const SplashScreen&) = delete;
    SplashScreen& operator=(const SplashScreen&) = delete;

    // Shows settings.image: through the JRE's splash library beside `jvmLibraryPath` when the
    // settings prefer it and it starts, otherwise in the launcher's own window. Nothing for an
    // empty image. Called once, before the JVM library is loaded.
    void Start(const SplashSettings& settings, const std::wstring& jvmLibraryPath);

    // Ends the own splash window and its thread; any number of times, from any thread but the
    // splash thread. Nothing when no own splash runs. A thread still decoding the picture is not
    // waited for: it shows nothing and ends once the decoder returns.
    void CloseWindow();

    // Closes the JRE's splash, at most once.
    void CloseNative() { native_.Close(); }

private:
    struct Shared;
    static void RunThread(Shared& shared);

    NativeSplash native_;
    std::shared_ptr<Shared> shared_;  // the own splash window's, while it runs
    UniqueHandle thread_;
    DWORD threadId_ = 0;
    SRWLOCK closeLock_ = SRWLOCK_INIT;
};
