// The JRE Not Found dialog, its link control and the Java Exception dialog, each driven in this
// process under Wine: texts in the system's language, the OK button's states, the ways out, the
// keyboard and mouse on the link, its colours, and the exception dialog's layout. With
// MARLWICK_SCREENSHOT_DIR set, the Screenshots case saves each dialog as a bitmap there.
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <deque>

#include "base/ErrorBox.h"
#include "jre/HyperlinkControl.h"
#include "jre/JreNotFoundDialog.h"
#include "jre/RequirementText.h"
#include "jvm/ExceptionDialog.h"
#include "jvm/ExceptionDialogLayout.h"
#include "base/Resources.h"
#include "resources/resource.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/dialogs/DialogDriver.h"

using namespace dialogtest;
using testsupport::TempFolder;

namespace {

const int kLinkTestDialog = 300;
const int kLinkTestControl = 301;

bool Spanish() { return testsupport::EnvironmentValue(L"MARLWICK_EXPECT_LANGUAGE") == L"es"; }

// The folders a test "picks" in the browser, in order; an empty entry cancels the browser.
class ScriptedPicker : public FolderPicker {
public:
    std::deque<std::wstring> folders;
    std::wstring title;
    bool PickFolder(HWND, const std::wstring& browseTitle, std::wstring& folder) override {
        title = browseTitle;
        if (folders.empty()) return false;
        folder = folders.front();
        folders.pop_front();
        return !folder.empty();
    }
};

bool MakeFiles(const std::wstring& home, std::initializer_list<const wchar_t*> files) {
    bool ok = testsupport::MakeFolders(home);
    for (const wchar_t* file : files) {
        const std::wstring path = home + L"\\" + file;
        testsupport::MakeFolders(path.substr(0, path.rfind(L'\\')));
        ok = testsupport::WriteFileBytes(path, "x") && ok;
    }
    return ok;
}

bool IsEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::wstring JreMessage(JvmType type) {
    return ComposeJreNotFoundMessage(ParseJavaVersion(L"1.8", kVersionFillMinimum), JavaVersion::OpenMaximum(), type,
                                     LoadResourceString);
}

const wchar_t kSampleTrace[] =
    L"java.lang.IllegalStateException: the configuration file is missing\n"
    L"\tat com.example.demo.Settings.load(Settings.java:42)\n"
    L"\tat com.example.demo.DemoApp.main(DemoApp.java:17)\n"
    L"Caused by: java.io.FileNotFoundException: settings.properties (The system cannot find the file specified)\n"
    L"\tat java.base/java.io.FileInputStream.open0(Native Method)\n"
    L"\tat java.base/java.io.FileInputStream.open(FileInputStream.java:213)\n"
    L"\tat com.example.demo.Settings.load(Settings.java:40)\n"
    L"\t... 1 more\n";

}  // namespace

TEST_CASE(JreDialogShowsItsTextsInTheSystemLanguage) {
    ScriptedPicker picker;
    JreNotFoundDialog dialog(&picker);
    const std::wstring message = JreMessage(JvmType::Default);
    ModalThread modal([&] { return dialog.Show(nullptr, message, JvmType::Default); });
    HWND window = modal.WaitForDialog();
    CHECK(window != nullptr);
    if (window == nullptr) return;
    const testsupport::WindowInfo info = testsupport::ReadWindow(window);
    const bool es = Spanish();
    CHECK_EQ(info.caption, std::wstring(es ? L"JRE No encontrado" : L"JRE Not Found"));
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDC_JRE_MESSAGE)),
             std::wstring(es ? L"No se encontró e entorno de ejecución de Java (JRE). Por favor descargue e instale un "
                               L"JRE (versión mínima 1.8) de:"
                             : L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                               L"(minimum version 1.8) from:"));
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDOK)), std::wstring(es ? L"Aceptar" : L"OK"));
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDC_BROWSE)), std::wstring(es ? L"Hojee..." : L"Browse..."));
    CHECK_EQ(IsEnabled(window, IDOK), false);
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDC_DOWNLOAD_LINK)).rfind(L"https://", 0), size_t(0));
    // The browser's title comes from the string table as well.
    SendMessageW(window, WM_COMMAND, IDC_BROWSE, 0);
    CHECK_EQ(picker.title, std::wstring(es ? L"Busque la carpeta de JRE" : L"Browse for JRE folder"));

    // Centred in the work area.
    RECT r = {};
    RECT work = {};
    GetWindowRect(window, &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    CHECK(std::abs((r.left + r.right) / 2 - (work.left + work.right) / 2) <= 1);
    CHECK(std::abs((r.top + r.bottom) / 2 - (work.top + work.bottom) / 2) <= 1);

    modal.PressKey(window, VK_ESCAPE);
    INT_PTR result = 0;
    CHECK(modal.Finish(result));
    CHECK_EQ(result, INT_PTR(IDCANCEL));
}

