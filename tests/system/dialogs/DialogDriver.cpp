#include "tests/system/dialogs/DialogDriver.h"

#include "base/UniqueResource.h"
#include "tests/support/ProcessDriver.h"

namespace dialogtest {

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> ThreadWindows(DWORD threadId) {
    std::vector<HWND> windows;
    EnumThreadWindows(threadId, &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

ModalThread::ModalThread(std::function<INT_PTR()> show) : show_(std::move(show)) {
    thread_ = CreateThread(nullptr, 0, &ModalThread::Run, this, 0, &threadId_);
}

ModalThread::~ModalThread() {
    if (thread_ == nullptr) return;
    // A test that failed half-way leaves its dialog open: close whatever the thread still shows.
    for (int attempt = 0; attempt < 50 && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; ++attempt) {
        for (HWND window : ThreadWindows(threadId_)) PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        WaitForSingleObject(thread_, 100);
    }
    CloseHandle(thread_);
}

DWORD WINAPI ModalThread::Run(void* self) {
    auto* modal = static_cast<ModalThread*>(self);
    modal->result_ = modal->show_();
    return 0;
}

bool ModalThread::running() const { return thread_ != nullptr && WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT; }

HWND ModalThread::WaitForDialog(DWORD timeoutMs, HWND other) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : ThreadWindows(threadId_)) {
                if (window != other && testsupport::IsVisibleDialog(window)) found = window;
            }
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

bool ModalThread::Finish(INT_PTR& result, DWORD timeoutMs) {
    if (thread_ == nullptr || WaitForSingleObject(thread_, timeoutMs) != WAIT_OBJECT_0) return false;
    result = result_;
    return true;
}

HWND ModalThread::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(threadId_, &info) ? info.hwndFocus : nullptr;
}

void ModalThread::PressKey(HWND dialog, WPARAM virtualKey) const {
    HWND focused = Focus();
    dialogtest::PressKey(focused != nullptr ? focused : dialog, virtualKey);
}

void PressKey(HWND focused, WPARAM virtualKey, wchar_t character) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC);
    PostMessageW(focused, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    (void)character;  // the dialog's TranslateMessage makes the character from the key
    PostMessageW(focused, WM_KEYUP, virtualKey, 1 | (scan << 16) | (1u << 30) | (1u << 31));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

int Capture::Count(COLORREF colour, const RECT& area) const {
    int count = 0;
    for (int y = area.top < 0 ? 0 : area.top; y < area.bottom && y < height; ++y) {
        for (int x = area.left < 0 ? 0 : area.left; x < area.right && x < width; ++x) {
            if (At(x, y) == colour) ++count;
        }
    }
    return count;
}

namespace {

// Draws into a bitmap of the given size with `draw` and reads its pixels back.
Capture CaptureWith(int width, int height, const std::function<void(HDC)>& draw) {
    Capture capture;
    capture.width = width;
    capture.height = height;
    HDC screen = GetDC(nullptr);
    UniqueDc memory(CreateCompatibleDC(screen));
    UniqueGdiObject bitmap(CreateCompatibleBitmap(screen, capture.width, capture.height));
    HGDIOBJ old = SelectObject(memory.get(), bitmap.get());
    draw(memory.get());
    SelectObject(memory.get(), old);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(capture.width) * capture.height);
    GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, capture.height, raw.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    capture.pixels.reserve(raw.size());
    for (DWORD p : raw) capture.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return capture;
}

}  // namespace

Capture CaptureWindow(HWND window) {
    RECT r = {};
    if (!GetWindowRect(window, &r)) return Capture();
    return CaptureWith(r.right - r.left, r.bottom - r.top, [&](HDC dc) {
        HDC screen = GetDC(nullptr);
        BitBlt(dc, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    });
}

Capture PrintClient(HWND control) {
    RECT r = {};
    if (!GetClientRect(control, &r)) return Capture();
    return CaptureWith(r.right, r.bottom, [&](HDC dc) {
        SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    });
}

bool SaveBitmap(const Capture& capture, const std::wstring& path) {
    const int rowBytes = (capture.width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = capture.width;
    header.biHeight = capture.height;  // bottom-up
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biSizeImage = static_cast<DWORD>(rowBytes * capture.height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + header.biSizeImage;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = capture.height - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(rowBytes), '\0');
        for (int x = 0; x < capture.width; ++x) {
            const COLORREF c = capture.At(x, y);
            row[x * 3] = static_cast<char>(GetBValue(c));
            row[x * 3 + 1] = static_cast<char>(GetGValue(c));
            row[x * 3 + 2] = static_cast<char>(GetRValue(c));
        }
        bytes += row;
    }
    return testsupport::WriteFileBytes(path, bytes);
}

}  // namespace dialogtest
