// Window classes and the objects behind windows. One process-wide lock guards every class
// registration and every hand-over of an object to its window, for all of the launcher's windows
// and dialogs (splash window, dialogs, link control), whichever thread creates them.
#pragma once

#include <windows.h>

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