TEST_CASE(JreDialogEnablesOkOnlyForAFolderWithTheWantedLibrary) {
    TempFolder temp(L"jre-dialog");
    const std::wstring serverJre = temp / L"server-jre";
    const std::wstring clientJre = temp / L"client-jre";
    const std::wstring oldJdk = temp / L"old-jdk";
    const std::wstring empty = temp / L"empty";
    CHECK(MakeFiles(serverJre, {L"bin\\server\\jvm.dll", L"bin\\java.dll"}));
    CHECK(MakeFiles(clientJre, {L"bin\\client\\jvm.dll", L"bin\\java.dll"}));
    CHECK(MakeFiles(oldJdk, {L"jre\\bin\\server\\jvm.dll", L"jre\\bin\\client\\jvm.dll", L"bin\\java.exe"}));
    CHECK(MakeFiles(empty, {}));

    // One dialog for the server type, browsed to again and again: each choice replaces the last.
    struct Step { const wchar_t* name; std::wstring folder; bool okEnabled; std::wstring shown; };
    const Step steps[] = {
        {L"client only, server wanted", clientJre, false, clientJre},
        {L"browser cancelled: nothing changes", L"", false, clientJre},
        {L"a JDK's top folder of the old layout", oldJdk, false, oldJdk},
        {L"server library", serverJre + L"\\", true, serverJre + L"\\"},
        {L"an empty folder after a good one", empty, false, empty},
        {L"the server JRE again", serverJre, true, serverJre},
    };
    ScriptedPicker picker;
    for (const Step& step : steps) picker.folders.push_back(step.folder);
    JreNotFoundDialog dialog(&picker);
    ModalThread modal([&] { return dialog.Show(nullptr, JreMessage(JvmType::Server), JvmType::Server); });
    HWND window = modal.WaitForDialog();
    CHECK(window != nullptr);
    if (window == nullptr) return;
    for (const Step& step : steps) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
        CHECK_EQ_AT(step.name, IsEnabled(window, IDOK), step.okEnabled);
        CHECK_EQ_AT(step.name, testsupport::WindowText(GetDlgItem(window, IDC_JRE_PATH)), step.shown);
        if (!step.okEnabled) {
            // OK sent while it is disabled (Enter, or a message from outside) does not end the dialog.
            SendMessageW(window, WM_COMMAND, IDOK, 0);
            CHECK_EQ_AT(step.name, modal.running(), true);
        }
    }
    // The path cannot be typed in.
    CHECK((GetWindowLongPtrW(GetDlgItem(window, IDC_JRE_PATH), GWL_STYLE) & ES_READONLY) != 0);
    testsupport::PressButton(window, IDOK);
    INT_PTR result = 0;
    CHECK(modal.Finish(result));
    CHECK_EQ(result, INT_PTR(IDOK));
    CHECK_EQ(dialog.chosenHome(), serverJre + L"\\");
    CHECK_EQ(dialog.chosenLibrary(), serverJre + L"\\bin\\server\\jvm.dll");
}

