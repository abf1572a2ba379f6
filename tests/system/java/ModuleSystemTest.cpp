// Modular applications with the real runtimes under Wine: a main module with and without a class,
// module paths of folders, jars and wildcards, the class path beside them, module options in the
// VM parameters, a runtime limited to java.base and the application's modules, the failures the
// user must be told of, secondaryMain in the main module, runtime bounds and the start-up cache.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;

namespace {

const std::wstring kModules = WindowsPathFromEnvironment(L"MARLWICK_PROBE_MODULES");

std::wstring ReadText(const std::wstring& path) {
    std::string bytes;
    return testsupport::ReadFileBytes(path, bytes) ? Utf8ToWide(bytes) : std::wstring();
}

// The launcher with probe.jar in lib\ and probe.mod.jar and probe.lib.jar in mods\, started in
// its own folder with a launch trace.
class ModularApp {
public:
    explicit ModularApp(const std::wstring& name) : app_(name) {
        ok_ = app_.ok() && testsupport::MakeFolders(app_.path(L"mods")) && testsupport::MakeFolders(app_.path(L"local"));
        for (const wchar_t* jar : {L"probe.mod.jar", L"probe.lib.jar"}) {
            ok_ = ok_ && testsupport::CopyFileTo(kModules + L"\\" + jar, app_.path(std::wstring(L"mods\\") + jar));
        }
    }
    bool ok() const { return ok_; }
    std::wstring Problem() const {
        return app_.ok() ? L"no modular probes in \"" + kModules + L"\" ($MARLWICK_PROBE_MODULES)" : app_.Problem();
    }
    JavaApp& app() { return app_; }
    std::wstring trace() const { return app_.path(L"trace.txt"); }
    JavaRun Run(const JavaIni& ini, const std::vector<std::wstring>& arguments = {}, int button = IDOK) {
        DeleteFileW(trace().c_str());
        if (!app_.WriteIni(ini)) return JavaRun();
        return app_.Run(arguments, {L"MARLWICK_TRACE=" + trace(), L"LOCALAPPDATA=" + app_.path(L"local")},
                        [button](const testsupport::WindowInfo&) { return button; });
    }

private:
    JavaApp app_;
    bool ok_ = false;
};

JavaIni ModularIni(const std::wstring& mainModule, const std::wstring& modulePath) {
    JavaIni ini;
    ini.mainClass = L"";
    ini.writeClassPath = false;
    ini.mainModule = mainModule;
    ini.modulePath = modulePath;
    return ini;
}

}  // namespace

