// A first instance under load: 500 later starts in a row each hand their arguments over and get
// their answer, and the first instance's handle count and memory, read from its own counters,
// stay flat.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/instance/InstanceFixture.h"

using namespace instancetest;

namespace {

struct Counters {
    size_t handles = 0;
    size_t privateBytes = 0;
};

// The system's handle table (SystemExtendedHandleInformation), for where GetProcessHandleCount
// reports nothing (Wine 8 answers 0 for every process).
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG grantedAccess;
    USHORT creatorBackTraceIndex;
    USHORT objectTypeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

size_t HandlesInSystemTable(DWORD processId) {
    using Query = NTSTATUS(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    const ULONG kExtendedHandleInformation = 64;
    const NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    std::vector<ULONG_PTR> buffer(1 << 17);
    NTSTATUS status;
    ULONG length = 0;
    while ((status = query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)),
                           &length)) == kLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return 0;
    const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
    size_t count = 0;
    for (ULONG_PTR i = 0; i < table->count; ++i) {
        if (table->entries[i].processId == processId) ++count;
    }
    return count;
}

Counters Read(HANDLE process) {
    Counters counters;
    DWORD handles = 0;
    counters.handles = GetProcessHandleCount(process, &handles) && handles > 0 ? handles
                                                                               : HandlesInSystemTable(GetProcessId(process));
    // The committed private memory (PrivateUsage, which Wine leaves at 0, is the same number).
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) counters.privateBytes = memory.PagefileUsage;
    return counters;
}

// Each later start traces itself, for a start that fails to say how far it came.
std::wstring TracePath(const AppFixture& app, int start) { return app.path(L"trace-" + std::to_wstring(start) + L".txt"); }

Launched StartLater(const AppFixture& app, int start) {
    LaunchPlan plan;
    plan.arguments = {L"ret=" + std::to_wstring(start)};
    plan.environment = {L"MARLWICK_TRACE=" + TracePath(app, start)};
    return app.Start(plan);
}

// Whether a later start got its answer; when not, what it left: its exit, its boxes, its trace.
bool Answered(const AppFixture& app, Launched& later, int start) {
    const testsupport::ExitResult end = later.Finish(60000);
    if (later.started() && !end.timedOut && end.exitCode == static_cast<DWORD>(start)) return true;
    std::printf("later start %d: started %d (error %lu), timed out %d, exit code %lu, %zu boxes%s; its trace:\n%s\n",
                start, later.started() ? 1 : 0, static_cast<unsigned long>(later.startError), end.timedOut ? 1 : 0,
                static_cast<unsigned long>(end.exitCode), later.boxes.size(),
                later.boxes.empty() ? "" : (": " + check::Narrow(later.boxes[0].MessageText())).c_str(),
                ReadText(TracePath(app, start)).c_str());
    return false;
}

// Later starts in batches of `parallel`, each answered with its own number.
int HandOver(const AppFixture& app, int from, int count, int parallel) {
    int answered = 0;
    for (int start = from; start < from + count; start += parallel) {
        std::vector<Launched> batch;
        for (int i = start; i < start + parallel && i < from + count; ++i) batch.push_back(StartLater(app, i));
        int i = start;
        for (Launched& later : batch) {
            if (Answered(app, later, i)) ++answered;
            ++i;
        }
    }
    return answered;
}

}  // namespace

