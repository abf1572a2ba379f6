#include <cstring>

#include "launcher/InstanceBlock.h"
#include "tests/framework/Check.h"

using Args = std::vector<std::wstring>;

TEST_CASE(InstanceName_TellsEveryPathApart) {
    // Paths as the launcher folds them: canonical, long, upper case.
    const std::wstring longFolder = L"C:\\" + std::wstring(300, L'D') + L"\\";
    const std::wstring paths[] = {
        L"C:\\A_B\\X.EXE", L"C:\\A\\B\\X.EXE", L"C:_A_B_X.EXE", L"C:\\A/B\\X.EXE", L"C:\\A%2FB\\X.EXE",
        L"C:\\A%B\\X.EXE", L"C:\\A%25B\\X.EXE", L"\\\\SERVER\\SHARE\\X.EXE",
        longFolder + L"MARLWICK 64.EXE", L"E" + longFolder.substr(1) + L"MARLWICK 64.EXE",
        longFolder + L"MARLWICK.EXE",
    };
    std::vector<std::wstring> names;
    for (const std::wstring& path : paths) {
        const std::wstring name = InstanceNameFromCanonicalPath(path);
        CHECK_EQ_AT(path, name.find(L'\\'), std::wstring::npos);
        CHECK_EQ_AT(path, name.size() <= kInstanceNameMax, true);
        for (const std::wstring& other : names) CHECK_EQ_AT(path, name != other, true);
        names.push_back(name);
    }
    // Readable: the hash, then the path as far as it fits, its end kept.
    CHECK_EQ(InstanceNameFromCanonicalPath(L"C:\\APPS\\TOOL 64.EXE"),
             std::wstring(L"MarlwickInstance.004128E22847AB12.C:/APPS/TOOL 64.EXE"));
    const std::wstring cut = InstanceNameFromCanonicalPath(longFolder + L"MARLWICK 64.EXE");
    CHECK_EQ(cut.size(), kInstanceNameMax);
    CHECK_EQ(cut.substr(cut.size() - 20), std::wstring(L"DDDD/MARLWICK 64.EXE"));
    // The same path always gives the same name, so that a later start finds the first.
    CHECK_EQ(InstanceNameFromCanonicalPath(L"C:\\A_B\\X.EXE"), names[0]);
}

TEST_CASE(InstanceName_CompanionNames) {
    CHECK_EQ(InstanceSlotName(L"N", 0), std::wstring(L"N"));
    CHECK_EQ(InstanceSlotName(L"N", 3), std::wstring(L"N#3"));
    CHECK_EQ(ArgumentsMappingName(L"N", 4294967295u), std::wstring(L"N_upr_args_4294967295"));
    // Within the kernel's 260 with the longest suffix of the companion objects.
    CHECK_EQ(kInstanceNameMax + std::wstring(L"#7_upr_args_4294967295").size() < 260, true);
}

TEST_CASE(ForwardedArguments_RoundTrip) {
    const Args rows[] = {
        {L"a", L"b"},
        {L"with space", L"", L"\x00f1and\x00fa", L"\xd83d\xde00"},
        {L""},
        {std::wstring(517, L'x')},  // 2*517+2 bytes, +2 for the final NUL: exactly 1038
    };
    for (const Args& args : rows) {
        InstanceBlock area = {};
        std::memset(area.arguments, 0xcc, sizeof area.arguments);
        CHECK_EQ_AT(args.empty() ? L"" : args[0], WriteForwardedArguments(args, 7, area), true);
        CHECK_EQ_AT(args.empty() ? L"" : args[0], ReadForwardedArguments(area), args);
    }
}

TEST_CASE(ForwardedArguments_WithoutCountAnEmptyArgumentEndsTheList) {
    // A block written by a start that keeps no count.
    InstanceBlock block = {};
    CHECK(WriteForwardedArguments({L"a", L"", L"b"}, 7, block));
    std::memset(block.reserved, 0, sizeof block.reserved);
    CHECK_EQ(ReadForwardedArguments(block), (Args{L"a"}));
}

