#include "tests/system/jre/JreFixtures.h"

#include "base/UniqueResource.h"
#include "tests/support/ProcessDriver.h"

namespace jrefixtures {

const wchar_t kSunJdk[] = L"Software\\JavaSoft\\Java Development Kit\\";
const wchar_t kSunJre[] = L"Software\\JavaSoft\\Java Runtime Environment\\";
const wchar_t kJRockitJre[] = L"Software\\JRockit\\Java Runtime Environment\\";
const wchar_t kJRockitJdk[] = L"Software\\JRockit\\Java Development Kit\\";
const wchar_t kIbmJre[] = L"Software\\IBM\\Java2 Runtime Environment\\";

bool MakeJre(const std::wstring& home, const std::vector<std::wstring>& subPaths) {
    bool ok = true;
    for (const std::wstring& subPath : subPaths) {
        const std::wstring path = home + subPath;
        const size_t slash = path.rfind(L'\\');
        if (slash != std::wstring::npos && slash > 0) ok = testsupport::MakeFolders(path.substr(0, slash)) && ok;
        ok = testsupport::WriteFileBytes(path, "not a library") && ok;
    }
    return ok;
}

bool MakeJre(const std::wstring& home, std::initializer_list<const wchar_t*> subPaths) {
    return MakeJre(home, std::vector<std::wstring>(subPaths.begin(), subPaths.end()));
}

VendorRegistry::VendorRegistry() { Clear(); }
VendorRegistry::~VendorRegistry() { Clear(); }

void VendorRegistry::Clear() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        for (const wchar_t* key : {kSunJdk, kSunJre, kJRockitJre, kJRockitJdk, kIbmJre}) {
            std::wstring path(key);
            path.pop_back();  // the trailing backslash
            const size_t slash = path.rfind(L'\\');
            UniqueHKey parent;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view,
                              parent.put()) == ERROR_SUCCESS) {
                RegDeleteTreeW(parent.get(), path.substr(slash + 1).c_str());
            }
        }
    }
}

bool VendorRegistry::RegisterRaw(REGSAM view, const wchar_t* key, const std::wstring& subkey, DWORD type,
                                 const std::vector<BYTE>& data) {
    UniqueHKey handle;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, (key + subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                        handle.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(handle.get(), L"JavaHome", 0, type, data.empty() ? nullptr : data.data(),
                          static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool VendorRegistry::Register(REGSAM view, const wchar_t* key, const std::wstring& subkey,
                              const std::wstring& javaHome) {
    const BYTE* bytes = reinterpret_cast<const BYTE*>(javaHome.c_str());
    return RegisterRaw(view, key, subkey, REG_SZ,
                       std::vector<BYTE>(bytes, bytes + (javaHome.size() + 1) * sizeof(wchar_t)));
}

bool VendorRegistry::RegisterEmpty(REGSAM view, const wchar_t* key, const std::wstring& subkey) {
    UniqueHKey handle;
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, (key + subkey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                           handle.put(), nullptr) == ERROR_SUCCESS;
}

}  // namespace jrefixtures
