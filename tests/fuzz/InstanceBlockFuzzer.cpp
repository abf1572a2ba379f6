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
    InstanceNameFromPath(fuzz::Fields(data, size, 1)[0]);
    return 0;
}