TEST_CASE(load_FiveHundredHandOvers) {
    AppFixture app(L"load", kIntApp, L"Single Instance=yes\r\n");
    CHECK(app.ok());
    // A small young generation, collected every few dozen hand-overs: the Java heap's pages are
    // in use from the start, so that what grows is what is not given back.
    const std::wstring code = app.folder().substr(app.folder().rfind(L'\\') + 1);
    CHECK(app.launcher().WriteIni(
        L"[Product Information]\r\nProduct Name=Marlwick Instance Tests\r\nProduct Code=" + code +
        L"\r\n[Java Runtime Environment]\r\nMain Class=" + kIntApp + L"\r\nJRE Path=" + JreHome() +
        L"\r\nVirtual Machine Parameters=\"-Dinstance.dir=" + app.folder() +
        L"\" -Xmx48m -Xmn1m -Xss512k -XX:+UseSerialGC -XX:TieredStopAtLevel=1\r\n"
        L"[Class Path]\r\nClass Path=\\lib\\*.jar\r\n[Application]\r\nSingle Instance=yes\r\n"));
    Launched first = StartFirst(app);
    const int kWarmUp = 100, kHalf = 200, kParallel = 4;

    // The virtual machine settles first (class loading, compiled code, heap sizing).
    CHECK_EQ(HandOver(app, 0, kWarmUp, kParallel), kWarmUp);
    const Counters start = Read(first.handle());
    CHECK_EQ(HandOver(app, kWarmUp, kHalf, kParallel), kHalf);
    const Counters middle = Read(first.handle());
    CHECK_EQ(HandOver(app, kWarmUp + kHalf, kHalf, kParallel), kHalf);
    const Counters end = Read(first.handle());
    std::printf("handles %zu -> %zu -> %zu, private bytes %zu -> %zu -> %zu\n", start.handles, middle.handles,
                end.handles, start.privateBytes, middle.privateBytes, end.privateBytes);

    // A leak of one handle per hand-over would add 200 in each half.
    CHECK(start.handles > 0);
    CHECK(middle.handles <= start.handles + 10);
    CHECK(end.handles <= middle.handles + 10);
    // Memory: after the first half (the last class loading and compiling), 200 hand-overs add
    // less than 1 MB: a leak of 5 KB per hand-over would not fit.
    CHECK(start.privateBytes > 0);
    CHECK(end.privateBytes <= middle.privateBytes + (1u << 20));

    CHECK_EQ(app.WaitForSecondaryLines(kWarmUp + 2 * kHalf), true);
    CHECK_EQ(app.MainRecords().size(), size_t(1));
    StopFirst(app, first);
}

// A stream of later starts while the first instance ends, by System.exit in one round and by
// main's return in the next: 20 rounds of 10. No process may crash or hang. Each later start gets
// its answer, or is told: the first instance's exit code (it took the arguments but ended before
// answering), -1 after its box (it could not hand over), or it runs on its own once the first
// instance has gone (0).
TEST_CASE(load_LaterStartsWhileTheFirstEnds) {
    AppFixture app(L"teardown", kIntApp, L"Single Instance=yes\r\n");
    CHECK(app.ok());
    const int kRounds = 20, kStream = 10;
    int answered = 0, told = 0;
    for (int round = 0; round < kRounds; ++round) {
        const std::wstring context = L"round " + std::to_wstring(round);
        const bool exits = round % 2 == 0;
        const DWORD firstCode = exits ? 7 : 0;
        DeleteFileW(app.path(L"stop").c_str());
        // Wine gives process ids again: a record main-<pid>.txt of an earlier round could be
        // written over instead of added to.
        for (const std::wstring& record : FilesMatching(app.folder(), L"main-*.txt")) DeleteFileW(app.path(record).c_str());
        Launched first = app.Start({exits ? L"stay" : L"sleep=1500", L"first"});
        CHECK_EQ_AT(context, app.WaitForMainRecords(1), true);
        if (!exits) Sleep(1000);  // the stream runs over main's return
        std::vector<Launched> stream;
        for (int i = 0; i < kStream; ++i) {
            if (exits && i == kStream / 2) app.Stop(static_cast<int>(firstCode));
            stream.push_back(StartLater(app, 1000 + round * kStream + i));
            Sleep(60);
        }
        const testsupport::ExitResult end = first.Finish(60000);
        CHECK_EQ_AT(context, end.timedOut, false);
        CHECK_EQ_AT(context, end.exitCode, firstCode);
        for (int i = 0; i < kStream; ++i) {
            const int start = 1000 + round * kStream + i;
            const testsupport::ExitResult later = stream[i].Finish(60000);
            const std::wstring at = context + L" start " + std::to_wstring(start);
            CHECK_EQ_AT(at, later.timedOut, false);
            const bool answer = later.exitCode == static_cast<DWORD>(start);
            const bool tellsFirst = later.exitCode == firstCode || later.exitCode == 0;
            const bool failedWithBox = later.exitCode == kFailed && !stream[i].boxes.empty();
            if (!answer && !tellsFirst && !failedWithBox) {
                std::printf("%s: exit code 0x%08lx, %zu boxes; its trace:\n%s\n", check::Narrow(at).c_str(),
                            static_cast<unsigned long>(later.exitCode), stream[i].boxes.size(),
                            ReadText(TracePath(app, start)).c_str());
            }
            CHECK_EQ_AT(at, answer || tellsFirst || failedWithBox, true);
            answered += answer ? 1 : 0;
            told += answer ? 0 : 1;
        }
        // Any start that ran on its own has ended too: the next round begins with no instance.
        CHECK_EQ_AT(context, WaitForListener(app.exe(), 0), false);
    }
    std::printf("%d later starts answered, %d told\n", answered, told);
}