TEST_CASE(ForwardedArguments_NameTheirWriter) {
    InstanceBlock block = {};
    CHECK_EQ(ForwardedArgumentsWriter(block), uint32_t(0));
    CHECK(WriteForwardedArguments({L"a"}, 0x12345678, block));
    CHECK_EQ(ForwardedArgumentsWriter(block), uint32_t(0x12345678));
    CHECK(!WriteForwardedArguments({std::wstring(600, L'x')}, 9, block));
    CHECK_EQ(ForwardedArgumentsWriter(block), uint32_t(0x12345678));  // a refused start writes nothing
}

TEST_CASE(ForwardedArguments_NoArgumentsReadAsOneEmpty) {
    InstanceBlock area = {};
    CHECK(WriteForwardedArguments({}, 7, area));
    CHECK_EQ(ReadForwardedArguments(area), (Args{L""}));
}

TEST_CASE(ForwardedArguments_TooLongLeavesTheAreaAlone) {
    InstanceBlock area = {};
    std::memset(area.arguments, 0x41, sizeof area.arguments);
    // 520 code units with their terminators need 1042 + 2 bytes.
    CHECK(!WriteForwardedArguments({std::wstring(519, L'x')}, 7, area));
    CHECK(!WriteForwardedArguments({std::wstring(300, L'x'), std::wstring(219, L'y')}, 7, area));
    CHECK_EQ(area.arguments[0], uint8_t(0x41));
    CHECK(WriteForwardedArguments({std::wstring(518, L'x')}, 7, area));  // 1038 + 2 = 1040 fits
}

TEST_CASE(ForwardedArguments_LongListsTravelBesideTheBlock) {
    // The list beside the block is encoded as in the area; the block names its size and writer.
    const Args rows[] = {
        {std::wstring(519, L'y')},
        std::vector<std::wstring>(3000, L""),
        {std::wstring(32000, L'\xd83d'), L"", L"last"},
        std::vector<std::wstring>(104, L"abcd"),
    };
    for (const Args& args : rows) {
        const std::vector<uint8_t> bytes = EncodeArguments(args);
        InstanceBlock block = {};
        std::memset(block.arguments, 0x41, sizeof block.arguments);
        CHECK(!WriteForwardedArguments(args, 7, block));
        WriteArgumentsElsewhere(static_cast<uint32_t>(args.size()), static_cast<uint32_t>(bytes.size()), 9, block);
        CHECK_EQ(ArgumentsElsewhereSize(block), static_cast<uint32_t>(bytes.size()));
        CHECK_EQ(ForwardedArgumentsWriter(block), uint32_t(9));
        CHECK_EQ(ForwardedArgumentCount(block), static_cast<uint32_t>(args.size()));
        CHECK_EQ(block.arguments[0], uint8_t(0));
        CHECK_EQ(DecodeArguments(bytes.data(), bytes.size(), ForwardedArgumentCount(block)), args);
        // A list that fits again clears the size.
        CHECK(WriteForwardedArguments({L"a"}, 8, block));
        CHECK_EQ(ArgumentsElsewhereSize(block), uint32_t(0));
    }
    // Hostile bytes: odd length, no terminator, a count larger than the list.
    const uint8_t odd[] = {'a', 0, 'b'};
    CHECK_EQ(DecodeArguments(odd, sizeof odd, 0), (Args{L"a"}));
    const uint8_t open[] = {'a', 0, 'b', 0};
    CHECK_EQ(DecodeArguments(open, sizeof open, 0), (Args{L"ab"}));
    CHECK_EQ(DecodeArguments(open, 0, 0), (Args{L""}));
    const uint8_t two[] = {'a', 0, 0, 0, 'b', 0, 0, 0};
    CHECK_EQ(DecodeArguments(two, sizeof two, 5), (Args{L"a", L"b"}));
}

TEST_CASE(ForwardedArguments_AreaWithoutTerminatorStopsAtItsEdge) {
    InstanceBlock area = {};
    std::memset(area.arguments, 0x41, sizeof area.arguments);  // hostile: no NUL at all
    const Args read = ReadForwardedArguments(area);
    CHECK_EQ(read.size(), size_t(1));
    CHECK_EQ(read[0].size(), size_t(520));
}
