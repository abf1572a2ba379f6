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

namespace {

uint32_t Little16(const unsigned char* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t Big16(const unsigned char* p) { return static_cast<uint32_t>((p[0] << 8) | p[1]); }
uint32_t Little32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
// A signed 32-bit field's distance from zero (a BMP's height is negative for a top-down picture).
uint32_t Magnitude32(uint32_t value) { return (value & 0x80000000u) != 0 ? 0u - value : value; }

}  // namespace

bool DeclaredPictureSize(const unsigned char* bytes, size_t size, uint32_t& width, uint32_t& height) {
    width = height = 0;
    if (bytes == nullptr) return false;
    // BMP: the file header (14 bytes), then the info header whose size says which it is.
    if (size >= 26 && bytes[0] == 'B' && bytes[1] == 'M') {
        const uint32_t headerSize = Little32(bytes + 14);
        if (headerSize == 12) {  // BITMAPCOREHEADER: 16-bit sizes
            width = Little16(bytes + 18);
            height = Little16(bytes + 20);
            return true;
        }
        width = Magnitude32(Little32(bytes + 18));
        height = Magnitude32(Little32(bytes + 22));
        return true;
    }
    // GIF: the logical screen, which the loader allocates whatever the frames inside it.
    if (size >= 10 && bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
        width = Little16(bytes + 6);
        height = Little16(bytes + 8);
        return true;
    }
    // JPEG: the first start-of-frame segment (C0 to CF, except C4, C8 and CC, which are tables).
    if (size >= 4 && bytes[0] == 0xFF && bytes[1] == 0xD8) {
        size_t at = 2;
        while (at + 4 <= size) {
            if (bytes[at] != 0xFF) return false;
            const unsigned char marker = bytes[at + 1];
            if (marker == 0xFF) {  // fill byte
                ++at;
                continue;
            }
            if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
                at += 2;
                continue;
            }
            if (marker == 0xD9 || marker == 0xDA) return false;  // end of image, or data before any frame
            const size_t length = Big16(bytes + at + 2);
            if (length < 2) return false;
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
                if (at + 9 > size) return false;
                height = Big16(bytes + at + 5);
                width = Big16(bytes + at + 7);
                return true;
            }
            at += 2 + length;
        }
    }
    return false;
}

bool SplashPictureSizeAccepted(const unsigned char* bytes, size_t size) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (!DeclaredPictureSize(bytes, size, width, height)) return true;
    return width <= kMaxSplashPictureSide && height <= kMaxSplashPictureSide;
}
