// What the Java Exception dialog does without windows: how its controls follow its size, and the
// stack trace in the form a multi-line edit control shows.
#pragma once

#include <cstddef>
#include <string>

#include "base/WindowLayout.h"

// The anchors of the dialog's controls; `count` receives their number.
const Anchor* ExceptionDialogAnchors(size_t& count);

// Every line break as CR LF (a multi-line edit shows a lone LF as nothing).
std::wstring WithCrLfLineBreaks(const std::wstring& text);
