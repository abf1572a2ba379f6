// An in-memory system for the JRE search: a set of existing files, a registry per view, and a
// record of the INI writes.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "jre/JreSystem.h"

class FakeJreSystem : public JreSystem {
public:
    Arch arch = Arch::X64;
    std::set<std::wstring> files;
    std::set<std::wstring> foreignLibraries;
    std::wstring modulePath = L"C:\\App\\Tool 64.exe";
    bool modulePathAvailable = true;
    std::wstring appData = L"C:\\Users\\u\\AppData";

    // registry[viewFlag][vendor key] = ordered (subkey, JavaHome) pairs
    std::map<uint32_t, std::map<std::wstring, std::vector<std::pair<std::wstring, std::wstring>>>> registry;

    std::vector<std::pair<std::wstring, std::wstring>> writes;  // (INI path, value)

    void AddJre(const std::wstring& home, std::initializer_list<const wchar_t*> subPaths) {
        for (const wchar_t* subPath : subPaths) files.insert(home + subPath);
    }
    void Register(uint32_t viewFlag, const std::wstring& key, const std::wstring& subkey, const std::wstring& javaHome) {
        registry[viewFlag][key].emplace_back(subkey, javaHome);
    }

    Arch Architecture() const override { return arch; }
    bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
    bool IsForeignArchitecture(const std::wstring& library) override { return foreignLibraries.count(library) != 0; }
    bool ModulePath(std::wstring& path) override {
        if (modulePathAvailable) path = modulePath;
        return modulePathAvailable;
    }
    std::vector<std::wstring> RegistrySubkeyNames(const std::wstring& key, uint32_t viewFlag) override {
        std::vector<std::wstring> names;
        for (const auto& entry : registry[viewFlag][key]) names.push_back(entry.first);
        return names;
    }
    bool RegistryJavaHomeData(const std::wstring& key, const std::wstring& subkey, uint32_t viewFlag,
                              std::vector<unsigned char>& data) override {
        for (const auto& entry : registry[viewFlag][key]) {
            if (entry.first != subkey) continue;
            data.clear();
            for (wchar_t c : entry.second) {
                data.push_back(static_cast<unsigned char>(c & 0xFF));
                data.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
            }
            return !data.empty();
        }
        return false;
    }
    std::wstring AppDataFolder() override { return appData; }
    void CreateFolder(const std::wstring&) override {}
    void WriteJrePath(const std::wstring& iniPath, const std::wstring& home) override {
        writes.emplace_back(iniPath, home);
    }
};
