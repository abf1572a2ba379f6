#include "launcher/CommandLine.h"
#include "base/PathText.h"
#include "tests/framework/Check.h"

TEST_CASE(SplitArguments_Table) {
    struct Row { const wchar_t* text; StringList tokens; };
    const Row rows[] = {
        {L"a b", {L"a", L"b"}},
        {L"\"a b\" c", {L"a b", L"c"}},
        {L"\"a b\"c", {L"a b", L"c"}},
        {L"a\"b c", {L"a\"b", L"c"}},
        {L"\"\"", {L""}},
        {L"\"abc", {L"abc"}},
        {L"a  b", {L"a", L"b"}},
        {L"a\tb", {L"a\tb"}},                 // only the space separates
        {L"\"\" \"\" x", {L"", L"", L"x"}},
        {L"a\\\"b\\\" c", {L"a\\\"b\\\"", L"c"}},  // backslashes mean nothing
        {L"", {}},
        {L"   ", {L""}},                       // a leading space ends an empty token
        {L" a", {L"", L"a"}},
        {L"a ", {L"a"}},
        {L"\"a\"   ", {L"a"}},
        {L"\"unterminated rest of line", {L"unterminated rest of line"}},
    };
    for (const Row& row : rows) {
        StringList tokens;
        SplitArguments(row.text, tokens);
        CHECK_EQ_AT(row.text, tokens, row.tokens);
    }
}

TEST_CASE(ArgumentsFromCommandLine_DropsExecutableAndTrims) {
    struct Row { const wchar_t* line; StringList arguments; };
    const Row rows[] = {
        {L"\"C:\\Program Files\\App\\App 64.exe\"", {}},
        {L"\"C:\\Program Files\\App\\App 64.exe\" a  \"b c\" \"\"", {L"a", L"b c", L""}},
        {L"  app.exe -nosplash\t\r\n", {L"-nosplash"}},
        {L"", {}},
        {L"app.exe \"x", {L"x"}},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.line, ArgumentsFromCommandLine(row.line), row.arguments);
}

TEST_CASE(ArgumentsFromCommandLine_LongLine) {
    std::wstring line = L"app.exe";
    for (int i = 0; i < 3000; ++i) line += L" arg" + std::to_wstring(i);
    line += L" \"unterminated";
    const StringList arguments = ArgumentsFromCommandLine(line);
    CHECK_EQ(arguments.size(), static_cast<size_t>(3001));
    CHECK_EQ(arguments.back(), std::wstring(L"unterminated"));
}

TEST_CASE(AppendCmdArguments_DropsEmptyTokensOnly) {
    StringList arguments{L"first", L""};
    AppendCmdArguments(L"  x  \"\"  \"y z\" ", arguments);
    CHECK_EQ(arguments, (StringList{L"first", L"", L"x", L"y z"}));
}

TEST_CASE(HasNoSplashSwitch_ExactWholeArgument) {
    CHECK(HasNoSplashSwitch({L"a", L"-nosplash"}));
    CHECK(HasNoSplashSwitch({L"/nosplash"}));
    CHECK(!HasNoSplashSwitch({L"-NoSplash", L"/NOSPLASH", L"-nosplash ", L"--nosplash"}));
    CHECK(!HasNoSplashSwitch({}));
}

TEST_CASE(ModuleDirectoryOf_Table) {
    struct Row { const wchar_t* path; bool ok; const wchar_t* folder; };
    const Row rows[] = {
        {L"C:\\Apps\\Tool 64.exe", true, L"C:\\Apps"},
        {L"C:\\Tool.exe", true, L"C:"},
        {L"\\Tool.exe", false, L""},
        {L"Tool.exe", false, L""},
    };
    for (const Row& row : rows) {
        std::wstring folder;
        CHECK_EQ_AT(row.path, ModuleDirectoryOf(row.path, folder), row.ok);
        if (row.ok) CHECK_EQ_AT(row.path, folder, std::wstring(row.folder));
    }
}

TEST_CASE(ExpandReferences_Table) {
    auto lookup = [](const std::wstring& name, std::wstring& value) {
        if (name != L"A" && name != L"LONG") return false;
        value = name == L"A" ? L"x" : std::wstring(40000, L'y');
        return true;
    };
    struct Row { std::wstring text, expanded; };
    const Row rows[] = {
        {L"no references", L"no references"},
        {L"%A%\\lib;%A%", L"x\\lib;x"},
        {L"%UNSET%\\lib", L"%UNSET%\\lib"},
        {L"%UNSET%A%", L"%UNSETx"},
        {L"50%", L"50%"},
        {L"%%A%", L"%x"},
        {L"%LONG%;%A%", std::wstring(40000, L'y') + L";x"},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text.substr(0, 20), ExpandReferences(row.text, lookup), row.expanded);
}
