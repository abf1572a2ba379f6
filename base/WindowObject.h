// Window classes and the objects behind windows. One process-wide lock guards every class
// registration and every hand-over of an object to its window, for all of the launcher's windows
// and dialogs (splash window, dialogs, link control), whichever thread creates them; finding the
// object for a message takes no lock.
#pragma once

#include <windows.h>

#include "base/CatchAll.h"

// Registers the class unless a class of that name is already registered in this module. The
// class atom, or 0 (GetLastError set) when registration failed.
ATOM RegisterWindowClassOnce(const WNDCLASSEXW& windowClass);

// Stores `object` as the window's object (null forgets it).
void BindWindowObject(HWND window, void* object);
// The object stored for the window, or null.
void* BoundWindowObject(HWND window);

// For window and dialog procedures: binds the creation parameter at the first message
// (WM_NCCREATE for windows made with CreateWindowEx, WM_INITDIALOG for dialogs made with
// DialogBoxParam / CreateDialogParam), forgets it at WM_NCDESTROY, and returns the window's
// object; null before the binding and at the final message.
template <typename T>
T* WindowObjectFor(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        BindWindowObject(window, reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    } else if (message == WM_INITDIALOG) {
        BindWindowObject(window, reinterpret_cast<void*>(lParam));
    }
    T* object = static_cast<T*>(BoundWindowObject(window));
    if (message == WM_NCDESTROY) BindWindowObject(window, nullptr);
    return object;
}

// The body of a dialog object's procedure: finds the object, keeps the dialog's handle in
// `object->*handle` from WM_INITDIALOG to WM_NCDESTROY, and forwards every message to
// `object->*handler`; FALSE (not handled) before the object is known or when the handler throws.
template <typename T>
INT_PTR DispatchDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, HWND T::*handle,
                              INT_PTR (T::*handler)(UINT, WPARAM, LPARAM)) noexcept {
    T* object = WindowObjectFor<T>(dialog, message, lParam);
    if (object == nullptr) return FALSE;
    MARLWICK_TRY {
        if (message == WM_INITDIALOG) object->*handle = dialog;
        const INT_PTR result = (object->*handler)(message, wParam, lParam);
        if (message == WM_NCDESTROY) object->*handle = nullptr;
        return result;
    } MARLWICK_CATCH_ALL {  // nothing may unwind into the dialog manager
        return FALSE;
    }
}
