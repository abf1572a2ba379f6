// The pair product: a 64-bit launcher whose "JRE Path" names a 32-bit JRE hands the whole start,
// with its own command line, to the launcher of the other architecture. PairStandIn.exe plays that
// launcher and records what it received.
#include <windows.h>

#include <cwctype>

#include "tests/framework/Check.h"
#include "tests/system/instance/InstanceFixture.h"

using namespace instancetest;
using namespace testsupport;

namespace {

const wchar_t kJvmLoadFailed[] = L"Failed to load Java VM library: ";
const wchar_t kNoCreateJavaVm[] = L"Windows exception: cannot find CreateJavaVM JNI";

struct PairRun {
    DWORD exitCode = kTimedOut;
    std::vector<std::wstring> boxes;
    std::wstring commandLine;  // as the stand-in saw it; empty when it did not run
    std::wstring folder;       // its current directory
    std::wstring handedOver;   // its MARLWICK_HANDED_OVER
};

// Runs the launcher in `fixture` with a command line of our own and a working directory, the
// stand-in being told where to record and which code to exit with.
PairRun RunPair(const LauncherFixture& fixture, const std::wstring& commandLine, const std::wstring& workingDirectory,
                DWORD standInExit, const std::vector<std::wstring>& environment = {}) {
    PairRun run;
    const std::wstring record = fixture.path(L"pair-record.txt");
    DeleteFileW(record.c_str());
    LaunchPlan plan;
    plan.workingDirectory = workingDirectory;
    plan.environment = {L"MARLWICK_PAIR_RECORD=" + record, L"MARLWICK_PAIR_EXIT=" + std::to_wstring(standInExit)};
    plan.environment.insert(plan.environment.end(), environment.begin(), environment.end());
    Launched launcher = StartLauncher(fixture.exe(), commandLine, plan, fixture.folder());
    if (!launcher.started()) return run;
    const ExitResult end = launcher.Finish(60000);
    run.exitCode = end.timedOut ? kTimedOut : end.exitCode;
    for (const WindowInfo& box : launcher.boxes) run.boxes.push_back(box.MessageText());
    // Without "Pair Return Code" the launcher does not wait: give the stand-in time to record.
    WaitUntil([&] { return PathExists(record); }, run.boxes.empty() ? 10000 : 1000);
    std::string bytes;
    if (ReadFileBytes(record, bytes)) {
        const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
        const size_t newline = text.find(L'\n');
        run.commandLine = text.substr(0, newline);
        if (newline != std::wstring::npos) {
            const std::wstring rest = text.substr(newline + 1);
            const size_t second = rest.find(L'\n');
            run.folder = rest.substr(0, second);
            if (second != std::wstring::npos) run.handedOver = rest.substr(second + 1);
        }
    }
    return run;
}

std::wstring PairIni(const std::wstring& jreFolder, const std::wstring& applicationLines) {
    return L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\nJRE Path=" + jreFolder +
           L"\r\n[Class Path]\r\nClass Path=app.jar\r\n[Application]\r\n" + applicationLines;
}

bool StartsWith(const std::wstring& text, const std::wstring& prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

TEST_CASE(pair_StartsThePairProductWithTheSameCommandLine) {
    const std::wstring standIn = JoinPath(FilesFolder(), L"PairStandIn.exe");
    const std::wstring x86Jre = JoinPath(FilesFolder(), L"fake-jre-x86");
    const wchar_t kCannotStart[] = L"The program for the other processor type could not be started: ";
    const wchar_t kWouldLoop[] = L"The program for the other processor type would start this program again: ";
    struct Row {
        const wchar_t* name;
        std::wstring pairLines;  // "Pair Product" and "Pair Return Code" lines
        DWORD standInExit;
        DWORD expected;
        bool standInRuns;
        const wchar_t* box = nullptr;  // the start of the one message, or none
        bool handedOver = false;       // this start was itself handed over by a pair product
        bool copyBesideExe = false;    // a stand-in also lies in pair\ beside the executable
    };
    const std::wstring self = L"Pair Product=%SELF%\r\nPair Return Code=yes\r\n";
    const Row rows[] = {
        {L"return code yes", L"Pair Product=" + standIn + L"\r\nPair Return Code=yes\r\n", 42, 42, true},
        {L"return code YES", L"Pair Product=" + standIn + L"\r\nPair Return Code=YES\r\n", 7, 7, true},
        {L"return code Yes, all 32 bits", L"Pair Product=" + standIn + L"\r\nPair Return Code=Yes\r\n", 0xC0000005,
         0xC0000005, true},
        {L"no return code", L"Pair Product=" + standIn + L"\r\n", 42, 0, true},
        {L"return code no", L"Pair Product=" + standIn + L"\r\nPair Return Code=no\r\n", 42, 0, true},
        {L"return code true", L"Pair Product=" + standIn + L"\r\nPair Return Code=true\r\n", 42, 0, true},
        // A relative path lies beside the executable; the copy in the working directory (where
        // anyone may have put one) is never started.
        {L"relative, beside the executable", L"Pair Product=pair\\PairStandIn.exe\r\nPair Return Code=yes\r\n", 9,
         9, true, nullptr, false, true},
        {L"relative, only in the working directory", L"Pair Product=pair\\PairStandIn.exe\r\nPair Return Code=yes\r\n",
         9, kFailed, false, kCannotStart},
        // A pair product that cannot be started is reported with the system's reason.
        {L"missing pair product", L"Pair Product=missing\\Pair.exe\r\nPair Return Code=yes\r\n", 9, kFailed, false,
         kCannotStart},
        // The launcher itself (named in another letter case) would start copies without end.
        {L"pair product is the launcher itself", self, 9, kFailed, false, kWouldLoop},
        // A start that a pair product handed over never hands over again.
        {L"handed over already", L"Pair Product=" + standIn + L"\r\nPair Return Code=yes\r\n", 9, kFailed, false,
         kWouldLoop, true},
    };
    for (const Row& row : rows) {
        LauncherFixture fixture(L"pair");
        CHECK_EQ_AT(row.name, fixture.ok(), true);
        std::wstring lines = row.pairLines;
        const size_t at = lines.find(L"%SELF%");
        if (at != std::wstring::npos) {
            std::wstring upper = fixture.exe();
            for (wchar_t& c : upper) c = static_cast<wchar_t>(towupper(c));
            lines.replace(at, 6, upper);
        }
        CHECK_EQ_AT(row.name, fixture.WriteIni(PairIni(x86Jre, lines)), true);
        // The launcher runs in a working directory of its own, with a copy of the stand-in below it.
        const std::wstring work = fixture.path(L"work");
        CHECK(MakeFolders(JoinPath(work, L"pair")));
        CHECK(CopyThroughMemory(standIn, JoinPath(work, L"pair\\PairStandIn.exe")));
        if (row.copyBesideExe) {
            CHECK(MakeFolders(fixture.path(L"pair")));
            CHECK(CopyThroughMemory(standIn, fixture.path(L"pair\\PairStandIn.exe")));
        }
        // Odd spacing and quoting: the pair product gets the text unchanged, not re-quoted.
        const std::wstring line =
            L"\"" + fixture.exe() + L"\"  a   \"b c\" \"\" -nosplash x\"y\\\" \x00f1and\x00fa tail\\";
        const std::vector<std::wstring> environment =
            row.handedOver ? std::vector<std::wstring>{L"MARLWICK_HANDED_OVER=1"} : std::vector<std::wstring>{};
        const PairRun run = RunPair(fixture, line, work, row.standInExit, environment);
        CHECK_EQ_AT(row.name, run.exitCode, row.expected);
        CHECK_EQ_AT(row.name, run.boxes.size(), size_t(row.box != nullptr ? 1 : 0));
        if (row.box != nullptr && !run.boxes.empty()) CHECK_EQ_AT(row.name, StartsWith(run.boxes[0], row.box), true);
        if (row.standInRuns) {
            CHECK_EQ_AT(row.name, run.commandLine, line);
            CHECK_EQ_AT(row.name, run.folder, work);
            // The stand-in was told that it was handed a start.
            CHECK_EQ_AT(row.name, run.handedOver, std::wstring(L"1"));
        } else {
            CHECK_EQ_AT(row.name, run.commandLine, std::wstring());
        }
    }
}

TEST_CASE(pair_WithoutPairProductTheLibraryIsLoaded) {
    const std::wstring standIn = JoinPath(FilesFolder(), L"PairStandIn.exe");
    struct Row { const wchar_t* name; const wchar_t* jre; std::wstring applicationLines; const wchar_t* message; };
    const Row rows[] = {
        // The 32-bit library cannot be loaded into the 64-bit launcher.
        {L"x86 library, no pair product", L"fake-jre-x86", L"Pair Return Code=yes\r\n", kJvmLoadFailed},
        {L"x86 library, empty pair product", L"fake-jre-x86", L"Pair Product=\r\nPair Return Code=yes\r\n", kJvmLoadFailed},
        // A library of the launcher's own architecture is never handed over.
        {L"x64 library, pair product set", L"fake-jre-x64", L"Pair Product=" + standIn + L"\r\nPair Return Code=yes\r\n",
         kNoCreateJavaVm},
    };
    for (const Row& row : rows) {
        LauncherFixture fixture(L"no-pair");
        const std::wstring jre = JoinPath(FilesFolder(), row.jre);
        CHECK_EQ_AT(row.name, fixture.WriteIni(PairIni(jre, row.applicationLines)), true);
        const PairRun run = RunPair(fixture, L"\"" + fixture.exe() + L"\" a", fixture.folder(), 42);
        CHECK_EQ_AT(row.name, run.exitCode, kFailed);
        CHECK_EQ_AT(row.name, run.boxes.size(), size_t(1));
        if (!run.boxes.empty()) {
            CHECK_EQ_AT(row.name, StartsWith(run.boxes[0], row.message), true);
            if (row.message == kJvmLoadFailed) {
                CHECK_EQ_AT(row.name, StartsWith(run.boxes[0], kJvmLoadFailed + jre + L"\\bin\\server\\jvm.dll"), true);
            }
        }
        CHECK_EQ_AT(row.name, run.commandLine, std::wstring());
    }
}
