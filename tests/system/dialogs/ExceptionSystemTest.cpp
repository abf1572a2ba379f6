// The Java Exception dialog shown by the launcher with the real Java runtime under Wine: the stack
// trace of the exception that ended main, Ignore, Stop, Escape and the close box with their exit
// codes, and no dialog without "Failure Check" or for an exception on another thread.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "tests/framework/Check.h"
#include "tests/system/java/JavaFixture.h"

using namespace javatest;
using testsupport::WindowInfo;

namespace {

const int kExceptionText = 208;
enum class Answer { Ignore, Stop, Escape, CloseBox };

// Answers the exception dialog the chosen way, after reading its trace and edit style.
struct ExceptionAnswer {
    Answer answer;
    std::wstring trace;
    bool readOnly = false;

    int operator()(const WindowInfo& box) {
        HWND edit = GetDlgItem(box.handle, kExceptionText);
        trace = testsupport::WindowText(edit);
        readOnly = (GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0;
        switch (answer) {
            case Answer::Ignore: return IDOK;
            case Answer::Stop: return IDCANCEL;
            case Answer::Escape: {
                GUITHREADINFO info = {};
                info.cbSize = sizeof info;
                GetGUIThreadInfo(GetWindowThreadProcessId(box.handle, nullptr), &info);
                HWND focus = info.hwndFocus != nullptr ? info.hwndFocus : box.handle;
                PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0010001);
                return 0;  // no button: the key does it
            }
            case Answer::CloseBox:
                PostMessageW(box.handle, WM_SYSCOMMAND, SC_CLOSE, 0);
                return 0;
        }
        return 0;
    }
};

}  // namespace

TEST_CASE(ExceptionFromMainAnsweredEachWay) {
    struct Row { const wchar_t* name; const wchar_t* failureCheck; Answer answer; DWORD exitCode; };
    const Row rows[] = {
        // Ignore: the worker thread finishes, and the process ends with 1 as java.exe's does.
        {L"Ignore: the worker thread finishes", L"Yes", Answer::Ignore, 1},
        {L"Stop", L"yes", Answer::Stop, kFailed},
        {L"Escape", L"YES", Answer::Escape, kFailed},
        {L"close box", L"Yes", Answer::CloseBox, kFailed},
    };
    for (const Row& row : rows) {
        JavaApp app(L"exception-dialog");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.mainClass = L"probe.Throw";
        ini.failureCheck = row.failureCheck;
        CHECK(app.WriteIni(ini));
        ExceptionAnswer answer;
        answer.answer = row.answer;
        const JavaRun run = app.Run({}, {}, [&](const WindowInfo& box) { return answer(box); });
        CHECK_EQ_AT(row.name, run.result.timedOut, false);
        CHECK_EQ_AT(row.name, run.result.boxes.size(), size_t(1));
        CHECK_EQ_AT(row.name, run.result.exitCode, row.exitCode);
        if (run.result.boxes.empty()) continue;
        CHECK_EQ_AT(row.name, run.result.boxes[0].caption, std::wstring(L"Java Exception"));
        CHECK_EQ_AT(row.name, answer.trace.rfind(L"java.lang.IllegalStateException: thrown by main \u00e9\u4e2d\r\n\tat probe.Throw.main(", 0),
                    size_t(0));
        CHECK_EQ_AT(row.name, answer.readOnly, true);
        if (row.answer == Answer::Ignore) {
            // The application went on, and the exception was still reported as uncaught.
            CHECK_EQ_AT(row.name, Contains(run.output, L"worker finished"), true);
            CHECK_EQ_AT(row.name, Contains(run.error, L"IllegalStateException: thrown by main"), true);
        }
    }
}

