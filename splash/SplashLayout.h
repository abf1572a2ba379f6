// The splash screen's arithmetic and word rules, free of Win32: where the window goes, how a
// picture's HIMETRIC extent becomes pixels, which INI words switch what on, and where a JRE keeps
// its splash library.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The [Display] settings of a start, read when the splash starts.
struct SplashSettings {
    std::wstring image;         // "Splash Screen": empty means no splash of any kind
    std::wstring shadow;        // "Splash Screen Shadow"
    std::wstring preferNative;  // "Preffer Native Splash Screen"
};

// The drop shadow is on only for the exact text "true".
bool IsShadowOn(const std::wstring& shadow);
// The JRE's own splash is wanted for "yes" in any ASCII letter case.
bool WantsNativeSplash(const std::wstring& preferNative);

struct SplashPlacement {
    int32_t left;
    int32_t top;
};
// Centres a width x height window on a screen of screenWidth x screenHeight. The division truncates
// toward zero, so a picture wider than the screen gets a negative left edge.
SplashPlacement CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height);

// number * numerator / denominator through a 64-bit intermediate, rounded to the nearest integer
// with halves away from zero; -1 when the denominator is 0 or the result leaves 32 bits (MulDiv's
// contract).
int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator);
// 2540 HIMETRIC units (0.01 mm) make an inch.
int32_t HimetricToPixels(int32_t himetric, int32_t pixelsPerInch);
int32_t PixelsToHimetric(int32_t pixels, int32_t pixelsPerInch);

// True when the bytes start with the PNG signature. Windows' OLE picture loader refuses PNG and
// Wine's accepts it; the launcher refuses it everywhere, so a picture shows the same on both.
bool IsPngSignature(const unsigned char* bytes, size_t size);

// The largest picture side the splash takes, in pixels. The loader and the window allocate width x
// height x 4 bytes several times over before anything shows: a tiny file that declares 20000 x 20000
// would take gigabytes and seconds. (The launch trace names the number.)
const uint32_t kMaxSplashPictureSide = 8192;

// The pixel size a BMP, GIF or JPEG file declares in its header, read without decoding it. False
// when the bytes are none of these or the header is cut short (the loader then decides).
bool DeclaredPictureSize(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height);

// False for a picture whose declared size exceeds kMaxSplashPictureSide on either side.
bool SplashPictureSizeAccepted(const unsigned char* bytes, size_t size);

// The path at which a JRE keeps splashscreen.dll, from the path of its JVM library: two folders up
// from the library (the folder that holds the library's folder), then "splashscreen.dll". Empty
// when nothing is left of the path after the two cuts.
std::wstring NativeSplashLibraryPath(const std::wstring& jvmLibraryPath);
