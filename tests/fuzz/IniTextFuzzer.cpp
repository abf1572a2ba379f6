// INI files: any bytes parse (as UTF-8 and as UTF-16); a value written into any text reads back
// the same, and every other key keeps its value.
#include <string>

#include "base/IniText.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

// Values that the profile functions keep as they are: no line end, no blank space or quote at
// either end.
bool Storable(const std::wstring& value) {
    if (value.find_first_of(L"\r\n") != std::wstring::npos) return false;
    if (value.empty()) return true;
    for (wchar_t end : {value.front(), value.back()}) {
        if (end == L' ' || end == L'\t' || end == L'\v' || end == L'\f' || end == L'"' || end == L'\'') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    DetectIniEncoding(bytes);
    FUZZ_ASSERT(DecodeUtf8(EncodeUtf8(DecodeUtf8(bytes))) == DecodeUtf8(bytes));
    // The first line names the section, the second the value; the rest is the file.
    const size_t cut1 = bytes.find('\n');
    const size_t cut2 = cut1 == std::string::npos ? std::string::npos : bytes.find('\n', cut1 + 1);
    if (cut2 == std::string::npos) {
        IniText::Parse(DecodeUtf16(bytes, bytes.size() % 2 == 1));
        FUZZ_ASSERT(EncodeUtf16(DecodeUtf16(bytes, false), false) == bytes.substr(0, bytes.size() & ~size_t(1)));
        return 0;
    }
    const std::wstring section = DecodeUtf8(bytes.substr(0, cut1));
    const std::wstring value = DecodeUtf8(bytes.substr(cut1 + 1, cut2 - cut1 - 1));
    const std::wstring file = DecodeUtf8(bytes.substr(cut2 + 1));
    const IniText before = IniText::Parse(file);
    if (section.find_first_of(L"[]\r\n=") != std::wstring::npos || !Storable(value)) return 0;
    const std::wstring written = SetIniTextValue(file, section, L"JRE Path", value);
    const IniText after = IniText::Parse(written);
    FUZZ_ASSERT(after.GetString(section, L"JRE Path") == value);
    FUZZ_ASSERT(after.GetString(section, L"Main Class") == before.GetString(section, L"Main Class"));
    FUZZ_ASSERT(after.GetString(L"Other", L"JRE Path") == before.GetString(L"Other", L"JRE Path") ||
                after.GetString(L"Other", L"JRE Path") == value);
    return 0;
}
