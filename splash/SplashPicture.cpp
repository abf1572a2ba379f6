#include "splash/SplashPicture.h"

#include <cstring>
#include <vector>

#include "base/Trace.h"
#include "base/UniqueResource.h"
#include "splash/SplashLayout.h"

namespace {

// The screen's logical resolution (the process is DPI-aware, so these are the real values).
struct ScreenResolution {
    int32_t x = 96;
    int32_t y = 96;
};

ScreenResolution ReadScreenResolution() {
    ScreenResolution resolution;
    HDC screen = GetDC(nullptr);
    if (screen != nullptr) {
        resolution.x = GetDeviceCaps(screen, LOGPIXELSX);
        resolution.y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return resolution;
}

struct ReleaseStreamFn { void operator()(IStream* s) const { s->Release(); } };
using UniqueStream = UniqueResource<NullHandleTraits<IStream*, ReleaseStreamFn>>;
struct GlobalFreeFn { void operator()(HGLOBAL g) const { GlobalFree(g); } };
using UniqueGlobal = UniqueResource<NullHandleTraits<HGLOBAL, GlobalFreeFn>>;

// Selects an object into a DC for one scope.
class SelectionScope {
public:
    SelectionScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectionScope() {
        if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    SelectionScope(const SelectionScope&) = delete;
    SelectionScope& operator=(const SelectionScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace

SplashPicture::~SplashPicture() { Clear(); }

void SplashPicture::Clear() {
    if (picture_ != nullptr) {
        picture_->Release();
        picture_ = nullptr;
    }
    himetricWidth_ = himetricHeight_ = width_ = height_ = 0;
}

bool SplashPicture::LoadFromFile(const std::wstring& path) {
    Clear();
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF) return false;
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read == 0) return false;
    return LoadFromMemory(bytes.data(), read);
}

bool SplashPicture::LoadFromMemory(const void* data, uint32_t size) {
    Clear();
    if (data == nullptr || size == 0) return false;
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (IsPngSignature(bytes, size)) return false;
    if (!SplashPictureSizeAccepted(bytes, size)) {
        if (TraceOn()) TraceLine(L"splash: the picture declares more than 8192 pixels on a side: not shown");
        return false;
    }
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) return false;
    void* target = GlobalLock(block.get());
    if (target == nullptr) return false;
    memcpy(target, data, size);
    GlobalUnlock(block.get());

    UniqueStream stream;
    if (FAILED(CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return false;
    block.release();  // the stream frees it

    IPicture* picture = nullptr;
    if (FAILED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                              reinterpret_cast<void**>(&picture))) ||
        picture == nullptr) {
        return false;
    }
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight)) ||
        himetricWidth <= 0 || himetricHeight <= 0) {
        picture->Release();
        return false;
    }
    const ScreenResolution resolution = ReadScreenResolution();
    const int32_t width = HimetricToPixels(himetricWidth, resolution.x);
    const int32_t height = HimetricToPixels(himetricHeight, resolution.y);
    if (width <= 0 || height <= 0) {
        picture->Release();
        return false;
    }
    picture_ = picture;
    himetricWidth_ = himetricWidth;
    himetricHeight_ = himetricHeight;
    width_ = width;
    height_ = height;
    return true;
}

bool SplashPicture::Draw(HDC dc, int32_t x, int32_t y, int32_t cx, int32_t cy) const {
    if (picture_ == nullptr) return false;
    UniqueGdiObject bitmap(CreateCompatibleBitmap(dc, cx, cy));
    UniqueDc memory(CreateCompatibleDC(dc));
    if (!bitmap || !memory) return false;
    SelectionScope selected(memory.get(), bitmap.get());

    const ScreenResolution resolution = ReadScreenResolution();
    const int32_t sourceWidth = PixelsToHimetric(width_, resolution.x);
    const int32_t sourceHeight = PixelsToHimetric(height_, resolution.y);
    // HIMETRIC runs upward: start at the top edge and go down, so the picture comes out upright.
    if (FAILED(picture_->Render(memory.get(), 0, 0, cx, cy, 0, himetricHeight_, sourceWidth, -sourceHeight, nullptr))) {
        return false;
    }
    return BitBlt(dc, x, y, cx, cy, memory.get(), 0, 0, SRCCOPY) != FALSE;
}

bool SplashPicture::CreateBitmap(HBITMAP& slot) const {
    if (slot != nullptr && DeleteObject(slot)) slot = nullptr;
    HDC screen = GetDC(nullptr);
    if (screen == nullptr) return false;
    slot = CreateCompatibleBitmap(screen, width_, height_);
    UniqueDc memory(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (slot == nullptr || !memory) return false;
    bool drawn = false;
    {
        SelectionScope selected(memory.get(), slot);
        drawn = Draw(memory.get(), 0, 0, width_, height_);
    }
    return drawn;
}
