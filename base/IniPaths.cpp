#include "base/IniPaths.h"
#include "base/PathText.h"

bool IniPathFromModulePath(const std::wstring& modulePath, std::wstring& iniPath) {
    const size_t dot = modulePath.rfind(L'.');
    if (dot == std::wstring::npos) return false;
    iniPath = modulePath.substr(0, dot + 1) + L"ini";
    return true;
}

std::wstring FolderNameFromProductName(const std::wstring& productName) {
    static const wchar_t kForbidden[] = L"\\?\"|><:/*";
    std::wstring folder;
    folder.reserve(productName.size());
    for (wchar_t c : productName) {
        if (std::wstring(kForbidden).find(c) == std::wstring::npos) folder += c;
    }
    return folder;
}

UserIniLocation MakeUserIniLocation(const std::wstring& appData, const std::wstring& productName,
                                    const std::wstring& productCode, const std::wstring& executablePath) {
    std::wstring file = FileNameOf(executablePath);
    const size_t dot = file.rfind(L'.');
    if (dot != std::wstring::npos) file.erase(dot);
    file += L".ini";

    UserIniLocation location;
    location.productFolder = appData + L"\\" + FolderNameFromProductName(productName);
    location.codeFolder = location.productFolder + L"\\" + productCode;
    location.path = location.codeFolder + L"\\" + file;
    return location;
}
