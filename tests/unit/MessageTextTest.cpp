#include "base/DecimalText.h"
#include "base/MessageText.h"
#include "tests/framework/Check.h"

TEST_CASE(FormatMessageTemplate_Table) {
    struct Row { const wchar_t* templ; std::vector<ErrorArg> args; const wchar_t* text; };
    const Row rows[] = {
        {L"Windows exception: %s (errno = %d).\n", {L"failed to get the module path", 122},
         L"Windows exception: failed to get the module path (errno = 122).\n"},
        {L"JNI exception: %s\nReason: %s.\n", {L"failed to create the Java VM", L"not enough memory"},
         L"JNI exception: failed to create the Java VM\nReason: not enough memory.\n"},
        {L"%d", {-1}, L"-1"},
        {L"100%% %s", {L"x"}, L"100% x"},
        {L"%s and %s", {L"only one"}, L"only one and "},
        {L"%x %", {}, L"%x %"},
        {L"%s", {L"%d %s"}, L"%d %s"},  // argument text is not formatted again
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.templ, FormatMessageTemplate(row.templ, row.args), std::wstring(row.text));
}

TEST_CASE(ClipMessageInsert_Table) {
    struct Row { std::wstring text; size_t limit; std::wstring clipped; };
    const Row rows[] = {
        {L"abcdef", 6, L"abcdef"},
        {L"abcdefg", 6, L"abc..."},
        {L"ab\xD83D\xDE00" L"cde", 6, L"ab..."},  // the pair is not split
        {L"abc", 2, L".."},
        {L"", 0, L""},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text, ClipMessageInsert(row.text, row.limit), row.clipped);
    // A megabyte-long main class name reaches the box at the limit.
    const std::wstring huge(1 << 20, L'x');
    const std::wstring text = FormatMessageTemplate(L"Could not find the main class %s.\n", {huge});
    CHECK_EQ(text.size(), std::wstring(L"Could not find the main class .\n").size() + kMaxMessageInsert);
}

TEST_CASE(AsOneLine_Table) {
    struct Row { std::wstring text; std::wstring line; };
    const Row rows[] = {
        {L"Main class was not specified in INI file.", L"Main class was not specified in INI file."},
        {L"Could not find the main class a.B.\n", L"Could not find the main class a.B."},
        {L"too long:\nC:\\x y\nPlease install it.\n", L"too long: C:\\x y Please install it."},
        {L"JNI exception: failed\r\n  Reason: x.\n", L"JNI exception: failed Reason: x."},
        {L"Please  download", L"Please  download"},  // spaces inside a line stay
        {L"\n\n", L""},
        {L"", L""},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text, AsOneLine(row.text), row.line);
}

TEST_CASE(StringFromTableBlock_ReadsEntriesAndStopsAtTheEnd) {
    // Entries 0 and 2 hold "ab" and "\u00f3"; the others are empty.
    std::vector<uint16_t> block = {2, 'a', 'b', 0, 1, 0x00f3};
    for (int i = 3; i < 16; ++i) block.push_back(0);
    std::wstring text;
    CHECK(StringFromTableBlock(block.data(), block.size(), 0, text));
    CHECK_EQ(text, std::wstring(L"ab"));
    CHECK(StringFromTableBlock(block.data(), block.size(), 2, text));
    CHECK_EQ(text, std::wstring(L"\x00f3"));
    CHECK(StringFromTableBlock(block.data(), block.size(), 15, text));
    CHECK_EQ(text, std::wstring());
    // A length word that runs past the block is refused.
    const uint16_t truncated[] = {5, 'a'};
    CHECK(!StringFromTableBlock(truncated, 2, 0, text));
    CHECK(!StringFromTableBlock(truncated, 0, 0, text));
}

TEST_CASE(ChooseResourceLanguage_SpanishOrEnglish) {
    CHECK_EQ(ChooseResourceLanguage(0x0c0a, 0x0409), static_cast<uint16_t>(0x0c0a));
    CHECK_EQ(ChooseResourceLanguage(0x080a, 0x080a), static_cast<uint16_t>(0x0c0a));  // Mexico
    CHECK_EQ(ChooseResourceLanguage(0x0409, 0x040a), static_cast<uint16_t>(0x0c0a));  // Spanish locale
    CHECK_EQ(ChooseResourceLanguage(0x0407, 0x0407), static_cast<uint16_t>(0x0409));
    CHECK_EQ(ChooseResourceLanguage(0x0416, 0x0416), static_cast<uint16_t>(0x0409));
}

TEST_CASE(DecimalText_Table) {
    CHECK_EQ(DecimalText(0), std::wstring(L"0"));
    CHECK_EQ(DecimalText(-7), std::wstring(L"-7"));
    CHECK_EQ(DecimalText(INT32_MIN), std::wstring(L"-2147483648"));
    CHECK_EQ(DecimalText(UINT32_MAX), std::wstring(L"4294967295"));
    CHECK_EQ(DecimalText(INT64_MIN), std::wstring(L"-9223372036854775808"));
    CHECK_EQ(DecimalText(UINT64_MAX), std::wstring(L"18446744073709551615"));
    CHECK_EQ(DecimalText(static_cast<size_t>(1040)), std::wstring(L"1040"));
}
