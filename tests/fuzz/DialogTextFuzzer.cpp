// The dialogs' texts from outside: the browser's link colours as the registry holds them, and the
// requirement text from the INI's version bounds.
#include "runtime/JavaVersion.h"
#include "jre/LinkColour.h"
#include "jre/RequirementText.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<std::wstring> fields = fuzz::Fields(data, size, 3);
    LinkColour colour;
    ParseColourText(fields[0], colour);
    if (size >= 1) {
        // The raw bytes as a registry value of each type: never read past `size`.
        for (uint32_t type = 0; type < 4; ++type) ColourFromRegistryValue(type, data + 1, size - 1, colour);
    }
    const JavaVersion minimum = ParseJavaVersion(fields[1], 0);
    const JavaVersion maximum = ParseJavaVersion(fields[2], 65535);
    const RequirementText text = ChooseRequirementText(minimum, maximum);
    FUZZ_ASSERT(text.stringId >= 217 && text.stringId <= 221);
    FUZZ_ASSERT(text.arguments.size() <= 2);
    const std::wstring message = ComposeJreNotFoundMessage(minimum, maximum, JvmType::Server, [](unsigned id) {
        return id == 206 ? std::wstring(L"server %s") : std::wstring(L"%s and %s");
    });
    FUZZ_ASSERT(message.rfind(L"server ", 0) == 0);
    return 0;
}
