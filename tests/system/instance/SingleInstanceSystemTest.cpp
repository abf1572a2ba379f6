// Single instance with the real JRE: later starts hand their arguments to secondaryMain of the
// first instance and exit with its answer.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "launcher/InstanceBlock.h"
#include "tests/framework/Check.h"
#include "tests/system/instance/InstanceFixture.h"

using namespace instancetest;
using testsupport::ExitResult;

namespace {

const wchar_t kSingle[] = L"Single Instance=yes\r\n";

// The user and kernel time so far of the Wine process whose command line ends with `tail`, read
// from the Linux side (/proc through drive Z:): Wine does not report other processes' times.
// False when no such process is found.
bool CpuTimeMs(const std::string& tail, ULONGLONG& ms) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(L"Z:\\proc\\*", &found));
    if (!search) return false;
    do {
        const std::wstring pid = found.cFileName;
        if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        std::string commandLine = ReadText(L"Z:\\proc\\" + pid + L"\\cmdline");
        for (char& c : commandLine) {
            if (c == '\0') c = ' ';
        }
        while (!commandLine.empty() && commandLine.back() == ' ') commandLine.pop_back();
        if (commandLine.size() < tail.size() || commandLine.compare(commandLine.size() - tail.size(), tail.size(), tail) != 0) {
            continue;
        }
        // Fields 14 and 15 of /proc/PID/stat, after the command name in parentheses, in 1/100 s.
        const std::string stat = ReadText(L"Z:\\proc\\" + pid + L"\\stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) return false;
        std::vector<std::string> fields;
        size_t at = close + 2;
        while (at < stat.size()) {
            const size_t space = stat.find(' ', at);
            fields.push_back(stat.substr(at, space == std::string::npos ? std::string::npos : space - at));
            if (space == std::string::npos) break;
            at = space + 1;
        }
        if (fields.size() < 13) return false;
        ms = (std::stoull(fields[11]) + std::stoull(fields[12])) * 10;
        return true;
    } while (FindNextFileW(search.get(), &found));
    return false;
}

}  // namespace

TEST_CASE(instance_SecondStartReachesSecondaryMain) {
    struct Variant { const wchar_t* name; const wchar_t* mainClass; bool answers; };
    const Variant variants[] = {{L"int", kIntApp, true}, {L"void", kVoidApp, false}};
    struct Row { const wchar_t* name; std::vector<std::wstring> arguments; DWORD intAnswer; };
    const Row rows[] = {
        {L"a and b", {L"a", L"b"}, 42},
        {L"no arguments: one empty string", {}, 41},
        {L"an empty argument in the middle", {L"a", L"", L"b"}, 43},
        {L"spaces, non-ASCII, the splash switch", {L"x y", L"\x00f1and\x00fa \x4e2d", L"-nosplash"}, 43},
        {L"negative answer: all 32 bits", {L"ret=-7"}, 0xFFFFFFF9},
        {L"largest answer", {L"ret=2147483647"}, 0x7FFFFFFF},
    };
    for (const Variant& variant : variants) {
        AppFixture app(std::wstring(L"second-") + variant.name, variant.mainClass, kSingle);
        CHECK_EQ_AT(variant.name, app.ok(), true);
        Launched first = StartFirst(app);
        size_t delivered = 0;
        for (const Row& row : rows) {
            const std::wstring context = std::wstring(variant.name) + L": " + row.name;
            const DWORD code = app.Run(row.arguments, 60000);
            CHECK_EQ_AT(context, code, variant.answers ? row.intAnswer : 0u);
            // The void variant answers before it calls: wait until the call has been recorded.
            CHECK_EQ_AT(context, app.WaitForSecondaryLines(++delivered), true);
            const std::vector<std::string> lines = app.SecondaryLines();
            const std::vector<std::wstring> expected = row.arguments.empty() ? std::vector<std::wstring>{L""} : row.arguments;
            CHECK_EQ_AT(context, lines.empty() ? std::string() : lines.back(), Describe(expected));
        }
        // Only the first start ran main; the others never started a VM of their own.
        CHECK_EQ_AT(variant.name, app.MainRecords(), std::vector<std::string>{Describe({L"stay", L"first"})});
        CHECK_EQ_AT(variant.name, app.SecondaryLines().size(), delivered);
        StopFirst(app, first);
    }
}