TEST_CASE(JreDialogCancelsFromEveryStateAndEveryWayOut) {
    TempFolder temp(L"jre-dialog-cancel");
    const std::wstring clientJre = temp / L"client-jre";
    CHECK(MakeFiles(clientJre, {L"bin\\client\\jvm.dll"}));
    struct Row { const wchar_t* name; bool browseFirst; int way; };  // 0 Cancel, 1 Escape, 2 close box
    const Row rows[] = {
        {L"Cancel, nothing chosen", false, 0},
        {L"Escape, usable folder chosen", true, 1},
        {L"close box, usable folder chosen", true, 2},
        {L"Cancel, usable folder chosen", true, 0},
    };
    for (const Row& row : rows) {
        ScriptedPicker picker;
        picker.folders.push_back(clientJre);
        JreNotFoundDialog dialog(&picker);
        ModalThread modal([&] { return dialog.Show(nullptr, L"", JvmType::Default); });
        HWND window = modal.WaitForDialog();
        CHECK_EQ_AT(row.name, window != nullptr, true);
        if (window == nullptr) continue;
        if (row.browseFirst) {
            SendMessageW(window, WM_COMMAND, IDC_BROWSE, 0);
            CHECK_EQ_AT(row.name, IsEnabled(window, IDOK), true);
        }
        if (row.way == 0) testsupport::PressButton(window, IDCANCEL);
        if (row.way == 1) modal.PressKey(window, VK_ESCAPE);
        if (row.way == 2) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        INT_PTR result = 0;
        CHECK_EQ_AT(row.name, modal.Finish(result), true);
        CHECK_EQ_AT(row.name, result, INT_PTR(IDCANCEL));
    }
}

TEST_CASE(TabReachesTheLinkOfTheJreDialog) {
    ScriptedPicker picker;
    JreNotFoundDialog dialog(&picker);
    ModalThread modal([&] { return dialog.Show(nullptr, L"", JvmType::Default); });
    HWND window = modal.WaitForDialog();
    CHECK(window != nullptr);
    if (window == nullptr) return;
    HWND link = GetDlgItem(window, IDC_DOWNLOAD_LINK);
    bool reached = false;
    for (int i = 0; i < 8 && !reached; ++i) {
        modal.PressKey(window, VK_TAB);
        reached = WaitUntil([&] { return modal.Focus() == link; }, 300);
    }
    CHECK(reached);
    // The focus rectangle is drawn around the text, in the link's colours (pixels checked elsewhere).
    testsupport::PressButton(window, IDCANCEL);
    INT_PTR result = 0;
    CHECK(modal.Finish(result));
}

namespace {

// The tests' own dialog with a link to LinkTarget.exe (copied into a fresh folder, so that the
// label is short and each test sees its own record of being opened).
class LinkDialog {
public:
    explicit LinkDialog(const std::wstring& testName) : temp_(testName) {
        target_ = temp_ / L"LinkTarget.exe";
        copied_ = testsupport::CopyFileTo(testsupport::JoinPath(testsupport::ExecutableFolder(), L"LinkTarget.exe"),
                                          target_);
    }
    bool ok() const { return copied_; }
    bool opened() const { return testsupport::PathExists(target_ + L".opened"); }
    bool WaitOpened() const { return WaitUntil([&] { return opened(); }, 10000); }

    // Shows the dialog modally; called on the dialog's thread.
    INT_PTR Show() {
        return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kLinkTestDialog), nullptr, &Procedure,
                               reinterpret_cast<LPARAM>(this));
    }
    HyperlinkControl& link() { return link_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            reinterpret_cast<LinkDialog*>(lParam)->Attach(dialog);
            return TRUE;
        }
        if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    }

    // The label is the target's path; the link is attached as the JRE Not Found dialog does it.
    void Attach(HWND dialog) {
        HWND control = GetDlgItem(dialog, kLinkTestControl);
        SetWindowTextW(control, target_.c_str());
        link_.Attach(control);
    }

    TempFolder temp_;
    std::wstring target_;
    bool copied_ = false;
    HyperlinkControl link_{RGB(0, 0, 255), RGB(128, 0, 128)};
};

struct LinkSession {
    LinkDialog dialog;
    ModalThread modal;
    HWND window = nullptr;
    HWND control = nullptr;

    explicit LinkSession(const std::wstring& name) : dialog(name), modal([this] { return dialog.Show(); }) {
        window = modal.WaitForDialog();
        if (window != nullptr) control = GetDlgItem(window, kLinkTestControl);
    }
    bool ok() const { return dialog.ok() && window != nullptr; }
    // The link as it paints itself, and the whole of it as the area to look at.
    Capture Pixels(RECT& area) {
        Capture pixels = PrintClient(control);
        area = RECT{0, 0, pixels.width, pixels.height};
        return pixels;
    }
    // Tabs until the link has the focus.
    bool FocusLink() {
        for (int i = 0; i < 4 && modal.Focus() != control; ++i) {
            modal.PressKey(window, VK_TAB);
            WaitUntil([&] { return modal.Focus() == control; }, 300);
        }
        return modal.Focus() == control;
    }
    INT_PTR Close() {
        testsupport::PressButton(window, IDCANCEL);
        INT_PTR result = -2;
        modal.Finish(result);
        return result;
    }
};

