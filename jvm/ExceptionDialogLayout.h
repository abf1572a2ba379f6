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

// How many characters of an exception's text the dialog shows: a deep trace whole, while a text of
// megabytes (a message built by the application) cannot stall the edit control.
const size_t kExceptionTextShownLimit = 100000;

// The first part of `text` that the dialog shows: at most `limit` characters, cut after the last
// line break in that part when there is one in its second half, and never between the two halves
// of a surrogate pair. `omitted` receives how many characters are left out.
std::wstring ShownExceptionText(const std::wstring& text, size_t limit, size_t& omitted);
