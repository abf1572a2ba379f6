// The launch trace (MARLWICK_TRACE) of real starts: what a successful start and a start without a
// JRE write, and that a trace file that cannot be written changes nothing.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;

namespace {

std::wstring ReadTrace(const std::wstring& path) {
    std::string bytes;
    testsupport::ReadFileBytes(path, bytes);
    return Utf8ToWide(bytes);
}

// Each expected text must occur, in this order.
void CheckTraceOrder(const std::wstring& context, const std::wstring& trace, const std::vector<std::wstring>& texts) {
    size_t at = 0;
    for (const std::wstring& text : texts) {
        const size_t found = trace.find(text, at);
        CHECK_EQ_AT(context + L": " + text, found != std::wstring::npos, true);
        if (found != std::wstring::npos) at = found + text.size();
    }
}

}  // namespace

TEST_CASE(LaunchTraceOfASuccessfulStart) {
    JavaApp app(L"java-trace");
    if (!app.ok()) {
        check::Fail(__FILE__, __LINE__, check::Narrow(app.Problem()));
        return;
    }
    JavaIni ini;
    ini.mainClass = L"probe.Exit";
    ini.vmParameters = L"-Xmx64m";
    ini.jrePath = L"C:\\not used";  // the per-user INI file's value wins
    // A splash picture that does not exist: the splash reads its settings and shows nothing.
    CHECK(testsupport::WriteFileUtf16(app.path(L"Marlwick 64.ini"),
                                      app.IniText(ini) + L"[Display]\r\nSplash Screen=no such picture.gif\r\n"));
    const std::wstring userIni = app.path(L"appdata\\Marlwick Java System Tests\\{B7E6C1D2-JAVA-TESTS}\\Marlwick 64.ini");
    CHECK(testsupport::MakeFolders(app.path(L"appdata\\Marlwick Java System Tests\\{B7E6C1D2-JAVA-TESTS}")));
    CHECK(testsupport::WriteFileBytes(userIni, "[Java Runtime Environment]\r\nJRE Path=" + testsupport::Utf8(JreHome()) + "\r\n"));
    const std::wstring trace = app.path(L"trace \u00f1.txt");
    const JavaRun run = app.Run({L"0"}, {L"MARLWICK_TRACE=" + trace, L"APPDATA=" + app.path(L"appdata")});
    CHECK_EQ(run.result.exitCode, DWORD(0));
    const std::wstring text = ReadTrace(trace);
    CheckTraceOrder(L"successful start", text,
                    {L"launcher: command line ", L"ini: \"" + app.path(L"Marlwick 64.ini") + L"\": ",
                     L"ini:   [Java Runtime Environment] Main Class = \"probe.Exit\"",
                     L"ini:   [Display] Splash Screen = \"no such picture.gif\"",
                     L"ini: \"" + userIni + L"\": ", L"ini:   [Java Runtime Environment] JRE Path = \"" + JreHome() + L"\"",
                     L"phase settings read", L"launcher: single instance: off",
                     L"jre: JRE Path \"" + JreHome() + L"\\\": library \"" + JreHome() + L"\\bin\\server\\jvm.dll\"",
                     L"phase JRE found", L"phase loading the JVM library", L"phase JVM library loaded",
                     L"jvm: VM option -Djava.class.path=", L"jvm: VM option -Xmx64m", L"jvm: class path entries: 1",
                     L"phase VM created", L"phase main class found", L"phase main called",
                     L"jvm: the virtual machine exits with code 0"});
    // Each INI file is opened once in the whole start, the splash's settings included.
    size_t opens = 0;
    for (size_t at = text.find(L" ms  ini: \""); at != std::wstring::npos; at = text.find(L" ms  ini: \"", at + 1)) ++opens;
    CHECK_EQ(opens, size_t(2));
    // Every line starts with its time stamp and ends with CR LF.
    CHECK_EQ(text.find(L" ms  launcher: command line") != std::wstring::npos, true);
    CHECK_EQ(text.size() > 2 && text.substr(text.size() - 2) == L"\r\n", true);
    // A second start appends.
    app.Run({L"0"}, {L"MARLWICK_TRACE=" + trace});
    const std::wstring twice = ReadTrace(trace);
    CHECK_EQ(twice.size() > text.size() && twice.compare(0, text.size(), text) == 0, true);
}

