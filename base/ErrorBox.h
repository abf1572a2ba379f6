// The error message boxes: string-table texts in a modal box with the error icon.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/MessageText.h"

// The owner of every error box from now on (the splash window while it exists); null for none.
// Any thread may set it.
void SetErrorBoxOwner(HWND owner);
// The owner set last, or null when none is set or that window no longer exists (a box with a
// destroyed owner would not show).
HWND ErrorBoxOwner();

// Shows `text` (or string `textId`) with the platform's default caption, without an owner when
// the box cannot be shown with `owner` (a window destroyed meanwhile). The box's result. The
// console build writes the text as one line to standard error instead and gives IDOK.
int ShowErrorBox(HWND owner, const std::wstring& text);
int ShowErrorBox(HWND owner, UINT textId);

// Loads template `templateId` and every argument that is a string identifier, formats and shows it.
int ShowFormattedError(HWND owner, UINT templateId, const std::vector<ErrorArg>& args);

// The same, owned by ErrorBoxOwner().
int ShowErrorBox(UINT textId);
int ShowFormattedError(UINT templateId, const std::vector<ErrorArg>& args);
