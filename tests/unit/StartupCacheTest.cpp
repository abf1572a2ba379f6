#include "jvm/StartupCache.h"
#include "tests/framework/Check.h"

namespace {

using Options = std::vector<std::wstring>;

std::string Joined(const std::vector<std::wstring>& items) {
    std::string text;
    for (const std::wstring& item : items) text += check::Narrow(item) + "|";
    return text;
}

}  // namespace

TEST_CASE(ChooseCacheMechanism_ByVersionBaseArchiveAndJavaExe) {
    struct Row { int32_t version; bool baseArchive, javaExe; CacheMechanism expected; };
    const Row rows[] = {
        {25, false, true, CacheMechanism::ClassListArchive},  // the class list needs no base archive
        {31, false, true, CacheMechanism::ClassListArchive},
        {25, true, false, CacheMechanism::None},  // nothing to assemble the cache with
        {19, false, true, CacheMechanism::ClassListArchive},
        {24, true, true, CacheMechanism::ClassListArchive},
        {24, true, false, CacheMechanism::DynamicArchive},  // the VM writes it on top of the base archive
        {21, false, false, CacheMechanism::None},
        {18, true, true, CacheMechanism::None},
        {8, true, true, CacheMechanism::None},
        {0, true, true, CacheMechanism::None},  // version unknown
    };
    for (const Row& row : rows) {
        std::wstring reason;
        CacheRuntime runtime;
        runtime.featureVersion = row.version;
        runtime.hasBaseArchive = row.baseArchive;
        runtime.hasJavaExe = row.javaExe;
        const CacheMechanism got = ChooseCacheMechanism(runtime, reason);
        const std::wstring at = std::to_wstring(row.version) + (row.baseArchive ? L" base" : L"") +
                                (row.javaExe ? L" java.exe" : L"");
        CHECK_EQ_AT(at, static_cast<int>(got), static_cast<int>(row.expected));
        CHECK_EQ_AT(at, reason.empty(), row.expected != CacheMechanism::None);
    }
}

TEST_CASE(CacheBlockedByOptions_TheStartsOwnSharingWins) {
    struct Row { Options options; bool blocked; };
    const Row rows[] = {
        {{L"-Djava.class.path=C:\\a.jar;", L"-Xmx512m", L"-Dx=-Xshare:off"}, false},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:AOTCache=C:\\my.aot"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:AOTMode=off"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:SharedArchiveFile=C:\\my.jsa"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:ArchiveClassesAtExit=C:\\my.jsa"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:+AutoCreateSharedArchive"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-Xshare:off"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-XX:-UseSharedSpaces"}, true},
        {{L"-Djava.class.path=;"}, true},
        {{L"-Djava.class.path=C:\\a.jar;", L"-Xmx1g", L"-Djava.class.path="}, true},  // the last one counts
        {{L"-Xmx512m"}, true},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.options.back(), !CacheBlockedByOptions(row.options).empty(), row.blocked);
    }
}

TEST_CASE(StartupCacheKey_ChangesWithWhatMakesACacheInvalid) {
    const std::wstring home = L"C:\\Java\\jdk-25";
    const Options options = {L"-Djava.library.path=C:\\app;C:\\Windows", L"-Djava.class.path=C:\\app\\a.jar;",
                             L"-Xmx512m", L"-Dapp.title=Demo"};
    const std::wstring stamps = L"1000:2000;300:400;";
    const std::wstring key = StartupCacheKey(home, L"25.0.2", options, stamps);
    CHECK_EQ(key.size(), size_t(16));
    CHECK_EQ(key.find_first_not_of(L"0123456789abcdef"), std::wstring::npos);

    struct Row { const wchar_t* what; std::wstring home, version; Options options; std::wstring stamps; bool changes; };
    const Row rows[] = {
        {L"same start", home, L"25.0.2", options, stamps, false},
        {L"home in other letter case", L"c:\\JAVA\\JDK-25\\", L"25.0.2", options, stamps, false},
        {L"another property", home, L"25.0.2",
         {L"-Djava.library.path=D:\\other", L"-Djava.class.path=C:\\app\\a.jar;", L"-Xmx512m", L"-Dapp.title=Other"},
         stamps, false},
        {L"another runtime folder", L"C:\\Java\\jdk-25b", L"25.0.2", options, stamps, true},
        {L"another version", home, L"25.0.3", options, stamps, true},
        {L"another class path", home, L"25.0.2",
         {L"-Djava.class.path=C:\\app\\a.jar;C:\\app\\b.jar;", L"-Xmx512m", L"-Dapp.title=Demo"}, stamps, true},
        {L"another VM option", home, L"25.0.2",
         {L"-Djava.class.path=C:\\app\\a.jar;", L"-Xmx1g", L"-Dapp.title=Demo"}, stamps, true},
        {L"a module option", home, L"25.0.2",
         {L"-Djava.class.path=C:\\app\\a.jar;", L"-Xmx512m", L"-Djdk.module.addmods=java.sql"}, stamps, true},
        {L"a jar rewritten", home, L"25.0.2", options, L"1000:2000;300:401;", true},
        // The texts are kept apart: moving text from one to the next is another key.
        {L"text moved between fields", home + L"2", L"5.0.2", options, stamps, true},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.what, StartupCacheKey(row.home, row.version, row.options, row.stamps) != key, row.changes);
    }
}

