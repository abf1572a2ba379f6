// The JRE search over the real file system, registry and INI files.
#pragma once

#include "jre/JreSystem.h"
#include "runtime/Win32RuntimeFiles.h"

class Win32JreSystem : public JreSystem {
public:
    explicit Win32JreSystem(Arch arch = kBuildArch) : arch_(arch) {}

    Arch Architecture() const override { return arch_; }
    bool FileExists(const std::wstring& path) override;
    bool IsForeignArchitecture(const std::wstring& library) override;
    bool ModulePath(std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) override;
    std::wstring ExpandEnvironment(const std::wstring& text) override;
    std::vector<std::wstring> RegistrySubkeyNames(RegistryRoot root, const std::wstring& key,
                                                  uint32_t viewFlag) override;
    bool RegistryValueData(RegistryRoot root, const std::wstring& key, const wchar_t* valueName, uint32_t viewFlag,
                           std::vector<unsigned char>& data) override;
    std::wstring AppDataFolder() override;
    void CreateFolder(const std::wstring& path) override;
    void WriteJrePath(const std::wstring& iniPath, const std::wstring& home) override;
    // The queries of the search for Java outside the registry.
    bool FileExistsQuick(const std::wstring& path) override;
    bool EnvironmentVariable(const wchar_t* name, std::wstring& value) override;
    bool SubfolderNames(const std::wstring& folder, size_t limit, std::vector<std::wstring>& names,
                        bool& more) override;
    bool FinalPath(const std::wstring& path, std::wstring& resolved) override;
    bool IsRemoteDrive(const std::wstring& path) override;

private:
    Arch arch_;
};