// The class that receives secondaryMain is found by its Java name whatever its characters, as
// main's is.
TEST_CASE(instance_SecondStartReachesANonAsciiMainClass) {
    AppFixture app(L"second-non-ascii", L"com.example.instance.Se\x00f1" L"alApp", kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    CHECK_EQ(app.Run({L"a", L"b"}, 60000), 42u);
    CHECK(app.WaitForSecondaryLines(1));
    CHECK_EQ(app.SecondaryLines(), std::vector<std::string>{Describe({L"a", L"b"})});
    StopFirst(app, first);
}

// Arguments of any length reach secondaryMain: what does not fit the block travels beside it.
TEST_CASE(instance_ArgumentsOfAnyLengthArrive) {
    AppFixture app(L"long-args", kIntApp, kSingle);
    CHECK(app.ok());
    Launched first = StartFirst(app);
    std::wstring smiles;
    for (int i = 0; i < 259; ++i) smiles += L"\xD83D\xDE00";  // 518 units in surrogate pairs
    std::vector<std::wstring> explorer;  // as when many files are opened at once
    for (int i = 0; i < 300; ++i) explorer.push_back(L"C:\\Users\\someone\\Documents\\file " + std::to_wstring(i) + L".txt");
    struct Row { const wchar_t* name; std::vector<std::wstring> arguments; };
    const Row rows[] = {
        {L"518 units + NUL + final NUL = 1040 bytes", {std::wstring(518, L'x')}},
        {L"519 units: 520 with the NUL", {std::wstring(519, L'y')}},
        {L"259 + 259 units", {std::wstring(259, L'a'), std::wstring(259, L'b')}},
        {L"surrogate pairs, one more", {smiles + L"z"}},
        {L"104 arguments of 4", std::vector<std::wstring>(104, L"abcd")},
        {L"300 paths, about 12,000 units", explorer},
        {L"empty arguments among long ones", {std::wstring(4000, L'q'), L"", L"", std::wstring(3, L'r'), L""}},
        {L"30,000 units", {std::wstring(30000, L'\x00f1')}},
    };
    size_t delivered = 0;
    for (const Row& row : rows) {
        const DWORD code = app.Run(row.arguments, 60000);
        CHECK_EQ_AT(row.name, code, static_cast<DWORD>(40 + row.arguments.size()));
        CHECK_EQ_AT(row.name, app.WaitForSecondaryLines(++delivered), true);
        const std::vector<std::string> lines = app.SecondaryLines();
        CHECK_EQ_AT(row.name, lines.empty() ? std::string() : lines.back(), Describe(row.arguments));
    }
    // A short list after a long one is read from the block again.
    CHECK_EQ(app.Run({L"a", L"b"}), 42u);
    CHECK(app.WaitForSecondaryLines(++delivered));
    CHECK_EQ(app.SecondaryLines().back(), Describe({L"a", L"b"}));

    // A hand-over that fails is told, and the start ends with -1: here the mapping for a long
    // list exists already, made by someone else.
    LaunchPlan plan;
    plan.arguments = {std::wstring(2000, L'z')};
    plan.suspended = true;
    Launched blocked = app.Start(plan);
    UniqueHandle taken(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 64,
                                          ArgumentsMappingName(InstanceName(app.exe()), blocked.threadId()).c_str()));
    CHECK(taken);
    blocked.Resume();
    const ExitResult end = blocked.Finish(60000);
    CHECK_EQ(end.timedOut, false);
    CHECK_EQ(end.exitCode, kFailed);
    CHECK_EQ(blocked.boxes.size(), size_t(1));
    const std::wstring boxText = blocked.boxes.empty() ? std::wstring() : blocked.boxes[0].MessageText();
    CHECK_EQ(boxText.find(L"could not be passed on") != std::wstring::npos, true);
    CHECK_EQ(app.SecondaryLines().size(), delivered);
    CHECK_EQ(first.running(), true);
    StopFirst(app, first);
}