TEST_CASE(ObsoleteCacheFiles_OtherKeysAndAbandonedFiles) {
    const std::vector<CacheFolderFile> files = {
        {L"App.0123456789abcdef.aot", true},          // the current cache stays, however old
        {L"APP.0123456789ABCDEF.aot", false},         // not written by us (upper-case key): stays
        {L"app.fedcba9876543210.aot", false},         // another key, stem in other case: goes
        {L"App.fedcba9876543210.jsa", false},         // another key: goes
        {L"App.0123456789abcdef.failed", false},      // a recent failure of this key: stays
        {L"App.0123456789abcdef.failed", true},       // an hour old: goes, the cache is tried again
        {L"App.fedcba9876543210.failed", false},      // another key's: goes
        {L"App.0123456789abcdef.17.tmp", false},      // another start may still be writing: stays
        {L"App.0123456789abcdef.17.tmp", true},       // abandoned: goes
        {L"App.fedcba9876543210.18.tmp.config", true},
        {L"App.0123456789abcdef.19.tmp.args", true},
        {L"App.0123456789abcdef.19.tmp.log", true},
        {L"App.0123456789abcdef.20.tmp.classlist", false},  // an assembly may be about to read it
        {L"App.0123456789abcdef.21.tmp.classlist", true},
        {L"App.0123456789abcdef.x.tmp", true},        // not ours
        {L"App.0123456789abcdef.txt", true},
        {L"App.ini", true},
        {L"App.0123456789abcde.aot", true},           // key too short
        {L"App 64.fedcba9876543210.aot", true},       // the other executable's
        {L"Apps.fedcba9876543210.aot", true},
    };
    // What a killed assembly left: the current key's files of starts that have ended (17 and 20
    // here), whatever their age; another key's assembly may still run.
    const std::vector<CacheFolderFile> killed = {
        {L"App.0123456789abcdef.17.tmp", false},           {L"App.0123456789abcdef.17.tmp.classlist", false},
        {L"App.0123456789abcdef.18.tmp.classlist", false}, {L"App.0123456789abcdef.20.tmp.args", false},
        {L"App.fedcba9876543210.17.tmp.classlist", false}, {L"App.0123456789abcdef.1234567890.tmp", false},
    };
    CHECK_EQ(Joined(ObsoleteCacheFiles(killed, L"App", L"0123456789abcdef",
                                       [](uint32_t id) { return id == 17 || id == 20; })),
             std::string("App.0123456789abcdef.17.tmp|App.0123456789abcdef.17.tmp.classlist|"
                         "App.0123456789abcdef.20.tmp.args|"));
    CHECK_EQ(Joined(ObsoleteCacheFiles(files, L"App", L"0123456789abcdef")),
             std::string("app.fedcba9876543210.aot|App.fedcba9876543210.jsa|App.0123456789abcdef.failed|"
                         "App.fedcba9876543210.failed|App.0123456789abcdef.17.tmp|"
                         "App.fedcba9876543210.18.tmp.config|App.0123456789abcdef.19.tmp.args|"
                         "App.0123456789abcdef.19.tmp.log|App.0123456789abcdef.21.tmp.classlist|"));
}

TEST_CASE(StartupCacheOptions_CreateOrUse) {
    struct Row { CacheMechanism mechanism; int32_t version; bool create; std::string expected; };
    const Row rows[] = {
        {CacheMechanism::ClassListArchive, 25, true, "-Xlog:aot*=off,cds*=off|-XX:DumpLoadedClassList=C:\\c\\t.tmp.classlist|"},
        {CacheMechanism::ClassListArchive, 25, false,
         "-Xlog:aot*=off,cds*=off|-XX:SharedArchiveFile=C:\\c\\a.aot|-XX:+VerifySharedSpaces|"},
        // Before Java 25 an "aot" log tag would stop the VM.
        {CacheMechanism::ClassListArchive, 21, true, "-Xlog:cds*=off|-XX:DumpLoadedClassList=C:\\c\\t.tmp.classlist|"},
        {CacheMechanism::DynamicArchive, 21, true, "-Xlog:cds*=off|-XX:ArchiveClassesAtExit=C:\\c\\t.tmp|"},
        {CacheMechanism::DynamicArchive, 21, false, "-Xlog:cds*=off|-XX:SharedArchiveFile=C:\\c\\a.aot|-XX:+VerifySharedSpaces|"},
        {CacheMechanism::None, 25, true, ""},
    };
    for (const Row& row : rows) {
        CHECK_EQ(Joined(StartupCacheOptions(row.mechanism, row.version, row.create, L"C:\\c\\a.aot", L"C:\\c\\t.tmp")),
                 row.expected);
    }
}

// `reason` holds `part`, and is empty exactly when `part` is.
bool ReasonIs(const std::wstring& reason, const wchar_t* part) {
    return *part == L'\0' ? reason.empty() : reason.find(part) != std::wstring::npos;
}