TEST_CASE(LaunchTraceOfAStartWithoutJre) {
    JavaApp app(L"java-trace-nojre");
    if (!app.ok()) {
        check::Fail(__FILE__, __LINE__, check::Narrow(app.Problem()));
        return;
    }
    // A JRE Path that names nothing, no local JRE and (in this prefix) no registered JRE.
    const std::wstring text =
        L"[Product Information]\r\nProduct Name=Marlwick Trace Tests\r\nProduct Code={TRACE-NOJRE}\r\n"
        L"[Java Runtime Environment]\r\nMain Class=probe.Exit\r\nJRE Path=%MARLWICK_NO_SUCH_HOME%\\jdk\r\n"
        L"Maximum Version=17\r\n[Class Path]\r\nClass Path=\\lib\\*.jar\r\n";
    CHECK(testsupport::WriteFileUtf16(app.path(L"Marlwick 64.ini"), text));
    const std::wstring trace = app.path(L"trace.txt");
    const JavaRun run = app.Run({}, {L"MARLWICK_TRACE=" + trace}, [](const testsupport::WindowInfo&) { return IDCANCEL; });
    CHECK_EQ(run.result.exitCode, DWORD(0xFFFFFFFF));
    CHECK(run.result.boxes.size() <= 1);  // the JRE Not Found dialog, when there is one, cancelled
    const std::wstring written = ReadTrace(trace);
    CHECK(written.find(L"ini:   [Java Runtime Environment] Maximum Version = \"17\"") != std::wstring::npos);
    CheckTraceOrder(L"no JRE", written,
                    {L"ini:   [Java Runtime Environment] JRE Path = \"%MARLWICK_NO_SUCH_HOME%\\jdk\"",
                     // A relative path (the unset variable stays as written) lies beside the executable.
                     L"\\%MARLWICK_NO_SUCH_HOME%\\jdk\\\": no JVM library of the wanted type",
                     L"jre: local JRE", L"jre: key HKLM\\Software\\JavaSoft\\Java Development Kit\\ in the own view",
                     L"jre: key HKCU\\Software\\Microsoft\\JDK\\ in the own view",
                     L"jre: no registry candidate admitted",
                     L"jre: other registry view not searched: no Pair Product",
                     L"jre: JRE Not Found: asking the user", L"jre: the user chose no folder", L"phase JRE not found",
                     L"launcher: exit code -1"});
}

TEST_CASE(UnwritableTracePathChangesNothing) {
    JavaApp app(L"java-trace-unwritable");
    if (!app.ok()) {
        check::Fail(__FILE__, __LINE__, check::Narrow(app.Problem()));
        return;
    }
    JavaIni ini;
    ini.mainClass = L"probe.Exit";
    CHECK(app.WriteIni(ini));
    CHECK(testsupport::MakeFolders(app.path(L"a folder")));
    const std::wstring targets[] = {app.path(L"no such folder\\trace.txt"), app.path(L"a folder"), L"NUL:\\x",
                                    std::wstring(40000, L'x')};
    for (const std::wstring& target : targets) {
        const JavaRun run = app.Run({L"5"}, {L"MARLWICK_TRACE=" + target});
        CHECK_EQ_AT(target.substr(0, 80), run.result.exitCode, DWORD(5));
        CHECK_EQ_AT(target.substr(0, 80), run.result.boxes.size(), size_t(0));
    }
    CHECK_EQ(testsupport::PathExists(app.path(L"no such folder")), false);
}
