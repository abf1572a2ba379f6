// DLLs planted in the folder a user starts the application from are never loaded: one copy of
// PlantedLibrary.dll under the name of every DLL the runtime ships ($MARLWICK_JRE's bin and
// bin\server, which covers every library the runtime, the virtual machine and the DLLs it loads
// ask for by bare name), and the program must still run with that runtime.
#include <windows.h>

#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;

namespace {

}  // namespace

TEST_CASE(LibrariesPlantedInTheWorkingDirectoryAreNeverLoaded) {
    JavaApp app(L"planted");
    if (!app.ok()) {
        check::Fail(__FILE__, __LINE__, check::Narrow(app.Problem()));
        return;
    }
    const std::wstring planted = WindowsPathFromEnvironment(L"MARLWICK_PLANTED_LIBRARY");
    const std::wstring work = app.path(L"downloads");
    CHECK(testsupport::MakeFolders(work));

    std::vector<std::wstring> names = FindNames(JreHome() + L"\\bin\\*.dll");
    for (const std::wstring& name : FindNames(JreHome() + L"\\bin\\server\\*.dll")) names.push_back(name);
    CHECK(names.size() > 10);
    for (const std::wstring& name : names) CHECK(testsupport::CopyThroughMemory(planted, testsupport::JoinPath(work, name)));

    CHECK(app.WriteIni(JavaIni()));
    app.SetWorkingDirectory(work);
    const JavaRun run = app.Run({L"planted"});
    CHECK_EQ(run.result.exitCode, 0u);
    CHECK_EQ(run.result.timedOut, false);
    CHECK_EQ(testsupport::BoxTexts(run.result), std::vector<std::wstring>{});
    CHECK_EQ(run.report.complete(), true);
    CHECK_EQ(run.report.Arguments(), std::vector<std::wstring>{L"planted"});
    CHECK_EQ(FindNames(work + L"\\*.loaded"), std::vector<std::wstring>{});
    if (!run.report.complete()) std::printf("  error: %s\n", check::Narrow(run.error).c_str());
}


// Without "JRE Path" and without a JRE beside the executable, a JVM library in the working
// directory (bin\server\jvm.dll, bin\client\jvm.dll) is not a JRE to load either.
TEST_CASE(JvmLibraryPlantedInTheWorkingDirectoryIsNeverLoaded) {
    testsupport::LauncherFixture launcher(L"planted-jvm");
    CHECK(launcher.ok());
    const std::wstring planted = WindowsPathFromEnvironment(L"MARLWICK_PLANTED_LIBRARY");
    const std::wstring work = launcher.path(L"downloads");
    for (const wchar_t* library : {L"bin\\server\\jvm.dll", L"bin\\client\\jvm.dll", L"bin\\java.dll"}) {
        const std::wstring path = testsupport::JoinPath(work, library);
        CHECK(testsupport::MakeFolders(path.substr(0, path.rfind(L'\\'))));
        CHECK(testsupport::CopyThroughMemory(planted, path));
    }
    CHECK(launcher.WriteIni(L"[Product Information]\r\nProduct Name=Planted\r\nProduct Code=planted-jvm\r\n"
                            L"[Java Runtime Environment]\r\nMain Class=probe.Report\r\n"
                            L"[Class Path]\r\nClass Path=\\lib\\*.jar\r\n"));
    testsupport::StartOptions options;
    options.executable = launcher.exe();
    options.commandLine = testsupport::QuoteCommandLine({launcher.exe()});
    options.workingDirectory = work;
    options.environment = testsupport::EnvironmentMode::InheritWithOverrides;
    options.variables = {L"APPDATA=" + launcher.path(L"AppData")};
    // Every box and dialog (the JRE is not found) is cancelled.
    const testsupport::RunResult run = testsupport::RunAnswering(options, 60000, [](const testsupport::WindowInfo& box) {
        return box.FindButton(IDCANCEL) != nullptr ? IDCANCEL : IDOK;
    });
    CHECK_EQ(run.timedOut, false);
    CHECK_EQ(run.exitCode, 0xFFFFFFFFu);
    // Nor is it tried: the run says that no JRE was found, not that a library would not load.
    for (const std::wstring& text : testsupport::BoxTexts(run)) CHECK_EQ_AT(text, Contains(text, L"jvm.dll"), false);
    CHECK_EQ(FindNames(work + L"\\bin\\server\\*.loaded"), std::vector<std::wstring>{});
    CHECK_EQ(FindNames(work + L"\\bin\\client\\*.loaded"), std::vector<std::wstring>{});
    CHECK_EQ(FindNames(work + L"\\bin\\*.loaded"), std::vector<std::wstring>{});
}