TEST_CASE(DecideCacheStep_AnAssemblyUnderWayIsNeverJoined) {
    struct Row { bool cache, failed, assembling; CacheStep expected; const wchar_t* reason; };
    const Row rows[] = {
        {false, false, false, CacheStep::Create, L""},
        {true, false, false, CacheStep::Use, L""},
        {true, true, true, CacheStep::Use, L""},  // a finished cache wins over everything
        {false, false, true, CacheStep::None, L"being assembled"},
        {false, true, true, CacheStep::None, L"being assembled"},
        {false, true, false, CacheStep::None, L"failed within the last hour"},
    };
    for (const Row& row : rows) {
        std::wstring reason;
        const CacheStep got = DecideCacheStep({row.cache, row.failed, row.assembling}, reason);
        const std::wstring at = std::wstring(row.cache ? L"cache " : L"") + (row.failed ? L"failed " : L"") +
                                (row.assembling ? L"assembling" : L"");
        CHECK_EQ_AT(at, static_cast<int>(got), static_cast<int>(row.expected));
        CHECK_EQ_AT(at, ReasonIs(reason, row.reason), true);
    }
}

TEST_CASE(ShouldAssemble_OnlyARecordNobodyElseAssembles) {
    struct Row { AssemblyState state; const wchar_t* reason; };
    const Row rows[] = {
        {{true, false, false, false}, L""},
        {{false, false, false, false}, L"no class list"},
        {{true, true, false, false}, L"exists already"},
        {{true, false, true, false}, L"another process"},
        {{true, false, false, true}, L"saves battery"},
        {{false, true, true, true}, L"no class list"},  // the first reason counts
    };
    for (const Row& row : rows) {
        std::wstring reason;
        const bool run = ShouldAssemble(row.state, reason);
        CHECK_EQ_AT(row.reason, run, *row.reason == L'\0');
        CHECK_EQ_AT(row.reason, ReasonIs(reason, row.reason), true);
    }
}

TEST_CASE(AssemblyFailure_OnlyACompleteRunWithAFileCounts) {
    struct Row { AssemblyEnd end; const wchar_t* failure; };
    const Row rows[] = {
        {{true, 0, 28311552}, L""},
        {{false, 0, 28311552}, L"stopped after 180 s"},  // killed at the limit, whatever it wrote
        {{true, 1, 28311552}, L"exit code 1"},
        {{true, 0xC000013A, 0}, L"exit code 3221225786"},
        {{true, 0, 0}, L"wrote no cache"},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.failure, ReasonIs(AssemblyFailure(row.end), row.failure), true);
}

TEST_CASE(AssemblyLockName_OnePerCacheFileInAnyLetterCase) {
    const std::wstring name = AssemblyLockName(L"C:\\Users\\a\\AppData\\Local\\P\\{C}\\App 64.0123456789abcdef.aot");
    CHECK_EQ(name.rfind(L"Local\\", 0), size_t(0));
    CHECK_EQ(name.find(L'\\', 6), std::wstring::npos);  // a kernel object name holds no other backslash
    CHECK_EQ(name, AssemblyLockName(L"c:\\users\\A\\appdata\\local\\p\\{c}\\APP 64.0123456789ABCDEF.AOT"));
    CHECK(name != AssemblyLockName(L"C:\\Users\\a\\AppData\\Local\\P\\{C}\\App 64.0123456789abcdee.aot"));
}

TEST_CASE(AssemblyJavaArguments_TheCacheShapingOptionsAndTheClassPath) {
    const Options start = {L"-Djava.library.path=C:\\app", L"-Djava.class.path=C:\\app\\a.jar;C:\\My App\\b.jar;",
                           L"-Xmx512m", L"-Dapp.title=Demo", L"-Djdk.module.addmods=java.sql",
                           L"-Xlog:aot=info:file=aot-%p.log", L"-verbose:class", L"-XX:+UseSerialGC",
                           L"-Xlog:aot*=off,cds*=off", L"-XX:DumpLoadedClassList=C:\\c\\t.tmp.classlist"};
    const std::string common = "-Xmx512m|-Djdk.module.addmods=java.sql|-XX:+UseSerialGC|-cp|C:\\app\\a.jar;C:\\My App\\b.jar|"
                               "-Xshare:dump|-XX:SharedClassListFile=C:\\c\\t.tmp.classlist|-XX:SharedArchiveFile=C:\\c\\t.tmp|";
    CHECK_EQ(Joined(AssemblyJavaArguments(start, 25, L"C:\\c\\t.tmp.classlist", L"C:\\c\\t.tmp")),
             common + "-XX:+AOTClassLinking|");
    CHECK_EQ(Joined(AssemblyJavaArguments(start, 23, L"C:\\c\\t.tmp.classlist", L"C:\\c\\t.tmp")), common);
    CHECK_EQ(JavaArgumentFileText({L"-cp", L"C:\\My App\\a.jar", L"say \"hi\""}),
             std::wstring(L"\"-cp\"\r\n\"C:\\\\My App\\\\a.jar\"\r\n\"say \\\"hi\\\"\"\r\n"));
}
