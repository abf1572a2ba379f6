// A runtime's `release` file, of any bytes and length, cut short or whole.
#include <string>

#include "runtime/ReleaseFile.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool complete : {false, true}) {
        std::wstring version;
        if (ReadReleaseVersion(bytes, complete, version) == ReleaseVersion::Found) {
            // A version is short printable ASCII with a digit in it.
            FUZZ_ASSERT(!version.empty() && version.size() <= 64);
            bool digit = false;
            for (wchar_t c : version) {
                FUZZ_ASSERT(c >= 0x20 && c < 0x7F);
                digit = digit || (c >= L'0' && c <= L'9');
            }
            FUZZ_ASSERT(digit);
        }
    }
    return 0;
}
