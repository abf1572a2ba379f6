#include "jvm/ExceptionDialog.h"

#include "base/DialogPlacement.h"
#include "base/MessageText.h"
#include "base/Resources.h"
#include "base/WindowObject.h"
#include "jvm/ExceptionDialogLayout.h"
#include "resources/resource.h"

namespace {

// Per-monitor DPI functions of Windows 10 (1607 and 1703); older systems and Wine 8 go without.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using SetDialogDpiChangeBehaviorFn = BOOL(WINAPI*)(HWND, int, int);
// DIALOG_DPI_CHANGE_BEHAVIORS: DDC_DISABLE_RESIZE | DDC_DISABLE_CONTROL_RELAYOUT.
const int kDialogResizesItself = 0x0002 | 0x0004;

template <typename F>
F User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 != nullptr ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

int WindowDpi(HWND window) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi != 0) return static_cast<int>(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

int MetricAtDpi(int index, int dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    return forDpi != nullptr ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

}  // namespace

ExceptionDialog::ExceptionDialog(std::wstring exceptionText) : text_(std::move(exceptionText)) {}

bool ExceptionDialog::Show(HWND owner) {
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(IDD_JAVA_EXCEPTION);
    if (dialogTemplate == nullptr) return true;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, owner,
                                                   &ExceptionDialog::Procedure, reinterpret_cast<LPARAM>(this));
    return result != IDOK;
}

INT_PTR CALLBACK ExceptionDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchDialogMessage(dialog, message, wParam, lParam, &ExceptionDialog::dialog_, &ExceptionDialog::Handle);
}

INT_PTR ExceptionDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            return TRUE;
        case WM_COMMAND:
            // Ignore is 1; Stop is 2, which Escape and the close box send as well.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog_, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_SIZE:
            OnSize(wParam, LOWORD(lParam), HIWORD(lParam));
            return TRUE;
        case WM_GETMINMAXINFO:
            if (base_.minimumWidth > 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize.x = base_.minimumWidth;
                limits->ptMinTrackSize.y = base_.minimumHeight;
            }
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            // Not handled as far as the dialog manager is concerned: it still scales the fonts.
            return FALSE;
        default:
            return FALSE;
    }
}

void ExceptionDialog::OnInit() {
    // The dialog lays itself out on a move to a monitor of another scale (OnDpiChanged): the
    // dialog manager's own re-layout would be undone by the next resize.
    static const auto setDpiBehaviour = User32Function<SetDialogDpiChangeBehaviorFn>("SetDialogDpiChangeBehavior");
    if (setDpiBehaviour != nullptr) setDpiBehaviour(dialog_, kDialogResizesItself, kDialogResizesItself);

    HWND edit = GetDlgItem(dialog_, IDC_EXCEPTION_TEXT);
    // A text of megabytes would keep the edit control busy for minutes: the dialog shows its
    // beginning, and says how much is left out.
    size_t omitted = 0;
    std::wstring shown = ShownExceptionText(text_, kExceptionTextShownLimit, omitted);
    if (omitted != 0) {
        if (!shown.empty() && shown.back() != L'\n') shown += L'\n';
        const int32_t count = omitted > 0x7fffffff ? 0x7fffffff : static_cast<int32_t>(omitted);
        shown += FormatMessageTemplate(LoadResourceString(IDS_EXCEPTION_TEXT_CUT), {count});
    }
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // past the default limit of 32K characters
    SetWindowTextW(edit, WithCrLfLineBreaks(shown).c_str());
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);

    CentreDialog(dialog_);

    // The sizes at start: the smallest the dialog may become, and the base of the anchors.
    RECT window = {};
    GetWindowRect(dialog_, &window);
    RECT client = {};
    GetClientRect(dialog_, &client);
    base_ = AnchorBase();
    base_.dpi = WindowDpi(dialog_);
    base_.clientWidth = client.right;
    base_.clientHeight = client.bottom;
    base_.minimumWidth = window.right - window.left;
    base_.minimumHeight = window.bottom - window.top;
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    for (size_t i = 0; i < count && base_.count < static_cast<int>(sizeof base_.controls / sizeof base_.controls[0]); ++i) {
        HWND control = GetDlgItem(dialog_, anchors[i].controlId);
        RECT r = {};
        if (control == nullptr || !GetWindowRect(control, &r)) continue;
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        base_.controls[base_.count] = LayoutRect{r.left, r.top, r.right, r.bottom};
        placed_.push_back({control, base_.count, i});
        ++base_.count;
    }

    gripSize_ = {MetricAtDpi(SM_CXVSCROLL, base_.dpi), MetricAtDpi(SM_CYHSCROLL, base_.dpi)};
    const LayoutRect grip = SizeGripRect(client.right, client.bottom, gripSize_.cx, gripSize_.cy);
    grip_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | WS_CLIPSIBLINGS,
                            grip.left, grip.top, grip.Width(), grip.Height(), dialog_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

void ExceptionDialog::OnDpiChanged(int dpi, const RECT* suggested) {
    if (dpi <= 0 || placed_.empty()) return;
    // The anchors, the smallest size and the grip in the new monitor's pixels; the move to the
    // suggested rectangle then lays the controls out from them.
    base_ = base_.AtDpi(dpi);
    gripSize_ = {MetricAtDpi(SM_CXVSCROLL, dpi), MetricAtDpi(SM_CYHSCROLL, dpi)};
    if (suggested != nullptr) {
        SetWindowPos(dialog_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    RECT client = {};
    GetClientRect(dialog_, &client);
    OnSize(IsZoomed(dialog_) ? SIZE_MAXIMIZED : SIZE_RESTORED, client.right, client.bottom);
}

void ExceptionDialog::OnSize(WPARAM kind, int width, int height) {
    if (kind == SIZE_MINIMIZED || placed_.empty()) return;
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    HDWP moves = BeginDeferWindowPos(static_cast<int>(placed_.size()) + 1);
    for (const Placed& item : placed_) {
        const LayoutRect r = base_.Place(item.base, anchors[item.anchor], width, height);
        if (moves != nullptr) {
            moves = DeferWindowPos(moves, item.control, nullptr, r.left, r.top, r.Width(), r.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (grip_ != nullptr) {
        const LayoutRect g = SizeGripRect(width, height, gripSize_.cx, gripSize_.cy);
        if (moves != nullptr) {
            moves = DeferWindowPos(moves, grip_, nullptr, g.left, g.top, g.Width(), g.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
        ShowWindow(grip_, kind == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
    }
    if (moves != nullptr) EndDeferWindowPos(moves);
    // The group box frame and the texts leave traces when only parts of them are redrawn.
    InvalidateRect(dialog_, nullptr, TRUE);
}
