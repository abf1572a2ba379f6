// Proves the process driver against BoxProbe.exe, which lies beside this test.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"

using namespace testsupport;

namespace {

const DWORD kTimeoutMs = 30000;

std::wstring ProbePath() { return JoinPath(ExecutableFolder(), L"BoxProbe.exe"); }

StartOptions Probe(const std::vector<std::wstring>& arguments) {
    std::vector<std::wstring> line = {ProbePath()};
    line.insert(line.end(), arguments.begin(), arguments.end());
    StartOptions options;
    options.executable = ProbePath();
    options.commandLine = QuoteCommandLine(line);
    return options;
}

}  // namespace

TEST_CASE(ErrorBoxIsReadAndAnswered) {
    Process process = Process::Start(Probe({L"box", L"Main class was not specified in INI file."}));
    CHECK(process.started());
    const HWND box = process.WaitForWindow(IsVisibleDialog, kTimeoutMs);
    CHECK(box != nullptr);
    if (box == nullptr) return;
    const WindowInfo info = ReadWindow(box);
    CHECK_EQ(info.className, std::wstring(L"#32770"));
    CHECK_EQ(info.caption, std::wstring(L"Error"));
    CHECK_EQ(info.MessageText(), std::wstring(L"Main class was not specified in INI file."));
    CHECK_EQ(info.buttons.size(), size_t(1));
    CHECK(info.FindButton(IDOK) != nullptr);
    CHECK(process.running());  // the box is modal: nothing ends before it is answered
    CHECK(PressButton(box, IDOK));
    const ExitResult exit = process.WaitForExit(kTimeoutMs);
    CHECK(!exit.timedOut);
    CHECK_EQ(exit.exitCode, DWORD(0xFFFFFFFF));
}

TEST_CASE(ButtonPressedByText) {
    struct Row {
        const wchar_t* button;
        DWORD exitCode;
    };
    const Row rows[] = {{L"OK", IDOK}, {L"cancel", IDCANCEL}};
    for (const Row& row : rows) {
        Process process = Process::Start(Probe({L"answer", L"Go on?"}));
        const HWND box = process.WaitForWindow(IsVisibleDialog, kTimeoutMs);
        CHECK_EQ_AT(row.button, box != nullptr, true);
        CHECK_EQ_AT(row.button, PressButtonByText(box, row.button), true);
        const ExitResult exit = process.WaitForExit(kTimeoutMs);
        CHECK_EQ_AT(row.button, exit.timedOut, false);
        CHECK_EQ_AT(row.button, exit.exitCode, row.exitCode);
    }
}

TEST_CASE(ExitCodesPassUnchanged) {
    const wchar_t* codes[] = {L"3", L"0", L"0x80000000", L"0xFFFFFFFE"};
    for (const wchar_t* code : codes) {
        const RunResult run = RunAnswering(Probe({L"exit", code}), kTimeoutMs);
        CHECK_EQ_AT(code, run.started, true);
        CHECK_EQ_AT(code, run.timedOut, false);
        CHECK_EQ_AT(code, run.exitCode, DWORD(wcstoul(code, nullptr, 0)));
        CHECK_EQ_AT(code, run.boxes.size(), size_t(0));
    }
}

TEST_CASE(HangIsReportedAsTimeoutAndKilled) {
    Process process = Process::Start(Probe({L"hang"}));
    CHECK(process.started());
    const ULONGLONG start = GetTickCount64();
    const ExitResult exit = process.WaitForExit(1500);
    CHECK(exit.timedOut);
    CHECK(GetTickCount64() - start >= 1400);
    CHECK(!process.running());

    const RunResult run = RunAnswering(Probe({L"hang"}), 1000);
    CHECK(run.timedOut);
}

TEST_CASE(EveryBoxIsRecordedInOrder) {
    const RunResult run = RunAnswering(Probe({L"boxes", L"first", L"second line\nthird line"}), kTimeoutMs);
    CHECK(!run.timedOut);
    CHECK_EQ(run.exitCode, DWORD(2));
    CHECK_EQ(run.boxes.size(), size_t(2));
    if (run.boxes.size() != 2) return;
    CHECK_EQ(run.boxes[0].MessageText(), std::wstring(L"first"));
    CHECK_EQ(run.boxes[1].MessageText(), std::wstring(L"second line\nthird line"));
    CHECK_EQ(run.boxes[1].caption, std::wstring(L"Error"));
}

TEST_CASE(AnswerChosenPerBox) {
    const RunResult run = RunAnswering(Probe({L"answer", L"Go on?"}), kTimeoutMs, [](const WindowInfo& box) {
        return box.caption == L"Question" ? IDCANCEL : IDOK;
    });
    CHECK_EQ(run.boxes.size(), size_t(1));
    CHECK_EQ(run.exitCode, DWORD(IDCANCEL));
}

TEST_CASE(MissingProgramDoesNotStart) {
    StartOptions options;
    options.executable = L"C:\\does\\not\\exist.exe";
    options.commandLine = L"exist.exe";
    const RunResult run = RunAnswering(options, kTimeoutMs);
    CHECK(!run.started);
    CHECK(run.startError == ERROR_FILE_NOT_FOUND || run.startError == ERROR_PATH_NOT_FOUND);
}

