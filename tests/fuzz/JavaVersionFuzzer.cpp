// Java version texts (INI bounds, preferred versions, registry key names): comparison is a
// total order, and the text shown for a version (its fields up to the last that is neither 0 nor
// 65535) reads back as a version that agrees with it in those fields.
#include "runtime/JavaVersion.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<std::wstring> fields = fuzz::Fields(data, size, 2);
    JavaVersion a, b;
    const bool parsedA = ParseJavaVersion(fields[0], 65535, a);
    ParseJavaVersion(fields[1], 0, b);
    FUZZ_ASSERT(CompareJavaVersions(a, a) == 0);
    FUZZ_ASSERT(CompareJavaVersions(a, b) == -CompareJavaVersions(b, a));
    MatchesPreferredVersion(a, b);
    IsOpenBound(a);
    if (parsedA) {
        const std::wstring shown = FormatJavaVersion(a);
        JavaVersion again;
        FUZZ_ASSERT(ParseJavaVersion(shown, 0, again));
        FUZZ_ASSERT(FormatJavaVersion(again) == shown);
    }
    return 0;
}
