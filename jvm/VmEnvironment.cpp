// The environment and the option strings that the virtual machine is created with.
#include <windows.h>

#include "jvm/VmOptions.h"
#include "base/PathText.h"
#include "launcher/CommandLine.h"
#include "base/ErrorBox.h"
#include "base/IniFile.h"
#include "launcher/Launcher.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "resources/resource.h"

namespace {

// The launcher's folder with its trailing backslash; empty when the module path is unavailable.
std::wstring LauncherFolderWithSlash() {
    std::wstring modulePath;
    if (!GetModulePath(modulePath)) return std::wstring();
    return FolderWithSlashOf(modulePath);
}

}  // namespace

void Launcher::PrepareVmEnvironment() {
    const JreFolders jre = JreFoldersOf(jvmLibraryPath);
    SetEnvironmentVariableW(L"VX_JVM_PATH", jvmLibraryPath.c_str());
    SetEnvironmentVariableW(L"VX_JVM_HOME", jre.home.c_str());

    const std::wstring libraryPathText = ComposeLibraryPath(settings.libraryPath, LauncherFolderWithSlash(), jre);
    if (!libraryPathText.empty()) {
        vmOptions.push_back(ToThreadAnsi(L"-Djava.library.path=" + ExpandEnvironment(libraryPathText)));
    }
    SetEnvironmentVariableW(L"Path", ExpandEnvironment(ComposeSearchPath(settings.systemPath, jre)).c_str());
}

void Launcher::ResolveClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder,
                                     std::wstring& classPath) {
    const std::wstring searchPath = ClassPathSearchPath(entry, launcherFolder);
    const std::wstring prefix = FolderPrefixOf(searchPath);
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(searchPath.c_str(), &found));
    if (!search) return;
    do {
        classPath += prefix + found.cFileName + L";";
    } while (FindNextFileW(search.get(), &found));
}

bool Launcher::GatherVmOptions() {
    std::wstring iniPath;
    if (!GetIniPath(iniPath)) return false;
    LayeredIniFile ini(iniPath);

    std::wstring launcherFolder = LauncherFolderWithSlash();
    if (!launcherFolder.empty()) launcherFolder.pop_back();

    std::wstring classPath;
    for (const std::wstring& item : SplitList(ini.GetString(ini::kClassPathSection, ini::kClassPath))) {
        const std::wstring entry = ExpandEnvironment(item);
        if (NeedsClassPathSearch(entry)) {
            ResolveClassPathEntry(entry, launcherFolder, classPath);
        } else {
            classPath += entry + L";";
        }
    }
    if (IsAnyCaseYes(ini.GetString(ini::kApplicationSection, ini::kEmbeddedJar))) {
        std::wstring modulePath;
        if (QueryModulePath(nullptr, modulePath)) classPath = modulePath + L";" + classPath;
    }
    if (classPath.empty()) {
        ShowErrorBox(IDS_NO_CLASS_PATH);
        return false;
    }

    std::vector<std::wstring> options{L"-Djava.class.path=" + classPath};
    MEMORYSTATUS memory = {};
    bool haveMemory = false;
    for (std::wstring& token : SplitVmParameters(ini.GetString(ini::kJreSection, ini::kVmParameters))) {
        UnquoteToken(token);
        if (IsMemoryPercentageToken(token)) {
            if (!haveMemory) {
                memory.dwLength = sizeof memory;
                GlobalMemoryStatus(&memory);
                haveMemory = true;
            }
            ApplyMemoryPercentage(token, memory.dwTotalPhys, memory.dwAvailVirtual);
        }
        if (token.rfind(L"-Xss", 0) == 0) mainThreadStackSize = static_cast<SIZE_T>(ParseStackSize(token.substr(4)));
        options.push_back(std::move(token));
    }
    for (const std::wstring& option : options) vmOptions.push_back(ToThreadAnsi(ExpandEnvironment(option)));

    outputFile = ini.GetString(ini::kApplicationSection, ini::kOutputFile);
    if (!outputFile.empty()) outputFile = ExpandEnvironment(outputFile);
    outputAppend = ini.GetString(ini::kApplicationSection, ini::kOutputAppend) == L"yes";
    errorFile = ini.GetString(ini::kApplicationSection, ini::kErrorFile);
    if (!errorFile.empty()) errorFile = ExpandEnvironment(errorFile);
    errorAppend = ini.GetString(ini::kApplicationSection, ini::kErrorAppend) == L"yes";

    cmdText = ini.GetString(ini::kApplicationSection, ini::kCmd);
    if (!cmdText.empty()) {
        cmdText = ExpandEnvironment(cmdText);
        AppendCmdArguments(cmdText, arguments);
    }
    return true;
}
