// The raw data of a "JavaHome" registry value, of any type and length: the home cut from it holds
// no NUL and no more characters than the data can.
#include <vector>

#include "jre/RegistrySearch.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    const std::wstring home = JavaHomeFromRegistryData(bytes.data(), bytes.size());
    FUZZ_ASSERT(home.size() <= size / 2 && !fuzz::Contains(home, L'\0'));
    return 0;
}
