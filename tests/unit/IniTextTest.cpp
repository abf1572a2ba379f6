// INI text read with the profile functions' rules, whatever the file's encoding. The reading table
// is the one that GetPrivateProfileStringW gives for the same lines in an ASCII file.
#include "base/IniText.h"
#include "tests/framework/Check.h"

namespace {

// "ñandú" and a character beyond the basic plane (U+1F600), in UTF-8 and in UTF-16.
const char kNandu[] = "\xC3\xB1" "and\xC3\xBA";
const wchar_t kWideNandu[] = L"\x00f1" L"and\x00fa";
const char kSmile[] = "\xF0\x9F\x98\x80";
const wchar_t kWideSmile[] = L"\xd83d\xde00";

const std::string kSample = std::string("\xEF\xBB\xBF") +
    "key0=before any section\r\n"
    "  [ Spaced ]  trailing\r\n"
    "a = 1 \r\n"
    "[Main]\r\n"
    "Plain=value\r\n"
    "  Indented  =  padded value  \r\n"
    "Quoted=\"  inner  \"\r\n"
    "Single='x'\r\n"
    "Mixed=\"x'\r\n"
    "OneQuote=\"\r\n"
    "Inner=a\"b\"\r\n"
    "Eq=a=b\r\n"
    ";Comment=yes\r\n"
    "NoEquals\r\n"
    "Dup=first\r\n"
    "dup=second\r\n"
    "Tab=\tt\t\r\n"
    "JRE Path=C:\\" + kNandu + "\\" + kSmile + "\r\n"
    "[main]\r\n"
    "Second=in second main\r\n"
    "[Broken\r\n"
    "InBroken=1\r\n"
    "[A]B]\r\n"
    "X=ab\r\n"
    "[" + kNandu + "]\r\n"
    "k=v\r\n"
    "[Last]\rCR=only\rNext=2\n"
    "LF=yes";

}  // namespace

TEST_CASE(IniText_ReadsAsTheProfileFunctionsDo) {
    struct Row {
        const wchar_t* section;
        const wchar_t* key;
        std::wstring value;
    };
    const Row rows[] = {
        {L"", L"key0", L"before any section"},
        {L"Spaced", L"a", L"1"},
        {L" Spaced ", L" a ", L"1"},
        {L"Main", L"Plain", L"value"},
        {L"MAIN", L"plain", L"value"},
        {L"Main", L"Indented", L"padded value"},
        {L"Main", L"Quoted", L"  inner  "},
        {L"Main", L"Single", L"x"},
        {L"Main", L"Mixed", L"\"x'"},
        {L"Main", L"OneQuote", L"\""},
        {L"Main", L"Inner", L"a\"b\""},
        {L"Main", L"Eq", L"a=b"},
        {L"Main", L";Comment", L"yes"},
        {L"Main", L"NoEquals", L""},
        {L"Main", L"DUP", L"first"},
        {L"Main", L"Tab", L"t"},
        {L"Main", L"JRE Path", std::wstring(L"C:\\") + kWideNandu + L"\\" + kWideSmile},
        {L"Main", L"Second", L""},  // only the first [Main] counts
        {L"Main", L"InBroken", L""},
        {L"Broken", L"InBroken", L""},
        {L"A", L"X", L""},
        {L"A]B", L"X", L"ab"},
        {kWideNandu, L"k", L"v"},
        {L"Last", L"CR", L"only"},
        {L"Last", L"Next", L"2"},
        {L"Last", L"LF", L"yes"},
        {L"Missing", L"Plain", L""},
    };
    // The same text in each encoding that a file may have, decoded as the launcher decodes it.
    const std::wstring wide = DecodeUtf8(kSample);
    const std::string utf16 = EncodeUtf16(wide, false);
    const std::string utf16BigEndian = EncodeUtf16(wide, true);
    CHECK(DetectIniEncoding(utf16) == IniEncoding::Utf16);
    CHECK(DetectIniEncoding(utf16BigEndian) == IniEncoding::Utf16BigEndian);
    const IniText texts[] = {IniText::Parse(kSample), IniText::Parse(DecodeUtf16(utf16, false)),
                             IniText::Parse(DecodeUtf16(utf16BigEndian, true))};
    for (const IniText& text : texts) {
        for (const Row& row : rows) {
            CHECK_EQ_AT(std::wstring(row.section) + L"/" + row.key, text.GetString(row.section, row.key), row.value);
        }
        std::vector<std::wstring> names;
        for (const IniText::Section& section : text.Sections()) names.push_back(section.name);
        CHECK_EQ(names, (std::vector<std::wstring>{L"", L"Spaced", L"Main", L"main", L"A]B", kWideNandu, L"Last"}));
    }
}