// One row per kind of modular start: what the INI says, and what the application reports or the
// box the user gets, with the exit code read inside Wine.
TEST_CASE(ModularStartsAsJavaExeDoes) {
    ModularApp app(L"java-modules");
    REQUIRE_APP(app);
    const std::wstring mods = app.app().path(L"mods");
    CHECK(testsupport::WriteFileBytes(app.app().path(L"lib\\notes.txt"), "not a module"));
    const std::wstring longPath = L"\\mods;C:\\" + std::wstring(32000, L'x');
    struct Row {
        const wchar_t* name;
        const wchar_t* mainModule;
        const wchar_t* modulePath;
        const wchar_t* classPath;    // null: none
        const wchar_t* mainClass;    // "Main Class" beside, or empty
        const wchar_t* vmParameters;
        DWORD exitCode;
        std::vector<std::pair<std::string, std::wstring>> report;  // key, expected value
        std::wstring box;            // a part of the one box shown, or empty for none
    };
    const Row rows[] = {
        {L"module path folder, ModuleMainClass", L"probe.mod", L"\\mods", nullptr, L"", L"", 0,
         {{"class", L"probe.mod.Main"}, {"module", L"probe.mod"}, {"lib", L"probe.lib"},
          {"jdk.module.main", L"probe.mod"}, {"jdk.module.main.class", L"probe.mod.Main"},
          {"jdk.module.path", mods}, {"java.class.path", L""}, {"classpath.module", L"none"}},
         L""},
        {L"jars and a class, wins over Main Class", L"probe.mod/probe.mod.Other",
         L"\\mods\\probe.mod.jar;;\\mods\\probe.lib.jar", nullptr, L"probe.Report", L"", 0,
         {{"class", L"probe.mod.Other"}, {"jdk.module.path", mods + L"\\probe.mod.jar;" + mods + L"\\probe.lib.jar"}},
         L""},
        {L"wildcard and the unnamed class path", L"probe.mod", L"\\mods\\*", L"\\lib\\*.jar", L"", L"", 0,
         {{"class", L"probe.mod.Main"}, {"java.class.path", app.app().path(L"lib\\probe.jar;")},
          {"classpath.module", L"unnamed module"}},
         L""},
        {L"module options in the VM parameters", L"probe.mod", L"\\mods", nullptr, L"",
         L"--add-opens java.base/java.lang=probe.mod --add-modules \"java.management\" --enable-native-access=probe.mod", 0,
         {{"opens.java.lang", L"true"},
          {"input", L"--add-opens=java.base/java.lang=probe.mod|--add-modules=java.management|"
                    L"--enable-native-access=probe.mod|--module-path=" + mods + L"|-Djdk.module.main=probe.mod|"}},
         L""},
        {L"nothing beyond java.base", L"probe.mod", L"\\mods", nullptr, L"", L"--limit-modules java.base,probe.mod", 0,
         {{"modules", L"java.base,probe.lib,probe.mod"}}, L""},
        {L"missing module", L"probe.nope", L"\\mods", nullptr, L"", L"", kFailed, {}, L"main module probe.nope"},
        // The runtime refuses a path over 32,000 characters while it resolves the modules, as
        // with java.exe; the box shows the module path cut short.
        {L"32,000-character module path", L"probe.mod", longPath.c_str(), nullptr, L"", L"", kFailed, {},
         L"Module path: " + mods + L";C:\\xxx"},
        {L"file that is no module", L"probe.mod", L"\\mods;\\lib\\notes.txt", nullptr, L"", L"", kFailed, {},
         L"main module probe.mod"},
        {L"missing class", L"probe.mod/probe.mod.Nope", L"\\mods", nullptr, L"", L"", kFailed, {},
         L"main class probe.mod.Nope in module probe.mod"},
        {L"module without ModuleMainClass", L"probe.lib", L"\\mods", nullptr, L"", L"", kFailed, {},
         L"Module probe.lib does not name a main class"},
        {L"slash without class", L"probe.mod/", L"\\mods", nullptr, L"", L"", kFailed, {}, L"Main Module"},
        {L"two slashes", L"probe.mod/probe.mod/Main", L"\\mods", nullptr, L"", L"", kFailed, {}, L"Main Module"},
        {L"not an identifier", L"probe-mod", L"\\mods", nullptr, L"", L"", kFailed, {}, L"Main Module"},
    };
    for (const Row& row : rows) {
        JavaIni ini = ModularIni(row.mainModule, row.modulePath);
        ini.mainClass = row.mainClass;
        ini.vmParameters = row.vmParameters;
        if (row.classPath != nullptr) {
            ini.writeClassPath = true;
            ini.classPath = row.classPath;
        }
        const JavaRun run = app.Run(ini, {L"a", L"b c"});
        const std::string name = check::Narrow(row.name);
        CHECK_EQ_AT(row.name, run.result.exitCode, row.exitCode);
        CHECK_EQ_AT(row.name, run.result.boxes.size(), size_t(row.box.empty() ? 0 : 1));
        if (!row.box.empty() && !run.result.boxes.empty()) {
            const std::wstring text = run.result.boxes[0].MessageText();
            if (!Contains(text, row.box) || text.size() > 1000) check::Fail(__FILE__, __LINE__, name + ": box " + check::Narrow(text));
        }
        if (row.exitCode == 0) CHECK_EQ_AT(row.name, run.report["args"], std::wstring(L"a|b c"));
        for (const auto& expected : row.report) {
            if (run.report[expected.first].rfind(expected.second, 0) != 0) {
                check::Fail(__FILE__, __LINE__, name + ": " + expected.first + " = " + check::Narrow(run.report[expected.first]));
            }
        }
    }
    // A module of the runtime image itself, with no module path: what a jlink-made runtime holding
    // the application's module does (no Windows image with an application module can be linked here).
    const JavaRun image = app.Run(ModularIni(L"jdk.jcmd/sun.tools.jcmd.JCmd", L""), {L"-h"});
    CHECK_EQ(image.result.exitCode, DWORD(0));
    CHECK(Contains(image.output, L"Usage: jcmd"));
    CHECK(Contains(ReadText(app.trace()), L"jvm: VM option -Djdk.module.main=jdk.jcmd\r\n"));
    CHECK(!Contains(ReadText(app.trace()), L"--module-path"));
    // The trace tells how the main class was found.
    app.Run(ModularIni(L"probe.mod", L"\\mods"));
    const std::wstring trace = ReadText(app.trace());
    CHECK(Contains(trace, L"jvm: module path entry " + app.app().path(L"mods")));
    CHECK(Contains(trace, L"jvm: main class of module probe.mod: probe.mod.Main: found"));
}

