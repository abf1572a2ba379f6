#include "jre/HyperlinkControl.h"

#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <vector>

#include "base/CatchAll.h"
#include "base/WindowLayout.h"
#include "base/WindowObject.h"
#include "jre/LinkColour.h"

namespace {

// The common controls are loaded only when a link is made: an import would load them in every
// start (and under Wine bring up its desktop before the virtual machine). The bare name gets the
// version the manifest asks for from the side-by-side store; the library stays loaded.
void InitTooltipClass() {
    HMODULE library = LoadLibraryW(L"comctl32.dll");
    if (library == nullptr) return;
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitControls>(reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
    if (init != nullptr) init(&controls);
}

const wchar_t kBrowserSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";
const DWORD kColourValueBytes = 24;

bool ReadColourValue(HKEY key, const wchar_t* name, COLORREF& colour) {
    BYTE data[kColourValueBytes] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
    LinkColour parsed;
    if (!ColourFromRegistryValue(type, data, size, parsed)) return false;
    colour = RGB(parsed.red, parsed.green, parsed.blue);
    return true;
}

// Static types that show an image, a frame or are drawn by their owner: their text is not ours to draw.
bool IsPictureStatic(LONG_PTR style) {
    const LONG_PTR type = style & SS_TYPEMASK;
    return (type >= SS_ICON && type <= SS_WHITEFRAME) || (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE);
}

}  // namespace

HyperlinkControl::HyperlinkControl(COLORREF linkColour, COLORREF visitedColour)
    : defaultLinkColour_(linkColour),
      defaultVisitedColour_(visitedColour),
      linkColour_(linkColour),
      visitedColour_(visitedColour) {}

HyperlinkControl::~HyperlinkControl() {
    // Normally the window has gone first; if not, hand it back to its own procedure.
    if (window_ != nullptr && IsWindow(window_)) {
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        BindWindowObject(window_, nullptr);
    }
}

bool HyperlinkControl::Attach(HWND control) {
    if (control == nullptr || window_ != nullptr) return false;
    wchar_t className[16] = {};
    GetClassNameW(control, className, 16);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);

