// Where a dialog opens.
#pragma once

#include <windows.h>

// Centres the dialog over its owner when the owner is visible and not minimised, otherwise in the
// work area of the monitor nearest to it, then moves it (without resizing or activating it) so
// that it lies within that work area.
void CentreDialog(HWND dialog);
