// The splash screen of real launcher runs under Wine: the own window's class, styles, place and
// life, the boxes it owns, the starts that show none, and the JRE's native splash, first through a
// splashscreen.dll double that records its calls, then through the real runtime's library.
#include <windows.h>

#include <cstdio>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/framework/Check.h"
#include "tests/system/LauncherFixture.h"

using namespace testsupport;

namespace {

const DWORD kFailed = 0xFFFFFFFF;
const wchar_t kSplashClass[] = L"SplashScreenWindow";

std::wstring FakeJreHome(const std::wstring& variant) {
    return WinePath(EnvironmentValue(L"MARLWICK_FAKE_JRE_ROOT")) + L"\\" + variant;
}
std::wstring Picture(const std::wstring& ext) {
    return WinePath(EnvironmentValue(L"MARLWICK_SPLASH_PICTURES")) + L"\\splash." + ext;
}
std::wstring RealJreHome() { return WinePath(EnvironmentValue(L"MARLWICK_JRE")); }

// A 24-bit BMP of one colour.
std::string SolidBmp(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    const DWORD imageSize = static_cast<DWORD>(stride * height);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + imageSize;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biSizeImage = imageSize;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(0x40);
        row[x * 3 + 1] = static_cast<char>(0x80);
        row[x * 3 + 2] = static_cast<char>(0xC0);
    }
    for (int y = 0; y < height; ++y) bytes += row;
    return bytes;
}

// With MARLWICK_SPLASH_SHOTS set to a folder: the whole screen as <folder>\<name>.bmp, for a
// person to look at.
void SaveScreen(const std::wstring& name) {
    const std::wstring folder = WinePath(EnvironmentValue(L"MARLWICK_SPLASH_SHOTS"));
    if (folder.empty()) return;
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride * height), '\0');
    GetDIBits(memory, bitmap, 0, height, &pixels[0], reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    WriteFileBytes(folder + L"\\" + name + L".bmp", bytes + pixels);
}

