// The JRE Not Found dialog shown by the launcher itself under Wine: its message, Cancel with
// nothing written, and the shell's real folder browser choosing a JRE that is then loaded and
// remembered in the per-user INI file (and in the pair product's, whose start it then is).
#include <windows.h>
#include <shlobj.h>

#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"
#include "tests/system/dialogs/DialogDriver.h"

using namespace testsupport;

namespace {

const DWORD kFailed = 0xFFFFFFFF;
const int kBrowse = 202;
const int kMessage = 203;
const int kPath = 201;

bool Spanish() { return EnvironmentValue(L"MARLWICK_EXPECT_LANGUAGE") == L"es"; }

std::wstring ReadIniValue(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(section, key, L"<none>", value, 1024, path.c_str());
    return value;
}

const wchar_t kProduct[] = L"[Product Information]\r\nProduct Name=Dialog Test\r\nProduct Code={D1A10G}\r\n";

}  // namespace

TEST_CASE(NoJreShowsTheDialogAndCancelWritesNothing) {
    LauncherFixture launcher(L"no-jre-dialog");
    CHECK(launcher.ok());
    CHECK(launcher.WriteIni(std::wstring(kProduct) +
                            L"[Java Runtime Environment]\r\nMain Class=App\r\nMinimum Version=1.8\r\n"
                            L"Maximum Version=1.8\r\nJVM Type=server\r\n"));
    const std::wstring appData = launcher.path(L"appdata");
    MakeFolders(appData);
    StartOptions options;
    options.executable = launcher.exe();
    options.commandLine = QuoteCommandLine({launcher.exe()});
    options.workingDirectory = launcher.folder();
    options.environment = EnvironmentMode::InheritWithOverrides;
    options.variables = {L"APPDATA=" + appData};
    std::wstring message;
    const RunResult result = RunAnswering(options, 60000, [&](const WindowInfo& box) {
        message = WindowText(GetDlgItem(box.handle, kMessage));
        return IDCANCEL;
    });
    CHECK_EQ(result.timedOut, false);
    CHECK_EQ(result.exitCode, kFailed);
    CHECK_EQ(result.boxes.size(), size_t(1));
    if (result.boxes.empty()) return;
    const bool es = Spanish();
    CHECK_EQ(result.boxes[0].caption, std::wstring(es ? L"JRE No encontrado" : L"JRE Not Found"));
    CHECK_EQ(message, std::wstring(es ? L"No se encontró el entorno de ejecución de Java (JRE). Por favor descargue e "
                                        L"instale un JRE con un servidor JVM (versión entre 1.8 y 1.8) de:"
                                      : L"The Java Runtime Environment (JRE) was not found. Please  download and "
                                        L"install a JRE with a server JVM (version between 1.8 and 1.8) from:"));
    // Nothing remembered: no per-user folder, no key beside the executable.
    CHECK(!PathExists(appData + L"\\Dialog Test"));
    CHECK_EQ(ReadIniValue(launcher.iniPath(), L"Java Runtime Environment", L"JRE Path"), std::wstring(L"<none>"));
}

namespace {

// Starts the launcher of `launcher`, chooses `home` (a folder on the desktop named `name`) through
// the shell's real folder browser of the JRE Not Found dialog, presses OK and waits for the end.
ExitResult ChooseThroughTheBrowser(const LauncherFixture& launcher, const std::wstring& home, const std::wstring& name,
                                   const std::vector<std::wstring>& environment) {
    StartOptions options;
    options.executable = launcher.exe();
    options.commandLine = QuoteCommandLine({launcher.exe()});
    options.workingDirectory = launcher.folder();
    options.environment = EnvironmentMode::InheritWithOverrides;
    options.variables = environment;
    Process process = Process::Start(options);
    CHECK(process.started());
    ExitResult failed;
    failed.timedOut = true;
    HWND dialog = process.WaitForWindow([](HWND w) { return IsVisibleDialog(w) && GetDlgItem(w, kBrowse) != nullptr; },
                                        30000);
    CHECK(dialog != nullptr);
    if (dialog == nullptr) return failed;
    CHECK(IsWindowEnabled(GetDlgItem(dialog, IDOK)) == FALSE);

    PressButton(dialog, kBrowse);
    HWND browser = process.WaitForWindow([&](HWND w) { return w != dialog && IsVisibleDialog(w); }, 20000);
    CHECK(browser != nullptr);
    if (browser == nullptr) return failed;
    HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
    for (HWND child = FindWindowExW(browser, nullptr, nullptr, nullptr); tree == nullptr && child != nullptr;
         child = FindWindowExW(browser, child, nullptr, nullptr)) {
        tree = FindWindowExW(child, nullptr, L"SysTreeView32", nullptr);
    }
    CHECK(tree != nullptr);
    if (tree == nullptr) return failed;
    // Type the folder's name: the tree's incremental search selects it.
    for (wchar_t c : name) PostMessageW(tree, WM_CHAR, c, 1);
    Sleep(1500);
    if (!EnvironmentValue(L"MARLWICK_SCREENSHOT_DIR").empty()) {
        dialogtest::SaveBitmap(dialogtest::CaptureWindow(browser),
                               EnvironmentValue(L"MARLWICK_SCREENSHOT_DIR") + L"\\folder-browser.bmp");
    }
    PressButton(browser, IDOK);

    CHECK(dialogtest::WaitUntil([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 10000));
    CHECK_EQ(WindowText(GetDlgItem(dialog, kPath)), home);
    PressButton(dialog, IDOK);
    const ExitResult exit = process.WaitForExit(60000);
    CHECK_EQ(exit.timedOut, false);
    return exit;
}

// A JRE home on the desktop, where the browser shows it at the first level, holding `library` as
// its bin\server\jvm.dll; deleted with the object.
struct DesktopJre {
    explicit DesktopJre(const std::wstring& library) {
        wchar_t desktop[MAX_PATH] = {};
        CHECK(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, desktop)));
        name = L"Zq" + std::to_wstring(GetCurrentProcessId()) + L"jre";
        home = JoinPath(desktop, name);
        CHECK(MakeFolders(home + L"\\bin\\server"));
        CHECK(CopyFileTo(library, home + L"\\bin\\server\\jvm.dll"));
    }
    ~DesktopJre() { DeleteTree(home); }
    std::wstring name;
    std::wstring home;
};

