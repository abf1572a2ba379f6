#include <string>
#include <vector>

#include "jre/JvmProbe.h"
#include "jre/RegistrySearch.h"
#include "tests/framework/Check.h"
#include "tests/unit/jre/FakeJreSystem.h"

namespace {

const wchar_t kSunJdk[] = L"Software\\JavaSoft\\Java Development Kit\\";
const wchar_t kSunJre[] = L"Software\\JavaSoft\\Java Runtime Environment\\";
const wchar_t kIbmJre[] = L"Software\\IBM\\Java2 Runtime Environment\\";
const wchar_t kClient[] = L"bin\\client\\jvm.dll";
const wchar_t kServer[] = L"bin\\server\\jvm.dll";

LauncherSettings Settings(const std::wstring& source, const std::wstring& provider) {
    LauncherSettings s;
    s.maximumVersion = JavaVersion::OpenMaximum();
    ApplyJvmSource(source, s);
    ApplyVmProvider(provider, s);
    return s;
}

std::wstring Homes(const std::vector<JreCandidate>& candidates) {
    std::wstring text;
    for (const JreCandidate& c : candidates) text += c.home + L" " + FormatJavaVersion(c.version) + L";";
    return text;
}

}  // namespace

TEST_CASE(probe_order_follows_the_jvm_type) {
    struct Row {
        const wchar_t* name;
        std::vector<const wchar_t*> files;
        JvmType type;
        const wchar_t* found;  // sub-path, empty for none
        bool server;
    };
    const std::vector<const wchar_t*> clientAndServer = {kClient, kServer};
    const std::vector<const wchar_t*> all = {kClient, L"bin\\classic\\jvm.dll", L"bin\\hotspot\\jvm.dll", kServer,
                                             L"bin\\jrockit\\jvm.dll"};
    const Row rows[] = {
        {L"both, default", clientAndServer, JvmType::Default, kClient, false},
        {L"both, server", clientAndServer, JvmType::Server, kServer, true},
        {L"both, favor_server", clientAndServer, JvmType::FavorServer, kServer, true},
        {L"server only, default", {kServer}, JvmType::Default, kServer, true},
        {L"client only, server", {kClient}, JvmType::Server, L"", false},
        {L"client only, favor_server", {kClient}, JvmType::FavorServer, kClient, false},
        {L"jrockit only, default", {L"bin\\jrockit\\jvm.dll"}, JvmType::Default, L"bin\\jrockit\\jvm.dll", false},
        {L"jrockit only, server", {L"bin\\jrockit\\jvm.dll"}, JvmType::Server, L"", false},
        {L"classic before hotspot", {L"bin\\hotspot\\jvm.dll", L"bin\\classic\\jvm.dll"}, JvmType::Default,
         L"bin\\classic\\jvm.dll", false},
        {L"hotspot before server", {L"bin\\hotspot\\jvm.dll", kServer}, JvmType::Default, L"bin\\hotspot\\jvm.dll", false},
        {L"server before jrockit", {L"bin\\jrockit\\jvm.dll", kServer}, JvmType::Default, kServer, true},
        {L"every library, default", all, JvmType::Default, kClient, false},
        {L"java.dll alone is no JVM", {L"bin\\java.dll"}, JvmType::Default, L"", false},
    };
    for (const wchar_t* home : {L"C:\\jre\\", L""}) {
        for (const Row& row : rows) {
            FakeJreSystem system;
            for (const wchar_t* file : row.files) system.files.insert(std::wstring(home) + file);
            const JvmProbeResult result = ProbeJvmLibrary(system, home, row.type);
            const std::wstring expected = *row.found ? std::wstring(home) + row.found : L"";
            CHECK_EQ_AT(std::wstring(row.name) + L" in '" + home + L"'", result.library, expected);
            CHECK_EQ_AT(row.name, result.server, row.server);
        }
    }
}

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
        const LauncherSettings s = Settings(row.source, row.provider);
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

