// The launcher's texts and dialog templates in the language of the system (English or Spanish).
#pragma once

#include <windows.h>

#include <string>

// The language of the string table and dialogs this process shows, chosen once.
WORD ResourceLanguage();

// A string-table text; empty when it cannot be loaded.
std::wstring LoadResourceString(UINT id);

// A dialog template in the chosen language (or any language when that copy is missing); null
// when the executable has none.
const DLGTEMPLATE* FindDialogTemplate(UINT id);