std::vector<std::string> ReadLines(const std::wstring& path) {
    std::string bytes;
    std::vector<std::string> lines;
    if (!ReadFileBytes(path, bytes)) return lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        lines.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The INI of a splash run; the JRE is named by "JRE Path".
struct SplashIni {
    std::wstring image;
    std::wstring shadow;
    std::wstring preferNative;
    std::wstring jreHome = FakeJreHome(L"full");
    std::wstring vmParameters;
    std::wstring application;  // lines of section "Application"
};

struct BoxSeen {
    std::wstring text;
    std::wstring ownerClass;  // empty: no owner
};

struct SplashSeen {
    bool seen = false;
    std::wstring className;
    DWORD style = 0;
    DWORD exStyle = 0;
    DWORD classStyle = 0;
    RECT rect = {};
    std::wstring title;
};

struct Outcome {
    bool started = false;
    DWORD exitCode = 0;
    bool timedOut = false;
    SplashSeen splash;   // the first visible SplashScreenWindow of the process
    SplashSeen other;    // the first visible window of the process that is neither that nor a box
    std::vector<BoxSeen> boxes;
    std::vector<std::string> log;  // the doubles' record

    bool Has(const std::string& line) const {
        for (const std::string& item : log) {
            if (item == line) return true;
        }
        return false;
    }
    int Count(const std::string& prefix) const {
        int count = 0;
        for (const std::string& item : log) count += item.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }
    // The lines that start with one of `prefixes`, in order.
    std::vector<std::string> Lines(const std::vector<std::string>& prefixes) const {
        std::vector<std::string> found;
        for (const std::string& item : log) {
            for (const std::string& prefix : prefixes) {
                if (item.rfind(prefix, 0) == 0) {
                    found.push_back(item);
                    break;
                }
            }
        }
        return found;
    }
};

SplashSeen Describe(HWND window) {
    SplashSeen seen;
    seen.seen = true;
    seen.className = WindowClassName(window);
    seen.style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    seen.exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    seen.classStyle = static_cast<DWORD>(GetClassLongPtrW(window, GCL_STYLE));
    GetWindowRect(window, &seen.rect);
    seen.title = WindowText(window);
    return seen;
}

// Called once when the own splash window first shows.
using OnSplash = std::function<void(HWND splash, const Process& process)>;
// Called for each box before it is answered with OK.
using OnBox = std::function<void(HWND box, const Process& process, const Outcome& sofar)>;

class SplashApp {
public:
    explicit SplashApp(const std::wstring& name) : launcher_(name) {
        WriteFileBytes(launcher_.path(L"app.jar"), "");
    }
    bool ok() const { return launcher_.ok(); }
    std::wstring path(const std::wstring& name) const { return launcher_.path(name); }

    bool WriteIni(const SplashIni& ini) const {
        std::wstring text =
            L"[Java Runtime Environment]\r\nMain Class=com.example.App\r\nJRE Path=" + ini.jreHome + L"\r\n";
        if (!ini.vmParameters.empty()) text += L"Virtual Machine Parameters=" + ini.vmParameters + L"\r\n";
        text += L"[Class Path]\r\nClass Path=\\app.jar\r\n[Application]\r\n" + ini.application + L"[Display]\r\n";
        if (!ini.image.empty()) text += L"Splash Screen=" + ini.image + L"\r\n";
        if (!ini.shadow.empty()) text += L"Splash Screen Shadow=" + ini.shadow + L"\r\n";
        if (!ini.preferNative.empty()) text += L"Preffer Native Splash Screen=" + ini.preferNative + L"\r\n";
        return WriteFileUtf16(launcher_.iniPath(), text);
    }

    // Starts the launcher with the jvm.dll double behaving as `behaviour` and returns at once.
    Process Start(const std::wstring& behaviour) const {
        StartOptions options;
        options.executable = launcher_.exe();
        options.commandLine = QuoteCommandLine({launcher_.exe()});
        options.workingDirectory = launcher_.folder();
        options.environment = EnvironmentMode::InheritWithOverrides;
        options.variables = {L"MARLWICK_FAKE_JVM=" + behaviour, L"MARLWICK_FAKE_JVM_LOG=" + launcher_.path(L"first.txt")};
        return Process::Start(options);
    }

    // Runs the launcher with the jvm.dll double behaving as `behaviour`, answering every box with
    // OK, until it ends (or 90 s pass).
    Outcome Run(const std::wstring& behaviour, const std::vector<std::wstring>& arguments = {},
                const OnSplash& onSplash = nullptr, const OnBox& onBox = nullptr) const {
        const std::wstring log = launcher_.path(L"record.txt");
        DeleteFileW(log.c_str());
        std::vector<std::wstring> line = {launcher_.exe()};
        line.insert(line.end(), arguments.begin(), arguments.end());
        StartOptions options;
        options.executable = launcher_.exe();
        options.commandLine = QuoteCommandLine(line);
        options.workingDirectory = launcher_.folder();
        options.environment = EnvironmentMode::InheritWithOverrides;
        options.variables = {L"MARLWICK_FAKE_JVM=" + behaviour, L"MARLWICK_FAKE_JVM_LOG=" + log};

        Outcome outcome;
        Process process = Process::Start(options);
        outcome.started = process.started();
        if (!outcome.started) return outcome;
        const DWORD deadline = GetTickCount() + 90000;
        while (process.running() && static_cast<LONG>(deadline - GetTickCount()) > 0) {
            for (HWND window : process.TopLevelWindows()) {
                if (!IsWindowVisible(window)) continue;
                if (IsVisibleDialog(window)) {
                    if (onBox) onBox(window, process, outcome);
                    const HWND owner = GetWindow(window, GW_OWNER);
                    outcome.boxes.push_back({ReadWindow(window).MessageText(), owner ? WindowClassName(owner) : L""});
                    PressButton(window, IDOK);
                    Sleep(200);  // until the box has gone
                } else if (WindowClassName(window) == kSplashClass) {
                    if (!outcome.splash.seen) {
                        outcome.splash = Describe(window);
                        if (onSplash) onSplash(window, process);
                    }
                } else if (!outcome.other.seen) {
                    outcome.other = Describe(window);
                }
            }
            Sleep(10);
        }
        const ExitResult exit = process.WaitForExit(5000);
        outcome.exitCode = exit.exitCode;
        outcome.timedOut = exit.timedOut;
        outcome.log = ReadLines(log);
        return outcome;
    }

private:
    LauncherFixture launcher_;
};

std::wstring FormatRect(const RECT& r) {
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L"x" +
           std::to_wstring(r.bottom - r.top);
}

std::wstring CentredRect(int width, int height) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT r;
    r.left = (screenWidth - width) / 2;
    r.top = (screenHeight - height) / 2;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return FormatRect(r);
}

