// Fixtures for the JRE search under Wine: JRE folders on disk and vendor keys in the real registry.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "jre/Win32JreSystem.h"

namespace jrefixtures {

extern const wchar_t kSunJdk[];
extern const wchar_t kSunJre[];
extern const wchar_t kJRockitJre[];
extern const wchar_t kJRockitJdk[];
extern const wchar_t kIbmJre[];

// Creates `home` + each sub-path as a small file (folders included). `home` ends with a backslash.
bool MakeJre(const std::wstring& home, std::initializer_list<const wchar_t*> subPaths);
bool MakeJre(const std::wstring& home, const std::vector<std::wstring>& subPaths);

// The vendor keys of the search in both registry views (and those of today's installers under
// HKEY_CURRENT_USER), emptied when created and when destroyed.
class VendorRegistry {
public:
    VendorRegistry();
    ~VendorRegistry();
    VendorRegistry(const VendorRegistry&) = delete;
    VendorRegistry& operator=(const VendorRegistry&) = delete;

    // key + subkey with "JavaHome" as a NUL-terminated REG_SZ, in the view (KEY_WOW64_32KEY or
    // KEY_WOW64_64KEY).
    bool Register(REGSAM view, const wchar_t* key, const std::wstring& subkey, const std::wstring& javaHome);
    // The same with "JavaHome" stored exactly as given.
    bool RegisterRaw(REGSAM view, const wchar_t* key, const std::wstring& subkey, DWORD type,
                     const std::vector<BYTE>& data);
    // The subkey without any "JavaHome".
    bool RegisterEmpty(REGSAM view, const wchar_t* key, const std::wstring& subkey);
    // root\keyPath with `valueName` as a NUL-terminated REG_SZ (keys of today's installers).
    bool RegisterValue(HKEY root, REGSAM view, const std::wstring& keyPath, const wchar_t* valueName,
                       const std::wstring& text);
    void Clear();
};

// The real system, with the executable placed where a test wants it.
class PlacedSystem : public Win32JreSystem {
public:
    explicit PlacedSystem(std::wstring modulePath, Arch arch = kBuildArch)
        : Win32JreSystem(arch), modulePath_(std::move(modulePath)) {}
    bool ModulePath(std::wstring& path) override {
        path = modulePath_;
        return !modulePath_.empty();  // empty: the path cannot be obtained
    }

private:
    std::wstring modulePath_;
};

}  // namespace jrefixtures
