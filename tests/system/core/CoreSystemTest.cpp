// The launcher's start-up under Wine: INI files good and bad, odd executable paths, long command
// lines, and the language of its messages.
#include <windows.h>

#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"

using namespace testsupport;

namespace {

const wchar_t kNoMainClass[] = L"Main class was not specified in INI file.";
const wchar_t kNoMainClassSpanish[] = L"La clase principal no fue especificada en el archivo INI.";
const DWORD kFailed = 0xFFFFFFFF;

// A run that read a main class and then found no JRE ends with -1 once the JRE Not Found dialog
// is cancelled, and shows no "no main class" box.
void CheckReadMainClass(const std::wstring& context, const RunResult& result) {
    CHECK_EQ_AT(context, result.started, true);
    CHECK_EQ_AT(context, result.timedOut, false);
    CHECK_EQ_AT(context, result.exitCode, kFailed);
    for (const std::wstring& text : BoxTexts(result)) CHECK_EQ_AT(context, text == kNoMainClass, false);
}

void CheckNoMainClass(const std::wstring& context, const RunResult& result) {
    CHECK_EQ_AT(context, result.started, true);
    CHECK_EQ_AT(context, result.timedOut, false);
    CHECK_EQ_AT(context, result.exitCode, kFailed);
    CHECK_EQ_AT(context, BoxTexts(result), std::vector<std::wstring>{kNoMainClass});
}

}  // namespace

TEST_CASE(MissingIniShowsNoMainClassAndFails) {
    LauncherFixture launcher(L"no-ini");
    CHECK(launcher.ok());
    const RunResult result = launcher.Run();
    CheckNoMainClass(L"no ini", result);
    if (!result.boxes.empty()) CHECK_EQ(result.boxes[0].caption, std::wstring(L"Error"));
}

TEST_CASE(BadIniFilesNeverCrash) {
    struct Row { const wchar_t* name; std::string bytes; bool hasMainClass; };
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xff);
    std::string huge(8 * 1024 * 1024, 'x');
    huge += "\r\n[Java Runtime Environment]\r\nMain Class=App\r\n";
    const std::string utf8 = "[Java Runtime Environment]\r\nMain Class=com.example.Ap\xc3\xa9\r\n";
    const Row rows[] = {
        {L"empty", "", false},
        {L"binary", binary, false},
        {L"huge", huge, true},
        {L"utf8", utf8, true},
        {L"no section", "Main Class=App\r\n", false},
        {L"other section", "[Application]\r\nMain Class=App\r\n", false},
        {L"empty value", "[Java Runtime Environment]\r\nMain Class=\r\n", false},
    };
    for (const Row& row : rows) {
        LauncherFixture launcher(L"bad-ini");
        CHECK_EQ_AT(row.name, WriteFileBytes(launcher.iniPath(), row.bytes), true);
        const RunResult result = launcher.Run();
        if (row.hasMainClass) {
            CheckReadMainClass(row.name, result);
        } else {
            CheckNoMainClass(row.name, result);
        }
    }
}

TEST_CASE(Utf16IniWithByteOrderMarkIsRead) {
    LauncherFixture launcher(L"utf16-ini");
    CHECK(WriteFileUtf16(launcher.iniPath(), L"[Java Runtime Environment]\r\nMain Class=com.example.\x00c1pp\r\n"));
    CheckReadMainClass(L"utf16", launcher.Run());
}

TEST_CASE(LongValuesAreReadWhole) {
    // 300 and 100,000 characters: both more than the first 256-character buffer.
    for (size_t length : {size_t(300), size_t(100000)}) {
        LauncherFixture launcher(L"long-value");
        launcher.WriteIni(L"[Java Runtime Environment]\r\nMain Class=" + std::wstring(length, L'a') + L"\r\n");
        CheckReadMainClass(std::to_wstring(length), launcher.Run());
    }
}

TEST_CASE(MainClassOnlyInPlusSectionCounts) {
    LauncherFixture launcher(L"plus-section");
    launcher.WriteIni(L"[Java Runtime Environment+]\r\nMain Class=App\r\n");
    CheckReadMainClass(L"plus", launcher.Run());
}

TEST_CASE(ExecutableWithoutAnyDotFailsSilently) {
    // No "." anywhere in the path: no INI path can be formed, and nothing is shown.
    LauncherFixture launcher(L"nodot", L"Marlwick64");
    CHECK(launcher.ok());
    CHECK(launcher.exe().find(L'.') == std::wstring::npos);
    const RunResult result = launcher.Run();
    CHECK(result.started);
    CHECK_EQ(result.exitCode, kFailed);
    CHECK_EQ(result.boxes.size(), size_t(0));
}