// The same executable started by other spellings of its path (letter case, the short 8.3 form,
// "." and ".." folders) is one instance: those starts reach the first one.
TEST_CASE(instance_SpellingsOfOnePathAreOneInstance) {
    AppFixture app(L"spellings", kIntApp, kSingle, L"Some Folder");
    CHECK(app.ok());
    Launched first = StartFirst(app);
    const std::wstring exe = app.exe();
    const size_t cut = exe.rfind(L'\\');
    std::wstring lower = exe, upper = exe;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
    for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
    wchar_t shortPath[MAX_PATH * 4] = {};
    CHECK(GetShortPathNameW(exe.c_str(), shortPath, MAX_PATH * 4) > 0);
    CHECK_EQ(std::wstring(shortPath) != exe, true);
    struct Row { const wchar_t* name; std::wstring path; };
    const Row rows[] = {
        {L"lower case", lower},
        {L"upper case", upper},
        {L"short form", shortPath},
        {L". and ..", exe.substr(0, cut) + L"\\.\\..\\Some Folder" + exe.substr(cut)},
    };
    size_t delivered = 0;
    for (const Row& row : rows) {
        const std::vector<std::wstring> line = {row.path, row.name};
        Launched later = StartLauncher(row.path, testsupport::QuoteCommandLine(line), LaunchPlan{}, app.folder());
        CHECK_EQ_AT(row.name, later.started(), true);
        const ExitResult end = later.Finish(60000);
        CHECK_EQ_AT(row.name, end.exitCode, 41u);
        CHECK_EQ_AT(row.name, app.WaitForSecondaryLines(++delivered), true);
    }
    CHECK_EQ(app.MainRecords().size(), size_t(1));
    StopFirst(app, first);
}

TEST_CASE(instance_CopiesInOtherFoldersRunIndependently) {
    AppFixture a(L"copy-a", kIntApp, kSingle);
    AppFixture b(L"copy-b", kIntApp, kSingle, L"same name");
    CHECK(a.ok());
    CHECK(b.ok());
    Launched firstA = StartFirst(a, L"A");
    // The copy starts its own VM although the first copy runs.
    Launched firstB = b.Start({L"stay", L"B"});
    CHECK(b.WaitForMainRecords(1));
    CHECK_EQ(b.MainRecords(), std::vector<std::string>{Describe({L"stay", L"B"})});
    CHECK_EQ(a.MainRecords().size(), size_t(1));
    // Each copy's later starts go to its own first instance.
    CHECK_EQ(a.Run({L"to-a"}), 41u);
    CHECK_EQ(b.Run({L"to", L"b"}), 42u);
    CHECK(a.WaitForSecondaryLines(1));
    CHECK(b.WaitForSecondaryLines(1));
    CHECK_EQ(a.SecondaryLines(), std::vector<std::string>{Describe({L"to-a"})});
    CHECK_EQ(b.SecondaryLines(), std::vector<std::string>{Describe({L"to", L"b"})});
    StopFirst(a, firstA, 0);
    StopFirst(b, firstB, 4);
}

