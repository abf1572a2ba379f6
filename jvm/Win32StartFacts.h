// The machine's facts for composing a Java start, from Windows; and setting the VM's environment.
#pragma once

#include "jvm/JavaStart.h"

class Win32StartFacts : public StartFacts {
public:
    std::wstring Expand(const std::wstring& text) override;
    std::vector<Found> Search(const std::wstring& pattern) override;
    void MemoryStatus(uint64_t& totalPhysical, uint64_t& availableVirtual) override;
    uint64_t MemoryCeiling() override;
};

// Sets VX_JVM_PATH and VX_JVM_HOME, composes the environment (its expansions see those two and
// the old "Path"), then sets the new "Path". The virtual machine and every process it starts
// inherit them.
VmEnvironment PrepareVmEnvironment(const JavaSettings& settings, const std::wstring& jvmLibraryPath,
                                   const std::wstring& launcherFolderWithSlash);