TEST_CASE(registered_homes_become_candidates) {
    FakeJreSystem system;
    system.AddJre(L"C:\\jre8\\", {kClient});
    system.AddJre(L"C:\\jdk6\\jre\\", {kClient});
    system.AddJre(L"C:\\nodigit\\", {kClient});
    system.files.insert(L"C:\\jdk7\\bin\\client\\jvm.dll");  // the JDK's own folder does not count
    system.Register(0, kSunJre, L"1.8", L"C:\\jre8");
    system.Register(0, kSunJre, L"1.8.0_202", L"C:\\jre8\\");
    system.Register(0, kSunJre, L"1.5.0", L"C:\\jre8");         // below the minimum
    system.Register(0, kSunJre, L"current", L"C:\\nodigit");     // 0.0.0.0
    system.Register(0, kSunJre, L"1.7", L"C:\\empty");           // no library
    system.Register(0, kSunJre, L"1.7.1", L"");                  // empty JavaHome
    system.Register(0, kSunJdk, L"1.6", L"C:\\jdk6");
    system.Register(0, kSunJdk, L"1.7", L"C:\\jdk7");
    system.Register(0x200, kSunJre, L"1.9", L"C:\\jre8");        // other view: not read

    LauncherSettings s = Settings(L"", L"");
    s.minimumVersion = ParseMinimumVersion(L"1.6");
    CHECK_EQ(Homes(CollectCandidates(system, s, 0)),
             L"C:\\jdk6\\jre\\ 1.6;C:\\jre8\\ 1.8;C:\\jre8\\ 1.8.0.202;");

    s.minimumVersion = ParseMinimumVersion(L"any");
    CHECK_EQ(Homes(CollectCandidates(system, s, 0)),
             L"C:\\jdk6\\jre\\ 1.6;C:\\jre8\\ 1.8;C:\\jre8\\ 1.8.0.202;C:\\jre8\\ 1.5;C:\\nodigit\\ 0.0.0.0;");

    // An empty maximum admits no name that holds a digit.
    s.maximumVersion = ParseMaximumVersion(L"");
    CHECK_EQ(Homes(CollectCandidates(system, s, 0)), L"C:\\nodigit\\ 0.0.0.0;");

    // Every key of the search is opened in the requested view only.
    RegistryJre found;
    s.maximumVersion = ParseMaximumVersion(L"any");
    system.openedKeys.clear();
    CHECK(!SearchRegistry(system, s, RegistryView::Other, found));  // no pair product
    CHECK(system.openedKeys.empty());
    s.pairProduct = L"C:\\App\\Tool.exe";
    CHECK(SearchRegistry(system, s, RegistryView::Other, found));
    CHECK_EQ(found.home, L"C:\\jre8\\");
    CHECK_EQ(FormatJavaVersion(found.version), L"1.9");
}

TEST_CASE(favor_server_sorts_server_candidates_first_but_probes_the_sun_jre_as_default) {
    FakeJreSystem system;
    system.AddJre(L"C:\\jdk6\\jre\\", {kServer});
    system.AddJre(L"C:\\jre8\\", {kClient});
    system.AddJre(L"C:\\jre7\\", {kClient, kServer});
    system.Register(0, kSunJdk, L"1.6", L"C:\\jdk6");
    system.Register(0, kSunJre, L"1.8", L"C:\\jre8");
    system.Register(0, kSunJre, L"1.7", L"C:\\jre7");
    LauncherSettings s = Settings(L"", L"");
    s.jvmType = JvmType::FavorServer;
    std::vector<JreCandidate> candidates = CollectCandidates(system, s, 0);
    SortCandidates(candidates, s);
    CHECK_EQ(Homes(candidates), L"C:\\jdk6\\jre\\ 1.6;C:\\jre8\\ 1.8;C:\\jre7\\ 1.7;");
    CHECK_EQ(candidates[2].server, false);
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
        LauncherSettings s = Settings(row.source, L"");
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
