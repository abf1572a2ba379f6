// The launcher's own splash window: a borderless tool window of the picture's size, centred on the
// primary screen, that paints the prepared bitmap and nothing else. It lives on the splash thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "base/UniqueResource.h"

class SplashWindow {
public:
    static const wchar_t kClassName[];

    SplashWindow() = default;
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // Registers the class (without the drop shadow unless `shadow`; once more without it when the
    // shadowed registration fails), renders the picture and creates the hidden window. Null when
    // the picture cannot be loaded (nothing would be visible) or the window cannot be made.
    HWND Create(const std::wstring& imagePath, bool shadow);

    // The window; null before Create and after the window's final message.
    HWND window() const { return window_.load(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Paint(HWND window);

    std::atomic<HWND> window_{nullptr};
    UniqueGdiObject bitmap_;
};