TEST_CASE(instance_FirstEndsWhileSecondWaits) {
    {
        // No secondaryMain: the later start waits until the first one ends and takes its code.
        AppFixture app(L"ends-plain", kPlainApp, kSingle);
        CHECK(app.ok());
        Launched first = StartFirst(app);
        Launched second = app.Start({L"waits"});
        Sleep(1500);
        CHECK_EQ(second.running(), true);
        // While it waits it sleeps: over two seconds it may use a small share of one core only.
        const std::string tail = "Marlwick 64.exe waits";
        ULONGLONG before = 0, after = 0;
        CHECK(CpuTimeMs(tail, before));
        Sleep(2000);
        CHECK(CpuTimeMs(tail, after));
        const ULONGLONG used = after - before;
        CHECK(used < 200);
        if (used >= 200) std::printf("a waiting later start used %llu ms of CPU in 2000 ms\n", used);
        CHECK(app.Stop(3));
        const ExitResult waited = second.Finish(30000);
        CHECK_EQ(waited.timedOut, false);
        CHECK_EQ(waited.exitCode, 3u);
        CHECK_EQ(first.Finish(30000).exitCode, 3u);
        CHECK_EQ(app.MainRecords().size(), size_t(1));
    }
    {
        // secondaryMain ends the process itself with 3 instead of answering.
        AppFixture app(L"ends-exit", kIntApp, kSingle);
        CHECK(app.ok());
        Launched first = StartFirst(app);
        CHECK_EQ(app.Run({L"exit=3"}, 60000), 3u);
        CHECK_EQ(first.Finish(30000).exitCode, 3u);
    }
    {
        // secondaryMain throws: the int answer is 0, the exception is printed, the first goes on;
        // a start made while the first VM is still starting is answered once main has begun.
        AppFixture app(L"ends-throw", kIntApp, kSingle);
        CHECK(app.ok());
        Launched first = app.Start({L"stay", L"first"});
        CHECK(WaitForListener(app.exe()));
        CHECK_EQ(app.MainRecords().size(), size_t(0));  // its VM is still to come
        Launched early = app.Start({L"early"});
        const ExitResult earlyEnd = early.Finish(90000);
        CHECK_EQ(earlyEnd.timedOut, false);
        CHECK_EQ(earlyEnd.exitCode, 41u);
        CHECK(app.WaitForMainRecords(1));
        CHECK_EQ(app.Run({L"throw"}, 60000), 0u);
        CHECK_EQ(first.running(), true);
        CHECK_EQ(app.Run({L"after", L"it"}, 60000), 42u);
        CHECK(app.WaitForSecondaryLines(3));
        CHECK_EQ(app.SecondaryLines(),
                 (std::vector<std::string>{Describe({L"early"}), Describe({L"throw"}), Describe({L"after", L"it"})}));
        StopFirst(app, first);
    }
}

// A later start made as soon as the first instance has published its listener (long before its
// VM is up) is delivered once main has begun. Repeated: the moment right after the publication
// is the one that matters.
TEST_CASE(instance_EarlyStartIsDelivered) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::wstring context = std::to_wstring(attempt);
        AppFixture app(L"early", kIntApp, kSingle);
        CHECK_EQ_AT(context, app.ok(), true);
        // The later start is made beforehand and let go the moment the listener is published.
        LaunchPlan plan;
        plan.arguments = {L"early", context};
        plan.suspended = true;
        Launched early = app.Start(plan);
        Launched first = app.Start({L"stay", L"first"});
        const ULONGLONG deadline = GetTickCount64() + 30000;
        while (!WaitForListener(app.exe(), 0) && GetTickCount64() < deadline) {
        }
        early.Resume();
        const ExitResult end = early.Finish(90000);
        CHECK_EQ_AT(context, end.timedOut, false);
        CHECK_EQ_AT(context, end.exitCode, 42u);
        CHECK_EQ_AT(context, app.WaitForSecondaryLines(1), true);
        CHECK_EQ_AT(context, app.SecondaryLines(), std::vector<std::string>{Describe({L"early", context})});
        CHECK_EQ_AT(context, app.WaitForMainRecords(1), true);
        CHECK_EQ_AT(context, app.MainRecords(), std::vector<std::string>{Describe({L"stay", L"first"})});
        StopFirst(app, first);
    }
}

