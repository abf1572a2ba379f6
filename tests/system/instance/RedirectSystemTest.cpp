// System.out and System.err into the files of "Output File" and "Error File", with the real JRE.
// The application (PlainApp) prints "out line of ..." and "err line of ..." and records its start.
#include <windows.h>

#include <cstdio>
#include <cwctype>

#include "tests/framework/Check.h"
#include "tests/system/instance/InstanceFixture.h"

using namespace instancetest;
using namespace testsupport;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

std::string OutLine(const std::vector<std::wstring>& arguments) { return "out line of " + Describe(arguments); }
std::string ErrLine(const std::vector<std::wstring>& arguments) { return "err line of " + Describe(arguments); }

// A drive letter that Wine does not map, for paths that cannot be opened.
std::wstring MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
        if ((drives & (1u << (letter - L'A'))) == 0) return std::wstring(1, letter) + L":";
    }
    return L"Q:";
}

bool AllDigits(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (!std::iswdigit(c)) return false;
    }
    return true;
}

// The platform's formatting of a picture, into a buffer as large as it asks for.
std::wstring FormatTime(const std::wstring& picture, const SYSTEMTIME& time) {
    const int size = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), nullptr, 0);
    std::wstring text(size > 0 ? size : 1, L'\0');
    const int written = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), &text[0], size);
    text.resize(written > 0 ? written - 1 : 0);
    return text;
}

std::wstring FormatDate(const std::wstring& picture, const SYSTEMTIME& time) {
    const int size = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), nullptr, 0);
    std::wstring text(size > 0 ? size : 1, L'\0');
    const int written = GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), &text[0], size);
    text.resize(written > 0 ? written - 1 : 0);
    return text;
}

}  // namespace

TEST_CASE(redirect_FoldersAreCreated) {
    AppFixture app(L"redirect-folders", kPlainApp, L"");
    CHECK(app.ok());
    CHECK(app.WriteIni(kPlainApp, L"Output File=" + app.path(L"logs\\a\\b\\out.log") + L"\r\nError File=" +
                                      app.path(L"logs\\c\\err.log") + L"\r\n"));
    CHECK_EQ(app.Run({L"r1"}), 0u);
    CHECK_EQ(app.MainRecords().size(), size_t(1));
    const std::string out = ReadText(app.path(L"logs\\a\\b\\out.log"));
    const std::string err = ReadText(app.path(L"logs\\c\\err.log"));
    CHECK(Contains(out, OutLine({L"r1"})));
    CHECK(!Contains(out, "err line"));
    CHECK(Contains(err, ErrLine({L"r1"})));
    CHECK(!Contains(err, "out line"));

    // Environment references in the paths are expanded.
    AppFixture env(L"redirect-env", kPlainApp, L"");
    CHECK(env.WriteIni(kPlainApp, L"Output File=%INSTANCE_TEST_LOGS%\\env\\out.log\r\n"));
    Launched launched = env.Start(LaunchPlan{{L"r2"}, L"", false, L"", {L"INSTANCE_TEST_LOGS=" + env.path(L"from-env")}});
    CHECK_EQ(launched.Finish(kStartMs).exitCode, 0u);
    CHECK(Contains(ReadText(env.path(L"from-env\\env\\out.log")), OutLine({L"r2"})));
}

TEST_CASE(redirect_AppendOnlyWithTheExactWordYes) {
    struct Row { const wchar_t* value; bool append; };
    const Row rows[] = {{L"yes", true}, {L"Yes", false}, {L"YES", false}, {L"true", false}, {nullptr, false}};
    for (const Row& row : rows) {
        const std::wstring name = row.value != nullptr ? row.value : L"absent";
        AppFixture app(L"redirect-append", kPlainApp, L"");
        std::wstring lines = L"Output File=" + app.path(L"out.log") + L"\r\nError File=" + app.path(L"err.log") + L"\r\n";
        if (row.value != nullptr) {
            lines += L"Output Append=" + std::wstring(row.value) + L"\r\nError Append=" + row.value + L"\r\n";
        }
        CHECK_EQ_AT(name, app.WriteIni(kPlainApp, lines), true);
        CHECK(WriteFileBytes(app.path(L"out.log"), "old out\r\n"));
        CHECK(WriteFileBytes(app.path(L"err.log"), "old err\r\n"));
        CHECK_EQ_AT(name, app.Run({L"one"}), 0u);
        CHECK_EQ_AT(name, app.Run({L"two"}), 0u);
        const std::string out = ReadText(app.path(L"out.log"));
        const std::string err = ReadText(app.path(L"err.log"));
        CHECK_EQ_AT(name, Contains(out, "old out"), row.append);
        CHECK_EQ_AT(name, Contains(err, "old err"), row.append);
        CHECK_EQ_AT(name, Contains(out, OutLine({L"one"})), row.append);
        CHECK_EQ_AT(name, Contains(err, ErrLine({L"one"})), row.append);
        CHECK_EQ_AT(name, Count(out, OutLine({L"two"})), size_t(1));
        CHECK_EQ_AT(name, Count(err, ErrLine({L"two"})), size_t(1));
    }
    // Each switch goes on its own.
    AppFixture app(L"redirect-append-one", kPlainApp, L"");
    CHECK(app.WriteIni(kPlainApp, L"Output File=" + app.path(L"out.log") + L"\r\nError File=" + app.path(L"err.log") +
                                      L"\r\nError Append=yes\r\n"));
    CHECK_EQ(app.Run({L"one"}), 0u);
    CHECK_EQ(app.Run({L"two"}), 0u);
    CHECK_EQ(Count(ReadText(app.path(L"out.log")), "out line of"), size_t(1));
    CHECK_EQ(Count(ReadText(app.path(L"err.log")), "err line of"), size_t(2));
}

