// The start-up cache with the real runtimes under Wine: recorded by the first start and assembled
// in the background after it (Java 25), or written as the first start ends (Java 21); used by the
// next (as the VM's own log says), replaced when the class path or the runtime changes or the file
// is damaged, one complete cache from two first starts at once, and starts without a cache whose VM
// options are exactly those of a start without the key.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "base/DecimalText.h"
#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;

namespace {

// The VM's own record of its cache work, one file per process (the VM puts its id for %p).
const wchar_t kAotLog[] = L"-Xlog:aot=info,cds=info:file=aot-%p.log";

bool EndsWith(const std::wstring& text, const std::wstring& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::wstring ReadText(const std::wstring& path) {
    std::string bytes;
    return testsupport::ReadFileBytes(path, bytes) ? Utf8ToWide(bytes) : std::wstring();
}

// A Java application whose runs see their own %LOCALAPPDATA% and write a launch trace.
class CacheApp {
public:
    explicit CacheApp(const std::wstring& testName, const std::wstring& exeName = L"Marlwick 64.exe")
        : app_(testName, exeName), local_(app_.path(L"local")) {
        testsupport::MakeFolders(local_);
    }
    JavaApp& app() { return app_; }
    std::wstring folder() const { return local_ + L"\\Marlwick Java System Tests\\{B7E6C1D2-JAVA-TESTS}"; }
    std::wstring trace() const { return app_.path(L"trace.txt"); }

    JavaRun Run(const std::vector<std::wstring>& arguments = {}, const std::wstring& localAppData = L"") {
        DeleteFileW(trace().c_str());
        for (const std::wstring& log : FindNames(app_.path(L"aot-*.log"))) DeleteFileW(app_.path(log).c_str());
        return app_.Run(arguments, {L"LOCALAPPDATA=" + (localAppData.empty() ? local_ : localAppData),
                                    L"MARLWICK_TRACE=" + trace()});
    }
    std::wstring Trace() const { return ReadText(trace()); }
    // The assembly processes of this application's executable that still run.
    std::vector<DWORD> Assemblies() const { return ProcessesOf(app_.exe()); }
    // Waits until no assembly runs any more (at most a little over the assembly's own time limit).
    bool WaitForAssemblies() const {
        for (int i = 0; i < 2000; ++i) {
            if (Assemblies().empty()) return true;
            Sleep(100);
        }
        return false;
    }
    // Everything the VM logged about its cache in the last run.
    std::wstring AotLog() const {
        std::wstring text;
        for (const std::wstring& log : FindNames(app_.path(L"aot-*.log"))) text += ReadText(app_.path(log));
        return text;
    }
    // The files in the cache folder.
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> files;
        for (const std::wstring& name : FindNames(folder() + L"\\*")) {
            if (name != L"." && name != L"..") files.push_back(name);
        }
        return files;
    }
    // The one complete cache in the folder: "Marlwick 64.<key>.aot" (or ".jsa") and nothing else;
    // empty otherwise.
    std::wstring OnlyCache(const wchar_t* extension = L".aot") const {
        const std::vector<std::wstring> files = Files();
        if (files.size() != 1 || files[0].rfind(L"Marlwick 64.", 0) != 0 || !EndsWith(files[0], extension) ||
            files[0].size() != 12 + 16 + 4) {
            return L"";
        }
        return folder() + L"\\" + files[0];
    }

private:
    JavaApp app_;
    std::wstring local_;
};

// The trace and the cache folder, when a check has failed.
void PrintTrace(const CacheApp& cache) {
    std::printf("  trace:\n");
    const std::wstring trace = cache.Trace();
    for (size_t at = 0; at < trace.size();) {
        const size_t end = std::min(trace.find(L'\n', at), trace.size());
        std::printf("    %s\n", check::Narrow(trace.substr(at, end - at - (end > at && trace[end - 1] == L'\r'))).c_str());
        at = end + 1;
    }
    for (const std::wstring& name : cache.Files()) std::printf("  file %s\n", check::Narrow(name).c_str());
}

JavaIni CachedIni(const std::wstring& mainClass = L"probe.Report") {
    JavaIni ini;
    ini.mainClass = mainClass;
    ini.vmParameters = kAotLog;
    ini.startupCache = L"yes";
    return ini;
}

// The cache of the run is complete (assembled after it, for the ahead-of-time cache), and nothing
// else is left in the folder.
void CheckCreated(const std::wstring& context, CacheApp& cache, const JavaRun& run, DWORD exitCode,
                  const wchar_t* extension = L".aot") {
    CHECK_EQ_AT(context, run.result.timedOut, false);
    CHECK_EQ_AT(context, run.result.exitCode, exitCode);
    CHECK_EQ_AT(context, cache.WaitForAssemblies(), true);
    const std::wstring file = cache.OnlyCache(extension);
    CHECK_EQ_AT(context, Contains(cache.Trace(), L"cache created: \"" + file + L"\""), true);
    CHECK_EQ_AT(context, cache.Files().size(), size_t(1));  // no temporary file left
    if (file.empty()) PrintTrace(cache);
}

// `opened`: what the VM logs when it opens the cache; `option`: the option that names it.
void CheckUsed(const std::wstring& context, CacheApp& cache, const JavaRun& run,
               const wchar_t* extension = L".aot", const wchar_t* opened = L"Opened shared archive file ",
               const wchar_t* option = L"-XX:SharedArchiveFile=") {
    const std::wstring file = cache.OnlyCache(extension);
    CHECK_EQ_AT(context, file.empty(), false);
    CHECK_EQ_AT(context, run.result.exitCode, DWORD(0));
    CHECK_EQ_AT(context, run.report.complete(), true);
    CHECK_EQ_AT(context, Contains(cache.AotLog(), opened + file), true);
    CHECK_EQ_AT(context, Contains(cache.Trace(), L"cache: the VM uses "), true);
    const std::vector<std::wstring> input = run.report.InputArguments();
    CHECK_EQ_AT(context, std::find(input.begin(), input.end(), option + file) != input.end(), true);
}

}  // namespace