TEST_CASE(instance_YesCapitalStaysOff) {
    // Only the exact word "yes" turns single instance on, and never for a service: otherwise
    // every start runs main.
    for (const wchar_t* lines : {L"Single Instance=Yes\r\n", L"Single Instance=YES\r\n", L"Single Instance=true\r\n",
                                 L"Application Type=service\r\nSingle Instance=yes\r\n"}) {
        AppFixture app(L"yes-capital", kIntApp, lines);
        CHECK_EQ_AT(lines, app.ok(), true);
        Launched first = app.Start({L"stay", L"one"});
        CHECK_EQ_AT(lines, app.WaitForMainRecords(1), true);
        Launched second = app.Start({L"stay", L"two"});
        CHECK_EQ_AT(lines, app.WaitForMainRecords(2), true);
        std::vector<std::string> records = app.MainRecords();
        std::sort(records.begin(), records.end());
        CHECK_EQ_AT(lines, records, (std::vector<std::string>{Describe({L"stay", L"one"}), Describe({L"stay", L"two"})}));
        CHECK_EQ_AT(lines, app.SecondaryLines().size(), size_t(0));
        CHECK(app.Stop(6));
        CHECK_EQ_AT(lines, first.Finish(30000).exitCode, 6u);
        CHECK_EQ_AT(lines, second.Finish(30000).exitCode, 6u);
    }
}

// Ten later starts created suspended and let go together, three rounds: each one reaches
// secondaryMain with its own arguments exactly once and exits with its own answer.
TEST_CASE(instance_TenAtOnceGetTheirOwnAnswers) {
    struct Variant { const wchar_t* name; const wchar_t* mainClass; bool answers; };
    for (const Variant& variant : {Variant{L"int", kIntApp, true}, Variant{L"void", kVoidApp, false}}) {
        AppFixture app(std::wstring(L"ten-") + variant.name, variant.mainClass, kSingle);
        CHECK_EQ_AT(variant.name, app.ok(), true);
        Launched first = StartFirst(app);
        std::vector<std::string> expected;
        const int rounds = 3;
        for (int round = 0; round < rounds; ++round) {
            std::vector<Launched> starts;
            std::vector<DWORD> answers;
            for (int i = 0; i < 10; ++i) {
                const int answer = 1000 + round * 10 + i;
                std::vector<std::wstring> arguments = {L"who=" + std::to_wstring(round) + L"-" + std::to_wstring(i),
                                                       L"ret=" + std::to_wstring(answer)};
                if (i % 3 == 0) arguments.push_back(L"sleep=" + std::to_wstring(20 * i));  // answers out of order
                if (i % 4 == 1) arguments.push_back(L"");
                expected.push_back(Describe(arguments));
                LaunchPlan plan;
                plan.arguments = arguments;
                plan.suspended = true;
                starts.push_back(app.Start(plan));
                answers.push_back(variant.answers ? static_cast<DWORD>(answer) : 0u);
            }
            for (Launched& start : starts) start.Resume();
            for (size_t i = 0; i < starts.size(); ++i) {
                const ExitResult end = starts[i].Finish(120000);
                const std::wstring context = std::wstring(variant.name) + L" round " + std::to_wstring(round) +
                                             L" start " + std::to_wstring(i);
                CHECK_EQ_AT(context, end.timedOut, false);
                CHECK_EQ_AT(context, end.exitCode, answers[i]);
            }
        }
        CHECK_EQ_AT(variant.name, app.WaitForSecondaryLines(expected.size()), true);
        Sleep(500);  // nothing more may come
        std::vector<std::string> lines = app.SecondaryLines();
        std::sort(lines.begin(), lines.end());
        std::sort(expected.begin(), expected.end());
        CHECK_EQ_AT(variant.name, lines, expected);
        CHECK_EQ_AT(variant.name, app.MainRecords().size(), size_t(1));
        StopFirst(app, first);
    }
}
