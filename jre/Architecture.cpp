#include "jre/Architecture.h"

bool IsForeignMachine(Arch arch, uint16_t machine) {
    return arch == Arch::X64 ? machine == kMachineI386 : machine != kMachineI386;
}

const wchar_t* LocalJreFolderName(Arch arch) { return arch == Arch::X64 ? L"jre64\\" : L"jre\\"; }

uint32_t OtherRegistryViewFlag(Arch arch) { return arch == Arch::X64 ? kKeyWow64_32Key : kKeyWow64_64Key; }
