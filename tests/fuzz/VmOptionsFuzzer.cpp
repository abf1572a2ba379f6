// "Virtual Machine Parameters" and their quoting, memory percentages, stack sizes, class path
// entries and the composed library path and "Path".
#include <cstdint>

#include "jvm/VmOptions.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<std::wstring> fields = fuzz::Fields(data, size, 3);
    const std::wstring& text = fields[0];
    size_t total = 0;
    bool first = true;
    for (std::wstring token : SplitVmParameters(text)) {
        // Only a text that begins with a space gives an empty (first) token.
        FUZZ_ASSERT(!token.empty() || (first && text[0] == L' '));
        first = false;
        total += token.size();
        const size_t before = token.size();
        UnquoteToken(token);
        FUZZ_ASSERT(token.size() <= before);
        if (IsMemoryPercentageToken(token)) {
            ApplyMemoryPercentage(token, 16ull << 30, 2ull << 30);
            FUZZ_ASSERT(token.size() >= 5 && (token.back() == L'K' || token.back() == L'k' ||
                                              IsMemoryPercentageToken(token)));
        }
        ParseStackSize(token);
    }
    FUZZ_ASSERT(total <= text.size());
    const ColonNumbers numbers = ParseColonNumbers(text);
    FUZZ_ASSERT(numbers.prefixLength <= text.size());
    const uint64_t stack = ParseStackSize(text);
    (void)stack;
    const JreFolders jre = JreFoldersOf(fields[1]);
    ComposeLibraryPath(text, fields[2], fields[1], jre);
    ComposeSearchPath(text, fields[1], jre);
    if (NeedsClassPathSearch(text)) {
        const std::wstring searchPath = ClassPathSearchPath(text, fields[2]);
        FUZZ_ASSERT(FolderPrefixOf(searchPath).size() <= searchPath.size());
    }
    IsRelativeEntry(text);
    return 0;
}
