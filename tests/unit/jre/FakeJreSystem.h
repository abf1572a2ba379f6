// An in-memory system for the JRE search: a set of existing files, a registry per view, and a
// record of the INI writes.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/PathText.h"
#include "jre/JreSystem.h"

class FakeJreSystem : public JreSystem {
public:
    Arch arch = Arch::X64;
    std::set<std::wstring> files;
    std::set<std::wstring> foreignLibraries;
    std::wstring modulePath = L"C:\\App\\Tool 64.exe";
    bool modulePathAvailable = true;
    std::wstring appData = L"C:\\Users\\u\\AppData";

    // registry[viewFlag][hive prefix + vendor key] = ordered subkey names;
    // values[viewFlag][hive prefix + key path + "|" + value name] = text
    std::map<uint32_t, std::map<std::wstring, std::vector<std::wstring>>> registry;
    std::map<uint32_t, std::map<std::wstring, std::wstring>> values;
    std::map<std::wstring, std::string> fileContents;  // files that can be read
    std::map<std::wstring, std::wstring> environment;

    std::vector<std::pair<std::wstring, std::wstring>> writes;  // (INI path, value)

    void AddJre(const std::wstring& home, std::initializer_list<const wchar_t*> subPaths) {
        for (const wchar_t* subPath : subPaths) files.insert(home + subPath);
    }
    static std::wstring Hive(RegistryRoot root) { return root == RegistryRoot::CurrentUser ? L"HKCU\\" : L""; }
    void Register(uint32_t viewFlag, const std::wstring& key, const std::wstring& subkey, const std::wstring& javaHome) {
        RegisterIn(RegistryRoot::LocalMachine, viewFlag, key, subkey, L"", L"JavaHome", javaHome);
    }
    void RegisterIn(RegistryRoot root, uint32_t viewFlag, const std::wstring& key, const std::wstring& subkey,
                    const std::wstring& homeSubkey, const std::wstring& valueName, const std::wstring& home) {
        std::vector<std::wstring>& names = registry[viewFlag][Hive(root) + key];
        bool known = false;
        for (const std::wstring& name : names) known = known || name == subkey;
        if (!known) names.push_back(subkey);
        values[viewFlag][Hive(root) + key + subkey + homeSubkey + L"|" + valueName] = home;
    }

    Arch Architecture() const override { return arch; }
    bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
    bool IsForeignArchitecture(const std::wstring& library) override { return foreignLibraries.count(library) != 0; }
    bool ModulePath(std::wstring& path) override {
        if (modulePathAvailable) path = modulePath;
        return modulePathAvailable;
    }
    bool FolderExists(const std::wstring& path) override {
        const std::wstring prefix = path + L"\\";
        auto it = files.lower_bound(prefix);
        return it != files.end() && it->compare(0, prefix.size(), prefix) == 0;
    }
    bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) override {
        auto it = fileContents.find(path);
        if (it == fileContents.end()) return false;
        complete = it->second.size() <= maxBytes;
        data = it->second.substr(0, maxBytes);
        return true;
    }
    std::wstring ExpandEnvironment(const std::wstring& text) override {
        return ExpandReferences(text, [this](const std::wstring& name, std::wstring& value) {
            auto it = environment.find(name);
            if (it == environment.end()) return false;
            value = it->second;
            return true;
        });
    }
    std::vector<std::wstring> RegistrySubkeyNames(RegistryRoot root, const std::wstring& key,
                                                  uint32_t viewFlag) override {
        return registry[viewFlag][Hive(root) + key];
    }
    bool RegistryValueData(RegistryRoot root, const std::wstring& key, const wchar_t* valueName, uint32_t viewFlag,
                           std::vector<unsigned char>& data) override {
        auto it = values[viewFlag].find(Hive(root) + key + L"|" + valueName);
        if (it == values[viewFlag].end()) return false;
        data.clear();
        for (wchar_t c : it->second) {
            data.push_back(static_cast<unsigned char>(c & 0xFF));
            data.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        }
        return !data.empty();
    }
    std::wstring AppDataFolder() override { return appData; }
    void CreateFolder(const std::wstring&) override {}
    void WriteJrePath(const std::wstring& iniPath, const std::wstring& home) override {
        writes.emplace_back(iniPath, home);
    }

    // Variables that EnvironmentVariable sees (ExpandEnvironment reads `environment` too).
    bool EnvironmentVariable(const wchar_t* name, std::wstring& value) override {
        auto it = environment.find(name);
        if (it == environment.end()) return false;
        value = it->second;
        return true;
    }
    // The sub-folders that the files imply; `unreadable` folders cannot be listed.
    std::set<std::wstring> unreadable;
    size_t entriesRead = 0;
    bool SubfolderNames(const std::wstring& folder, size_t limit, std::vector<std::wstring>& names, bool& more) override {
        names.clear();
        more = false;
        if (unreadable.count(folder) != 0 || !FolderExists(folder.substr(0, folder.size() - 1))) return false;
        std::set<std::wstring> found;
        for (auto it = files.lower_bound(folder); it != files.end() && it->compare(0, folder.size(), folder) == 0; ++it) {
            const size_t slash = it->find(L'\\', folder.size());
            if (slash != std::wstring::npos) found.insert(it->substr(folder.size(), slash - folder.size()));
        }
        for (const std::wstring& name : found) {
            if (names.size() == limit) {
                more = true;
                break;
            }
            ++entriesRead;
            names.push_back(name);
        }
        return true;
    }
    std::map<std::wstring, std::wstring> links;  // link path -> the file it names
    bool FinalPath(const std::wstring& path, std::wstring& resolved) override {
        auto it = links.find(path);
        resolved = it == links.end() ? path : it->second;
        return files.count(resolved) != 0;
    }
    std::set<wchar_t> remoteDrives;
    bool IsRemoteDrive(const std::wstring& path) override {
        return path.size() >= 2 && path[1] == L':' && remoteDrives.count(path[0]) != 0;
    }
};