// The VM writes the cache when it ends, after main and DestroyJavaVM or at System.exit.
TEST_CASE(CacheIsMadeByTheFirstStartAndUsedByTheNext) {
    struct Row { const wchar_t* context; const wchar_t* mainClass; std::vector<std::wstring> arguments; DWORD exitCode; };
    const Row rows[] = {
        {L"main returns", L"probe.Report", {}, 0},
        {L"System.exit", L"probe.Exit", {L"7"}, 7},
    };
    for (const Row& row : rows) {
        CacheApp cache(std::wstring(L"cache_first_") + (row.exitCode == 0 ? L"main" : L"exit"));
        REQUIRE_APP(cache.app());
        cache.app().WriteIni(CachedIni(row.mainClass));
        const JavaRun first = cache.Run(row.arguments);
        CheckCreated(row.context, cache, first, row.exitCode);
        // The VM's messages while it assembles the cache never reach the application's output.
        CHECK_EQ_AT(row.context, Contains(first.output + first.error, L"-Xshare:dump"), false);

        cache.app().WriteIni(CachedIni());
        const JavaRun second = cache.Run();
        CheckUsed(row.context, cache, second);
        CHECK_EQ_AT(row.context, Contains(second.output + second.error, L"aot]"), false);
    }
}

TEST_CASE(ClassPathOrRuntimeChangeMakesANewCacheAndDropsTheOld) {
    CacheApp cache(L"cache_key");
    REQUIRE_APP(cache.app());
    cache.app().WriteIni(CachedIni());
    CheckCreated(L"first", cache, cache.Run(), 0);
    const std::wstring first = cache.OnlyCache();

    // \lib\*.jar now finds two jars.
    testsupport::CopyFileTo(ProbeJar(), cache.app().lib() + L"\\extra.jar");
    CheckCreated(L"class path", cache, cache.Run(), 0);
    const std::wstring second = cache.OnlyCache();
    CHECK(!second.empty() && second != first);

    // The same runtime through another folder ($MARLWICK_JRE_ALIAS links to it).
    JavaIni ini = CachedIni();
    ini.jrePath = WindowsPathFromEnvironment(L"MARLWICK_JRE_ALIAS");
    cache.app().WriteIni(ini);
    CheckCreated(L"runtime", cache, cache.Run(), 0);
    CHECK(!cache.OnlyCache().empty() && cache.OnlyCache() != second);
}

