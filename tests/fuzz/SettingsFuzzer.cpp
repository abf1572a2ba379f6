// Values read from the INI file: versions and version lists, JVM type and source, provider, main class.
#include "launcher/Settings.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::wstring text = fuzz::Fields(data, size, 1)[0];
    for (const std::wstring& item : SplitList(text)) {
        FUZZ_ASSERT(item.size() <= text.size());
        ParseJavaVersion(item, 0);
    }
    const JavaVersion minimum = ParseMinimumVersion(text);
    const JavaVersion maximum = ParseMaximumVersion(text);
    IsWithinBounds(minimum, minimum, maximum);
    ParseJvmType(text);
    JreSettings settings;
    ApplyJvmSource(text, settings);
    ApplyVmProvider(text, settings);
    const std::wstring slashes = MainClassToSlashes(text);
    FUZZ_ASSERT(slashes.size() == text.size() && !fuzz::Contains(slashes, L'.'));
    IsAnyCaseYes(text);
    FUZZ_ASSERT(EqualsAsciiNoCase(text, text));
    return 0;
}
