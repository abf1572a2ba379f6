#include "splash/SplashLayout.h"
#include "tests/framework/Check.h"

TEST_CASE(CentreOnScreen_TruncatesTowardZero) {
    struct Row { int32_t screen; int32_t size; int32_t edge; };
    const Row rows[] = {
        {1920, 400, 760},
        {1920, 401, 759},     // 759.5 truncated
        {1920, 2000, -40},    // wider than the screen: 40 pixels beyond each edge
        {1920, 2001, -40},    // -40.5 truncates toward zero, not down to -41
        {1920, 1920, 0},
        {1920, 0, 960},       // nothing loaded
        {1280, 1301, -10},
        {1024, 2147483647, -1073741311},  // no overflow for absurd sizes
    };
    for (const Row& row : rows) {
        const std::wstring context = std::to_wstring(row.size) + L" on " + std::to_wstring(row.screen);
        CHECK_EQ_AT(context, CentreOnScreen(row.screen, 1080, row.size, 100).left, row.edge);
        CHECK_EQ_AT(context, CentreOnScreen(1920, row.screen, 100, row.size).top, row.edge);
    }
}

TEST_CASE(HimetricToPixels_RoundsAtTheScreenResolution) {
    struct Row { int32_t himetric; int32_t dpi; int32_t pixels; };
    const Row rows[] = {
        {10583, 96, 400}, {7938, 96, 300},    // 399.99 and 300.02
        {10583, 144, 600}, {7938, 144, 450},
        {5292, 96, 200},  {2540, 120, 120},
        {0, 96, 0},       {13, 96, 0},  {14, 96, 1},  // 0.49 and 0.53
        {2540, 0, 0},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(std::to_wstring(row.himetric) + L"@" + std::to_wstring(row.dpi),
                    HimetricToPixels(row.himetric, row.dpi), row.pixels);
    }
    CHECK_EQ(PixelsToHimetric(400, 96), 10583);
    CHECK_EQ(PixelsToHimetric(600, 144), 10583);
    CHECK_EQ(PixelsToHimetric(400, 0), -1);  // MulDiv's answer to a zero divisor
}

TEST_CASE(MulDivRounded_MatchesMulDiv) {
    struct Row { int32_t a; int32_t b; int32_t c; int32_t result; };
    const Row rows[] = {
        {5, 1, 2, 3},   {-5, 1, 2, -3},  {5, -1, 2, -3},  {5, 1, -2, -3},  // halves away from zero
        {7, 1, 3, 2},   {-7, 1, 3, -2},  {2147483647, 2, 2, 2147483647},
        {2147483647, 2, 1, -1},  {1, 1, 0, -1},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(std::to_wstring(row.a) + L"*" + std::to_wstring(row.b) + L"/" + std::to_wstring(row.c),
                    MulDivRounded(row.a, row.b, row.c), row.result);
    }
}

TEST_CASE(SplashWords_ShadowExactNativeAnyCase) {
    struct Row { const wchar_t* text; bool shadow; bool native; };
    const Row rows[] = {
        {L"true", true, false}, {L"True", false, false}, {L"TRUE", false, false}, {L"yes", false, true},
        {L"YES", false, true},  {L"Yes", false, true},   {L"yEs", false, true},   {L"", false, false},
        {L" yes", false, false}, {L"yes ", false, false}, {L"y", false, false},   {L"true ", false, false},
        {L"1", false, false},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(row.text, IsShadowOn(row.text), row.shadow);
        CHECK_EQ_AT(row.text, WantsNativeSplash(row.text), row.native);
    }
}

TEST_CASE(NativeSplashLibraryPath_TwoFoldersUpFromTheJvm) {
    struct Row { const wchar_t* jvm; const wchar_t* library; };
    const Row rows[] = {
        {L"C:\\jre\\bin\\server\\jvm.dll", L"C:\\jre\\bin\\splashscreen.dll"},
        {L"C:\\jre\\bin\\jvm.dll", L"C:\\jre\\splashscreen.dll"},
        {L"jvm.dll", L"jvm.dll\\splashscreen.dll"},         // no backslash: the text stays
        {L"bin\\jvm.dll", L"bin\\splashscreen.dll"},          // one cut only
        {L"\\jvm.dll", L""},                                  // nothing left
        {L"", L""},
        {L"C:\\jvm.dll", L"C:\\splashscreen.dll"},
        {L"C:/jre/bin/server/jvm.dll", L"C:/jre/bin/server/jvm.dll\\splashscreen.dll"},
        {L"C:/jre/bin/\\server\\jvm.dll", L"C:/jre/bin/splashscreen.dll"},  // ends with "/": no "\" added
        {L"\\\\host\\share\\jre\\bin\\server\\jvm.dll", L"\\\\host\\share\\jre\\bin\\splashscreen.dll"},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.jvm, NativeSplashLibraryPath(row.jvm), std::wstring(row.library));
}

TEST_CASE(IsPngSignature_EightBytes) {
    struct Row { const char* bytes; size_t size; bool png; };
    const Row rows[] = {
        {"\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16, true},
        {"\x89PNG\r\n\x1A\n", 8, true},
        {"\x89PNG\r\n\x1A", 7, false},   // cut short
        {"\x89PNG\n\r\x1A\n", 8, false},  // line ends swapped
        {"GIF89a\x01\0", 8, false},
        {"BM\0\0\0\0\0\0", 8, false},
        {"", 0, false},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(std::to_wstring(row.size), IsPngSignature(reinterpret_cast<const unsigned char*>(row.bytes), row.size),
                    row.png);
    }
    CHECK_EQ(IsPngSignature(nullptr, 8), false);
}
