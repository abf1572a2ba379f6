#include "splash/SplashScreen.h"

#include <objbase.h>

#include "base/ErrorBox.h"
#include "base/PathText.h"
#include "splash/SplashWindow.h"

SplashScreen::SplashScreen() = default;

SplashScreen::~SplashScreen() {
    CloseWindow();
    CloseNative();
}

void SplashScreen::Start(const SplashSettings& settings, const std::wstring& jvmLibraryPath) {
    if (settings.image.empty() || window_) return;
    settings_ = settings;
    if (WantsNativeSplash(settings_.preferNative)) {
        const std::wstring library = FindNativeSplashLibrary(jvmLibraryPath);
        if (!library.empty() && native_.Start(library, settings_.image, FolderOf(jvmLibraryPath))) return;
    }
    window_ = std::make_unique<SplashWindow>();
    thread_.reset(CreateThread(nullptr, 0, &SplashScreen::RunSplashThread, this, 0, &threadId_));
}

DWORD WINAPI SplashScreen::RunSplashThread(void* parameter) noexcept {
    try {
        static_cast<SplashScreen*>(parameter)->RunThread();
    } catch (...) {
    }
    return 0;
}

void SplashScreen::RunThread() {
    // OleLoadPicture is an OLE call: Windows wants COM initialised on the calling thread, and a
    // thread with windows belongs in a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND window = window_->Create(settings_.image, IsShadowOn(settings_.shadow));
    if (window != nullptr) {
        SetErrorBoxOwner(window);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Gone already when someone sent it WM_CLOSE.
    if (const HWND still = window_->window()) DestroyWindow(still);
    if (SUCCEEDED(com)) CoUninitialize();
}

void SplashScreen::CloseWindow() {
    AcquireSRWLockExclusive(&closeLock_);
    if (window_ && GetCurrentThreadId() != threadId_) {
        if (thread_) {
            // A post made before the thread has its message queue is lost: post again after each
            // short wait until the thread has ended.
            do {
                PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            } while (WaitForSingleObject(thread_.get(), 20) == WAIT_TIMEOUT);
            thread_.reset();
        }
        window_.reset();
    }
    ReleaseSRWLockExclusive(&closeLock_);
}
