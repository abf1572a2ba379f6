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

TEST_CASE(DeclaredPictureSize_ReadFromTheHeaderAlone) {
    // A BMP with an info header of the given size, sizes as 32-bit (or, for the core header, 16-bit)
    // fields; RLE8 and nothing but the end-of-bitmap code after it.
    auto bmp = [](uint32_t headerSize, int32_t width, int32_t height) {
        std::string bytes(14 + headerSize + 2, '\0');
        bytes[0] = 'B';
        bytes[1] = 'M';
        auto put32 = [&](size_t at, uint32_t value) {
            for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
        };
        put32(14, headerSize);
        if (headerSize == 12) {
            bytes[18] = static_cast<char>(width & 0xFF);
            bytes[19] = static_cast<char>((width >> 8) & 0xFF);
            bytes[20] = static_cast<char>(height & 0xFF);
            bytes[21] = static_cast<char>((height >> 8) & 0xFF);
        } else {
            put32(18, static_cast<uint32_t>(width));
            put32(22, static_cast<uint32_t>(height));
        }
        bytes[bytes.size() - 1] = 1;  // 00 01: end of bitmap
        return bytes;
    };
    const std::string gif = std::string("GIF89a") + std::string("\x20\x4E\x10\x00", 4) + std::string(8, '\0');
    // SOI, an APP0 segment, a quantisation table, then SOF0 of 600 x 400 (height first).
    const std::string jpeg = std::string("\xFF\xD8\xFF\xE0\x00\x04\x4A\x46", 8) + std::string("\xFF\xDB\x00\x03\x00", 5) +
                             std::string("\xFF\xC0\x00\x11\x08\x01\x90\x02\x58\x03", 10);
    const std::string progressive = std::string("\xFF\xD8\xFF\xC2\x00\x11\x08\x27\x10\x00\x10\x03", 12);
    struct Row { const char* name; std::string bytes; bool known; uint32_t width; uint32_t height; bool accepted; };
    const Row rows[] = {
        {"BMP 640 x 480", bmp(40, 640, 480), true, 640, 480, true},
        {"BMP of 20000 x 20000 in 56 bytes", bmp(40, 20000, 20000), true, 20000, 20000, false},
        {"BMP top-down (negative height)", bmp(40, 300, -200), true, 300, 200, true},
        {"BMP V5 header at the limit", bmp(124, 8192, 8192), true, 8192, 8192, true},
        {"BMP one past the limit", bmp(108, 8193, 10), true, 8193, 10, false},
        {"BMP core header", bmp(12, 9000, 5), true, 9000, 5, false},
        {"GIF logical screen 20000 x 16", gif, true, 20000, 16, false},
        {"JPEG after its tables", jpeg, true, 600, 400, true},
        {"progressive JPEG 16 x 10000", progressive, true, 16, 10000, false},
        {"JPEG without a frame", std::string("\xFF\xD8\xFF\xD9", 4), false, 0, 0, true},
        {"BMP cut short", std::string("BM\x00\x00", 4), false, 0, 0, true},
        {"unknown bytes", std::string("\x00\x00\x01\x00", 4), false, 0, 0, true},
    };
    for (const Row& row : rows) {
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        const auto* bytes = reinterpret_cast<const unsigned char*>(row.bytes.data());
        uint32_t width = 7, height = 7;
        CHECK_EQ_AT(name, DeclaredPictureSize(bytes, row.bytes.size(), width, height), row.known);
        CHECK_EQ_AT(name, width, row.width);
        CHECK_EQ_AT(name, height, row.height);
        CHECK_EQ_AT(name, SplashPictureSizeAccepted(bytes, row.bytes.size()), row.accepted);
        // Every cut of the header is read safely (sanitisers watch the reads).
        for (size_t cut = 0; cut < row.bytes.size(); ++cut) SplashPictureSizeAccepted(bytes, cut);
    }
}