// A runtime made by jlink that holds the main module and java.base only: "Main Module" alone
// starts it, and what needs more than java.base degrades (the splash) or keeps working (the
// exception dialog).
TEST_CASE(JlinkImageHoldsTheMainModule) {
    ModularApp app(L"java-modules-jlink");
    REQUIRE_APP(app);
    const std::wstring image = WindowsPathFromEnvironment(L"MARLWICK_JLINK_IMAGE");
    CHECK(testsupport::PathExists(image + L"\\lib\\modules"));
    JavaIni ini = ModularIni(L"probe.mod", L"");
    ini.jrePath = image;
    ini.failureCheck = L"yes";
    const std::wstring display = L"[Display]\r\nSplash Screen=no such picture.gif\r\nPreffer Native Splash Screen=yes\r\n";
    CHECK(testsupport::WriteFileUtf16(app.app().path(L"Marlwick 64.ini"), app.app().IniText(ini) + display));
    const std::vector<std::wstring> environment = {L"MARLWICK_TRACE=" + app.trace()};
    const JavaRun run = app.app().Run({L"a"}, environment);
    CHECK_EQ(run.result.exitCode, DWORD(0));
    CHECK_EQ(run.report["modules"], std::wstring(L"java.base,probe.lib,probe.mod"));
    CHECK_EQ(run.report["jdk.module.path"], std::wstring(L"null"));
    const std::wstring trace = ReadText(app.trace());
    CHECK(Contains(trace, L"jvm: VM option -Djdk.module.main=probe.mod\r\n"));
    CHECK(!Contains(trace, L"--module-path"));
    CHECK(Contains(trace, L"splash: the runtime has no splash library (no java.desktop)"));
    const JavaRun threw = app.app().Run({L"throw"}, environment);
    CHECK_EQ(threw.result.exitCode, DWORD(1));
    CHECK_EQ(threw.result.boxes.size(), size_t(1));
    if (!threw.result.boxes.empty()) CHECK_EQ(threw.result.boxes[0].caption, std::wstring(L"Java Exception"));
}

