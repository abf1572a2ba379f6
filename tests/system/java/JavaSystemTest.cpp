// The launcher starting real Java programs (tests/java) with a real Windows Java runtime under
// Wine: what reaches main and the virtual machine, failures to start, and how the run ends.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;
using testsupport::BoxTexts;
using testsupport::RunResult;
using testsupport::WindowInfo;

namespace {

const wchar_t kProbeVar[] = L"MARLWICK_PROBE_VAR";

// A run that started the program and let it end by itself, without any box.
void CheckCleanRun(const std::wstring& context, const JavaRun& run, DWORD exitCode = 0) {
    CHECK_EQ_AT(context, run.result.started, true);
    CHECK_EQ_AT(context, run.result.timedOut, false);
    CHECK_EQ_AT(context, run.result.exitCode, exitCode);
    CHECK_EQ_AT(context, BoxTexts(run.result), std::vector<std::wstring>{});
}

void CheckReport(const std::wstring& context, const JavaRun& run) {
    CheckCleanRun(context, run);
    CHECK_EQ_AT(context, run.report.complete(), true);
    if (!run.report.complete()) {
        std::printf("  output: %s\n  error: %s\n", check::Narrow(run.output).c_str(), check::Narrow(run.error).c_str());
    }
}

// The stack reserve that a 64-bit executable's header asks for; 0 when the file is unreadable.
uint64_t StackReserveOf(const std::wstring& exe) {
    std::string bytes;
    if (!testsupport::ReadFileBytes(exe, bytes) || bytes.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    IMAGE_DOS_HEADER dos;
    memcpy(&dos, bytes.data(), sizeof dos);
    const size_t offset = static_cast<size_t>(dos.e_lfanew);
    if (offset + sizeof(IMAGE_NT_HEADERS64) > bytes.size()) return 0;
    IMAGE_NT_HEADERS64 nt;
    memcpy(&nt, bytes.data() + offset, sizeof nt);
    return nt.OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC ? nt.OptionalHeader.SizeOfStackReserve : 0;
}

// The virtual machine leaves -Djava.class.path out of its input arguments and lists every other
// option, the launcher's "abort" and "exit" hooks included.
std::vector<std::wstring> WithHooks(std::vector<std::wstring> options) {
    options.push_back(L"abort");
    options.push_back(L"exit");
    return options;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// What reaches main

TEST_CASE(ArgumentsReachMainExactly) {
    JavaApp app(L"java-args");
    REQUIRE_APP(app);
    JavaIni ini;
    ini.cmd = L"--from-ini  \"%MARLWICK_PROBE_VAR%\" ";
    CHECK(app.WriteIni(ini));
    // The launcher's own splitting: only spaces separate, a quoted stretch is one argument (also
    // an empty one), a quote inside an argument is an ordinary character, a backslash means
    // nothing. Text on the command line is not expanded; the "Cmd" tokens follow it.
    const std::wstring line = L"\"" + app.exe() +
                              L"\" \"a b\" \"\" plain  a\"b \"x\\\" tab\there \xf1" L"and\xfa "
                              L"\x03a9\x03bc\x03ad\x03b3\x03b1 \x65e5\x672c\x8a9e \xd83d\xde00 %MARLWICK_PROBE_VAR% "
                              L"-nosplash";
    const std::vector<std::wstring> expected = {
        L"a b", L"", L"plain", L"a\"b", L"x\\", L"tab\there", L"\xf1" L"and\xfa",
        L"\x03a9\x03bc\x03ad\x03b3\x03b1", L"\x65e5\x672c\x8a9e", L"\xd83d\xde00", L"%MARLWICK_PROBE_VAR%",
        L"-nosplash", L"--from-ini", L"v 1"};
    const JavaRun run = app.RunLine(line, {std::wstring(kProbeVar) + L"=v 1"});
    CheckReport(L"arguments", run);
    CHECK_EQ(run.report.Arguments(), expected);
    CHECK_EQ(run.report[std::string("main.thread")], std::wstring(L"main"));

    // Nothing after the executable: an empty array.
    ini.cmd.clear();
    CHECK(app.WriteIni(ini));
    const JavaRun bare = app.RunLine(L"\"" + app.exe() + L"\"");
    CheckReport(L"no arguments", bare);
    CHECK_EQ(bare.report.Number("args.count"), 0LL);
}

// Today's editors save UTF-8, with or without a mark: text beyond the ANSI code page survives in
// every value (here the class path's folder, which the virtual machine takes in the ANSI code
// page, and the "Cmd" arguments, which reach main as they are).
TEST_CASE(Utf8IniKeepsItsText) {
    JavaApp app(L"java-utf8");
    REQUIRE_APP(app);
    const std::wstring folder = L"lib \xf1" L"and\xfa";
    CHECK(testsupport::MakeFolders(app.path(folder)));
    CHECK(testsupport::CopyThroughMemory(ProbeJar(), app.path(folder + L"\\probe.jar")));
    DeleteFileW(testsupport::JoinPath(app.lib(), L"probe.jar").c_str());
    JavaIni ini;
    ini.classPath = L"\\" + folder + L"\\*.jar";
    ini.cmd = L"\xf1" L"and\xfa \x65e5\x672c\x8a9e \xd83d\xde00";
    for (bool mark : {true, false}) {
        const std::wstring context = mark ? L"with mark" : L"without mark";
        CHECK(app.WriteIniUtf8(ini, mark));
        const JavaRun run = app.Run({L"first"});
        CheckReport(context, run);
        CHECK_EQ_AT(context, run.report.Arguments(),
                    (std::vector<std::wstring>{L"first", L"\xf1" L"and\xfa", L"\x65e5\x672c\x8a9e", L"\xd83d\xde00"}));
    }
}

TEST_CASE(ClassPathWildcardExpandsInFileSystemOrder) {
    JavaApp app(L"java-classpath");
    REQUIRE_APP(app);
    // More jars beside probe.jar (copies of it), a folder that matches the pattern (no class path
    // entry: a wildcard stands for files), a name in another letter case, names with spaces and
    // with a character of the ANSI code page, and files that do not match.
    for (const wchar_t* name : {L"b.jar", L"a.jar", L"C.jar", L"10.jar", L"9.jar", L"z z.jar", L"x.JAR",
                                L"\xf1" L"and\xfa.jar"}) {
        CHECK(testsupport::CopyThroughMemory(ProbeJar(), app.lib() + L"\\" + name));
    }
    CHECK(testsupport::MakeFolders(app.lib() + L"\\folder.jar"));
    CHECK(testsupport::WriteFileBytes(app.lib() + L"\\notes.txt", "not a jar"));
    CHECK(testsupport::WriteFileBytes(app.lib() + L"\\probe.jar.bak", "not a jar"));

    JavaIni ini;
    // An absolute entry goes in unchecked; a relative one that matches nothing is dropped.
    ini.classPath = L"\\lib\\*.jar;C:\\missing\\absent.jar;\\nothing*.jar;\\lib\\probe.jar";
    CHECK(app.WriteIni(ini));
    std::wstring expected;
    for (const std::wstring& name : FindNames(app.lib() + L"\\*.jar")) {
        if (name != L"folder.jar") expected += app.lib() + L"\\" + name + L";";
    }
    expected += L"C:\\missing\\absent.jar;" + app.lib() + L"\\probe.jar;";
    CHECK(Contains(expected, L"\\z z.jar;"));
    CHECK(!Contains(expected, L"notes.txt"));

    const JavaRun run = app.Run();
    CheckReport(L"wildcard", run);
    CHECK_EQ(run.report[std::string("java.class.path")], expected);
}

TEST_CASE(LongClassPathReachesTheVirtualMachineWhole) {
    // 1,500 jar files with long names: a class path of about 200,000 characters, far more than
    // the 32,767 characters that the system's environment expansion can take at once.
    JavaApp app(L"java-long-classpath");
    REQUIRE_APP(app);
    const std::wstring many = app.path(L"many");
    CHECK(testsupport::MakeFolders(many));
    const std::wstring padding(80, L'x');
    for (int i = 0; i < 1500; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"%04d-", i);
        CHECK(testsupport::WriteFileBytes(many + L"\\" + name + padding + L".jar", ""));
    }
    JavaIni ini;
    ini.classPath = L"\\lib\\probe.jar;\\many\\*.jar";
    CHECK(app.WriteIni(ini));
    std::wstring expected = app.lib() + L"\\probe.jar;";
    for (const std::wstring& name : FindNames(many + L"\\*.jar")) expected += many + L"\\" + name + L";";

    const JavaRun run = app.Run();
    CheckReport(L"long class path", run);
    const std::wstring classPath = run.report[std::string("java.class.path")];
    const auto entries = [](const std::wstring& text) { return std::count(text.begin(), text.end(), L';'); };
    CHECK_EQ(entries(classPath), entries(expected));
    CHECK_EQ(classPath.size(), expected.size());
    CHECK(classPath == expected);
}

TEST_CASE(EmbeddedJarRunsTheExecutableItself) {
    JavaApp app(L"java-embedded");
    REQUIRE_APP(app);
    // The jar appended to the executable (a zip is read from its end), and no class path at all.
    std::string exe, jar;
    CHECK(testsupport::ReadFileBytes(app.exe(), exe));
    CHECK(testsupport::ReadFileBytes(ProbeJar(), jar));
    CHECK(testsupport::WriteFileBytes(app.exe(), exe + jar));
    CHECK(testsupport::DeleteTree(app.lib()));
    JavaIni ini;
    ini.writeClassPath = false;
    ini.embeddedJar = L"YES";
    CHECK(app.WriteIni(ini));

    const JavaRun run = app.Run({L"embedded"});
    CheckReport(L"embedded", run);
    CHECK_EQ(run.report[std::string("java.class.path")], app.exe() + L";");
    CHECK_EQ(run.report.Arguments(), std::vector<std::wstring>{L"embedded"});
}

TEST_CASE(QuotedParametersReachTheVirtualMachine) {
    JavaApp app(L"java-params");
    REQUIRE_APP(app);
    JavaIni ini;
    // A quoted stretch keeps its spaces; "" inside one is a literal quote; values are expanded;
    // the options are ANSI text, so a character outside the code page becomes "?".
    ini.vmParameters = L"-Xmx64m \"-Dt.title=My App\" -Dt.x=1 -Dt.q=\"a b\"  \"-Dt.inner=say \"\"hi\"\"\" "
                       L"-Dt.latin=\xf1" L"and\xfa -Dt.cjk=\x65e5 -Dt.env=%MARLWICK_PROBE_VAR%";
    CHECK(app.WriteIni(ini));
    const JavaRun run = app.Run({}, {std::wstring(kProbeVar) + L"=from env"});
    CheckReport(L"parameters", run);
    const Report& report = run.report;
    CHECK_EQ(report[std::string("prop.t.title")], std::wstring(L"My App"));
    CHECK_EQ(report[std::string("prop.t.x")], std::wstring(L"1"));
    CHECK_EQ(report[std::string("prop.t.q")], std::wstring(L"a b"));
    CHECK_EQ(report[std::string("prop.t.inner")], std::wstring(L"say \"hi\""));
    CHECK_EQ(report[std::string("prop.t.latin")], std::wstring(L"\xf1" L"and\xfa"));
    CHECK_EQ(report[std::string("prop.t.cjk")], std::wstring(L"?"));
    CHECK_EQ(report[std::string("prop.t.env")], std::wstring(L"from env"));
    // Exactly these options, in this order: no library path (none configured), nothing added.
    CHECK_EQ(report.InputArguments(),
             WithHooks({L"-Xmx64m", L"-Dt.title=My App", L"-Dt.x=1", L"-Dt.q=a b", L"-Dt.inner=say \"hi\"",
                        L"-Dt.latin=\xf1" L"and\xfa", L"-Dt.cjk=?", L"-Dt.env=from env"}));
}

TEST_CASE(MemoryPercentagesFollowThePhysicalMemory) {
    MEMORYSTATUS memory = {};
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    const uint64_t totalKb = static_cast<uint64_t>(memory.dwTotalPhys) >> 10;
    struct Row { const wchar_t* parameter; const wchar_t* option; double percent; uint64_t minMb, maxMb; };
    const Row rows[] = {
        {L"-Xmx50P", L"-Xmx", 50, 0, 0},
        {L"-Xmx25:512:1024P", L"-Xmx", 25, 512, 1024},
        {L"-Xmx1:512:1024p", L"-Xmx", 1, 512, 1024},   // 1 % is below the minimum, on any machine here
        {L"-Xmx3:64:96P", L"-Xmx", 3, 64, 96},         // the maximum, on any machine above 3.2 GB
    };
    for (const Row& row : rows) {
        uint64_t kb = static_cast<uint64_t>(static_cast<double>(totalKb) * (row.percent / 100.0));
        if (row.maxMb != 0 && row.maxMb * 1024 < kb) kb = row.maxMb * 1024;
        if (row.minMb * 1024 > kb) kb = row.minMb * 1024;
        const std::wstring option = std::wstring(row.option) + std::to_wstring(kb) + L"K";

        JavaApp app(L"java-memory");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.vmParameters = row.parameter;
        CHECK(app.WriteIni(ini));
        const JavaRun run = app.Run();
        CheckReport(row.parameter, run);
        CHECK_EQ_AT(row.parameter, run.report.InputArguments(), WithHooks({option}));
        // The heap the virtual machine reports is near -Xmx: a little below it (less a survivor
        // space) or, rounded up to whole heap regions, a little above it.
        const long long maxMemory = run.report.Number("max.memory");
        const long long limit = static_cast<long long>(kb) * 1024;
        const bool nearLimit = maxMemory >= limit / 100 * 85 && maxMemory <= limit + (64LL << 20);
        CHECK_EQ_AT(row.parameter, nearLimit, true);
        if (!nearLimit) {
            std::printf("  %s: maxMemory %lld against -Xmx %lld\n", check::Narrow(row.parameter).c_str(), maxMemory,
                        limit);
        }
    }
}

TEST_CASE(StackSizeSizesTheJavaMainThread) {
    // The Java main thread reserves the -Xss size as its stack; without -Xss it gets the
    // executable's own default (SizeOfStackReserve, 2 MB for this build). How deep main can
    // recurse, interpreted (-Xint: fixed frame sizes), shows the reserve in proportion.
    JavaApp probe(L"java-stack");
    REQUIRE_APP(probe);
    const double reserve = static_cast<double>(StackReserveOf(probe.exe()));
    CHECK(reserve > 0);
    struct Row { const wchar_t* parameter; double bytes; };
    const Row rows[] = {{L"", 0}, {L"-Xss512k", 512 * 1024.0}, {L"-Xss1m", 1 << 20}, {L"-Xss4m", 4 << 20},
                        {L"-Xss8m", 8 << 20}};
    long long defaultDepth = 0;
    for (const Row& row : rows) {
        JavaApp app(L"java-stack");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.vmParameters = L"-Xint -Dprobe.depth=true " + std::wstring(row.parameter);
        CHECK(app.WriteIni(ini));
        const JavaRun run = app.Run();
        CheckReport(row.parameter, run);
        const long long depth = run.report.Number("stack.depth");
        std::printf("  %-9s depth %lld\n", check::Narrow(row.parameter).c_str(), depth);
        if (defaultDepth == 0) defaultDepth = depth;
        // The guard pages and the frames below main take a fixed part of every stack, so a
        // larger stack holds a little more than its share and a smaller one a little less.
        // Wine reserves at least 1 MB for any thread, so -Xss512k shows as 1 MB here.
        const double expected = (row.bytes > 0 ? std::max(row.bytes, 1048576.0) : reserve) / reserve;
        const double ratio = defaultDepth > 0 ? static_cast<double>(depth) / static_cast<double>(defaultDepth) : 0;
        std::printf("  %-9s ratio %.3f, expected about %.3f\n", check::Narrow(row.parameter).c_str(), ratio, expected);
        CHECK_EQ_AT(row.parameter, ratio >= expected * 0.85 && ratio <= expected * 1.08, true);
    }
}

TEST_CASE(LibraryPathAndPathAreComposed) {
    const std::wstring jre = JreHome();
    const std::wstring path = L"C:\\windows\\system32;C:\\windows;C:\\Probe Tools";
    struct Row {
        const wchar_t* name;
        std::wstring libraryPath, systemPath;
        std::wstring expectedLibraryHead;  // the library path's own part; empty: no option at all
        std::wstring expectedPathHead;     // what comes before the inherited Path
    };
    const Row rows[] = {
        {L"both, expanded", L"%MARLWICK_PROBE_VAR%\\native;native", L"C:\\System Dir",
         L"C:\\probe lib\\native;native;", L"C:\\System Dir;"},
        {L"ending in ;", L"native;", L"C:\\System Dir;", L"native;", L"C:\\System Dir;"},
        {L"neither", L"", L"", L"", L""},
    };
    for (const Row& row : rows) {
        JavaApp app(L"java-paths");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.libraryPath = row.libraryPath;
        ini.systemPath = row.systemPath;
        CHECK(app.WriteIni(ini));
        const JavaRun run = app.Run({}, {L"Path=" + path, std::wstring(kProbeVar) + L"=C:\\probe lib"});
        CheckReport(row.name, run);
        const Report& report = run.report;
        CHECK_EQ_AT(row.name, report[std::string("env.VX_JVM_PATH")], jre + L"\\bin\\server\\jvm.dll");
        CHECK_EQ_AT(row.name, report[std::string("env.VX_JVM_HOME")], jre);
        CHECK_EQ_AT(row.name, report[std::string("env.Path")], row.expectedPathHead + path + L";" + jre + L"\\bin");
        if (row.expectedLibraryHead.empty()) {
            CHECK_EQ_AT(row.name, report.InputArguments(), WithHooks({}));
        } else {
            const std::wstring libraryPath = row.expectedLibraryHead + app.folder() + L"\\;.;" + path + L";" + jre + L"\\lib";
            CHECK_EQ_AT(row.name, report[std::string("java.library.path")], libraryPath);
            CHECK_EQ_AT(row.name, report.InputArguments(), WithHooks({L"-Djava.library.path=" + libraryPath}));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Failures to start

TEST_CASE(MissingMainClassPrintsTheExceptionThenShowsItsName) {
    JavaApp app(L"java-missing-class");
    REQUIRE_APP(app);
    JavaIni ini;
    ini.mainClass = L"probe.Missing";
    CHECK(app.WriteIni(ini));
    // The thread that failed must not keep DestroyJavaVM waiting: the run ends soon after the box.
    app.SetTimeout(30000);
    std::vector<bool> printedBefore;
    const JavaRun run = app.Run({}, {}, [&](const WindowInfo&) {
        printedBefore.push_back(Contains(app.ReadError(), L"java.lang.NoClassDefFoundError: probe/Missing"));
        return IDOK;
    });
    CHECK_EQ(run.result.timedOut, false);
    CHECK_EQ(run.result.exitCode, kFailed);
    CHECK_EQ(BoxTexts(run.result), std::vector<std::wstring>{L"Could not find the main class probe/Missing.\n"});
    CHECK_EQ(printedBefore, std::vector<bool>{true});
    // The launcher reports the class itself: the runtime's own check does not end the process first.
    CHECK(!Contains(run.error, L"Error: Could not find or load main class"));
}

TEST_CASE(ClassWithoutStaticMainPrintsTheErrorWithoutABox) {
    // No main at all, and an instance main(String[]) that Java 25's own launcher would accept:
    // neither is the static main(String[]) that the launcher calls. The lookup leaves
    // NoSuchMethodError pending, which is printed; no box, and the run ends with -1.
    struct Row { const wchar_t* mainClass; const wchar_t* ranText; };
    const Row rows[] = {{L"probe.NoMain", L"not a main method"}, {L"probe.InstanceMain", L"instance main ran"}};
    for (const Row& row : rows) {
        JavaApp app(L"java-no-main");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.mainClass = row.mainClass;
        CHECK(app.WriteIni(ini));
        app.SetTimeout(30000);
        const JavaRun run = app.Run();
        CheckCleanRun(row.mainClass, run, kFailed);
        CHECK_EQ_AT(row.mainClass, Contains(run.error, L"java.lang.NoSuchMethodError"), true);
        CHECK_EQ_AT(row.mainClass, Contains(run.error, L"Error: Main method not found"), false);
        CHECK_EQ_AT(row.mainClass, Contains(run.output, row.ranText), false);
    }
}

TEST_CASE(UnusableVmOptionShowsTheCreationFailure) {
    struct Row { const wchar_t* parameters; const wchar_t* reason; };
    const Row rows[] = {
        // The runtime's own result codes: -1 for an unknown -X option, -6 for an unknown -XX one.
        {L"-Dt.ok=1 -Xfoo", L"unknown"},
        {L"-XX:+MarlwickNoSuchOption", L"invalid arguments"},
    };
    for (const Row& row : rows) {
        JavaApp app(L"java-bad-option");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.vmParameters = row.parameters;
        CHECK(app.WriteIni(ini));
        const JavaRun run = app.Run();
        CHECK_EQ_AT(row.parameters, run.result.exitCode, kFailed);
        CHECK_EQ_AT(row.parameters, BoxTexts(run.result),
                    std::vector<std::wstring>{L"JNI exception: failed to create the Java VM\nReason: " +
                                              std::wstring(row.reason) + L".\n"});
        CHECK_EQ_AT(row.parameters, run.result.timedOut, false);
        CHECK_EQ_AT(row.parameters, run.output, std::wstring());
    }
}

// ---------------------------------------------------------------------------------------------
// How the run ends

TEST_CASE(SystemExitCodeIsTheProcessExitCode) {
    struct Row { const wchar_t* code; DWORD expected; };
    const Row rows[] = {{L"3", 3}, {L"256", 256}, {L"-2", 0xFFFFFFFE}, {L"0", 0}};
    JavaApp app(L"java-exit");
    REQUIRE_APP(app);
    JavaIni ini;
    ini.mainClass = L"probe.Exit";
    CHECK(app.WriteIni(ini));
    for (const Row& row : rows) CheckCleanRun(row.code, app.Run({row.code}), row.expected);
}

TEST_CASE(NonDaemonThreadKeepsTheProcessUntilItEnds) {
    JavaApp app(L"java-linger");
    REQUIRE_APP(app);
    JavaIni ini;
    ini.mainClass = L"probe.Linger";
    CHECK(app.WriteIni(ini));
    const std::wstring marker = app.path(L"marker.txt");
    const ULONGLONG start = GetTickCount64();
    const JavaRun run = app.Run({marker, L"2000"});
    const ULONGLONG elapsed = GetTickCount64() - start;
    CheckCleanRun(L"linger", run, 0);
    // The marker is written by the thread 2 s after main returned, just before the process ends.
    CHECK(testsupport::PathExists(marker));
    CHECK(elapsed >= 2000);
}

TEST_CASE(AnyVmProviderParksTheMainThreadUntilSystemExit) {
    // probe.Parked returns from main at once; a daemon thread calls System.exit after 1.5 s with 7
    // when main's thread is still alive. Without parking the run ends before, with 0.
    struct Row { const wchar_t* provider; DWORD expected; };
    const Row rows[] = {{L"any", 7}, {L"IBM", 7}, {L"favor_ibm", 7}, {L"", 0}, {L"favor_sun", 7}};
    for (const Row& row : rows) {
        JavaApp app(L"java-parked");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.mainClass = L"probe.Parked";
        ini.vmProvider = row.provider;
        CHECK(app.WriteIni(ini));
        CheckCleanRun(row.provider, app.Run({L"1500"}), row.expected);
    }
}
