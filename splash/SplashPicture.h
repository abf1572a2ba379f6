// The splash picture: an image file loaded through the system's OLE picture loader (BMP, GIF,
// JPEG, ICO, WMF; not PNG), measured in screen pixels and rendered once into a bitmap.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <string>

class SplashPicture {
public:
    SplashPicture() = default;
    ~SplashPicture();
    SplashPicture(const SplashPicture&) = delete;
    SplashPicture& operator=(const SplashPicture&) = delete;

    // Reads the whole file (relative paths against the current directory) and loads it; false for
    // a file that is missing, unreadable, empty or in a format the loader refuses. A failed load
    // leaves the object empty, whatever it held.
    bool LoadFromFile(const std::wstring& path);
    // Loads an image held in memory; false when the loader refuses it.
    bool LoadFromMemory(const void* data, uint32_t size);

    bool IsLoaded() const { return picture_ != nullptr; }
    // The extent in screen pixels; 0 when nothing is loaded.
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // Renders the whole picture, upright and stretched, into (x, y, cx, cy) of `dc`; false with
    // nothing loaded or when rendering fails.
    bool Draw(HDC dc, int32_t x, int32_t y, int32_t cx, int32_t cy) const;
    // Replaces `slot` by a new screen-compatible bitmap of Width() x Height() holding the picture;
    // the caller owns it. With nothing loaded the bitmap is the platform's 1 x 1 stand-in and the
    // result is false.
    bool CreateBitmap(HBITMAP& slot) const;

    void Clear();

private:
    IPicture* picture_ = nullptr;
    int32_t himetricWidth_ = 0;
    int32_t himetricHeight_ = 0;
    int32_t width_ = 0;
    int32_t height_ = 0;
};
