// The PE headers of a JVM library: any bytes, any length.
#include <cstdint>
#include <vector>

#include "runtime/PeImage.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    // A copy of exactly `size` bytes, so that AddressSanitizer sees any read past the end.
    const std::vector<unsigned char> bytes(data, data + size);
    uint16_t machine = 0;
    const bool known = ReadPeMachine(bytes.data(), bytes.size(), machine);
    const bool foreign64 = IsForeignImage(bytes.data(), bytes.size(), Arch::X64);
    const bool foreign86 = IsForeignImage(bytes.data(), bytes.size(), Arch::X86);
    if (!known) FUZZ_ASSERT(!foreign64 && !foreign86);
    return 0;
}
