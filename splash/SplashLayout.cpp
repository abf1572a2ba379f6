#include "splash/SplashLayout.h"

#include <limits>

bool IsShadowOn(const std::wstring& shadow) { return shadow == L"true"; }

bool WantsNativeSplash(const std::wstring& preferNative) {
    if (preferNative.size() != 3) return false;
    const wchar_t* word = L"yes";
    for (size_t i = 0; i < 3; ++i) {
        wchar_t c = preferNative[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != word[i]) return false;
    }
    return true;
}

SplashPlacement CentreOnScreen(int32_t screenWidth, int32_t screenHeight, int32_t width, int32_t height) {
    // 64-bit differences: a huge picture must not overflow before the division.
    const int64_t left = (static_cast<int64_t>(screenWidth) - width) / 2;
    const int64_t top = (static_cast<int64_t>(screenHeight) - height) / 2;
    return {static_cast<int32_t>(left), static_cast<int32_t>(top)};
}

int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) return -1;
    return static_cast<int32_t>(result);
}

int32_t HimetricToPixels(int32_t himetric, int32_t pixelsPerInch) { return MulDivRounded(pixelsPerInch, himetric, 2540); }

int32_t PixelsToHimetric(int32_t pixels, int32_t pixelsPerInch) { return MulDivRounded(2540, pixels, pixelsPerInch); }

bool IsPngSignature(const unsigned char* bytes, size_t size) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes == nullptr || size < sizeof kSignature) return false;
    for (size_t i = 0; i < sizeof kSignature; ++i) {
        if (bytes[i] != kSignature[i]) return false;
    }
    return true;
}

std::wstring NativeSplashLibraryPath(const std::wstring& jvmLibraryPath) {
    std::wstring folder = jvmLibraryPath;
    for (int cut = 0; cut < 2; ++cut) {
        const size_t slash = folder.rfind(L'\\');
        if (slash != std::wstring::npos) folder.erase(slash);
    }
    if (folder.empty()) return std::wstring();
    if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder + L"splashscreen.dll";
}