// A later start hands its arguments to secondaryMain of the main module's main class.
TEST_CASE(SecondaryMainOfAModularApplication) {
    ModularApp app(L"java-modules-instance");
    REQUIRE_APP(app);
    JavaIni ini = ModularIni(L"probe.mod", L"\\mods");
    // The fixture's INI text ends in its [Application] section.
    CHECK(testsupport::WriteFileUtf16(app.app().path(L"Marlwick 64.ini"), app.app().IniText(ini) + L"Single Instance=yes\r\n"));
    testsupport::StartOptions options;
    options.executable = app.app().exe();
    options.commandLine = testsupport::QuoteCommandLine({app.app().exe(), L"stay"});
    options.workingDirectory = app.app().folder();
    testsupport::Process first = testsupport::Process::Start(options);
    CHECK(first.started());
    for (int i = 0; i < 600 && !testsupport::PathExists(app.app().path(L"started")); ++i) Sleep(100);
    CHECK(testsupport::PathExists(app.app().path(L"started")));
    const JavaRun later = app.app().Run({L"x", L"y"});
    CHECK_EQ(later.result.exitCode, DWORD(42));
    CHECK_EQ(ReadText(app.app().path(L"secondary.txt")), std::wstring(L"x|y"));
    CHECK(testsupport::WriteFileBytes(app.app().path(L"stop"), ""));
    CHECK_EQ(first.WaitForExit(kRunTimeoutMs).exitCode, DWORD(0));
}

// A main module needs Java 9: a runtime whose release file says 1.8 is refused during the search
// (the trace says why) and the JRE Not Found dialog asks for Java 9.
TEST_CASE(MainModuleRefusesAJava8Runtime) {
    ModularApp app(L"java-modules-java8");
    REQUIRE_APP(app);
    const std::wstring fake = app.app().path(L"jre8");
    CHECK(testsupport::MakeFolders(fake + L"\\bin\\server"));
    CHECK(testsupport::CopyFileTo(JreHome() + L"\\bin\\server\\jvm.dll", fake + L"\\bin\\server\\jvm.dll"));
    CHECK(testsupport::WriteFileBytes(fake + L"\\release", "JAVA_VERSION=\"1.8.0_412\"\n"));
    JavaIni ini = ModularIni(L"probe.mod", L"\\mods");
    ini.jrePath = fake;
    ini.extra = L"Search Java Folders=no\r\n";
    const JavaRun run = app.Run(ini, {}, IDCANCEL);
    CHECK_EQ(run.result.exitCode, kFailed);
    CHECK(Contains(ReadText(app.trace()), L"jre: JRE Path \"" + fake + L"\\\" refused: version 1.8.0_412, older than Java 9"));
    CHECK_EQ(run.result.boxes.size(), size_t(1));
}

// Java 25 keeps its cache with a module path: made by the first start, used by the next, and a
// new key once the module path changes.
TEST_CASE(StartupCacheWithAModulePath) {
    ModularApp app(L"java-modules-cache");
    REQUIRE_APP(app);
    JavaIni ini = ModularIni(L"probe.mod", L"\\mods");
    ini.jrePath = WindowsPathFromEnvironment(L"MARLWICK_JRE_25");
    ini.startupCache = L"yes";
    const std::wstring folder = app.app().path(L"local\\Marlwick Java System Tests\\{B7E6C1D2-JAVA-TESTS}");
    const auto caches = [&folder] { return FindNames(folder + L"\\*.aot"); };
    CHECK_EQ(app.Run(ini).result.exitCode, DWORD(0));
    CHECK(WaitUntilNoneRuns(app.app().exe()));  // the cache is assembled after the start
    const std::vector<std::wstring> made = caches();
    CHECK_EQ(made.size(), size_t(1));
    CHECK(Contains(ReadText(app.trace()), L"cache: assembly: cache created"));
    CHECK_EQ(app.Run(ini).result.exitCode, DWORD(0));
    CHECK(Contains(ReadText(app.trace()), L"cache: the VM uses the cache"));
    ini.modulePath = L"\\mods\\probe.mod.jar;\\mods\\probe.lib.jar";
    CHECK_EQ(app.Run(ini).result.exitCode, DWORD(0));
    CHECK(WaitUntilNoneRuns(app.app().exe()));
    CHECK_EQ(app.Run(ini).result.exitCode, DWORD(0));
    CHECK(WaitUntilNoneRuns(app.app().exe()));
    const std::vector<std::wstring> remade = caches();
    CHECK_EQ(remade.size(), size_t(1));
    CHECK(!made.empty() && !remade.empty() && made[0] != remade[0]);
}