TEST_CASE(DamagedCacheNeverStopsTheStartAndIsReplaced) {
    CacheApp cache(L"cache_damaged");
    REQUIRE_APP(cache.app());
    cache.app().WriteIni(CachedIni());
    CheckCreated(L"first", cache, cache.Run(), 0);
    const std::wstring file = cache.OnlyCache();
    std::string good;
    CHECK(testsupport::ReadFileBytes(file, good) && good.size() > 1000000);

    std::string overwritten = good;
    overwritten.replace(overwritten.size() / 2, 65536, 65536, '\xFF');
    struct Row { const wchar_t* context; std::string bytes; };
    const Row rows[] = {
        {L"truncated", good.substr(0, good.size() / 2)},
        {L"overwritten in the middle", overwritten},
        {L"foreign", std::string(100000, 'x')},
        {L"empty", std::string()},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.context, testsupport::WriteFileBytes(file, row.bytes), true);
        const JavaRun run = cache.Run();
        CHECK_EQ_AT(row.context, run.result.exitCode, DWORD(0));
        CHECK_EQ_AT(row.context, run.report.complete(), true);
        CHECK_EQ_AT(row.context, Contains(cache.Trace(), L"cache: the VM rejected the cache"), true);
        CHECK_EQ_AT(row.context, testsupport::PathExists(file), false);  // the next start makes a new one
        CHECK_EQ_AT(row.context, Contains(run.output + run.error, L"aot]"), false);
    }
    CheckCreated(L"again", cache, cache.Run(), 0);
    CheckUsed(L"again, used", cache, cache.Run());
}

TEST_CASE(TwoFirstStartsAtOnceLeaveOneCompleteCache) {
    CacheApp cache(L"cache_two");
    REQUIRE_APP(cache.app());
    cache.app().WriteIni(CachedIni(L"probe.Exit"));
    std::vector<testsupport::Process> starts;
    for (const wchar_t* trace : {L"trace-a.txt", L"trace-b.txt"}) {
        testsupport::StartOptions options;
        options.executable = cache.app().exe();
        options.commandLine = testsupport::QuoteCommandLine({cache.app().exe(), L"0"});
        options.workingDirectory = cache.app().folder();
        options.environment = testsupport::EnvironmentMode::InheritWithOverrides;
        options.variables = {L"LOCALAPPDATA=" + cache.app().path(L"local"),
                             L"MARLWICK_TRACE=" + cache.app().path(trace)};
        starts.push_back(testsupport::Process::Start(options));
    }
    for (testsupport::Process& start : starts) {
        const testsupport::ExitResult result = start.WaitForExit(kRunTimeoutMs);
        CHECK_EQ(result.exitCode, DWORD(0));
    }
    // Both were first starts and recorded; one assembly made the cache, the other record was dropped
    // (by its start, or by its assembly, which found the lock taken or the cache there).
    CHECK_EQ(cache.WaitForAssemblies(), true);
    int created = 0;
    for (const wchar_t* name : {L"trace-a.txt", L"trace-b.txt"}) {
        const std::wstring trace = ReadText(cache.app().path(name));
        CHECK_EQ_AT(name, Contains(trace, L"does not exist yet: this start records its class list"), true);
        created += Contains(trace, L"cache: assembly: cache created") ? 1 : 0;
        CHECK_EQ_AT(name, Contains(trace, L"cache created") || Contains(trace, L"class list dropped") ||
                              Contains(trace, L"assembly: not run"), true);
    }
    CHECK_EQ(created, 1);
    CHECK_EQ(cache.Files().size(), size_t(1));
    cache.app().WriteIni(CachedIni());
    CheckUsed(L"after two first starts", cache, cache.Run());
}

