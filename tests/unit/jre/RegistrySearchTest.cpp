#include <string>
#include <vector>

#include "jre/RegistrySearch.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

JreSettings Settings(const std::wstring& source, const std::wstring& provider) {
    JreSettings s;
    s.maximumVersion = JavaVersion::OpenMaximum();
    ApplyJvmSource(source, s);
    ApplyVmProvider(provider, s);
    return s;
}

}  // namespace

TEST_CASE(kind_and_provider_decide_which_keys_are_read_and_favoured) {
    struct Row {
        const wchar_t* source;
        const wchar_t* provider;
        const char* searched;  // one letter per vendor key, in search order
        const char* favoured;
    };
    const Row rows[] = {
        {L"", L"", "yy---", "yy---"},
        {L"favor_JRE", L"", "yy---", "-y---"},
        {L"favor_JDK", L"", "yy---", "y----"},
        {L"only_JRE", L"", "-y---", "-y---"},
        {L"only_JDK", L"", "y----", "y----"},
        {L"JRE", L"", "-----", "-----"},
        {L"favor_jdk", L"", "-----", "-----"},
        {L"", L"favor_ibm", "yyyyy", "----y"},
        {L"only_JRE", L"favor_ibm", "-yy-y", "----y"},
        {L"", L"IBM", "----y", "----y"},
        {L"", L"jrockit", "--yy-", "--yy-"},
        {L"", L"oracle", "yy---", "yy---"},
        {L"", L"any", "yyyyy", "-----"},
        {L"favor_JDK", L"favor_jrockit", "yyyyy", "---y-"},
    };
    for (const Row& row : rows) {
        const JreSettings s = Settings(row.source, row.provider);
        std::string searched, favoured;
        for (const VendorKey& key : kVendorKeys) {
            searched += IsKeySearched(key, s) ? 'y' : '-';
            favoured += IsKeyFavoured(key, s) ? 'y' : '-';
        }
        const std::wstring name = std::wstring(row.source) + L"/" + row.provider;
        CHECK_EQ_AT(name, searched, std::string(row.searched));
        CHECK_EQ_AT(name, favoured, std::string(row.favoured));
    }
}

TEST_CASE(sorting_keys_apply_only_when_their_setting_asks) {
    auto candidate = [](const wchar_t* home, const wchar_t* version, bool server, bool favoured) {
        JreCandidate c;
        c.home = home;
        c.version = ParseJavaVersion(version, 0);
        c.server = server;
        c.favoured = favoured;
        return c;
    };
    const std::vector<JreCandidate> found = {
        candidate(L"a", L"1.6", false, false), candidate(L"b", L"1.8", false, false),
        candidate(L"c", L"1.7", true, false),  candidate(L"d", L"1.5", false, true),
        candidate(L"e", L"1.8", false, false), candidate(L"f", L"1.6", true, true),
    };
    struct Row {
        const wchar_t* source;
        JvmType type;
        std::wstring order;
    };
    const Row rows[] = {
        {L"", JvmType::Default, L"f1.6;d1.5;b1.8;e1.8;c1.7;a1.6;"},
        {L"", JvmType::FavorServer, L"f1.6;d1.5;c1.7;b1.8;e1.8;a1.6;"},
        {L"only_JRE", JvmType::Default, L"b1.8;e1.8;c1.7;a1.6;f1.6;d1.5;"},
        {L"only_JRE", JvmType::FavorServer, L"c1.7;f1.6;b1.8;e1.8;a1.6;d1.5;"},
        {L"", JvmType::Server, L"f1.6;d1.5;b1.8;e1.8;c1.7;a1.6;"},
    };
    for (const Row& row : rows) {
        JreSettings s = Settings(row.source, L"");
        s.jvmType = row.type;
        std::vector<JreCandidate> sorted = found;
        SortCandidates(sorted, s);
        std::wstring order;
        for (const JreCandidate& c : sorted) order += c.home + FormatJavaVersion(c.version) + L";";
        CHECK_EQ_AT(row.source, order, row.order);
    }
}

TEST_CASE(preferred_versions_pick_the_first_entry_that_matches) {
    std::vector<JreCandidate> sorted(3);
    sorted[0].version = ParseJavaVersion(L"1.8.0_202", 0);
    sorted[1].version = ParseJavaVersion(L"1.7.0_80", 0);
    sorted[2].version = ParseJavaVersion(L"1.7.0_10", 0);
    struct Row {
        const wchar_t* preferred;
        size_t picked;
    };
    const Row rows[] = {
        {L"", 0},           {L"1.7;1.8", 1},     {L";1.7", 0},        {L"1.9", 0},
        {L"1.9;1.7", 1},    {L"1.7.0_10", 2},    {L"1.0.7", 0},       {L"abc;1.7", 0},
        {L"1.8.0_1;1.7.0_10", 2},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.preferred, PickCandidate(sorted, SplitList(row.preferred)), row.picked);
    }
}
