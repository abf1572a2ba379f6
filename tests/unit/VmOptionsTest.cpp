#include "jvm/VmOptions.h"
#include "tests/framework/Check.h"

using Tokens = std::vector<std::wstring>;

TEST_CASE(JreFoldersOf_ServerLibrary) {
    const JreFolders f = JreFoldersOf(L"C:\\Java\\jre\\bin\\server\\jvm.dll");
    CHECK_EQ(f.home, std::wstring(L"C:\\Java\\jre"));
    CHECK_EQ(f.bin, std::wstring(L"C:\\Java\\jre\\bin"));
    CHECK_EQ(f.homeWithSlash, std::wstring(L"C:\\Java\\jre\\"));
    const JreFolders shallow = JreFoldersOf(L"jvm.dll");  // no folders at all: nothing to cut
    CHECK_EQ(shallow.home, std::wstring());
}

TEST_CASE(ComposeLibraryAndSearchPath) {
    const JreFolders jre = JreFoldersOf(L"C:\\Java\\jre\\bin\\server\\jvm.dll");
    const std::wstring path = L"C:\\Windows";
    CHECK_EQ(ComposeLibraryPath(L"native", L"C:\\App\\", path, jre),
             std::wstring(L"native;C:\\App\\;.;C:\\Windows;C:\\Java\\jre\\lib"));
    CHECK_EQ(ComposeLibraryPath(L"a;", L"C:\\App\\", path, jre), std::wstring(L"a;C:\\App\\;.;C:\\Windows;C:\\Java\\jre\\lib"));
    CHECK_EQ(ComposeLibraryPath(L"", L"C:\\App\\", path, jre), std::wstring());
    CHECK_EQ(ComposeSearchPath(L"", path, jre), std::wstring(L"C:\\Windows;C:\\Java\\jre\\bin"));
    CHECK_EQ(ComposeSearchPath(L"C:\\tools", path, jre), std::wstring(L"C:\\tools;C:\\Windows;C:\\Java\\jre\\bin"));
    CHECK_EQ(ComposeSearchPath(L"C:\\tools;", path, jre), std::wstring(L"C:\\tools;C:\\Windows;C:\\Java\\jre\\bin"));
}

TEST_CASE(ClassPathEntryKinds_Table) {
    struct Row { const wchar_t* entry; bool search; const wchar_t* searchPath; const wchar_t* prefix; };
    const Row rows[] = {
        {L"\\lib\\*.jar", true, L"C:\\App\\lib\\*.jar", L"C:\\App\\lib\\"},
        {L"\\app.jar", true, L"C:\\App\\app.jar", L"C:\\App\\"},
        {L"lib\\app.jar", true, L"C:\\Applib\\app.jar", L"C:\\Applib\\"},
        {L"", true, L"C:\\App", L"C:\\"},
        {L"C:\\missing.jar", false, L"C:\\missing.jar", L"C:\\"},
        {L"C:\\lib\\a?.jar", false, L"C:\\lib\\a?.jar", L"C:\\lib\\"},
        {L"C:\\lib\\*.jar", true, L"C:\\lib\\*.jar", L"C:\\lib\\"},
        {L"\\\\server\\share\\x.jar", false, L"\\\\server\\share\\x.jar", L"\\\\server\\share\\"},
        {L"x", true, L"C:\\Appx", L"C:\\"},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.entry, NeedsClassPathSearch(row.entry), row.search);
        const std::wstring path = ClassPathSearchPath(row.entry, L"C:\\App");
        CHECK_EQ_AT(row.entry, path, std::wstring(row.searchPath));
        CHECK_EQ_AT(row.entry, FolderPrefixOf(path), std::wstring(row.prefix));
    }
}

TEST_CASE(SplitVmParameters_Table) {
    struct Row { const wchar_t* text; Tokens tokens; };
    const Row rows[] = {
        {L"", {}},
        {L"-Xmx512m \"-Dtitle=My App\" -Dx=1", {L"-Xmx512m", L"\"-Dtitle=My App\"", L"-Dx=1"}},
        {L"-Dname=\"a b\" -Dy", {L"-Dname=\"a b\"", L"-Dy"}},
        {L" -Xmx1g", {L"", L"-Xmx1g"}},
        {L"a   b", {L"a", L"b"}},
        {L"-Da=\"x y", {L"-Da=\"x", L"y"}},             // an unclosed quote protects nothing
        {L"-Da=\"x\"\"y z\" w", {L"-Da=\"x\"\"y", L"z\"", L"w"}},  // "" closes the stretch
        {L"\"a b\"\"c d\"", {L"\"a b\"\"c", L"d\""}},
        {L"\"\"", {L"\"\""}},
        {L"x ", {L"x"}},
        {L"\"a b\"c\"d e\" f", {L"\"a b\"c\"d e\"", L"f"}},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text, SplitVmParameters(row.text), row.tokens);
}

TEST_CASE(UnquoteToken_Table) {
    struct Row { const wchar_t* token; const wchar_t* result; };
    const Row rows[] = {
        {L"-Dname=\"a b\"", L"-Dname=a b"},
        {L"\"-Dtitle=My App\"", L"-Dtitle=My App"},
        {L"-Dq=\"say \"\"hi\"", L"-Dq=say \"hi\""},  // "" closes, keeping one quote
        {L"-Dx=\"unclosed", L"-Dx=\"unclosed"},
        {L"\"\"", L""},
        {L"\"a\"\"\"", L"a\"\""},
        {L"\"a\"b\"c\"", L"abc"},
        {L"plain", L"plain"},
    };
    for (const Row& row : rows) {
        std::wstring token = row.token;
        UnquoteToken(token);
        CHECK_EQ_AT(row.token, token, std::wstring(row.result));
    }
}