TEST_CASE(IniText_EncodingFollowsMarkAndContent) {
    const struct {
        std::string bytes;
        IniEncoding encoding;
    } rows[] = {
        {"", IniEncoding::Ansi},
        {"[A]\r\nk=plain ascii\r\n", IniEncoding::Ansi},
        {"\xEF\xBB\xBF[A]\r\nk=v\r\n", IniEncoding::Utf8},
        {std::string("k=") + kNandu, IniEncoding::Utf8},
        {"k=\xF1" "and\xFA", IniEncoding::Ansi},           // Windows-1252 "ñandú"
        {"k=\xC3", IniEncoding::Ansi},                     // cut sequence
        {"k=\xED\xA0\x80", IniEncoding::Ansi},             // encoded surrogate
        {"k=\xC0\xAF", IniEncoding::Ansi},                 // overlong "/"
        {std::string("\xFF\xFE[\0A\0]\0", 8), IniEncoding::Utf16},
        {std::string("\xFE\xFF\0[\0A\0]", 8), IniEncoding::Utf16BigEndian},
    };
    for (const auto& row : rows) CHECK_EQ_AT(DecodeUtf8(row.bytes), DetectIniEncoding(row.bytes) == row.encoding, true);
}

TEST_CASE(Utf8_RoundTripsAndReplacesMalformedSequences) {
    const std::wstring text = std::wstring(L"a") + kWideNandu + kWideSmile + L"\x20ac";
    CHECK_EQ(DecodeUtf8(EncodeUtf8(text)), text);
    CHECK_EQ(EncodeUtf8(text), std::string("a") + kNandu + kSmile + "\xE2\x82\xAC");
    CHECK_EQ(DecodeUtf8("x\xC3" "y\xFF"), std::wstring(L"x\xfffdy\xfffd"));
    CHECK_EQ(EncodeUtf8(std::wstring(1, wchar_t(0xD800)) + L"z"), std::string("\xEF\xBF\xBDz"));
}

TEST_CASE(IniText_SetValueChangesOnlyItsLine) {
    const std::wstring path = std::wstring(L"D:\\") + kWideNandu;
    const std::string newPath = std::string("D:\\") + kNandu;
    const struct {
        const wchar_t* name;
        std::string before;
        const wchar_t* section;
        std::string after;
    } rows[] = {
        {L"replace", "\xEF\xBB\xBF; note\r\n[Java Runtime Environment]\r\n  jre path = old \r\nX=1\r\n",
         L"Java Runtime Environment", "\xEF\xBB\xBF; note\r\n[Java Runtime Environment]\r\nJRE Path=" + newPath + "\r\nX=1\r\n"},
        {L"append to section", "[J]\nX=1\n\n[Next]\nY=2\n", L"j", "[J]\nX=1\nJRE Path=" + newPath + "\n\n[Next]\nY=2\n"},
        {L"first section only", "[J]\nX=1\n[J]\nJRE Path=old\n", L"J", "[J]\nX=1\nJRE Path=" + newPath + "\n[J]\nJRE Path=old\n"},
        {L"new section", "[Other]\r\nX=1", L"J", "[Other]\r\nX=1\r\n[J]\r\nJRE Path=" + newPath + "\r\n"},
        {L"empty file", "", L"J", "[J]\r\nJRE Path=" + newPath + "\r\n"},
        {L"mark only", "\xEF\xBB\xBF", L"J", "\xEF\xBB\xBF[J]\r\nJRE Path=" + newPath + "\r\n"},
        {L"header at the end", "[J]", L"J", "[J]\r\nJRE Path=" + newPath + "\r\n"},
    };
    for (const auto& row : rows) {
        const std::string after = EncodeUtf8(SetIniTextValue(DecodeUtf8(row.before), row.section, L"JRE Path", path));
        CHECK_EQ_AT(row.name, after, row.after);
        CHECK_EQ_AT(row.name, IniText::Parse(after).GetString(row.section, L"jre path"), path);
    }
}
