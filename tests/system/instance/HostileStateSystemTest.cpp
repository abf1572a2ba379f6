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

    // The block is still there but nobody listens: a new start cannot hand over and fails at once.
    const ULONGLONG before = GetTickCount64();
    CHECK_EQ(app.Run({L"into the void"}, 60000), kFailed);
    CHECK(GetTickCount64() - before < 20000);

    // Once the block is gone, the next start is a first instance again and serves later ones.
    SetEvent(release.get());
    CHECK_EQ(holder.Finish(30000).exitCode, 0u);
    DeleteFileW(app.path(L"stop").c_str());
    Launched second = app.Start({L"stay", L"again"});
    CHECK(app.WaitForMainRecords(2));
    CHECK_EQ(app.Run({L"to", L"the", L"new"}, 60000), 43u);
    CHECK(app.WaitForSecondaryLines(2));
    CHECK_EQ(app.SecondaryLines(), (std::vector<std::string>{Describe({L"sleep=100000", L"waiting"}),
                                                             Describe({L"to", L"the", L"new"})}));
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

TEST_CASE(hostile_FakeFirstInstance) {
    // A fake first instance shows what a later start writes into the block, byte by byte, and
    // how the later start ends when the first instance cannot be queried or does not answer.
    struct Row { const wchar_t* name; const wchar_t* pid; const wchar_t* answer; DWORD exitCode; };
    const Row rows[] = {
        {L"first instance cannot be opened", L"0x7FFFFFF0", L"none", 0},
        {L"answer with all 32 bits", L"self", L"0xFFFFFFFE", 0xFFFFFFFE},
        {L"ends without answering", L"self", L"none", 5},
    };
    for (const Row& row : rows) {
        AppFixture app(L"fake-first", kIntApp, kSingle);
        CHECK_EQ_AT(row.name, app.ok(), true);
        const std::wstring name = InstanceName(app.exe());
        const std::wstring record = app.path(L"block.bin");
        Launched fake = StartIntruder(name, {L"fake-first", name, row.pid, row.answer, record});
        CHECK_EQ_AT(row.name, app.Run({L"a", L"bc", L""}, 60000), row.exitCode);
        CHECK_EQ_AT(row.name, fake.Finish(30000).exitCode, 5u);

        const std::string block = ReadText(record);
        CHECK_EQ_AT(row.name, block.size(), size_t(1044));
        // "a" NUL "bc" NUL "" NUL, then the final NUL and zeros; then the count 3.
        std::string area(1040, '\0');
        const char written[] = {'a', 0, 0, 0, 'b', 0, 'c', 0, 0, 0};
        std::copy(written, written + sizeof written, area.begin());
        CHECK_EQ_AT(row.name, block.substr(0, 1040) == area, true);
        CHECK_EQ_AT(row.name, block.substr(1040) == std::string("\x03\0\0\0", 4), true);
        // No VM was started for the later start.
        CHECK_EQ_AT(row.name, app.MainRecords().size(), size_t(0));
    }
}
