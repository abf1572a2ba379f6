// Path text, message templates, string-table blocks and INI paths.
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/IniPaths.h"
#include "base/MessageText.h"
#include "base/PathText.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::vector<std::wstring> fields = fuzz::Fields(data, size, 3);
    const std::wstring& path = fields[0];
    FUZZ_ASSERT(FolderOf(path).size() <= path.size());
    FUZZ_ASSERT(FileNameOf(path).size() <= path.size());
    FUZZ_ASSERT(FolderWithSlashOf(path).size() <= path.size());
    IsAbsolutePath(path);
    const std::wstring expanded = ExpandReferences(path, [&](const std::wstring& name, std::wstring& value) {
        value = fields[1];
        return !name.empty() && name[0] != L'X';
    });
    (void)expanded;
    FormatMessageTemplate(path, {ErrorArg(fields[1]), ErrorArg(int32_t(-1)), ErrorArg(fields[2])});
    std::vector<uint16_t> words(size / 2);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 2);
    std::wstring text;
    for (unsigned index = 0; index < 16; ++index) StringFromTableBlock(words.data(), words.size(), index, text);
    std::wstring iniPath;
    if (IniPathFromModulePath(path, iniPath)) FUZZ_ASSERT(iniPath.size() >= 4);
    const std::wstring folderName = FolderNameFromProductName(fields[1]);
    for (wchar_t c : std::wstring(L"\\?\"|><:/*")) FUZZ_ASSERT(!fuzz::Contains(folderName, c));
    MakeUserIniLocation(fields[2], fields[1], path, path);
    if (size >= 4) ChooseResourceLanguage(static_cast<uint16_t>(data[0] | data[1] << 8), static_cast<uint16_t>(data[2] | data[3] << 8));
    return 0;
}
