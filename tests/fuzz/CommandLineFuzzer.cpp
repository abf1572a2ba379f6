// The launcher's command line and the "Cmd" setting.
#include "launcher/CommandLine.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::wstring text = fuzz::Fields(data, size, 1)[0];
    StringList tokens;
    SplitArguments(text, tokens);
    size_t total = 0;
    for (const std::wstring& token : tokens) {
        // Only a quoted stretch holds a space.
        if (fuzz::Contains(token, L' ')) FUZZ_ASSERT(fuzz::Contains(text, L'"'));
        total += token.size();
    }
    FUZZ_ASSERT(total <= text.size());
    const StringList arguments = ArgumentsFromCommandLine(text);
    total = 0;
    for (const std::wstring& argument : arguments) total += argument.size();
    FUZZ_ASSERT(total <= text.size());
    StringList appended = arguments;
    AppendCmdArguments(text, appended);
    FUZZ_ASSERT(appended.size() >= arguments.size());
    HasNoSplashSwitch(appended);
    std::wstring folder;
    if (ModuleDirectoryOf(text, folder)) FUZZ_ASSERT(folder.size() <= text.size() + 1);
    return 0;
}
