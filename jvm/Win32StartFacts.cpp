#include "jvm/Win32StartFacts.h"

#include <windows.h>

#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "jvm/VmOptions.h"

std::wstring Win32StartFacts::Expand(const std::wstring& text) { return ExpandEnvironment(text); }

std::vector<StartFacts::Found> Win32StartFacts::Search(const std::wstring& pattern) {
    std::vector<Found> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search) return names;
    do {
        names.push_back({found.cFileName, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(search.get(), &found));
    return names;
}

void Win32StartFacts::MemoryStatus(uint64_t& totalPhysical, uint64_t& availableVirtual) {
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    totalPhysical = memory.dwTotalPhys;
    availableVirtual = memory.dwAvailVirtual;
}

uint64_t Win32StartFacts::MemoryCeiling() {
    if (sizeof(void*) != 4) return UINT64_MAX;
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    return MemoryCeilingOf32BitProcess(memory.dwTotalVirtual);
}

VmEnvironment PrepareVmEnvironment(const JavaSettings& settings, const std::wstring& jvmLibraryPath,
                                   const std::wstring& launcherFolderWithSlash) {
    SetEnvironmentVariableW(L"VX_JVM_PATH", jvmLibraryPath.c_str());
    SetEnvironmentVariableW(L"VX_JVM_HOME", JreFoldersOf(jvmLibraryPath).home.c_str());
    Win32StartFacts facts;
    const VmEnvironment environment = ComposeVmEnvironment(settings, jvmLibraryPath, launcherFolderWithSlash, facts);
    SetEnvironmentVariableW(L"Path", environment.searchPath.c_str());
    return environment;
}