TEST_CASE(redirect_TimestampIsTheSameInstantInBothNames) {
    AppFixture app(L"redirect-stamp", kPlainApp, L"");
    CHECK(app.WriteIni(kPlainApp, L"Output File=" + app.path(L"stamps\\out_%yyyyMMdd_HHmmss_L%.log") +
                                      L"\r\nError File=" + app.path(L"stamps\\err_%yyyyMMdd_HHmmss_L%.log") +
                                      L"\r\n"));
    SYSTEMTIME before;
    GetLocalTime(&before);
    CHECK_EQ(app.Run({L"stamp"}), 0u);
    const std::vector<std::wstring> outs = FilesMatching(app.path(L"stamps"), L"out_*.log");
    const std::vector<std::wstring> errs = FilesMatching(app.path(L"stamps"), L"err_*.log");
    CHECK_EQ(outs.size(), size_t(1));
    CHECK_EQ(errs.size(), size_t(1));
    if (outs.size() == 1 && errs.size() == 1) {
        const std::wstring stamp = outs[0].substr(4, outs[0].size() - 8);
        CHECK_EQ(errs[0].substr(4, errs[0].size() - 8), stamp);
        // yyyyMMdd_HHmmss_L: the milliseconds without leading zeros.
        CHECK(stamp.size() >= 17 && stamp.size() <= 19);
        CHECK(AllDigits(stamp.substr(0, 8)) && stamp[8] == L'_' && AllDigits(stamp.substr(9, 6)) && stamp[15] == L'_');
        const std::wstring millis = stamp.size() > 16 ? stamp.substr(16) : L"";
        CHECK(AllDigits(millis) && (millis.size() == 1 || millis[0] != L'0'));
        wchar_t year[8];
        swprintf(year, 8, L"%04u", before.wYear);
        CHECK_EQ(stamp.substr(0, 4), std::wstring(year));
        CHECK(Contains(ReadText(app.path(L"stamps\\" + outs[0])), OutLine({L"stamp"})));
        CHECK(Contains(ReadText(app.path(L"stamps\\" + errs[0])), ErrLine({L"stamp"})));
    }

    // A single "%" is dropped and nothing takes its place.
    AppFixture single(L"redirect-percent", kPlainApp, L"");
    CHECK(single.WriteIni(kPlainApp, L"Output File=" + single.path(L"single%.log") + L"\r\n"));
    CHECK_EQ(single.Run({L"p"}), 0u);
    CHECK(Contains(ReadText(single.path(L"single.log")), OutLine({L"p"})));
}

TEST_CASE(redirect_RelativePathsFollowTheWorkingDirectory) {
    struct Row { const wchar_t* override; bool besideExe; };
    const Row rows[] = {{L"yes", true}, {L"YES", true}, {L"no", false}, {nullptr, false}};
    for (const Row& row : rows) {
        const std::wstring name = row.override != nullptr ? row.override : L"absent";
        AppFixture app(L"redirect-relative", kPlainApp, L"");
        std::wstring lines = L"Output File=rel-out.log\r\nError File=logs\\deeper\\rel-err.log\r\n";
        if (row.override != nullptr) lines += L"Override WorkingDir=" + std::wstring(row.override) + L"\r\n";
        CHECK_EQ_AT(name, app.WriteIni(kPlainApp, lines), true);
        // Every missing folder of a relative path is created, its first one too.
        const std::wstring work = app.path(L"work");
        CHECK(MakeFolders(work));
        LaunchPlan plan;
        plan.arguments = {L"rel"};
        plan.workingDirectory = work;
        Launched launched = app.Start(plan);
        CHECK_EQ_AT(name, launched.Finish(kStartMs).exitCode, 0u);
        const std::wstring expected = row.besideExe ? app.folder() : work;
        const std::wstring other = row.besideExe ? work : app.folder();
        CHECK_EQ_AT(name, Contains(ReadText(JoinPath(expected, L"rel-out.log")), OutLine({L"rel"})), true);
        CHECK_EQ_AT(name, Contains(ReadText(JoinPath(expected, L"logs\\deeper\\rel-err.log")), ErrLine({L"rel"})), true);
        CHECK_EQ_AT(name, PathExists(JoinPath(other, L"rel-out.log")), false);
        CHECK_EQ_AT(name, PathExists(JoinPath(other, L"logs")), false);
    }
}