// Without a cache the VM options are exactly those of a start without the key.
TEST_CASE(StartsWithoutACacheKeepTheirVmOptions) {
    struct Row {
        const wchar_t* context;
        const wchar_t* runtimeVariable;  // empty: the Java 25 runtime
        const wchar_t* value;
        const wchar_t* classPath;
        const wchar_t* localAppData;     // empty: the test's own
        const wchar_t* traced;           // in the trace; empty: no cache line at all
        const wchar_t* exeName = L"Marlwick 64.exe";
    };
    const Row rows[] = {
        {L"key says no", L"", L"no", L"\\lib\\*.jar", L"", L""},
        {L"Java 17", L"MARLWICK_JRE_17", L"yes", L"\\lib\\*.jar", L"", L"cache: none: runtimes before Java 19"},
        {L"folder on the class path", L"", L"yes", L"\\lib\\*.jar;\\lib", L"", L"the class path holds a folder"},
        {L"no LOCALAPPDATA folder", L"", L"yes", L"\\lib\\*.jar", L"Q:\\nowhere", L"cannot be made"},
        {L"LOCALAPPDATA outside the code page", L"", L"yes", L"\\lib\\*.jar", L"C:\\\x4E2D\x6587", L"as it is"},
        // The VM would put its process id for %p in the cache's name, where no clean-up finds it.
        {L"executable named with %p", L"", L"yes", L"\\lib\\*.jar", L"", L"as it is", L"App%p 64.exe"},
    };
    for (const Row& row : rows) {
        CacheApp cache(L"cache_none", row.exeName);
        REQUIRE_APP(cache.app());
        JavaIni ini;
        ini.classPath = row.classPath;
        if (*row.runtimeVariable != L'\0') ini.jrePath = WindowsPathFromEnvironment(row.runtimeVariable);
        cache.app().WriteIni(ini);
        const JavaRun plain = cache.Run();
        ini.startupCache = row.value;
        cache.app().WriteIni(ini);
        const JavaRun run = cache.Run({}, row.localAppData);
        CHECK_EQ_AT(row.context, plain.report.complete() && run.report.complete(), true);
        CHECK_EQ_AT(row.context, run.report.InputArguments(), plain.report.InputArguments());
        CHECK_EQ_AT(row.context, run.report[std::string("java.class.path")], plain.report[std::string("java.class.path")]);
        const std::wstring trace = cache.Trace();
        CHECK_EQ_AT(row.context, *row.traced == L'\0' ? !Contains(trace, L"cache:") : Contains(trace, row.traced), true);
        CHECK_EQ_AT(row.context, cache.Files().empty(), true);
    }
}

// Java 21 with its java.exe: the archive from the class list as with Java 25 (without linking
// ahead of time), even though the runtime has no base archive.
TEST_CASE(ClassListArchiveWithJava21) {
    CacheApp cache(L"cache_java21");
    REQUIRE_APP(cache.app());
    JavaIni ini = CachedIni();
    ini.jrePath = WindowsPathFromEnvironment(L"MARLWICK_JRE_21");
    ini.vmParameters = L"-Xlog:cds=info:file=aot-%p.log";
    cache.app().WriteIni(ini);
    CheckCreated(L"first", cache, cache.Run(), 0);
    CheckUsed(L"used", cache, cache.Run(), L".aot", L"Opened archive ");  // Java 21's words
}

// Java 19 to 24 without java.exe: the dynamic archive on top of the runtime's base archive; the VM makes the archive
// read-only, and an old one still goes when the key changes.
TEST_CASE(DynamicArchiveWithTheBaseArchive) {
    CacheApp cache(L"cache_dynamic");
    REQUIRE_APP(cache.app());
    JavaIni ini = CachedIni(L"probe.Exit");
    ini.jrePath = WindowsPathFromEnvironment(L"MARLWICK_JRE_21_BASE");
    ini.vmParameters = L"-Xlog:cds=info:file=aot-%p.log";
    cache.app().WriteIni(ini);
    CheckCreated(L"System.exit", cache, cache.Run({L"0"}), 0, L".jsa");
    const std::wstring first = cache.OnlyCache(L".jsa");

    ini.mainClass = L"probe.Report";
    cache.app().WriteIni(ini);
    const wchar_t* const kOpened = L"Opened archive ";  // Java 21's words
    CheckUsed(L"used", cache, cache.Run(), L".jsa", kOpened, L"-XX:SharedArchiveFile=");

    testsupport::CopyFileTo(ProbeJar(), cache.app().lib() + L"\\extra.jar");
    CheckCreated(L"class path, main returns", cache, cache.Run(), 0, L".jsa");
    CHECK(!cache.OnlyCache(L".jsa").empty() && cache.OnlyCache(L".jsa") != first);
}

