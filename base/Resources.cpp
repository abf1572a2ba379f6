#include "base/Resources.h"

#include "base/MessageText.h"

namespace {

// FindResourceExW with the chosen language, then the platform's own pick as a fallback.
const void* LockResourceData(LPCWSTR type, LPCWSTR name, DWORD& size) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, type, name, ResourceLanguage());
    if (found == nullptr) found = FindResourceW(module, name, type);
    if (found == nullptr) return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) return nullptr;
    size = SizeofResource(module, found);
    return LockResource(loaded);
}

}  // namespace

WORD ResourceLanguage() {
    static const WORD language =
        ChooseResourceLanguage(GetUserDefaultUILanguage(), LANGIDFROMLCID(GetSystemDefaultLCID()));
    return language;
}

std::wstring LoadResourceString(UINT id) {
    DWORD size = 0;
    const void* block = LockResourceData(RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), size);
    std::wstring text;
    if (block == nullptr || !StringFromTableBlock(static_cast<const uint16_t*>(block), size / 2, id % 16, text)) {
        return std::wstring();
    }
    return text;
}

const DLGTEMPLATE* FindDialogTemplate(UINT id) {
    DWORD size = 0;
    return static_cast<const DLGTEMPLATE*>(LockResourceData(RT_DIALOG, MAKEINTRESOURCEW(id), size));
}