TEST_CASE(NoDialogWithoutFailureCheckOrFromOtherThreads) {
    // An exception that ended main makes the exit code 1 (as java.exe has it), one on another
    // thread does not.
    struct Row { const wchar_t* name; const wchar_t* failureCheck; const wchar_t* argument; const wchar_t* output; DWORD exitCode; };
    const Row rows[] = {
        {L"no Failure Check", L"", L"main", L"worker finished", 1},
        {L"Failure Check No", L"No", L"main", L"worker finished", 1},
        {L"another thread throws", L"Yes", L"other-thread", L"main returned", 0},
    };
    for (const Row& row : rows) {
        JavaApp app(L"exception-no-dialog");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.mainClass = L"probe.Throw";
        ini.failureCheck = row.failureCheck;
        CHECK(app.WriteIni(ini));
        const JavaRun run = app.Run({row.argument});
        CHECK_EQ_AT(row.name, run.result.timedOut, false);
        CHECK_EQ_AT(row.name, run.result.boxes.size(), size_t(0));
        CHECK_EQ_AT(row.name, run.result.exitCode, row.exitCode);
        CHECK_EQ_AT(row.name, Contains(run.output, row.output), true);
    }
}

// Run with Java 17, whose default charset is the ANSI code page: texts that the dialog must show
// whole and at once, whatever the application's exception holds.
TEST_CASE(ExceptionTextsOfAnyKindAndSize) {
    auto unixMs = [] {
        FILETIME now = {};
        GetSystemTimeAsFileTime(&now);
        const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
        return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
    };
    struct Row { const wchar_t* name; std::vector<std::wstring> arguments; Answer answer; DWORD exitCode; };
    const Row rows[] = {
        {L"characters outside the code page", {L"unicode"}, Answer::Ignore, 1},
        {L"toString that throws", {L"bad-to-string"}, Answer::Ignore, 1},
        {L"a message of ten million characters", {L"long", L"10000000"}, Answer::Stop, kFailed},
    };
    for (const Row& row : rows) {
        JavaApp app(L"exception-texts");
        REQUIRE_APP(app);
        JavaIni ini;
        ini.mainClass = L"probe.Throw";
        ini.failureCheck = L"yes";
        CHECK(app.WriteIni(ini));
        ExceptionAnswer answer;
        answer.answer = row.answer;
        long long shownAt = 0;
        const JavaRun run = app.Run(row.arguments, {}, [&](const WindowInfo& box) {
            if (shownAt == 0) shownAt = unixMs();
            return answer(box);
        });
        CHECK_EQ_AT(row.name, run.result.timedOut, false);
        CHECK_EQ_AT(row.name, run.result.boxes.size(), size_t(1));
        CHECK_EQ_AT(row.name, run.result.exitCode, row.exitCode);
        const std::wstring& trace = answer.trace;
        if (row.arguments[0] == L"unicode") {
            CHECK_EQ_AT(row.name, trace.rfind(L"java.lang.IllegalStateException: emoji \U0001F600 han \u4e2d\u6587\r\n", 0),
                        size_t(0));
        } else if (row.arguments[0] == L"bad-to-string") {
            CHECK_EQ_AT(row.name, trace.rfind(L"probe.Throw$BadToString\r\n", 0), size_t(0));
            CHECK_EQ_AT(row.name, Contains(trace, L"printStackTrace threw java.lang.IllegalStateException: toString refuses"), true);
        } else {
            // The dialog within ten seconds of the throw (it takes under one on a quiet machine;
            // the margin is for a busy one), with the beginning of the text and how much was left out.
            const size_t at = run.output.find(L"throwing at ");
            CHECK_EQ_AT(row.name, at != std::wstring::npos, true);
            const long long thrownAt = at == std::wstring::npos ? 0 : std::wcstoll(run.output.c_str() + at + 12, nullptr, 10);
            std::printf("dialog %lld ms after the throw\n", shownAt - thrownAt);
            CHECK_EQ_AT(row.name, shownAt - thrownAt < 10000, true);
            CHECK_EQ_AT(row.name, trace.rfind(L"java.lang.IllegalStateException: xxxxxxxx", 0), size_t(0));
            CHECK_EQ_AT(row.name, trace.size() < 100100, true);
            CHECK_EQ_AT(row.name, Contains(trace, L"more characters of the text are not shown]"), true);
        }
    }
}
