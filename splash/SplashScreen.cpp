#include "splash/SplashScreen.h"

#include <objbase.h>

#include <atomic>

#include "base/ErrorBox.h"
#include "base/PathText.h"
#include "base/Thread.h"
#include "base/Trace.h"
#include "splash/SplashWindow.h"

SplashScreen::SplashScreen() = default;

SplashScreen::~SplashScreen() {
    CloseWindow();
    CloseNative();
}

// What the splash thread uses: shared, so that a thread still decoding its picture when the
// launcher ends never reaches into a destroyed SplashScreen.
struct SplashScreen::Shared {
    SplashSettings settings;
    SplashWindow window;
    std::atomic<bool> decoding{true};
    std::atomic<bool> closing{false};
};

void SplashScreen::Start(const SplashSettings& settings, const std::wstring& jvmLibraryPath) {
    if (settings.image.empty() || shared_) return;
    if (WantsNativeSplash(settings.preferNative)) {
        const std::wstring library = FindNativeSplashLibrary(jvmLibraryPath);
        if (!library.empty() && native_.Start(library, settings.image, FolderOf(jvmLibraryPath))) return;
        // A runtime linked without java.desktop has no splash library: the own window shows it.
        if (TraceOn()) {
            TraceLine(library.empty() ? L"splash: the runtime has no splash library (no java.desktop): the launcher's window shows the picture"
                                      : L"splash: the runtime's splash library did not start: the launcher's window shows the picture");
        }
    }
    shared_ = std::make_shared<Shared>();
    shared_->settings = settings;
    std::shared_ptr<Shared> shared = shared_;
    thread_ = StartThread([shared] {
        RunThread(*shared);
        return 0;
    }, 0, 0, &threadId_);
    if (!thread_) shared_.reset();
}

void SplashScreen::RunThread(Shared& shared) {
    // OleLoadPicture is an OLE call: Windows wants COM initialised on the calling thread, and a
    // thread with windows belongs in a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HWND window = shared.window.Create(shared.settings.image, IsShadowOn(shared.settings.shadow));
    shared.decoding = false;
    // Closed while the picture was decoding: nobody waits for a WM_QUIT, and nothing shows.
    if (window != nullptr && !shared.closing) {
        SetErrorBoxOwner(window);
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // Gone already when someone sent it WM_CLOSE.
    if (const HWND still = shared.window.window()) DestroyWindow(still);
    if (SUCCEEDED(com)) CoUninitialize();
}

void SplashScreen::CloseWindow() {
    AcquireSRWLockExclusive(&closeLock_);
    if (shared_ && GetCurrentThreadId() != threadId_) {
        shared_->closing = true;
        if (shared_->decoding) {
            // A picture that takes long to decode must not hold up the end of the run: the thread
            // ends by itself once it is done, or with the process.
            if (TraceOn()) TraceLine(L"splash: closed while its picture was still being decoded");
        } else if (thread_) {
            // A post made before the thread has its message queue is lost: post again after each
            // short wait until the thread has ended.
            do {
                PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
            } while (WaitForSingleObject(thread_.get(), 20) == WAIT_TIMEOUT);
        }
        thread_.reset();
        shared_.reset();
    }
    ReleaseSRWLockExclusive(&closeLock_);
}