std::wstring DoubleOf(const wchar_t* rootVariable) {
    return WinePath(EnvironmentValue(rootVariable)) + L"\\full\\bin\\server\\jvm.dll";
}

}  // namespace

TEST_CASE(BrowsingForRealChoosesAndRemembersTheFolder) {
    LauncherFixture launcher(L"browse-jre");
    CHECK(launcher.ok());
    CHECK(launcher.WriteIni(std::wstring(kProduct) +
                            L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                            L"[Class Path]\r\nClass Path=\\app.jar\r\n"));
    WriteFileBytes(launcher.path(L"app.jar"), "");
    const std::wstring appData = launcher.path(L"appdata");
    MakeFolders(appData);
    const DesktopJre jre(DoubleOf(L"MARLWICK_FAKE_JVM_ROOT"));
    ChooseThroughTheBrowser(launcher, jre.home, jre.name,
                            {L"APPDATA=" + appData, L"MARLWICK_FAKE_JVM_LOG=" + launcher.path(L"jvm.log")});

    // The chosen library was loaded, and the folder is remembered for the next start.
    std::string log;
    ReadFileBytes(launcher.path(L"jvm.log"), log);
    CHECK(log.find("CreateJavaVM") != std::string::npos);
    const std::wstring userIni = appData + L"\\Dialog Test\\{D1A10G}\\" + LauncherIniName();
    CHECK_EQ(ReadIniValue(userIni, L"Java Runtime Environment", L"JRE Path"), jre.home + L"\\");
}

// A runtime of the other architecture chosen in the dialog: remembered for both launchers, and the
// start handed to the pair product, which takes it from its own per-user INI.
TEST_CASE(BrowsingForTheOtherArchitectureHandsOverAndRemembersItTwice) {
    LauncherFixture launcher(L"browse-pair");
    CHECK(launcher.ok());
    const std::wstring pairName = LauncherIsX86() ? L"Marlwick 64" : L"Marlwick";
    const std::wstring pairExe = launcher.path(pairName + L".exe");
    CHECK(CopyFileTo(WinePath(EnvironmentValue(L"MARLWICK_PAIR_LAUNCHER")), pairExe));
    const std::wstring application = L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\n"
                                     L"[Class Path]\r\nClass Path=\\app.jar\r\n[Application]\r\n";
    CHECK(launcher.WriteIni(std::wstring(kProduct) + application + L"Pair Product=" + pairExe +
                            L"\r\nPair Return Code=yes\r\n"));
    CHECK(WriteFileBytes(launcher.path(pairName + L".ini"), AsciiBytes(std::wstring(kProduct) + application)));
    WriteFileBytes(launcher.path(L"app.jar"), "");
    const std::wstring appData = launcher.path(L"appdata");
    MakeFolders(appData);
    const DesktopJre jre(DoubleOf(L"MARLWICK_PAIR_FAKE_JVM_ROOT"));
    const ExitResult exit =
        ChooseThroughTheBrowser(launcher, jre.home, jre.name,
                                {L"APPDATA=" + appData, L"MARLWICK_FAKE_JVM_LOG=" + launcher.path(L"jvm.log"),
                                 L"MARLWICK_FAKE_JVM=main=exit:9"});
    CHECK_EQ(exit.exitCode, DWORD(9));  // the pair's main, through "Pair Return Code"
    std::string log;
    ReadFileBytes(launcher.path(L"jvm.log"), log);
    CHECK(log.find(Utf8(L"env VX_JVM_PATH=" + jre.home + L"\\bin\\server\\jvm.dll")) != std::string::npos);
    for (const std::wstring& ini : {LauncherIniName(), pairName + L".ini"}) {
        CHECK_EQ_AT(ini, ReadIniValue(appData + L"\\Dialog Test\\{D1A10G}\\" + ini, L"Java Runtime Environment", L"JRE Path"),
                    jre.home + L"\\");
    }
}
