#include <cstring>

#include "launcher/InstanceBlock.h"
#include "tests/framework/Check.h"

using Args = std::vector<std::wstring>;

TEST_CASE(InstanceNameFromPath_ReplacesBackslashes) {
    CHECK_EQ(InstanceNameFromPath(L"C:\\Apps\\Tool 64.exe"), std::wstring(L"C:_Apps_Tool 64.exe"));
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

TEST_CASE(ForwardedArguments_AreaWithoutTerminatorStopsAtItsEdge) {
    InstanceBlock area = {};
    std::memset(area.arguments, 0x41, sizeof area.arguments);  // hostile: no NUL at all
    const Args read = ReadForwardedArguments(area);
    CHECK_EQ(read.size(), size_t(1));
    CHECK_EQ(read[0].size(), size_t(520));
}
