#include "runtime/Architecture.h"

bool IsForeignMachine(Arch arch, uint16_t machine) {
    return arch == Arch::X64 ? machine == kMachineI386 : machine != kMachineI386;
}

const wchar_t* LocalJreFolderName(Arch arch) { return arch == Arch::X64 ? L"jre64\\" : L"jre\\"; }

