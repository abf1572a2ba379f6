#include "runtime/JavaVersion.h"
#include "tests/framework/Check.h"

namespace {

std::string Fields(const JavaVersion& v) {
    return std::to_string(v.fields[0]) + "." + std::to_string(v.fields[1]) + "." + std::to_string(v.fields[2]) +
           "." + std::to_string(v.fields[3]);
}

}  // namespace

TEST_CASE(ParseJavaVersion_Table) {
    struct Row { const wchar_t* text; int32_t fill; bool ok; const char* fields; };
    const Row rows[] = {
        {L"1.8.0_202", 0, true, "1.8.0.202"},
        {L"1.6", 0, true, "1.6.0.0"},
        {L"1.6", 65535, true, "1.6.65535.65535"},
        {L"11", 65535, true, "11.65535.65535.65535"},
        {L"jdk1.7.0_80-b15", 0, true, "1.7.0.80"},
        {L"abc", 65535, false, "0.0.0.0"},
        {L"", 65535, false, "0.0.0.0"},
        {L"ANY", 0, false, "0.0.0.0"},
        {L"2147483647", 0, true, "2147483647.0.0.0"},
        {L"2147483648", 0, false, "0.0.0.0"},
        {L"1.2147483648", 0, false, "0.0.0.0"},
        {L"1..8", 0, true, "1.8.0.0"},
        {L"v1 8", 0, true, "1.8.0.0"},
        {L"1.2.3.4.5", 0, true, "1.2.3.4"},
        {L"1.2.3.4.99999999999", 0, true, "1.2.3.4"},  // a fifth run is never read
        {L"\x0661.2", 0, true, "2.0.0.0"},             // only ASCII digits count
        {L"007.08", 0, true, "7.8.0.0"},
    };
    for (const Row& row : rows) {
        JavaVersion v;
        const bool ok = ParseJavaVersion(row.text, row.fill, v);
        CHECK_EQ_AT(row.text, ok, row.ok);
        CHECK_EQ_AT(row.text, Fields(v), std::string(row.fields));
    }
}

TEST_CASE(CompareJavaVersions_Table) {
    struct Row { JavaVersion a, b; int expected; };
    const Row rows[] = {
        {JavaVersion::Of(1, 8, 0, 202), JavaVersion::Of(1, 8, 0, 0), 1},
        {JavaVersion::Of(10, 0, 0, 0), JavaVersion::Of(9, 0, 0, 0), 1},
        {JavaVersion::Of(1, 7, 0, 80), JavaVersion::Of(1, 8, 0, 0), -1},
        {JavaVersion::Of(1, 8, 0, 0), JavaVersion::Of(1, 8, 0, 0), 0},
        {JavaVersion::Of(-1, 0, 0, 0), JavaVersion::Of(0, 0, 0, 0), -1},  // signed fields
    };
    for (const Row& row : rows) {
        CHECK_EQ(CompareJavaVersions(row.a, row.b), row.expected);
        CHECK_EQ(CompareJavaVersions(row.b, row.a), -row.expected);
    }
}

TEST_CASE(VersionBounds_MaximumAndMinimumFromIniTexts) {
    const JavaVersion max18 = ParseJavaVersion(L"1.8", kVersionFillMaximum);
    const JavaVersion min18 = ParseJavaVersion(L"1.8", kVersionFillMinimum);
    CHECK(IsWithinBounds(JavaVersion::Of(1, 8, 0, 202), JavaVersion::OpenMinimum(), max18));
    CHECK(!IsWithinBounds(JavaVersion::Of(1, 9, 0, 0), JavaVersion::OpenMinimum(), max18));
    CHECK(IsWithinBounds(JavaVersion::Of(1, 8, 0, 0), min18, JavaVersion::OpenMaximum()));
    CHECK(!IsWithinBounds(JavaVersion::Of(1, 7, 0, 80), min18, JavaVersion::OpenMaximum()));
    // An empty maximum is 0.0.0.0: every version with a digit lies above it.
    const JavaVersion emptyMax = ParseJavaVersion(L"", kVersionFillMaximum);
    CHECK(!IsWithinBounds(JavaVersion::Of(1, 0, 0, 0), JavaVersion::OpenMinimum(), emptyMax));
    CHECK(IsWithinBounds(JavaVersion::Of(0, 0, 0, 0), JavaVersion::OpenMinimum(), emptyMax));
}

TEST_CASE(MatchesPreferredVersion_Table) {
    struct Row { JavaVersion candidate; const wchar_t* preferred; bool expected; };
    const Row rows[] = {
        {JavaVersion::Of(1, 8, 0, 202), L"1.8", true},
        {JavaVersion::Of(1, 8, 5, 1), L"1.8", true},
        {JavaVersion::Of(1, 7, 0, 80), L"1.8", false},
        {JavaVersion::Of(1, 8, 0, 202), L"1.8.0_202", true},
        {JavaVersion::Of(1, 8, 0, 201), L"1.8.0_202", false},
        {JavaVersion::Of(1, 0, 5, 3), L"1.0.5", true},
        {JavaVersion::Of(1, 2, 5, 0), L"1.0.5", false},  // a zero before a non-zero field is no wildcard
        {JavaVersion::Of(17, 0, 1, 0), L"", true},        // an empty entry matches everything
        {JavaVersion::Of(17, 0, 1, 0), L"none", true},
        {JavaVersion::Of(0, 0, 0, 0), L"0", true},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.preferred,
                    MatchesPreferredVersion(row.candidate, ParseJavaVersion(row.preferred, kVersionFillMinimum)),
                    row.expected);
    }
}

TEST_CASE(FormatJavaVersion_Table) {
    struct Row { JavaVersion v; const wchar_t* text; };
    const Row rows[] = {
        {JavaVersion::Of(1, 8, 65535, 65535), L"1.8"},
        {JavaVersion::Of(1, 8, 0, 202), L"1.8.0.202"},
        {JavaVersion::Of(1, 0, 0, 0), L"1.0"},
        {JavaVersion::Of(11, 65535, 65535, 65535), L"11.65535"},
        {JavaVersion::Of(0, 0, 0, 0), L"0.0.0.0"},
        {JavaVersion::Of(65535, 65535, 65535, 65535), L"0.0.0.0"},
        {JavaVersion::Of(0, 65535, 7, 0), L"0.65535.7"},
    };
    for (const Row& row : rows) CHECK_EQ(FormatJavaVersion(row.v), std::wstring(row.text));
}

TEST_CASE(IsOpenBound_OnlyAllZeroOrAllMax) {
    CHECK(IsOpenBound(JavaVersion::OpenMinimum()));
    CHECK(IsOpenBound(JavaVersion::OpenMaximum()));
    CHECK(!IsOpenBound(JavaVersion::Of(0, 0, 0, 1)));
    CHECK(!IsOpenBound(JavaVersion::Of(65535, 65535, 65535, 0)));
}