    BindWindowObject(control, this);
    SetLastError(0);
    const LONG_PTR previous =
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HyperlinkControl::Procedure));
    if (previous == 0 && GetLastError() != 0) {
        BindWindowObject(control, nullptr);
        return false;
    }
    window_ = control;
    previous_ = reinterpret_cast<WNDPROC>(previous);
    // A control object may serve one dialog after another (the dialog shown again).
    label_.clear();
    linkColour_ = defaultLinkColour_;
    visitedColour_ = defaultVisitedColour_;
    paintLabel_ = true;
    visited_ = false;

    // 1. Mouse clicks, and a tab stop so that the keyboard reaches the link too.
    LONG_PTR newStyle = style | WS_TABSTOP;
    if (lstrcmpiW(className, L"static") == 0) {
        newStyle |= SS_NOTIFY;
        paintLabel_ = !IsPictureStatic(style);
    }
    SetWindowLongPtrW(window_, GWL_STYLE, newStyle);

    // 2, 3. Cursor and fonts.
    cursor_ = LoadCursorW(nullptr, IDC_HAND);
    normalFont_ = reinterpret_cast<HFONT>(CallPrevious(WM_GETFONT, 0, 0));
    if (paintLabel_) {
        if (normalFont_ == nullptr) {
            LOGFONTW iconFont = {};
            if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconFont, &iconFont, 0)) {
                ownFont_.reset(CreateFontIndirectW(&iconFont));
                normalFont_ = static_cast<HFONT>(ownFont_.get());
            }
        }
        MakeLinkFont();
    }

    // 4. The tooltip.
    InitTooltipClass();
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr));

    // 5, 6, 7. Label, link rectangle, target and the tool.
    const int length = GetWindowTextLengthW(window_);
    if (length > 0) {
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1);
        GetWindowTextW(window_, text.data(), length + 1);
        label_ = text.data();
    }
    ComputeLinkRect();
    target_ = label_;
    if (tooltip_) {
        SendMessageW(tooltip_.get(), TTM_ACTIVATE, TRUE, 0);
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = window_;
        tool.uId = 1;
        tool.rect = linkRect_;
        tool.lpszText = const_cast<wchar_t*>(target_.c_str());
        SendMessageW(tooltip_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // 8. The browser's colours.
    if (paintLabel_) ReadBrowserColours();
    InvalidateRect(window_, nullptr, TRUE);
    return true;
}

void HyperlinkControl::ReadBrowserColours() {
    // Read rights only: nothing is written, and a key that denies writing must still give its colours.
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    ReadColourValue(key.get(), L"Anchor Color", linkColour_);
    ReadColourValue(key.get(), L"Anchor Color Visited", visitedColour_);
}

void HyperlinkControl::MakeLinkFont() {
    LOGFONTW font = {};
    HGDIOBJ source = normalFont_ != nullptr ? static_cast<HGDIOBJ>(normalFont_) : GetStockObject(SYSTEM_FONT);
    if (GetObjectW(source, sizeof font, &font) == 0) return;
    font.lfUnderline = TRUE;
    linkFont_.reset(CreateFontIndirectW(&font));
}

UINT HyperlinkControl::DrawFlags() const {
    const LONG_PTR type = GetWindowLongPtrW(window_, GWL_STYLE) & SS_TYPEMASK;
    UINT flags = DT_WORDBREAK | DT_NOPREFIX;
    if (type == SS_CENTER) flags |= DT_CENTER;
    if (type == SS_RIGHT) flags |= DT_RIGHT;
    return flags;
}

void HyperlinkControl::ComputeLinkRect() {
    RECT client = {};
    GetClientRect(window_, &client);
    linkRect_ = client;
    HDC dc = GetDC(window_);
    if (dc == nullptr) return;
    ScopeExit releaseDc([&] { ReleaseDC(window_, dc); });
    HGDIOBJ oldFont = SelectObject(dc, linkFont_ ? linkFont_.get() : static_cast<HGDIOBJ>(normalFont_));
    RECT measured = client;
    DrawTextW(dc, label_.c_str(), static_cast<int>(label_.size()), &measured, DrawFlags() | DT_CALCRECT);
    if (oldFont != nullptr) SelectObject(dc, oldFont);

    const LONG_PTR type = GetWindowLongPtrW(window_, GWL_STYLE) & SS_TYPEMASK;
    const TextAlignment alignment =
        type == SS_CENTER ? TextAlignment::Centre : type == SS_RIGHT ? TextAlignment::Right : TextAlignment::Left;
    const LayoutRect placed = AlignedTextRect({client.left, client.top, client.right, client.bottom},
                                              measured.right - measured.left, measured.bottom - measured.top, alignment);
    linkRect_ = RECT{placed.left, placed.top, placed.right, placed.bottom};
    if (tooltip_) {
        TOOLINFOW tool = {};
        tool.cbSize = sizeof tool;
        tool.hwnd = window_;
        tool.uId = 1;
        tool.rect = linkRect_;
        SendMessageW(tooltip_.get(), TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool HyperlinkControl::IsOverLink(POINT clientPoint) const { return PtInRect(&linkRect_, clientPoint) != FALSE; }

bool HyperlinkControl::IsCursorOverLink() const {
    POINT point = {};
    if (!GetCursorPos(&point) || !ScreenToClient(window_, &point)) return false;
    return IsOverLink(point);
}

void HyperlinkControl::Paint() {
    PAINTSTRUCT paint = {};
    HDC dc = BeginPaint(window_, &paint);
    if (dc == nullptr) return;
    ScopeExit endPaint([&] { EndPaint(window_, &paint); });
    PaintTo(dc);
}

void HyperlinkControl::PaintTo(HDC dc) {
    // The dialog's background, as an ordinary static would have it.
    HWND parent = GetParent(window_);
    HBRUSH brush = parent == nullptr ? nullptr
                                     : reinterpret_cast<HBRUSH>(SendMessageW(parent, WM_CTLCOLORSTATIC,
                                                                             reinterpret_cast<WPARAM>(dc),
                                                                             reinterpret_cast<LPARAM>(window_)));
    if (brush != nullptr) {
        RECT client = {};
        GetClientRect(window_, &client);
        FillRect(dc, &client, brush);
    }
    HGDIOBJ oldFont = SelectObject(dc, linkFont_ ? linkFont_.get() : static_cast<HGDIOBJ>(normalFont_));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !IsWindowEnabled(window_) ? GetSysColor(COLOR_GRAYTEXT) : visited_ ? visitedColour_ : linkColour_);
    RECT text = linkRect_;
    DrawTextW(dc, label_.c_str(), static_cast<int>(label_.size()), &text, DrawFlags());
    if (oldFont != nullptr) SelectObject(dc, oldFont);
    if (GetFocus() == window_) DrawFocusRect(dc, &linkRect_);
}

bool ShellOpen(const std::wstring& target) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool OpenLinkTarget(const std::wstring& target, bool (*open)(const std::wstring&)) {
    // ShellExecute may hand the target to a COM object (a browser registered through
    // DelegateExecute): COM must be initialised on the calling thread, apartment-threaded.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ScopeExit uninitialise([com] {
        if (SUCCEEDED(com)) CoUninitialize();
    });
    return open(target);
}

void HyperlinkControl::Open() {
    if (!OpenLinkTarget(target_)) return;
    visited_ = true;
    InvalidateRect(window_, nullptr, TRUE);
}

void HyperlinkControl::Release() {
    tooltip_.reset();
    linkFont_.reset();
    ownFont_.reset();
    normalFont_ = nullptr;
}

LRESULT HyperlinkControl::CallPrevious(UINT message, WPARAM wParam, LPARAM lParam) {
    return previous_ != nullptr ? CallWindowProcW(previous_, window_, message, wParam, lParam)
                                : DefWindowProcW(window_, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* self = WindowObjectFor<HyperlinkControl>(window, message, lParam);
    if (self == nullptr || self->window_ != window) return DefWindowProcW(window, message, wParam, lParam);
    MARLWICK_TRY {
        return self->Handle(message, wParam, lParam);
    } MARLWICK_CATCH_ALL {
        return self->CallPrevious(message, wParam, lParam);
    }
}

LRESULT HyperlinkControl::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && tooltip_) {
        MSG relayed = {window_, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        GetCursorPos(&relayed.pt);
        SendMessageW(tooltip_.get(), TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    const POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
        case WM_MOUSEMOVE:
            if (!IsOverLink(point)) break;
            SetCursor(cursor_);
            return 0;
        case WM_SETCURSOR:
            if (!IsCursorOverLink()) break;
            SetCursor(cursor_);
            return TRUE;
        case WM_LBUTTONDOWN:
            if (!IsOverLink(point)) break;
            SetFocus(window_);
            SetCapture(window_);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() != window_) break;
            ReleaseCapture();
            if (IsOverLink(point)) Open();
            return 0;
        case WM_CHAR:
            if (wParam == VK_RETURN || wParam == VK_SPACE) {
                Open();
                return 0;
            }
            break;
        case WM_GETDLGCODE: {
            // Characters, and Enter itself: otherwise the dialog turns Enter into its default button.
            LRESULT code = DLGC_WANTCHARS;
            const MSG* pending = reinterpret_cast<const MSG*>(lParam);
            if (pending != nullptr && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN) {
                code |= DLGC_WANTMESSAGE;
            }
            return code;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_ENABLE:
            InvalidateRect(window_, nullptr, TRUE);
            break;
        case WM_SIZE:
            if (paintLabel_) {
                ComputeLinkRect();
                InvalidateRect(window_, nullptr, TRUE);
            }
            break;
        case WM_SETFONT:
            if (!paintLabel_) break;
            if (ownFont_ && reinterpret_cast<HFONT>(wParam) != ownFont_.get()) ownFont_.reset();
            normalFont_ = reinterpret_cast<HFONT>(wParam);
            MakeLinkFont();
            ComputeLinkRect();
            if (LOWORD(lParam) != 0) InvalidateRect(window_, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            if (!paintLabel_) break;
            return reinterpret_cast<LRESULT>(normalFont_);
        case WM_ERASEBKGND:
            if (!paintLabel_) break;
            return TRUE;
        case WM_PAINT:
            if (!paintLabel_) break;
            Paint();
            return 0;
        case WM_PRINTCLIENT:
            if (!paintLabel_) break;
            PaintTo(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_DESTROY:
            Release();
            break;
        case WM_NCDESTROY: {
            const LRESULT result = CallPrevious(message, wParam, lParam);
            SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
            window_ = nullptr;
            return result;
        }
        default:
            break;
    }
    return CallPrevious(message, wParam, lParam);
}
