// In-process driving of the launcher's dialogs: a modal dialog runs on a thread of its own while
// the test thread reads it, presses its buttons and keys, and captures its pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace dialogtest {

// Runs `show` (which shows a modal dialog and returns its result) on a new thread.
class ModalThread {
public:
    explicit ModalThread(std::function<INT_PTR()> show);
    ~ModalThread();
    ModalThread(const ModalThread&) = delete;
    ModalThread& operator=(const ModalThread&) = delete;

    // The first visible dialog window of the thread other than `other`; null after the time limit.
    HWND WaitForDialog(DWORD timeoutMs = 10000, HWND other = nullptr) const;
    // Waits for `show` to return: true and its result, or false when it is still running.
    bool Finish(INT_PTR& result, DWORD timeoutMs = 10000);
    bool running() const;
    DWORD threadId() const { return threadId_; }
    // The window with the keyboard focus on the dialog's thread.
    HWND Focus() const;
    // Presses a key in `dialog`: on the focused window, or on the dialog itself while its thread has
    // no focus (another program's window, such as an opened link's, took the foreground).
    void PressKey(HWND dialog, WPARAM virtualKey) const;

private:
    static DWORD WINAPI Run(void* self);
    std::function<INT_PTR()> show_;
    INT_PTR result_ = 0;
    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
};

// The top-level windows of a thread.
std::vector<HWND> ThreadWindows(DWORD threadId);

// A key press as the keyboard would send it to the focused window (down, character, up).
void PressKey(HWND focused, WPARAM virtualKey, wchar_t character = 0);
// Waits until `condition` holds, polling every 20 ms; false after the time limit.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// A screen capture of the window's rectangle (top-level windows should be visible and uncovered).
struct Capture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // rows from the top
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels of exactly this colour inside the rectangle (relative to the capture).
    int Count(COLORREF colour, const RECT& area) const;
    int Count(COLORREF colour) const { return Count(colour, RECT{0, 0, width, height}); }
};
Capture CaptureWindow(HWND window);
// The control's client area as it paints itself into a bitmap (WM_PRINTCLIENT): other windows on
// the screen cannot get in the way.
Capture PrintClient(HWND control);
// Writes a 24-bit BMP file; false when it cannot be written.
bool SaveBitmap(const Capture& capture, const std::wstring& path);

}  // namespace dialogtest