// A cache that could not be made is not tried again for an hour: each try costs the class list
// and an assembly.
TEST_CASE(FailedCacheIsNotTriedAgainSoon) {
    CacheApp cache(L"cache_failed");
    REQUIRE_APP(cache.app());
    cache.app().WriteIni(CachedIni(L"probe.BlockCacheOutput"));
    const JavaRun blocked = cache.Run();
    CHECK_EQ(blocked.result.exitCode, DWORD(0));
    CHECK_EQ(cache.WaitForAssemblies(), true);
    CHECK_EQ(Contains(cache.Trace(), L"cache: assembly: failed: the runtime ended with exit code "), true);
    std::wstring mark;
    for (const std::wstring& name : cache.Files()) {
        if (EndsWith(name, L".failed")) mark = name;
        CHECK_EQ_AT(name, EndsWith(name, L".aot") || EndsWith(name, L".classlist"), false);
    }
    CHECK_EQ(mark.empty(), false);

    cache.app().WriteIni(CachedIni());
    const JavaRun next = cache.Run();
    CHECK_EQ(next.report.complete(), true);
    CHECK_EQ(Contains(cache.Trace(), L"cache: none: making this cache failed within the last hour"), true);
    for (const std::wstring& option : next.report.InputArguments()) {
        CHECK_EQ_AT(option, Contains(option, L"SharedArchiveFile") || Contains(option, L"DumpLoadedClassList"), false);
    }
}

// A class list damaged between the start and the assembly: whatever the runtime makes of it, the
// next start runs, and the trace says how the assembly ended.
TEST_CASE(DamagedClassListLeavesTheNextStartCorrect) {
    CacheApp cache(L"cache_damaged_list");
    REQUIRE_APP(cache.app());
    cache.app().WriteIni(CachedIni(L"probe.BlockCacheOutput"));
    CHECK_EQ(cache.Run({L"damage"}).result.exitCode, DWORD(0));
    CHECK_EQ(cache.WaitForAssemblies(), true);
    const std::wstring trace = cache.Trace();
    CHECK_EQ(Contains(trace, L"cache: assembly: cache created") || Contains(trace, L"cache: assembly: failed: "), true);
    for (const std::wstring& name : cache.Files()) CHECK_EQ_AT(name, Contains(name, L".tmp"), false);
    cache.app().WriteIni(CachedIni());
    const JavaRun next = cache.Run();
    CHECK_EQ(next.result.exitCode, DWORD(0));
    CHECK_EQ(next.report.complete(), true);
}

