// The decisions in which the 64-bit and the 32-bit launcher differ. Each takes the architecture as
// a parameter, so that the tests of one build can exercise the other's; the launcher passes
// kBuildArch.
#pragma once

#include <cstdint>

enum class Arch { X86, X64 };

#if defined(_WIN64) || defined(__x86_64__) || defined(__aarch64__)
constexpr Arch kBuildArch = Arch::X64;
#else
constexpr Arch kBuildArch = Arch::X86;
#endif

// The other build of the launcher.
constexpr Arch OtherArch(Arch arch) { return arch == Arch::X64 ? Arch::X86 : Arch::X64; }

constexpr uint16_t kMachineI386 = 0x014C;

// True when a library of this PE machine type cannot be loaded by the launcher of `arch`: the
// 64-bit launcher refuses x86 libraries, the 32-bit launcher everything but x86.
bool IsForeignMachine(Arch arch, uint16_t machine);

// The JRE folder that the launcher looks for beside its executable, with its trailing backslash.
const wchar_t* LocalJreFolderName(Arch arch);

// Registry access flags of the view searched second: the 32-bit view (KEY_WOW64_32KEY) from the
// 64-bit launcher, the 64-bit view (KEY_WOW64_64KEY) from the 32-bit one.
constexpr uint32_t kKeyWow64_64Key = 0x0100;
constexpr uint32_t kKeyWow64_32Key = 0x0200;
constexpr uint32_t OtherRegistryViewFlag(Arch arch) { return arch == Arch::X64 ? kKeyWow64_32Key : kKeyWow64_64Key; }
