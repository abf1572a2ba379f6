#include "jvm/ExceptionDialog.h"

#include "base/DialogPlacement.h"
#include "base/Resources.h"
#include "base/WindowObject.h"
#include "jvm/ExceptionDialogLayout.h"
#include "resources/resource.h"

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
            if (minimumWindow_.cx > 0) {
                auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
                limits->ptMinTrackSize.x = minimumWindow_.cx;
                limits->ptMinTrackSize.y = minimumWindow_.cy;
            }
            return TRUE;
        default:
            return FALSE;
    }
}

void ExceptionDialog::OnInit() {
    HWND edit = GetDlgItem(dialog_, IDC_EXCEPTION_TEXT);
    SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);  // a long trace is shown whole
    SetWindowTextW(edit, WithCrLfLineBreaks(text_).c_str());
    SendMessageW(edit, EM_SETREADONLY, TRUE, 0);

    CentreDialog(dialog_);

    // The sizes at start: the smallest the dialog may become, and the base of the anchors.
    RECT window = {};
    GetWindowRect(dialog_, &window);
    RECT client = {};
    GetClientRect(dialog_, &client);
    initialClient_ = {client.right, client.bottom};
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    for (size_t i = 0; i < count; ++i) {
        HWND control = GetDlgItem(dialog_, anchors[i].controlId);
        RECT r = {};
        if (control == nullptr || !GetWindowRect(control, &r)) continue;
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&r), 2);
        placed_.push_back({control, LayoutRect{r.left, r.top, r.right, r.bottom}, i});
    }

    const int gripWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int gripHeight = GetSystemMetrics(SM_CYHSCROLL);
    const LayoutRect grip = SizeGripRect(client.right, client.bottom, gripWidth, gripHeight);
    grip_ = CreateWindowExW(0, L"SCROLLBAR", nullptr, WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | WS_CLIPSIBLINGS,
                            grip.left, grip.top, grip.Width(), grip.Height(), dialog_, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    minimumWindow_ = {window.right - window.left, window.bottom - window.top};
}

void ExceptionDialog::OnSize(WPARAM kind, int width, int height) {
    if (kind == SIZE_MINIMIZED || placed_.empty()) return;
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    const int dx = width - initialClient_.cx;
    const int dy = height - initialClient_.cy;
    HDWP moves = BeginDeferWindowPos(static_cast<int>(placed_.size()) + 1);
    for (const Placed& item : placed_) {
        const LayoutRect r = Anchored(item.initial, anchors[item.anchor], dx, dy);
        if (moves != nullptr) {
            moves = DeferWindowPos(moves, item.control, nullptr, r.left, r.top, r.Width(), r.Height(),
                                   SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    if (grip_ != nullptr) {
        RECT old = {};
        GetWindowRect(grip_, &old);
        const LayoutRect g = SizeGripRect(width, height, old.right - old.left, old.bottom - old.top);
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