void Click(HWND control, int x, int y, int upX, int upY) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(upX, upY));
}

}  // namespace

TEST_CASE(LinkOpensWithEnterSpaceAndAClickOnItsText) {
    struct Row { const wchar_t* name; int way; bool opens; };  // 0 Enter, 1 Space, 2 click on the text,
    const Row rows[] = {                                       // 3 click below the text, 4 press on it, release off
        {L"Enter on the focused link", 0, true},
        {L"Space on the focused link", 1, true},
        {L"click on the text", 2, true},
        {L"click beside the text, inside the control", 3, false},
        {L"press on the text, release outside it", 4, false},
    };
    for (const Row& row : rows) {
        LinkSession session(L"link-open");
        CHECK_EQ_AT(row.name, session.ok(), true);
        if (!session.ok()) continue;
        RECT client = {};
        GetClientRect(session.control, &client);
        if (row.way <= 1) {
            CHECK_EQ_AT(row.name, session.FocusLink(), true);
            PressKey(session.control, row.way == 0 ? VK_RETURN : VK_SPACE);
        }
        if (row.way == 2) Click(session.control, 3, 5, 3, 5);
        if (row.way == 3) Click(session.control, 3, client.bottom - 2, 3, client.bottom - 2);
        if (row.way == 4) Click(session.control, 3, 5, 3, client.bottom - 2);
        if (row.opens) {
            CHECK_EQ_AT(row.name, session.dialog.WaitOpened(), true);
            CHECK_EQ_AT(row.name, session.dialog.link().visited(), true);
        } else {
            Sleep(1500);
            CHECK_EQ_AT(row.name, session.dialog.opened(), false);
        }
        // Enter went to the link, not to the default button: the dialog is still open.
        CHECK_EQ_AT(row.name, session.modal.running(), true);
        CHECK_EQ_AT(row.name, session.Close(), INT_PTR(IDCANCEL));
    }
}

