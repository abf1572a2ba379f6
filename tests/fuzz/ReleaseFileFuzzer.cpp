// A runtime's `release` file, of any bytes and length, cut short or whole; and the same bytes as
// JAVA_HOME and Path texts.
#include <string>

#include "jre/JavaFolderSearch.h"
#include "runtime/ReleaseFile.h"
#include "jre/ReleaseVendor.h"
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
        std::wstring evidence;
        const JavaProvider provider = ProviderFromRelease(bytes, complete, evidence);
        FUZZ_ASSERT(provider == JavaProvider::Sun || provider == JavaProvider::Ibm);
        FUZZ_ASSERT(!evidence.empty() && evidence.size() <= 160);
    }
    // Two bytes a code unit: whatever the text, a folder that is kept is absolute, local and short.
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
    const FolderText home = CleanJavaHome(text);
    FUZZ_ASSERT(home.folder.empty() != home.reason.empty());
    if (!home.folder.empty()) FUZZ_ASSERT(RefusedFolderReason(home.folder).empty() && home.folder.back() == L'\\');
    for (const PathEntry& entry : SplitPathVariable(text)) {
        if (entry.skipped.empty()) FUZZ_ASSERT(RefusedFolderReason(entry.folder).empty());
    }
    return 0;
}