// The assembly after the first start: what happens while it runs, then the start that uses the
// cache it made.
namespace {

enum class During { Nothing, StartAgain, Kill, ChangeClassPath };

struct AssemblyCase {
    During during;
    const wchar_t* duringTrace;  // in the trace of the start made while the assembly runs
};

DWORD WallMs(const std::function<void()>& run) {
    const ULONGLONG start = GetTickCount64();
    run();
    return static_cast<DWORD>(GetTickCount64() - start);
}

void RunAssemblyCase(const wchar_t* context, const AssemblyCase& row) {
    CacheApp cache(std::wstring(L"cache_assembly_") + DecimalText(static_cast<int>(row.during)));
    REQUIRE_APP(cache.app());
    // A first start against a start without the cache, alternating, the medians of three each: the
    // first start used to take 2 to 3 times as long when it waited for the assembly.
    JavaIni plainIni;
    cache.app().WriteIni(plainIni);
    cache.Run();  // the runtime's files read once
    std::vector<DWORD> plainMs, firstMs;
    JavaRun first;
    for (int i = 0; i < (row.during == During::Nothing ? 3 : 1); ++i) {
        cache.app().WriteIni(plainIni);
        plainMs.push_back(WallMs([&] { cache.Run(); }));
        cache.app().WriteIni(CachedIni());
        for (const std::wstring& name : cache.Files()) DeleteFileW((cache.folder() + L"\\" + name).c_str());
        firstMs.push_back(WallMs([&] { first = cache.Run(); }));
        if (i < 2 && row.during == During::Nothing) CHECK_EQ_AT(context, cache.WaitForAssemblies(), true);
    }
    std::sort(plainMs.begin(), plainMs.end());
    std::sort(firstMs.begin(), firstMs.end());
    const DWORD plain = plainMs[plainMs.size() / 2], firstStart = firstMs[firstMs.size() / 2];
    std::printf("  %s: first start %lu ms, a start without the cache %lu ms (medians)\n", check::Narrow(context).c_str(),
                static_cast<unsigned long>(firstStart), static_cast<unsigned long>(plain));
    CHECK_EQ_AT(context, first.result.exitCode, DWORD(0));
    CHECK_EQ_AT(context, first.report.complete(), true);
    if (row.during == During::Nothing) CHECK_EQ_AT(context, firstStart < plain * 3 / 2, true);
    const std::wstring firstTrace = cache.Trace();
    CHECK_EQ_AT(context, Contains(firstTrace, L"this start records its class list"), true);
    CHECK_EQ_AT(context, Contains(firstTrace, L"cache: class list recorded; the cache is assembled in the background"),
                true);

    switch (row.during) {
        case During::Nothing: break;
        case During::StartAgain: {
            const JavaRun again = cache.Run();
            CHECK_EQ_AT(context, again.report.complete(), true);
            for (const std::wstring& option : again.report.InputArguments()) {
                CHECK_EQ_AT(context + std::wstring(L": ") + option, Contains(option, L"-XX:SharedArchiveFile"), false);
            }
            break;
        }
        case During::Kill: {
            // As at logoff: the assembly process ends at once; java.exe goes with its job.
            const std::vector<DWORD> assemblies = cache.Assemblies();
            CHECK_EQ_AT(context, assemblies.size(), size_t(1));
            for (DWORD id : assemblies) {
                HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
                if (process == nullptr) continue;
                TerminateProcess(process, 1);
                WaitForSingleObject(process, 10000);
                CloseHandle(process);
            }
            for (int i = 0; i < 100 && ProcessesOf(JreHome() + L"\\bin\\java.exe").size() > 0; ++i) Sleep(100);
            CHECK_EQ_AT(context, ProcessesOf(JreHome() + L"\\bin\\java.exe").size(), size_t(0));
            for (const std::wstring& name : cache.Files()) CHECK_EQ_AT(name, EndsWith(name, L".aot"), false);
            // The next start records again: the lock went with the killed process.
            CheckCreated(context, cache, cache.Run(), 0);
            break;
        }
        case During::ChangeClassPath:
            testsupport::CopyFileTo(ProbeJar(), cache.app().lib() + L"\\extra.jar");
            cache.Run();
            break;
    }
    if (*row.duringTrace != L'\0' && !Contains(cache.Trace(), row.duringTrace)) {
        CHECK_EQ_AT(context, Contains(cache.Trace(), row.duringTrace), true);
        PrintTrace(cache);
    }
    CHECK_EQ_AT(context, cache.WaitForAssemblies(), true);
    const std::wstring assembled = cache.Trace();
    if (row.during != During::Kill) {
        CHECK_EQ_AT(context, Contains(assembled, L"cache: assembly: cache created: \""), true);
    }
    // The next start uses the cache of its own key; the other key's cache goes.
    CheckUsed(context, cache, cache.Run());
}

}  // namespace

TEST_CASE(AssemblyAfterTheFirstStartLeftAlone) { RunAssemblyCase(L"left alone", {During::Nothing, L""}); }
TEST_CASE(AssemblyWhileTheApplicationStartsAgain) {
    RunAssemblyCase(L"started again", {During::StartAgain, L"cache: none: the cache is being assembled"});
}
TEST_CASE(AssemblyKilledInTheMiddle) { RunAssemblyCase(L"killed", {During::Kill, L""}); }
TEST_CASE(AssemblyWhileTheClassPathChanges) {
    RunAssemblyCase(L"class path changed", {During::ChangeClassPath, L"this start records its class list"});
}