TEST_CASE(LinkColoursFromTheBrowserSettingsVisitedAndDisabled) {
    const wchar_t key[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
    struct Row { const wchar_t* name; const wchar_t* anchor; const wchar_t* visited; COLORREF before; COLORREF after; };
    const Row rows[] = {
        {L"defaults", nullptr, nullptr, RGB(0, 0, 255), RGB(128, 0, 128)},
        {L"red link, green visited", L"255,0,0", L"0, 128, 0", RGB(255, 0, 0), RGB(0, 128, 0)},
        {L"refused texts keep the defaults", L"red", L"1,2", RGB(0, 0, 255), RGB(128, 0, 128)},
    };
    for (const Row& row : rows) {
        HKEY settings = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &settings, nullptr);
        RegDeleteValueW(settings, L"Anchor Color");
        RegDeleteValueW(settings, L"Anchor Color Visited");
        auto set = [&](const wchar_t* name, const wchar_t* value) {
            if (value != nullptr) {
                RegSetValueExW(settings, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                               static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
            }
        };
        set(L"Anchor Color", row.anchor);
        set(L"Anchor Color Visited", row.visited);

        LinkSession session(L"link-colour");
        RegDeleteValueW(settings, L"Anchor Color");
        RegDeleteValueW(settings, L"Anchor Color Visited");
        RegCloseKey(settings);
        CHECK_EQ_AT(row.name, session.ok(), true);
        if (!session.ok()) continue;

        RECT area = {};
        Capture pixels = session.Pixels(area);
        CHECK_EQ_AT(row.name, pixels.Count(row.before, area) > 20, true);  // the underline at least
        Click(session.control, 3, 5, 3, 5);
        CHECK_EQ_AT(row.name, session.dialog.WaitOpened(), true);
        WaitUntil([&] { return session.dialog.link().visited(); });
        pixels = session.Pixels(area);
        CHECK_EQ_AT(row.name, pixels.Count(row.after, area) > 20, true);
        CHECK_EQ_AT(row.name, pixels.Count(row.before, area), 0);

        if (row.anchor == nullptr) {
            EnableWindow(session.control, FALSE);
            pixels = session.Pixels(area);
            CHECK_EQ_AT(row.name, pixels.Count(GetSysColor(COLOR_GRAYTEXT), area) > 20, true);
            CHECK_EQ_AT(row.name, pixels.Count(row.after, area), 0);
        }
        session.Close();
    }
}

TEST_CASE(LinkHasItsTooltipAndTheHandOverItsText) {
    LinkSession session(L"link-tooltip");
    CHECK(session.ok());
    if (!session.ok()) return;
    // The tooltip is a window of the control's thread, owned by the control.
    HWND tooltip = nullptr;
    for (HWND window : ThreadWindows(session.modal.threadId())) {
        if (testsupport::WindowClassName(window) == L"tooltips_class32") tooltip = window;
    }
    CHECK(tooltip != nullptr);
    CHECK_EQ(GetWindow(tooltip, GW_OWNER), GetAncestor(session.control, GA_ROOT));  // a child owns through its dialog
    CHECK_EQ(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0), LRESULT(1));
    // Takes the keyboard focus with Tab, and tells the dialog that it wants Enter.
    CHECK((GetWindowLongPtrW(session.control, GWL_STYLE) & WS_TABSTOP) != 0);
    MSG enter = {session.control, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    CHECK((SendMessageW(session.control, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
           DLGC_WANTMESSAGE) != 0);
    // The hand only over the text: the cursor query is answered there and left to the static beside it.
    RECT client = {};
    GetClientRect(session.control, &client);
    auto cursorQueryAt = [&](int x, int y) {
        POINT point = {x, y};
        ClientToScreen(session.control, &point);
        SetCursorPos(point.x, point.y);
        return SendMessageW(session.control, WM_SETCURSOR, reinterpret_cast<WPARAM>(session.control),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    };
    CHECK_EQ(cursorQueryAt(3, 5), LRESULT(TRUE));
    CHECK_EQ(cursorQueryAt(3, client.bottom - 2), LRESULT(FALSE));
    session.Close();
    // Destroyed with the dialog.
    CHECK(!IsWindow(tooltip));
}

TEST_CASE(ExceptionDialogTextsLongTracesAndResizing) {
    std::wstring longTrace = L"java.lang.StackOverflowError\n";
    for (int i = 0; i < 2000; ++i) longTrace += L"\tat com.example.Deep.recurse(Deep.java:" + std::to_wstring(i) + L")\n";
    ExceptionDialog dialog(longTrace);
    ModalThread modal([&] { return static_cast<INT_PTR>(dialog.Show(nullptr)); });
    HWND window = modal.WaitForDialog();
    CHECK(window != nullptr);
    if (window == nullptr) return;
    const bool es = Spanish();
    const testsupport::WindowInfo info = testsupport::ReadWindow(window);
    CHECK_EQ(info.caption, std::wstring(es ? L"Excepción Java" : L"Java Exception"));
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDOK)), std::wstring(es ? L"Ignorar" : L"Ignore"));
    CHECK_EQ(testsupport::WindowText(GetDlgItem(window, IDCANCEL)), std::wstring(es ? L"Parar" : L"Stop"));

    // The whole trace is there (past the edit control's default limit) and can be scrolled.
    HWND edit = GetDlgItem(window, IDC_EXCEPTION_TEXT);
    CHECK_EQ(testsupport::WindowText(edit).size(), WithCrLfLineBreaks(longTrace).size());
    CHECK((GetWindowLongPtrW(edit, GWL_STYLE) & WS_VSCROLL) != 0);
    SendMessageW(edit, EM_LINESCROLL, 0, 500);
    CHECK(SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0) >= 500);

    // Anchors: 200 x 100 more room.
    auto rectOf = [&](int id) {
        RECT r = {};
        GetWindowRect(GetDlgItem(window, id), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    const RECT editBefore = rectOf(IDC_EXCEPTION_TEXT);
    const RECT stopBefore = rectOf(IDCANCEL);
    const RECT warningBefore = rectOf(IDC_EXCEPTION_WARNING);
    RECT frame = {};
    GetWindowRect(window, &frame);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 200, frame.bottom - frame.top + 100,
                 SWP_NOMOVE | SWP_NOZORDER);
    const RECT editAfter = rectOf(IDC_EXCEPTION_TEXT);
    const RECT stopAfter = rectOf(IDCANCEL);
    const RECT warningAfter = rectOf(IDC_EXCEPTION_WARNING);
    CHECK_EQ(editAfter.right - editAfter.left, editBefore.right - editBefore.left + 200);
    CHECK_EQ(editAfter.bottom - editAfter.top, editBefore.bottom - editBefore.top + 100);
    CHECK_EQ(stopAfter.left, stopBefore.left + 200);
    CHECK_EQ(stopAfter.top, stopBefore.top + 100);
    CHECK_EQ(warningAfter.top, warningBefore.top + 100);
    CHECK_EQ(warningAfter.right - warningAfter.left, warningBefore.right - warningBefore.left + 200);

    // The size grip sits in the corner, and not while maximised; the dialog cannot shrink below its start.
    HWND grip = FindWindowExW(window, nullptr, L"ScrollBar", nullptr);
    CHECK(grip != nullptr);
    RECT client = {};
    RECT gripRect = {};
    GetClientRect(window, &client);
    GetWindowRect(grip, &gripRect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&gripRect), 2);
    CHECK_EQ(gripRect.right, client.right);
    CHECK_EQ(gripRect.bottom, client.bottom);
    CHECK(IsWindowVisible(grip));
    MINMAXINFO limits = {};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    CHECK_EQ(limits.ptMinTrackSize.x, frame.right - frame.left);
    CHECK_EQ(limits.ptMinTrackSize.y, frame.bottom - frame.top);
    SendMessageW(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    CHECK(WaitUntil([&] { return !IsWindowVisible(grip); }));
    SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    CHECK(WaitUntil([&] { return IsWindowVisible(grip) != FALSE; }));

    // Moved to a monitor of twice the scale: Windows suggests the rectangle; the controls, the
    // smallest size and the grip follow in the new pixels (the trace keeps its 200 x 100 more room,
    // doubled), and a later resize keeps them so.
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const LONG minimumBefore = limits.ptMinTrackSize.x;
    GetClientRect(window, &client);
    const LONG marginBefore = client.right - rectOf(IDC_EXCEPTION_TEXT).right;
    GetWindowRect(window, &frame);
    RECT suggested = {frame.left, frame.top, frame.left + 2 * (frame.right - frame.left),
                      frame.top + 2 * (frame.bottom - frame.top)};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi), reinterpret_cast<LPARAM>(&suggested));
    const RECT stopScaled = rectOf(IDCANCEL);
    CHECK(std::abs((stopScaled.right - stopScaled.left) - 2 * (stopBefore.right - stopBefore.left)) <= 1);
    CHECK(std::abs((stopScaled.bottom - stopScaled.top) - 2 * (stopBefore.bottom - stopBefore.top)) <= 1);
    GetClientRect(window, &client);
    CHECK(std::abs((client.right - rectOf(IDC_EXCEPTION_TEXT).right) - 2 * marginBefore) <= 2);
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    CHECK(std::abs(limits.ptMinTrackSize.x - 2 * minimumBefore) <= 1);
    GetWindowRect(window, &frame);  // the suggested size, or the largest the screen allows
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left - 10, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    const RECT stopResized = rectOf(IDCANCEL);
    CHECK_EQ(stopResized.right - stopResized.left, stopScaled.right - stopScaled.left);
    CHECK_EQ(stopResized.left, stopScaled.left - 10);

    testsupport::PressButton(window, IDOK);
    INT_PTR stop = -2;
    CHECK(modal.Finish(stop));
    CHECK_EQ(stop, INT_PTR(0));
}

