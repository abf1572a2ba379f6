// The shared block that a later start writes and the first instance reads: any bytes in it are
// read in bounds, and what was read writes back and reads again the same.
#include <cstring>

#include "launcher/InstanceBlock.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    InstanceBlock block;
    std::memset(&block, 0, sizeof block);
    std::memcpy(&block, data, size < sizeof block ? size : sizeof block);
    const std::vector<std::wstring> arguments = ReadForwardedArguments(block);
    FUZZ_ASSERT(!arguments.empty());
    ForwardedArgumentsWriter(block);
    InstanceBlock again;
    std::memset(&again, 0, sizeof again);
    if (WriteForwardedArguments(arguments, 7, again)) {
        FUZZ_ASSERT(ReadForwardedArguments(again) == arguments);
        FUZZ_ASSERT(ForwardedArgumentsWriter(again) == 7);
    }
    // Any path gives a name without a backslash, within the kernel's limits.
    const std::wstring name = InstanceNameFromCanonicalPath(fuzz::Fields(data, size, 1)[0]);
    FUZZ_ASSERT(name.find(L'\\') == std::wstring::npos && name.size() <= kInstanceNameMax);
    // A list carried beside the block reads back as it was written (an empty list as one empty
    // argument), and any bytes decode without reading past their end.
    const std::vector<uint8_t> encoded = EncodeArguments(arguments);
    FUZZ_ASSERT(DecodeArguments(encoded.data(), encoded.size(), static_cast<uint32_t>(arguments.size())) == arguments);
    DecodeArguments(data, size, 0);
    DecodeArguments(data, size, size > 0 ? data[0] : 0);
    return 0;
}
