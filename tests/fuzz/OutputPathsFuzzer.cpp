// Output and error file paths: timestamp pictures and the folders to create.
#include "jvm/OutputPaths.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::wstring path = fuzz::Fields(data, size, 1)[0];
    size_t first = 0, last = 0;
    if (FindTimestampPicture(path, first, last)) {
        FUZZ_ASSERT(first <= last && last < path.size() && path[first] == L'%' && path[last] == L'%');
        const std::wstring picture = path.substr(first, last - first + 1);
        const std::wstring replaced = ReplaceMilliseconds(picture, 999);
        FUZZ_ASSERT(!fuzz::Contains(replaced, L'L'));
    }
    // Each folder is shorter than the path; the folders of a plain drive path (a letter, ":\",
    // no doubled backslash) are prefixes of it.
    const bool drivePath = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
                           path[1] == L':' && path[2] == L'\\' && path.find(L"\\\\") == std::wstring::npos;
    std::wstring previous;
    for (const std::wstring& folder : ParentFoldersToCreate(path)) {
        FUZZ_ASSERT(folder.size() < path.size());
        if (drivePath) FUZZ_ASSERT(path.compare(0, folder.size(), folder) == 0);
        FUZZ_ASSERT(folder.size() > previous.size());  // outermost first
        previous = folder;
    }
    return 0;
}