TEST_CASE(JreDialogEnterAtOpenPressesBrowse) {
    ScriptedPicker picker;  // cancels the browser
    JreNotFoundDialog dialog(&picker);
    ModalThread modal([&] { return dialog.Show(nullptr, JreMessage(JvmType::Default), JvmType::Default); });
    HWND window = modal.WaitForDialog();
    CHECK(window != nullptr);
    if (window == nullptr) return;
    HWND browse = GetDlgItem(window, IDC_BROWSE);
    CHECK(WaitUntil([&] { return modal.Focus() == browse; }));
    // Browse has the focus and the default-button look; OK (disabled) has neither.
    CHECK_EQ(GetWindowLongPtrW(browse, GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_DEFPUSHBUTTON));
    CHECK_EQ(GetWindowLongPtrW(GetDlgItem(window, IDOK), GWL_STYLE) & BS_TYPEMASK, LONG_PTR(BS_PUSHBUTTON));
    modal.PressKey(window, VK_RETURN);
    CHECK(WaitUntil([&] { return !picker.title.empty(); }));
    CHECK(modal.running());
    modal.PressKey(window, VK_ESCAPE);
    INT_PTR result = 0;
    CHECK(modal.Finish(result));
    CHECK_EQ(result, INT_PTR(IDCANCEL));
}

