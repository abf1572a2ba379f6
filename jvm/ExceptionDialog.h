// The Java Exception dialog: the stack trace of an exception that ended main, with the choice to
// let the application's other threads go on (Ignore) or to end it (Stop).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/UniqueResource.h"
#include "base/WindowLayout.h"

class ExceptionDialog {
public:
    explicit ExceptionDialog(std::wstring exceptionText);
    ExceptionDialog(const ExceptionDialog&) = delete;
    ExceptionDialog& operator=(const ExceptionDialog&) = delete;

    // Shows the dialog modally, owned by `owner`. True when the application is to stop: Stop,
    // Escape, the close box, or a dialog that could not be shown.
    bool Show(HWND owner);

private:
    struct Placed {
        HWND control;
        int base;       // its rectangle in base_
        size_t anchor;  // its entry in ExceptionDialogAnchors
    };

    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void OnSize(WPARAM kind, int width, int height);
    void OnDpiChanged(int dpi, const RECT* suggested);

    std::wstring text_;
    HWND dialog_ = nullptr;
    HWND grip_ = nullptr;  // a child: destroyed with the dialog
    SIZE gripSize_ = {};
    AnchorBase base_;  // in pixels at the dialog's current dpi
    std::vector<Placed> placed_;
};