TEST_CASE(redirect_UnopenableFilesPrintTheExceptionAndTheAppStarts) {
    const std::wstring missing = MissingDrive() + L"\\marlwick\\x\\out.log";
    struct Row { const wchar_t* name; bool outputFails; bool errorFails; const wchar_t* badError; };
    const Row rows[] = {
        {L"error file below a file", false, true, L"blocker\\err.log"},
        {L"output file on a missing drive", true, false, nullptr},
        {L"both", true, true, L"blocker\\err.log"},
        // The invalid name fails inside a folder that was there before: that folder stays.
        {L"error file below an invalid name", false, true, L"keep\\a|b\\err.log"},
    };
    for (const Row& row : rows) {
        AppFixture app(L"redirect-unopenable", kPlainApp, L"");
        CHECK(WriteFileBytes(app.path(L"blocker"), "a file, not a folder"));
        CHECK(MakeFolders(app.path(L"keep")));
        const std::wstring out = row.outputFails ? missing : app.path(L"fine\\out.log");
        const std::wstring err = row.errorFails ? app.path(row.badError) : app.path(L"fine\\err.log");
        CHECK_EQ_AT(row.name, app.WriteIni(kPlainApp, L"Output File=" + out + L"\r\nError File=" + err + L"\r\n"), true);
        TempFolder capture(L"native-stderr");
        LaunchPlan plan;
        plan.arguments = {L"u"};
        plan.standardError = capture / L"stderr.txt";
        Launched launched = app.Start(plan);
        CHECK_EQ_AT(row.name, launched.Finish(kStartMs).exitCode, 0u);
        CHECK_EQ_AT(row.name, launched.boxes.size(), size_t(0));
        // The application started all the same.
        CHECK_EQ_AT(row.name, app.MainRecords(), std::vector<std::string>{Describe({L"u"})});
        const std::string native = ReadText(capture / L"stderr.txt");
        const size_t exceptions = (row.outputFails ? 1 : 0) + (row.errorFails ? 1 : 0);
        CHECK_EQ_AT(row.name, Count(native, "java.io.FileNotFoundException"), exceptions);
        CHECK_EQ_AT(row.name, Contains(native, ErrLine({L"u"})), row.errorFails);
        CHECK_EQ_AT(row.name, Contains(native, OutLine({L"u"})), row.outputFails);
        if (!row.outputFails) CHECK_EQ_AT(row.name, Contains(ReadText(out), OutLine({L"u"})), true);
        if (!row.errorFails) CHECK_EQ_AT(row.name, Contains(ReadText(err), ErrLine({L"u"})), true);
        // The blocking file is left as it was, and the empty folder that was there before.
        CHECK_EQ_AT(row.name, ReadText(app.path(L"blocker")), std::string("a file, not a folder"));
        CHECK_EQ_AT(row.name, PathExists(app.path(L"keep")), true);
    }
}

TEST_CASE(redirect_LongPictureIsUsedWhole) {
    // A picture of 274 characters (25 folders named by the date and the hour) formats to more
    // than 259 characters in both steps and is used whole. What the platform makes of it is asked
    // here the same way: Wine 8's GetDateFormatW drops a few characters of such a long text, and
    // its GetTimeFormatW overruns a buffer of its own (and crashes) from about 296 characters on,
    // so the picture stays below that.
    AppFixture app(L"redirect-long", kPlainApp, L"");
    std::wstring picture = L"yyyyMMddHH";
    for (int i = 1; i < 25; ++i) picture += L"\\yyyyMMddHH";
    CHECK_EQ(picture.size(), size_t(274));
    CHECK(app.WriteIni(kPlainApp, L"Output File=" + app.path(L"long\\%" + picture + L"%\\out.log") + L"\r\n"));
    SYSTEMTIME before;
    GetLocalTime(&before);
    CHECK_EQ(app.Run({L"long"}), 0u);
    SYSTEMTIME after;
    GetLocalTime(&after);
    CHECK_EQ(app.MainRecords().size(), size_t(1));

    std::vector<std::wstring> expected;
    for (const SYSTEMTIME& time : {before, after}) {
        const std::wstring timeStep = FormatTime(picture, time);
        const std::wstring dateStep = FormatDate(timeStep, time);
        CHECK_EQ(timeStep.size(), size_t(274));
        CHECK(dateStep.size() > 259);
        expected.push_back(app.path(L"long\\" + dateStep + L"\\out.log"));
    }
    const bool found = Contains(ReadText(expected[0]), OutLine({L"long"})) ||
                       Contains(ReadText(expected[1]), OutLine({L"long"}));
    CHECK(found);
    CHECK(expected[0].size() > MAX_PATH);
    std::printf("long picture: %u characters in the path\n", static_cast<unsigned>(expected[0].size()));
}