TEST_CASE(JreDialogRequirementTextsFitTheirControl) {
    // Every requirement of the string table, with versions of a realistic length, for both JVM types.
    const JavaVersion open = JavaVersion::OpenMaximum();
    const JavaVersion low = ParseJavaVersion(L"1.8.0.202", kVersionFillMinimum);
    const JavaVersion high = ParseJavaVersion(L"21.0.10.7", kVersionFillMaximum);
    struct Bounds { JavaVersion minimum; JavaVersion maximum; };
    const Bounds bounds[] = {{JavaVersion(), open}, {JavaVersion(), high}, {low, open}, {low, low}, {low, high}};
    for (const JvmType type : {JvmType::Default, JvmType::Server}) {
        for (const Bounds& bound : bounds) {
            const std::wstring message = ComposeJreNotFoundMessage(bound.minimum, bound.maximum, type, LoadResourceString);
            ScriptedPicker picker;
            JreNotFoundDialog dialog(&picker);
            ModalThread modal([&] { return dialog.Show(nullptr, message, type); });
            HWND window = modal.WaitForDialog();
            CHECK_EQ_AT(message, window != nullptr, true);
            if (window == nullptr) continue;
            // Measured as the static control draws it: its font, its width, words wrapped.
            HWND text = GetDlgItem(window, IDC_JRE_MESSAGE);
            RECT client = {};
            GetClientRect(text, &client);
            HDC dc = GetDC(text);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0)));
            RECT needed = {0, 0, client.right, 0};
            DrawTextW(dc, message.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
            SelectObject(dc, old);
            ReleaseDC(text, dc);
            CHECK_EQ_AT(message, needed.bottom <= client.bottom, true);
            CHECK_EQ_AT(message, testsupport::WindowText(text), message);
            // The link below the text does not cover it.
            RECT textRect = {};
            RECT linkRect = {};
            GetWindowRect(text, &textRect);
            GetWindowRect(GetDlgItem(window, IDC_DOWNLOAD_LINK), &linkRect);
            CHECK_EQ_AT(message, linkRect.top >= textRect.bottom, true);
            testsupport::PressButton(window, IDCANCEL);
            INT_PTR result = 0;
            CHECK_EQ_AT(message, modal.Finish(result), true);
        }
    }
}

TEST_CASE(ErrorBoxShowsWithoutItsOwnerOnceTheOwnerIsGone) {
    // A window destroyed between the look at it and the box, as a splash closed from outside.
    HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CHECK(gone != nullptr);
    DestroyWindow(gone);
    ModalThread modal([&] { return static_cast<INT_PTR>(ShowErrorBox(gone, std::wstring(L"the owner is gone"))); });
    HWND box = modal.WaitForDialog(5000);
    CHECK(box != nullptr);
    if (box != nullptr) testsupport::PressButton(box, IDOK);
    INT_PTR result = 0;
    CHECK(modal.Finish(result));
    CHECK_EQ(result, INT_PTR(IDOK));
}

namespace {

HRESULT apartmentDuringOpen = E_FAIL;

// Asks for the apartment the link's opening runs in: S_FALSE when COM is already initialised
// apartment-threaded on the thread.
bool RecordApartment(const std::wstring&) {
    apartmentDuringOpen = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(apartmentDuringOpen)) CoUninitialize();
    return true;
}

}  // namespace