TEST_CASE(ExecutableWithoutExtensionUsesLastDotOfPath) {
    // C:\...\v1.2\Tool reads C:\...\v1.ini.
    LauncherFixture launcher(L"lastdot", L"Tool", L"v1.2");
    CHECK(launcher.ok());
    const std::wstring parentIni = launcher.folder().substr(0, launcher.folder().rfind(L'.')) + L".ini";
    CHECK(WriteFileBytes(parentIni, "[Java Runtime Environment]\r\nMain Class=App\r\n"));
    CheckReadMainClass(L"v1.2\\Tool", launcher.Run());
}

TEST_CASE(HostileCommandLinesNeverCrash) {
    LauncherFixture launcher(L"cmdline");
    const std::wstring exe = L"\"" + launcher.exe() + L"\"";
    std::wstring longLine = exe;
    while (longLine.size() < 30000) longLine += L" \"arg with spaces\" x";
    const std::wstring lines[] = {
        exe + L" \"unterminated quote and the rest",
        longLine,
        exe + L" \"\" \"\" -nosplash /NOSPLASH",
        L"   " + exe + L"   \t",
    };
    for (const std::wstring& line : lines) {
        CheckNoMainClass(line.substr(0, 60), launcher.RunLine(line));
    }
}

// Run by CTest with LANG=es_ES.UTF-8: a Spanish system shows the Spanish texts.
TEST_CASE(SpanishSystemShowsSpanishText) {
    LauncherFixture launcher(L"spanish");
    const RunResult result = launcher.Run();
    CHECK_EQ(result.exitCode, kFailed);
    CHECK_EQ(BoxTexts(result), std::vector<std::wstring>{kNoMainClassSpanish});
}

TEST_CASE(PerUserIniOwnsTheJrePathOnceItExists) {
    // "JRE Path" names a folder whose jvm.dll is no library: loading it shows message 222 with its
    // path, which tells which "JRE Path" the launcher took.
    LauncherFixture launcher(L"user-ini");
    const std::wstring mainJre = launcher.path(L"main-jre\\");
    const std::wstring userJre = launcher.path(L"user-jre\\");
    for (const std::wstring& home : {mainJre, userJre}) {
        MakeFolders(home + L"bin\\server");
        WriteFileBytes(home + L"bin\\server\\jvm.dll", "not a library");
    }
    launcher.WriteIni(L"[Product Information]\r\nProduct Name=Marlwick: Test\r\nProduct Code={T1}\r\n"
                      L"[Java Runtime Environment]\r\nMain Class=App\r\nJRE Path=" + mainJre + L"\r\n");
    const std::wstring appData = launcher.path(L"appdata");
    MakeFolders(appData);
    const std::vector<std::wstring> environment = {L"APPDATA=" + appData};
    auto loadFailure = [](const std::wstring& home) {
        return L"Failed to load Java VM library: " + home + L"bin\\server\\jvm.dll (errno = 193).\n";
    };

    RunResult result = launcher.Run({}, 60000, environment);
    CHECK_EQ(result.exitCode, kFailed);
    CHECK_EQ(BoxTexts(result), std::vector<std::wstring>{loadFailure(mainJre)});

    // The per-user INI exists without "JRE Path": no JRE at all, so the user is asked for one.
    const std::wstring userIni = appData + L"\\Marlwick Test\\{T1}\\" + LauncherIniName();
    CHECK(MakeFolders(appData + L"\\Marlwick Test\\{T1}"));
    CHECK(WriteFileBytes(userIni, "[Other]\r\nx=1\r\n"));
    result = launcher.Run({}, 60000, environment);
    CHECK_EQ(result.exitCode, kFailed);
    CHECK_EQ(result.boxes.size(), size_t(1));
    if (!result.boxes.empty()) CHECK_EQ(result.boxes[0].caption, std::wstring(L"JRE Not Found"));

    // With a "JRE Path" of its own, that one is taken.
    CHECK(WriteFileBytes(userIni, AsciiBytes(L"[Java Runtime Environment]\r\nJRE Path=" + userJre + L"\r\n")));
    result = launcher.Run({}, 60000, environment);
    CHECK_EQ(BoxTexts(result), std::vector<std::wstring>{loadFailure(userJre)});
}
