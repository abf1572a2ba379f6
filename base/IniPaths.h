// Path arithmetic for the main INI file, the per-user INI file and the pair product's INI file.
#pragma once

#include <string>

// The path up to and including its last "." followed by "ini"; false when the path has no ".".
bool IniPathFromModulePath(const std::wstring& modulePath, std::wstring& iniPath);

// The product name without the characters that a folder name cannot hold: \ ? " | > < : / *
std::wstring FolderNameFromProductName(const std::wstring& productName);

// The per-user INI location of an executable: <appData>\<product folder>\<product code>\<name>.ini.
// `productFolder` and `codeFolder` are the two folders that may have to be created, in order.
struct UserIniLocation {
    std::wstring productFolder;
    std::wstring codeFolder;
    std::wstring path;
};
UserIniLocation MakeUserIniLocation(const std::wstring& appData, const std::wstring& productName,
                                    const std::wstring& productCode, const std::wstring& executablePath);