TEST_CASE(LinkIsOpenedWithComOnTheThread) {
    // On a thread of its own, as the dialog's: nothing has initialised COM there.
    HRESULT after = E_FAIL;
    ModalThread opener([&] {
        const bool opened = OpenLinkTarget(L"https://www.java.com", &RecordApartment);
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);  // the call left the thread as it was
        if (SUCCEEDED(after)) CoUninitialize();
        return static_cast<INT_PTR>(opened);
    });
    INT_PTR opened = 0;
    CHECK(opener.Finish(opened));
    CHECK_EQ(opened, INT_PTR(1));
    CHECK_EQ(apartmentDuringOpen, S_FALSE);
    CHECK_EQ(after, S_OK);
}

// The line about runtimes that the search found and refused: shown with its count in the system's
// language, and not at all when there were none.
TEST_CASE(JreDialogSaysHowManyRuntimesWereRefused) {
    const bool es = Spanish();
    struct Row {
        size_t count;
        const wchar_t* text;  // empty: the line is hidden
    };
    const Row rows[] = {
        {3, es ? L"Entornos de Java hallados pero no adecuados: 3" : L"Java runtimes found but not suitable: 3"},
        {0, L""},
    };
    for (const Row& row : rows) {
        ScriptedPicker picker;
        JreNotFoundDialog dialog(&picker);
        const std::wstring note = RejectedRuntimesNote(row.count);
        ModalThread modal([&] { return dialog.Show(nullptr, JreMessage(JvmType::Default), JvmType::Default, note); });
        HWND window = modal.WaitForDialog();
        CHECK(window != nullptr);
        if (window == nullptr) continue;
        HWND line = GetDlgItem(window, IDC_RUNTIMES_REJECTED);
        CHECK_EQ(testsupport::WindowText(line), std::wstring(row.text));
        CHECK_EQ(IsWindowVisible(line) != FALSE, *row.text != L'\0');
        testsupport::PressButton(window, IDCANCEL);
        INT_PTR result = 0;
        CHECK(modal.Finish(result));
        CHECK_EQ(result, INT_PTR(IDCANCEL));
    }
}

// Not a check: the pictures for the README (tools/screenshots.sh).
TEST_CASE(Screenshots) {
    const std::wstring folder = testsupport::EnvironmentValue(L"MARLWICK_SCREENSHOT_DIR");
    if (folder.empty()) return;
    const std::wstring language = Spanish() ? L"es" : L"en";
    {
        ScriptedPicker picker;
        JreNotFoundDialog dialog(&picker);
        ModalThread modal([&] { return dialog.Show(nullptr, JreMessage(JvmType::Default), JvmType::Default); });
        HWND window = modal.WaitForDialog();
        if (window != nullptr) {
            Sleep(300);
            CHECK(SaveBitmap(CaptureWindow(window), folder + L"\\jre-not-found-" + language + L".bmp"));
            testsupport::PressButton(window, IDCANCEL);
        }
        INT_PTR result = 0;
        modal.Finish(result);
    }
    {
        ScriptedPicker picker;
        JreNotFoundDialog dialog(&picker);
        ModalThread modal([&] {
            return dialog.Show(nullptr, JreMessage(JvmType::Default), JvmType::Default, RejectedRuntimesNote(3));
        });
        HWND window = modal.WaitForDialog();
        if (window != nullptr) {
            Sleep(300);
            CHECK(SaveBitmap(CaptureWindow(window), folder + L"\\jre-not-found-refused-" + language + L".bmp"));
            testsupport::PressButton(window, IDCANCEL);
        }
        INT_PTR result = 0;
        modal.Finish(result);
    }
    {
        ExceptionDialog dialog(kSampleTrace);
        ModalThread modal([&] { return static_cast<INT_PTR>(dialog.Show(nullptr)); });
        HWND window = modal.WaitForDialog();
        if (window != nullptr) {
            Sleep(300);
            CHECK(SaveBitmap(CaptureWindow(window), folder + L"\\java-exception-" + language + L".bmp"));
            testsupport::PressButton(window, IDOK);
        }
        INT_PTR result = 0;
        modal.Finish(result);
    }
}