const std::wstring kCreateFailure = L"JNI exception: failed to create the Java VM\nReason: not enough memory.\n";

}  // namespace

// Each picture format, a picture wider than the screen and the shadow words: a WS_POPUP tool
// window of the picture's size centred on the screen, shadowed only for "true", which owns the
// box that the failed start shows and is gone when the launcher ends.
TEST_CASE(OwnWindowPlacementStylesAndOwnership) {
    SplashApp app(L"splash-own");
    CHECK(app.ok());
    const int wide = GetSystemMetrics(SM_CXSCREEN) + 21;  // left edge -10.5, truncated to -10
    CHECK(WriteFileBytes(app.path(L"wide.bmp"), SolidBmp(wide, 40)));
    struct Row { std::wstring image; std::wstring shadow; int width; int height; bool shadowed; };
    const Row rows[] = {
        {Picture(L"bmp"), L"", 200, 100, false},
        {Picture(L"gif"), L"true", 160, 120, true},
        {Picture(L"jpg"), L"True", 240, 90, false},
        {L"wide.bmp", L"yes", wide, 40, false},  // relative to the working directory
        {Picture(L"bmp"), L"TRUE", 200, 100, false},
    };
    for (const Row& row : rows) {
        const std::wstring context = row.image + L" shadow=" + row.shadow;
        SplashIni ini;
        ini.image = row.image;
        ini.shadow = row.shadow;
        CHECK(app.WriteIni(ini));
        const std::wstring shot = L"own-" + std::to_wstring(&row - rows);
        const Outcome run = app.Run(L"delay=1500;create=-4", {}, [&](HWND, const Process&) {
            Sleep(200);  // painted
            SaveScreen(shot);
        });
        CHECK_EQ_AT(context, run.exitCode, kFailed);
        CHECK_EQ_AT(context, run.splash.seen, true);
        CHECK_EQ_AT(context, run.splash.exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
        CHECK_EQ_AT(context, run.splash.style & ~static_cast<DWORD>(WS_VISIBLE | WS_CLIPSIBLINGS),
                    static_cast<DWORD>(WS_POPUP));
        CHECK_EQ_AT(context, run.splash.classStyle,
                    static_cast<DWORD>(CS_DBLCLKS | CS_SAVEBITS | (row.shadowed ? CS_DROPSHADOW : 0)));
        CHECK_EQ_AT(context, FormatRect(run.splash.rect), CentredRect(row.width, row.height));
        CHECK_EQ_AT(context, run.splash.title, std::wstring());
        CHECK_EQ_AT(context, run.other.seen, false);
        CHECK_EQ_AT(context, run.boxes.size(), static_cast<size_t>(1));
        if (run.boxes.size() == 1) {
            CHECK_EQ_AT(context, run.boxes[0].text, kCreateFailure);
            CHECK_EQ_AT(context, run.boxes[0].ownerClass, std::wstring(kSplashClass));
        }
    }
}

// Pictures the loader cannot show, no picture, and the two switches: no window, no owner, and the
// start goes on to main.
TEST_CASE(UnusablePictureOrSwitchShowsNoSplash) {
    SplashApp app(L"splash-none");
    CHECK(app.ok());
    CHECK(WriteFileBytes(app.path(L"empty.bmp"), ""));
    CHECK(WriteFileBytes(app.path(L"text.gif"), "not a picture"));
    struct Row { std::wstring image; std::vector<std::wstring> arguments; };
    const Row rows[] = {
        {L"missing.bmp", {}},
        {L"empty.bmp", {}},
        {L"text.gif", {}},
        {Picture(L"png"), {}},  // PNG is not among the OLE loader's formats
        {L"", {}},
        {Picture(L"bmp"), {L"-nosplash"}},
        {Picture(L"bmp"), {L"a", L"/nosplash"}},
    };
    for (const Row& row : rows) {
        const std::wstring context = row.image + (row.arguments.empty() ? L"" : L" " + row.arguments.back());
        SplashIni ini;
        ini.image = row.image;
        CHECK(app.WriteIni(ini));
        const Outcome run = app.Run(L"delay=700;splash=record", row.arguments);
        CHECK_EQ_AT(context, run.exitCode, 0u);
        CHECK_EQ_AT(context, run.splash.seen, false);
        CHECK_EQ_AT(context, run.other.seen, false);
        CHECK_EQ_AT(context, run.Has("splash at main=none"), true);
        CHECK_EQ_AT(context, run.Count("main class=com/example/App"), 1);
    }
    // The same word in another letter case is an argument like any other.
    SplashIni ini;
    ini.image = Picture(L"bmp");
    CHECK(app.WriteIni(ini));
    const Outcome shown = app.Run(L"delay=700;splash=record", {L"-NoSplash"});
    CHECK_EQ(shown.Has("splash at main=shown"), true);
}

// A picture of a few bytes that declares 20000 x 20000 pixels (RLE8, nothing but the end code):
// refused before it is decoded, so the start goes on at once and its end is not held up.
TEST_CASE(HugeDeclaredPictureIsRefusedAtOnce) {
    SplashApp app(L"splash-huge");
    CHECK(app.ok());
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    const char rle[] = {0, 1};  // end of bitmap
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info + 256 * 4;
    file.bfSize = file.bfOffBits + sizeof rle;
    info.biSize = sizeof info;
    info.biWidth = 20000;
    info.biHeight = 20000;
    info.biPlanes = 1;
    info.biBitCount = 8;
    info.biCompression = BI_RLE8;
    info.biSizeImage = sizeof rle;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(256 * 4, '\0');
    bytes.append(rle, sizeof rle);
    CHECK(WriteFileBytes(app.path(L"huge.bmp"), bytes));
    SplashIni ini;
    ini.image = L"huge.bmp";
    CHECK(app.WriteIni(ini));
    const ULONGLONG before = GetTickCount64();
    const Outcome run = app.Run(L"splash=record");
    const ULONGLONG elapsed = GetTickCount64() - before;
    std::printf("start to end with the huge picture: %llu ms\n", static_cast<unsigned long long>(elapsed));
    CHECK_EQ(run.exitCode, 0u);
    CHECK_EQ(run.splash.seen, false);
    CHECK_EQ(run.Has("splash at main=none"), true);
    CHECK(elapsed < 3000);
}

// The window stays up to main and goes when main has returned (before the virtual machine is
// destroyed), or at once when main throws, before the exception is reported at the detach.
TEST_CASE(SplashGoesWhenMainReturnsOrThrows) {
    SplashApp app(L"splash-life");
    CHECK(app.ok());
    SplashIni ini;
    ini.image = Picture(L"bmp");
    CHECK(app.WriteIni(ini));
    struct Row { std::wstring behaviour; std::vector<std::string> moments; };
    const Row rows[] = {
        {L"delay=700;splash=record;linger=500",
         {"splash at main=shown", "splash at detach=shown", "splash at destroy=none"}},
        {L"delay=700;splash=record;main=throw",
         {"splash at main=shown", "splash at detach=none", "splash at destroy=none"}},
    };
    for (const Row& row : rows) {
        const Outcome run = app.Run(row.behaviour);
        CHECK_EQ_AT(row.behaviour, run.timedOut, false);
        CHECK_EQ_AT(row.behaviour, run.Lines({"splash at "}), row.moments);
        CHECK_EQ_AT(row.behaviour, run.boxes.size(), static_cast<size_t>(0));
    }
}

// WM_CLOSE from another process destroys the window; the start goes on and its box still shows,
// now without an owner.
TEST_CASE(CloseFromOutsideLetsTheStartGoOn) {
    SplashApp app(L"splash-closed");
    CHECK(app.ok());
    SplashIni ini;
    ini.image = Picture(L"gif");
    CHECK(app.WriteIni(ini));
    bool closed = false;
    bool runningAfter = false;
    const Outcome run = app.Run(L"delay=2500;create=-4", {}, [&](HWND splash, const Process& process) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(splash, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
        for (int i = 0; i < 100 && IsWindow(splash); ++i) Sleep(10);
        closed = !IsWindow(splash);
        runningAfter = process.running();
    });
    CHECK_EQ(run.splash.seen, true);
    CHECK_EQ(closed, true);
    CHECK_EQ(runningAfter, true);
    CHECK_EQ(run.exitCode, kFailed);
    CHECK_EQ(run.boxes.size(), static_cast<size_t>(1));
    if (run.boxes.size() == 1) {
        CHECK_EQ(run.boxes[0].text, kCreateFailure);
        CHECK_EQ(run.boxes[0].ownerClass, std::wstring());
    }
}

// A later start of a single-instance application hands its command line to the first instance
// and shows no splash, while the first instance showed one.
TEST_CASE(LaterSingleInstanceStartShowsNoSplash) {
    SplashApp app(L"splash-instance");
    CHECK(app.ok());
    SplashIni ini;
    ini.image = Picture(L"bmp");
    ini.application = L"Single Instance=yes\r\n";
    CHECK(app.WriteIni(ini));
    Process first = app.Start(L"delay=700;linger=8000");
    CHECK(first.started());
    // The first instance's splash comes and goes with main; its listener lives on while the
    // virtual machine is destroyed.
    const auto isSplash = [](HWND window) { return IsWindowVisible(window) && WindowClassName(window) == kSplashClass; };
    CHECK(first.WaitForWindow(isSplash, 30000) != nullptr);
    std::string record;
    for (int i = 0; i < 3000 && record.find("DestroyJavaVM") == std::string::npos; ++i) {
        Sleep(10);
        ReadFileBytes(app.path(L"first.txt"), record);
    }
    CHECK(record.find("DestroyJavaVM") != std::string::npos);
    const Outcome later = app.Run(L"");
    CHECK_EQ(later.timedOut, false);
    CHECK_EQ(later.splash.seen, false);
    CHECK_EQ(later.other.seen, false);
    CHECK_EQ(later.log.size(), static_cast<size_t>(0));  // the later start never loaded jvm.dll
    first.WaitForExit(20000);
}

// "Preffer Native Splash Screen" against the splashscreen.dll double: the calls, their order,
// exactly one SplashClose whether the virtual machine starts or not, and the fall-backs to the own
// window.
TEST_CASE(NativeSplashCallsAndFallbacks) {
    SplashApp app(L"splash-native");
    CHECK(app.ok());
    const std::string picture = check::Narrow(Picture(L"png"));
    const std::vector<std::string> started = {"SplashInit", "SplashLoadFile " + picture,
                                              "SplashSetFileJarName " + picture + " jar="};
    struct Row {
        std::wstring variant;
        std::wstring prefer;
        std::wstring behaviour;
        DWORD exitCode;
        std::vector<std::string> calls;  // Splash* lines and the creation, in order
        bool ownWindow;
    };
    std::vector<std::string> ok = started;
    ok.push_back("CreateJavaVM version=0x00010002");
    ok.push_back("SplashClose");
    std::vector<std::string> failed = ok;
    const Row rows[] = {
        {L"full", L"YES", L"splash=record", 0, ok, false},
        {L"full", L"yes", L"create=-4", kFailed, failed, false},
        {L"noinit", L"Yes", L"delay=700", 0,
         {"CreateJavaVM version=0x00010002", "SplashClose"}, true},  // closed all the same, at the end
        {L"full", L"no", L"delay=700", 0, {"CreateJavaVM version=0x00010002"}, true},
        {L"full", L"", L"delay=700", 0, {"CreateJavaVM version=0x00010002"}, true},
    };
    for (const Row& row : rows) {
        const std::wstring context = row.variant + L" " + row.prefer + L" " + row.behaviour;
        SplashIni ini;
        ini.image = Picture(L"png");
        ini.preferNative = row.prefer;
        ini.jreHome = FakeJreHome(row.variant);
        CHECK(app.WriteIni(ini));
        Outcome run = app.Run(row.behaviour);
        CHECK_EQ_AT(context, run.exitCode, row.exitCode);
        std::vector<std::string> calls = run.Lines({"Splash", "CreateJavaVM version="});
        for (std::string& call : calls) {
            if (call.rfind("CreateJavaVM", 0) == 0) call = "CreateJavaVM version=0x00010002";
        }
        CHECK_EQ_AT(context, calls, row.calls);
        // The PNG does not load in the own window: it is made and shows nothing.
        CHECK_EQ_AT(context, run.splash.seen, false);
        if (row.exitCode == kFailed) {
            // Closed by the failed run after its box, not again by the teardown.
            CHECK_EQ_AT(context, run.boxes.size(), static_cast<size_t>(1));
        }
    }
    // Without an image the library is not looked at.
    SplashIni none;
    none.preferNative = L"yes";
    CHECK(app.WriteIni(none));
    CHECK_EQ(app.Run(L"").Count("Splash"), 0);
}

// The real runtime's splashscreen.dll shows a PNG while the virtual machine starts; when the
// virtual machine cannot be created, the launcher closes it after the box.
TEST_CASE(RealRuntimeShowsPngNatively) {
    SplashApp app(L"splash-real");
    CHECK(app.ok());
    if (!PathExists(RealJreHome() + L"\\bin\\splashscreen.dll")) {
        check::Fail(__FILE__, __LINE__, "no splashscreen.dll in $MARLWICK_JRE: run tools/fetch-jre.sh first");
        return;
    }
    SplashIni ini;
    ini.image = Picture(L"png");
    ini.preferNative = L"yes";
    ini.jreHome = RealJreHome();
    ini.vmParameters = L"-XX:+MarlwickNoSuchOption";
    CHECK(app.WriteIni(ini));
    SplashSeen nativeAtBox;
    COLORREF centre = CLR_INVALID;
    const Outcome run = app.Run(L"", {}, nullptr, [&](HWND box, const Process& process, const Outcome&) {
        // The library draws on a thread of its own: give it a moment to catch up with the box.
        for (int i = 0; i < 300 && !nativeAtBox.seen; ++i) {
            for (HWND window : process.TopLevelWindows()) {
                if (window != box && IsWindowVisible(window) && !IsVisibleDialog(window)) {
                    nativeAtBox = Describe(window);
                    break;
                }
            }
            if (!nativeAtBox.seen) Sleep(10);
        }
        if (!nativeAtBox.seen) return;
        SaveScreen(L"native-with-box");
        HDC screen = GetDC(nullptr);
        const RECT& r = nativeAtBox.rect;
        centre = GetPixel(screen, (r.left + r.right) / 2, r.top + 3);
        ReleaseDC(nullptr, screen);
    });
    CHECK_EQ(run.exitCode, kFailed);
    CHECK_EQ(run.splash.seen, false);
    CHECK_EQ(nativeAtBox.seen, true);
    CHECK_EQ(FormatRect(nativeAtBox.rect), CentredRect(300, 150));
    std::printf("  native splash window: class %s, top row colour %06lx\n", check::Narrow(nativeAtBox.className).c_str(),
                static_cast<unsigned long>(centre));
    CHECK_EQ(run.boxes.size(), static_cast<size_t>(1));
    // The picture's top row is firebrick (178, 34, 34).
    const int red = GetRValue(centre), green = GetGValue(centre), blue = GetBValue(centre);
    CHECK(centre != CLR_INVALID && red > 150 && red < 210 && green < 70 && blue < 70);
}
