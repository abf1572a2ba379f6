// Stale and hostile state around a single-instance launcher: a later start that dies half-way,
// stray messages, a first instance that crashed while a block outlives it, a fake first instance.
// None of it may crash or hang the first instance or lose the arguments of the later starts.
#include <windows.h>

#include <algorithm>

#include "tests/framework/Check.h"
#include "tests/system/instance/InstanceFixture.h"

using namespace instancetest;
using testsupport::ExitResult;
using testsupport::JoinPath;

namespace {

const wchar_t kSingle[] = L"Single Instance=yes\r\n";

// Runs the intruder to its end.
DWORD RunIntruder(const std::vector<std::wstring>& arguments) {
    const std::wstring exe = JoinPath(FilesFolder(), L"InstanceIntruder.exe");
    std::vector<std::wstring> line = {exe};
    line.insert(line.end(), arguments.begin(), arguments.end());
    LaunchPlan plan;
    Launched intruder = StartLauncher(exe, testsupport::QuoteCommandLine(line), plan, FilesFolder());
    if (!intruder.started()) return kTimedOut;
    const ExitResult end = intruder.Finish(60000);
    return end.timedOut ? kTimedOut : end.exitCode;
}

// Starts the intruder and waits until it says it is ready (event NAME_test_ready).
Launched StartIntruder(const std::wstring& name, const std::vector<std::wstring>& arguments) {
    UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_ready").c_str()));
    const std::wstring exe = JoinPath(FilesFolder(), L"InstanceIntruder.exe");
    std::vector<std::wstring> line = {exe};
    line.insert(line.end(), arguments.begin(), arguments.end());
    Launched intruder = StartLauncher(exe, testsupport::QuoteCommandLine(line), LaunchPlan{}, FilesFolder());
    CHECK(intruder.started());
    HANDLE both[] = {ready.get(), intruder.handle()};
    CHECK_EQ(WaitForMultipleObjects(2, both, FALSE, 30000), WAIT_OBJECT_0);
    return intruder;
}

// Ten later starts at the same moment, each with its own answer; returns their argument lines.
std::vector<std::string> TenAtOnce(const AppFixture& app, const std::wstring& tag) {
    std::vector<std::string> lines;
    std::vector<Launched> starts;
    for (int i = 0; i < 10; ++i) {
        LaunchPlan plan;
        plan.arguments = {tag + L"-" + std::to_wstring(i), L"ret=" + std::to_wstring(2000 + i)};
        plan.suspended = true;
        lines.push_back(Describe(plan.arguments));
        starts.push_back(app.Start(plan));
    }
    for (Launched& start : starts) start.Resume();
    for (int i = 0; i < 10; ++i) {
        const ExitResult end = starts[i].Finish(120000);
        const std::wstring context = tag + L" " + std::to_wstring(i);
        CHECK_EQ_AT(context, end.timedOut, false);
        CHECK_EQ_AT(context, end.exitCode, static_cast<DWORD>(2000 + i));
    }
    return lines;
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

}  // namespace

TEST_CASE(hostile_DiesHoldingTheHandOver) {
    // A later start takes the hand-over mutex, scribbles over the argument area (no NUL, a huge
    // count) and dies without posting: the next starts take over the abandoned mutex.
    AppFixture app(L"dies-holding", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    const std::wstring name = InstanceName(app.exe());
    CHECK_EQ(RunIntruder({L"die-holding", name}), 0u);
    CHECK_EQ(app.Run({L"x"}, 60000), 41u);
    CHECK_EQ(app.Run({L"y", L"z"}, 60000), 42u);
    CHECK(app.WaitForSecondaryLines(2));
    std::vector<std::string> expected = {Describe({L"x"}), Describe({L"y", L"z"})};
    CHECK_EQ(app.SecondaryLines(), expected);
    // Once more while starts are waiting for the mutex.
    CHECK_EQ(RunIntruder({L"die-holding", name}), 0u);
    for (const std::string& line : TenAtOnce(app, L"after")) expected.push_back(line);
    CHECK(app.WaitForSecondaryLines(expected.size()));
    Sleep(300);
    CHECK_EQ(Sorted(app.SecondaryLines()), Sorted(expected));
    CHECK_EQ(first.running(), true);
    StopFirst(app, first);
}

TEST_CASE(hostile_WrongMessagesAreIgnored) {
    AppFixture app(L"wrong-messages", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    const std::wstring name = InstanceName(app.exe());
    CHECK_EQ(RunIntruder({L"post-wrong", name}), 0u);
    Sleep(500);
    CHECK_EQ(app.SecondaryLines().size(), size_t(0));
    CHECK_EQ(first.running(), true);
    CHECK_EQ(app.Run({L"x"}, 60000), 41u);
    CHECK(app.WaitForSecondaryLines(1));
    CHECK_EQ(app.SecondaryLines(), std::vector<std::string>{Describe({L"x"})});
    StopFirst(app, first);
}

TEST_CASE(hostile_DiesAfterPostingBeforeTheArgumentsAreTaken) {
    // A later start posts and dies at once: its arguments are delivered (the answer goes nowhere),
    // and the hand-overs that follow, ten at once, are not disturbed by the one it left behind.
    AppFixture app(L"dies-after-post", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    const std::wstring name = InstanceName(app.exe());
    std::vector<std::string> expected;
    for (int round = 0; round < 3; ++round) {
        const std::wstring ghost = L"ghost" + std::to_wstring(round);
        CHECK_EQ_AT(ghost, RunIntruder({L"post-and-die", name, ghost}), 0u);
        expected.push_back(Describe({ghost}));
        for (const std::string& line : TenAtOnce(app, L"round" + std::to_wstring(round))) expected.push_back(line);
    }
    CHECK(app.WaitForSecondaryLines(expected.size()));
    Sleep(300);
    CHECK_EQ(Sorted(app.SecondaryLines()), Sorted(expected));
    StopFirst(app, first);
}

TEST_CASE(hostile_CrashedFirstInstance) {
    AppFixture app(L"crashed-first", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    const std::wstring name = InstanceName(app.exe());
    // Something else keeps the block alive beyond the first instance.
    Launched holder = StartIntruder(name, {L"hold", name});
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str()));

    // A later start waits for an answer (secondaryMain sleeps) when the first instance is killed:
    // it ends at once with the first instance's exit code.
    Launched waiting = app.Start({L"sleep=100000", L"waiting"});
    CHECK(app.WaitForSecondaryLines(1));
    first.Terminate(0xC0000005);
    const ExitResult waited = waiting.Finish(15000);
    CHECK_EQ(waited.timedOut, false);
    CHECK_EQ(waited.exitCode, 0xC0000005u);

    // The block is still there but nobody listens: the next start becomes the first instance
    // itself, in a block of its own, and serves later starts, before and after the old block goes.
    DeleteFileW(app.path(L"stop").c_str());
    Launched second = app.Start({L"stay", L"again"});
    CHECK(app.WaitForMainRecords(2));
    CHECK_EQ(app.Run({L"to", L"the", L"new"}, 60000), 43u);
    SetEvent(release.get());
    CHECK_EQ(holder.Finish(30000).exitCode, 0u);
    CHECK_EQ(app.Run({L"once more"}, 60000), 41u);
    CHECK(app.WaitForSecondaryLines(3));
    CHECK_EQ(app.SecondaryLines(), (std::vector<std::string>{Describe({L"sleep=100000", L"waiting"}),
                                                             Describe({L"to", L"the", L"new"}),
                                                             Describe({L"once more"})}));
    CHECK_EQ(app.MainRecords().size(), size_t(2));
    StopFirst(app, second);
}

TEST_CASE(hostile_ScribbledBlockDoesNotHoldTheFirstInstance) {
    // Any process can write the block: the first instance ends its listener through its own
    // record of the thread, not through what the block says afterwards.
    AppFixture app(L"scribbled", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = app.Start({L"sleep=3000"});
    CHECK(app.WaitForMainRecords(1));
    CHECK_EQ(RunIntruder({L"scribble", InstanceName(app.exe())}), 0u);
    const ExitResult end = first.Finish(60000);
    CHECK_EQ(end.timedOut, false);
    CHECK_EQ(end.exitCode, 0u);
}

TEST_CASE(hostile_SquattersDoNotCaptureTheStart) {
    // Another program creates the block before the first start: zero-filled, too small, or as a
    // fake first instance with its own process, thread and message. The start does not hand over
    // to it (nothing is recorded) but becomes the first instance itself, and serves later starts.
    struct Row { const wchar_t* name; std::vector<std::wstring> intruder; };
    const Row rows[] = {
        {L"zero-filled block", {L"squat", L"", L"2092"}},
        {L"block too small", {L"squat", L"", L"16"}},
        {L"fake first instance", {L"fake-first", L"", L"self", L"0x7", L""}},
    };
    for (const Row& row : rows) {
        AppFixture app(L"squatted", kIntApp, kSingle);
        CHECK_EQ_AT(row.name, app.ok(), true);
        const std::wstring name = InstanceName(app.exe());
        const std::wstring record = app.path(L"block.bin");
        std::vector<std::wstring> arguments = row.intruder;
        arguments[1] = name;
        if (arguments[0] == L"fake-first") arguments[4] = record;
        Launched squatter = StartIntruder(name, arguments);
        UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str()));

        Launched first = app.Start({L"stay", L"first"});
        CHECK_EQ_AT(row.name, app.WaitForMainRecords(1), true);
        CHECK_EQ_AT(row.name, app.Run({L"a", L"bc"}, 60000), 42u);
        CHECK_EQ_AT(row.name, app.WaitForSecondaryLines(1), true);
        CHECK_EQ_AT(row.name, app.SecondaryLines(), std::vector<std::string>{Describe({L"a", L"bc"})});
        CHECK_EQ_AT(row.name, testsupport::PathExists(record), false);
        // Still reached once the squatter has gone and its block is free again.
        SetEvent(release.get());
        squatter.Terminate(0);
        CHECK_EQ_AT(row.name, app.Run({L"x"}, 60000), 41u);
        CHECK_EQ_AT(row.name, app.MainRecords().size(), size_t(1));
        StopFirst(app, first);
    }
}

TEST_CASE(hostile_StartedEventNameTakenBeforehand) {
    // Another program holds an object under the name of the event that lets deliveries wait for
    // main. A later start that comes before main still waits for it and gets its answer.
    AppFixture app(L"started-squat", kIntApp, kSingle);
    CHECK(app.ok());
    const std::wstring name = InstanceName(app.exe());
    Launched squatter = StartIntruder(name, {L"squat-started", name});
    UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str()));
    LaunchPlan plan;
    plan.arguments = {L"early"};
    plan.suspended = true;
    Launched early = app.Start(plan);
    Launched first = app.Start({L"stay", L"first"});
    const ULONGLONG deadline = GetTickCount64() + 30000;
    while (!WaitForListener(app.exe(), 0) && GetTickCount64() < deadline) {
    }
    early.Resume();
    const ExitResult end = early.Finish(30000);
    CHECK_EQ(end.timedOut, false);
    CHECK_EQ(end.exitCode, 41u);
    CHECK_EQ(app.WaitForSecondaryLines(1), true);
    CHECK_EQ(app.SecondaryLines(), std::vector<std::string>{Describe({L"early"})});
    StopFirst(app, first);
    SetEvent(release.get());
    squatter.Terminate(0);
}
