#include "splash/SplashWindow.h"

#include "base/CatchAll.h"
#include "base/ErrorBox.h"
#include "base/WindowObject.h"
#include "splash/SplashLayout.h"
#include "splash/SplashPicture.h"

const wchar_t SplashWindow::kClassName[] = L"SplashScreenWindow";

namespace {

// One class description per process: dropping the shadow holds for the rest of the process.
WNDCLASSEXW& SplashClass() {
    static WNDCLASSEXW windowClass = [] {
        WNDCLASSEXW c = {};
        c.cbSize = sizeof c;
        c.style = CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW;
        c.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = SplashWindow::kClassName;
        return c;
    }();
    return windowClass;
}

bool RegisterSplashClass(bool shadow) {
    WNDCLASSEXW& windowClass = SplashClass();
    if (!shadow) windowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW);
    if (RegisterWindowClassOnce(windowClass) != 0) return true;
    if (!shadow) return false;
    windowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW);
    return RegisterWindowClassOnce(windowClass) != 0;
}

}  // namespace

HWND SplashWindow::Create(const std::wstring& imagePath, bool shadow) {
    WNDCLASSEXW& windowClass = SplashClass();
    windowClass.lpfnWndProc = &SplashWindow::Procedure;
    if (!RegisterSplashClass(shadow)) return nullptr;

    int32_t width = 0;
    int32_t height = 0;
    {
        SplashPicture picture;
        if (!picture.LoadFromFile(imagePath)) return nullptr;
        HBITMAP bitmap = nullptr;
        const bool drawn = picture.CreateBitmap(bitmap);
        bitmap_.reset(bitmap);
        if (!drawn) return nullptr;
        width = picture.Width();
        height = picture.Height();
    }
    const SplashPlacement place =
        CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, place.left, place.top, width, height,
                           nullptr, nullptr, windowClass.hInstance, this);
}

LRESULT CALLBACK SplashWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    SplashWindow* self = WindowObjectFor<SplashWindow>(window, message, lParam);
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    MARLWICK_TRY {
        return self->Handle(window, message, wParam, lParam);
    } MARLWICK_CATCH_ALL {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT SplashWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        window_.store(window);
        break;
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the bitmap covers the whole window: no flash of the window colour first
    case WM_NCDESTROY:
        // Error boxes shown from now on have no owner; the handle is forgotten.
        if (ErrorBoxOwner() == window) SetErrorBoxOwner(nullptr);
        window_.store(nullptr);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void SplashWindow::Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) return;
    BITMAP description = {};
    UniqueDc memory(CreateCompatibleDC(dc));
    if (memory && bitmap_ && GetObjectW(bitmap_.get(), sizeof description, &description) != 0) {
        const HGDIOBJ previous = SelectObject(memory.get(), bitmap_.get());
        BitBlt(dc, 0, 0, description.bmWidth, description.bmHeight, memory.get(), 0, 0, SRCCOPY);
        SelectObject(memory.get(), previous);
    }
    EndPaint(window, &paint);
}