TEST_CASE(ParseColonNumbers_Table) {
    struct Row { const wchar_t* text; size_t prefix; std::vector<uint64_t> numbers; };
    const Row rows[] = {
        {L"-Xmx50P", 4, {50}},
        {L"-Xmx25:512:1024P", 4, {25, 512, 1024}},
        {L"-Xmx:512P", 4, {0, 512}},
        {L"-XmxP", 5, {}},
        {L"512k", 0, {512}},
        {L"1048576", 0, {1048576}},
        {L"1:2", 0, {1, 2}},
        {L"-Xmx5x0P", 4, {50}},  // other characters are skipped
    };
    for (const Row& row : rows) {
        const ColonNumbers parsed = ParseColonNumbers(row.text);
        CHECK_EQ_AT(row.text, parsed.prefixLength, row.prefix);
        CHECK_EQ_AT(row.text, parsed.numbers, row.numbers);
    }
}

TEST_CASE(ApplyMemoryPercentage_Table) {
    const uint64_t eightGiB = 8ull << 30, twoGiB = 2ull << 30;
    struct Row { const wchar_t* token; const wchar_t* result; };
    const Row rows[] = {
        {L"-Xmx50P", L"-Xmx4194304K"},
        {L"-Xmx50p", L"-Xmx4194304K"},
        {L"-Xmx25:512:1024P", L"-Xmx1048576K"},
        {L"-Xms1:512P", L"-Xms524288K"},
        {L"-Xmx50:4096:1024P", L"-Xmx4194304K"},  // the minimum wins over the maximum
        {L"-Xmx50T", L"-Xmx1048576K"},            // of the available address space
        {L"-XmxP", L"-XmxP0K"},
        {L"-Xmx100000P", L"-Xmx8388608K"},                       // at most the whole base
        {L"-Xmx50:0:18014398509481985P", L"-Xmx4194304K"},       // a maximum past 2^54 MB does not wrap to 0
        {L"-Xmx1:99999999999999999999999P", L"-Xmx18446744073709551615K"},  // nor a huge minimum
    };
    for (const Row& row : rows) {
        std::wstring token = row.token;
        CHECK_EQ_AT(row.token, IsMemoryPercentageToken(token), true);
        ApplyMemoryPercentage(token, eightGiB, twoGiB);
        CHECK_EQ_AT(row.token, token, std::wstring(row.result));
    }
    CHECK(!IsMemoryPercentageToken(L"-xmx50P"));
    CHECK(!IsMemoryPercentageToken(L"-Xmx512m"));
    CHECK(!IsMemoryPercentageToken(L"-Dx=50P"));
}

// What a 32-bit process can reserve, from its address space as GlobalMemoryStatus reports it, and
// percentages of a 16 GiB machine in such a process (GlobalMemoryStatus gives a 32-bit process at
// most 4 GiB - 1 of physical memory).
TEST_CASE(MemoryCeilingOf32BitProcess_Table) {
    const uint64_t mb = 1ull << 20;
    struct Space { const wchar_t* name; uint64_t totalVirtual; uint64_t ceiling; };
    const Space spaces[] = {
        {L"2 GB: 32-bit Windows, or no large addresses", 0x7FFE0000ull, 1280 * mb},
        {L"exactly 2 GiB", 0x80000000ull, 1280 * mb},
        {L"3 GB: a 32-bit system started with /3GB", 0xBFFE0000ull, 1536 * mb},
        {L"4 GB: large-address-aware under 64-bit Windows", 0xFFFE0000ull, 1536 * mb},
        {L"no answer", 0, 1280 * mb},
    };
    for (const Space& space : spaces) {
        CHECK_EQ_AT(space.name, MemoryCeilingOf32BitProcess(space.totalVirtual), space.ceiling);
    }
    const uint64_t physical = 0xFFFFFFFFull, available = 0xF0000000ull, ceiling = 1536 * mb;
    struct Row { const wchar_t* token; const wchar_t* result; };
    const Row rows[] = {
        {L"-Xmx70P", L"-Xmx1572864K"},       // 70 % of 4 GiB would be 2.8 GiB
        {L"-Xmx30P", L"-Xmx1258290K"},       // below the ceiling: unchanged
        {L"-Xmx10:2048P", L"-Xmx1572864K"},  // a minimum above the ceiling gives way too
        {L"-Xmx90:0:1024P", L"-Xmx1048576K"},
        {L"-Xms50T", L"-Xms1572864K"},
        {L"-Xss1P", L"-Xss41943K"},
    };
    for (const Row& row : rows) {
        std::wstring token = row.token;
        ApplyMemoryPercentage(token, physical, available, ceiling);
        CHECK_EQ_AT(row.token, token, std::wstring(row.result));
    }
}

TEST_CASE(ParseStackSize_Table) {
    struct Row { const wchar_t* value; uint64_t bytes; };
    const Row rows[] = {
        {L"512k", 524288}, {L"2m", 2097152}, {L"1048576", 1048576}, {L"1G", 1073741824},
        {L"abc", 0}, {L"", 0}, {L"1:2m", 0}, {L"k512k", 0}, {L"512x", 512},
        {L"99999999999999999999g", UINT64_MAX}, {L"17179869184g", UINT64_MAX},  // saturate, never wrap
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.value, ParseStackSize(row.value), row.bytes);
}
