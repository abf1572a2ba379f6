// The raw data of a "JavaHome" registry value, of any type and length, and the home cut from it.
#include <vector>

#include "jre/RegistrySearch.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    const std::wstring home = JavaHomeFromRegistryData(bytes.data(), bytes.size());
    FUZZ_ASSERT(home.size() <= size / 2 && !fuzz::Contains(home, L'\0'));
    for (const VendorKey& key : kVendorKeys) {
        for (bool hasJreFolder : {false, true}) {
            const std::wstring jreHome = HomeFromJavaHome(key, home, hasJreFolder);
            if (!home.empty()) FUZZ_ASSERT(!jreHome.empty() && jreHome.back() == L'\\');
        }
    }
    return 0;
}
