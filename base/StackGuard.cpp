// The stack protector's guard value and its failure routine, for the MinGW builds, linked as an
// object so that they replace the ones of GCC's support library. That library sets the guard up
// with CryptAcquireContext and CryptGenRandom, which bring the cryptographic provider and two more
// libraries into every start only to be unloaded again; here the value comes from RtlGenRandom,
// the system's generator that the C runtime's rand_s uses, mixed with what Visual C++'s security
// cookie is made of (clock, process and thread ids, performance counter, an address of the stack).
// A check that fails ends the process at once with a fast fail, as the /GS check does: nothing of
// a damaged stack runs any further. (MSVC builds have /GS; this file is not built there.)
#include <windows.h>
#include <ntsecapi.h>

#include <cstdint>

extern "C" {

// Not zero before the set-up runs, and not what the set-up leaves.
void* __stack_chk_guard = reinterpret_cast<void*>(static_cast<uintptr_t>(0x2B992DDFA2326D4Bull));

[[noreturn]] void __stack_chk_fail() {
#if defined(__x86_64__) || defined(__i386__)
    __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_STACK_COOKIE_CHECK_FAILURE) : "memory");
#endif
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_STACK_BUFFER_OVERRUN));
    for (;;) {
    }
}

}  // extern "C"

namespace {

uint64_t Mixed(uint64_t value, uint64_t more) {
    value ^= more + 0x9E3779B97F4A7C15ull + (value << 6) + (value >> 2);
    return value;
}

// Runs before the launcher's own code, as the support library's set-up does. Not guarded itself:
// its own check would compare the guard it changed.
__attribute__((constructor, no_stack_protector)) void SetUpStackGuard() {
    uint64_t random = 0;
    if (!RtlGenRandom(&random, sizeof random)) random = 0;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    uint64_t value = random;
    value = Mixed(value, (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    value = Mixed(value, GetCurrentProcessId());
    value = Mixed(value, GetCurrentThreadId());
    value = Mixed(value, static_cast<uint64_t>(counter.QuadPart));
    value = Mixed(value, reinterpret_cast<uintptr_t>(&value));
    uintptr_t guard = static_cast<uintptr_t>(value ^ (value >> 32));
    // Zero is the one value that an overrun with zeros would restore unnoticed.
    if (guard == 0) guard = static_cast<uintptr_t>(0x2B992DDFA2326D4Bull);
    __stack_chk_guard = reinterpret_cast<void*>(guard);
}

}  // namespace