TEST_CASE(EnvironmentAndWorkingDirectoryReachTheProgram) {
    TempFolder folder(L"support-env");
    CHECK(folder.ok());
    struct Row {
        const wchar_t* name;
        EnvironmentMode mode;
        std::vector<std::wstring> variables;
        const wchar_t* variable;
        const wchar_t* expected;
    };
    // Wine adds SystemRoot and a few others to every new process, so only our own names are asked for.
    SetEnvironmentVariableW(L"MARLWICK_PROBE_INHERITED", L"inherited");
    const Row rows[] = {
        {L"override", EnvironmentMode::InheritWithOverrides, {L"MARLWICK_PROBE=overridden"}, L"MARLWICK_PROBE",
         L"overridden"},
        {L"inherited", EnvironmentMode::InheritWithOverrides, {L"MARLWICK_PROBE=x"}, L"MARLWICK_PROBE_INHERITED",
         L"inherited"},
        {L"inherited as is", EnvironmentMode::Inherit, {L"MARLWICK_PROBE=x"}, L"MARLWICK_PROBE", L"<unset>"},
        {L"removed", EnvironmentMode::InheritWithOverrides, {L"marlwick_probe_inherited"}, L"MARLWICK_PROBE_INHERITED",
         L"<unset>"},
        {L"replaced", EnvironmentMode::Replace, {L"MARLWICK_PROBE=only"}, L"MARLWICK_PROBE", L"only"},
        {L"replaced leaves out the rest", EnvironmentMode::Replace, {L"MARLWICK_PROBE=only"},
         L"MARLWICK_PROBE_INHERITED", L"<unset>"},
    };
    for (const Row& row : rows) {
        StartOptions options = Probe({L"env", row.variable});
        options.environment = row.mode;
        options.variables = row.variables;
        const RunResult run = RunAnswering(options, kTimeoutMs);
        CHECK_EQ_AT(row.name, run.boxes.size(), size_t(1));
        if (run.boxes.size() != 1) continue;
        CHECK_EQ_AT(row.name, run.boxes[0].MessageText(), std::wstring(row.expected));
    }

    StartOptions options = Probe({L"cwd"});
    options.workingDirectory = folder.path();
    const RunResult run = RunAnswering(options, kTimeoutMs);
    CHECK_EQ(run.boxes.size(), size_t(1));
    if (run.boxes.size() == 1) CHECK_EQ(run.boxes[0].MessageText(), folder.path());
}

TEST_CASE(QuotedArgumentsArriveWhole) {
    const wchar_t* texts[] = {L"two words", L"quote \" inside", L"trailing backslash\\", L"a\\\\\"b", L"tab\there"};
    for (const wchar_t* text : texts) {
        const RunResult run = RunAnswering(Probe({L"box", text}), kTimeoutMs);
        CHECK_EQ_AT(text, run.boxes.size(), size_t(1));
        if (run.boxes.size() == 1) CHECK_EQ_AT(text, run.boxes[0].MessageText(), std::wstring(text));
    }
}

TEST_CASE(FileHelpers) {
    std::wstring kept;
    {
        TempFolder folder(L"support-files");
        CHECK(folder.ok());
        kept = folder.path();
        const std::wstring nested = folder / L"a\\b\\c";
        CHECK(MakeFolders(nested));
        CHECK(PathExists(nested));

        const std::string bytes("MZ\0\x01\xFF", 5);
        CHECK(WriteFileBytes(JoinPath(nested, L"raw.bin"), bytes));
        std::string read;
        CHECK(ReadFileBytes(JoinPath(nested, L"raw.bin"), read));
        CHECK_EQ(read, bytes);

        CHECK(WriteFileUtf16(folder / L"text.ini", L"[A]\u00e9"));
        CHECK(ReadFileBytes(folder / L"text.ini", read));
        CHECK_EQ(read, std::string("\xFF\xFE[\0A\0]\0\xE9\0", 10));

        CHECK(CopyFileTo(folder / L"text.ini", JoinPath(nested, L"copy.ini")));
        CHECK(ReadFileBytes(JoinPath(nested, L"copy.ini"), read));
        CHECK_EQ(read.size(), size_t(10));
        SetFileAttributesW(JoinPath(nested, L"copy.ini").c_str(), FILE_ATTRIBUTE_READONLY);

        CHECK(DeleteTree(folder / L"a"));
        CHECK(!PathExists(folder / L"a"));
        CHECK(PathExists(folder.path()));
        CHECK(MakeFolders(nested));
    }
    CHECK(!kept.empty() && !PathExists(kept));
}

// Which language Wine hands the program; the Spanish variant of this test runs it with LANG=es_ES.UTF-8.
// Wine takes the language from LANG of the Unix process, which a child inherits from its parent: a
// LANG in the environment block given to CreateProcessW does not change the child's language.
TEST_CASE(LocaleFollowsLang) {
    const std::wstring expected = EnvironmentValue(L"MARLWICK_EXPECT_UI_LANGUAGE");
    if (expected.empty()) return;
    const RunResult run = RunAnswering(Probe({L"locale"}), kTimeoutMs);
    CHECK_EQ(run.boxes.size(), size_t(1));
    CHECK_EQ(run.exitCode, DWORD(wcstoul(expected.c_str(), nullptr, 0)));
    if (run.exitCode == 0x0409) std::printf("English although LANG asks otherwise: is the locale generated (locale -a)?\n");
    if (run.boxes.empty()) return;
    std::printf("%s (caption \"%s\", button \"%s\")\n", check::Narrow(run.boxes[0].MessageText()).c_str(),
                check::Narrow(run.boxes[0].caption).c_str(),
                run.boxes[0].buttons.empty() ? "" : check::Narrow(run.boxes[0].buttons[0].text).c_str());
}
