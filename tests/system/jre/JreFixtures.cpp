#include "tests/system/jre/JreFixtures.h"

#include "base/UniqueResource.h"
#include "jre/RegistrySearch.h"
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

namespace {

void DeleteKey(HKEY root, REGSAM view, const wchar_t* key) {
    std::wstring path(key);
    path.pop_back();  // the trailing backslash
    const size_t slash = path.rfind(L'\\');
    UniqueHKey parent;
    if (RegOpenKeyExW(root, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, parent.put()) == ERROR_SUCCESS) {
        RegDeleteTreeW(parent.get(), path.substr(slash + 1).c_str());
    }
}

}  // namespace

void VendorRegistry::Clear() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
        for (const wchar_t* key : {kSunJdk, kSunJre, kJRockitJre, kJRockitJdk, kIbmJre}) {
            DeleteKey(HKEY_LOCAL_MACHINE, view, key);
        }
        for (const VendorKey& key : kCurrentVendorKeys) {
            DeleteKey(HKEY_LOCAL_MACHINE, view, key.path);
            DeleteKey(HKEY_CURRENT_USER, view, key.path);
        }
    }
}

bool VendorRegistry::RegisterValue(HKEY root, REGSAM view, const std::wstring& keyPath, const wchar_t* valueName,
                                   const std::wstring& text) {
    UniqueHKey handle;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, handle.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(handle.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
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
