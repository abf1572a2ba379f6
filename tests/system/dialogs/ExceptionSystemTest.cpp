// The Java Exception dialog shown by the launcher with the real Java runtime under Wine: the stack
// trace of the exception that ended main, Ignore, Stop, Escape and the close box with their exit
// codes, and no dialog without "Failure Check" or for an exception on another thread.
#include <windows.h>

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
        {L"Ignore: the worker thread finishes", L"Yes", Answer::Ignore, 0},
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
    struct Row { const wchar_t* name; const wchar_t* failureCheck; const wchar_t* argument; const wchar_t* output; };
    const Row rows[] = {
        {L"no Failure Check", L"", L"main", L"worker finished"},
        {L"Failure Check No", L"No", L"main", L"worker finished"},
        {L"another thread throws", L"Yes", L"other-thread", L"main returned"},
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
        CHECK_EQ_AT(row.name, run.result.exitCode, DWORD(0));
        CHECK_EQ_AT(row.name, Contains(run.output, row.output), true);
    }
}
