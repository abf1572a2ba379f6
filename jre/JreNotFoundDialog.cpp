#include "jre/JreNotFoundDialog.h"

#include <objbase.h>
#include <shlobj.h>

#include "base/DecimalText.h"
#include "base/DialogPlacement.h"
#include "base/MessageText.h"
#include "base/Resources.h"
#include "base/WindowObject.h"
#include "jre/RequirementText.h"
#include "jre/Win32JreSystem.h"
#include "resources/resource.h"

namespace {

// BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON.
const UINT kBrowseFlags = 0x0241;

struct CoTaskMemFreeFn { void operator()(void* p) const { CoTaskMemFree(p); } };
using UniqueItemIdList = UniqueResource<NullHandleTraits<void*, CoTaskMemFreeFn>>;

}  // namespace

bool ShellFolderPicker::PickFolder(HWND owner, const std::wstring& title, std::wstring& folder) {
    // The new-style browser hosts OLE controls: it needs OLE on this thread for the call.
    const HRESULT ole = OleInitialize(nullptr);
    ScopeExit uninitialise([ole] {
        if (SUCCEEDED(ole)) OleUninitialize();
    });
    BROWSEINFOW info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;  // the desktop
    info.lpszTitle = title.c_str();
    info.ulFlags = kBrowseFlags;
    UniqueItemIdList chosen(SHBrowseForFolderW(&info));
    if (!chosen) return false;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(static_cast<PCIDLIST_ABSOLUTE>(chosen.get()), path)) return false;
    folder = path;
    return true;
}

std::wstring RejectedRuntimesNote(size_t count) {
    if (count == 0) return std::wstring();
    return FormatMessageTemplate(LoadResourceString(IDS_RUNTIMES_REJECTED), {ErrorArg(DecimalText(count))});
}

JreNotFoundDialog::JreNotFoundDialog(FolderPicker* picker)
    : picker_(picker != nullptr ? picker : &shellPicker_), link_(RGB(0, 0, 255), RGB(128, 0, 128)) {}

bool JreNotFoundDialog::Choose(const JreSettings& settings, std::wstring& home, std::wstring& jvmLibrary) {
    const std::wstring message = ComposeJreNotFoundMessage(settings.minimumVersion, settings.maximumVersion,
                                                           settings.jvmType, LoadResourceString);
    if (Show(GetActiveWindow(), message, settings.jvmType, RejectedRuntimesNote(rejectedRuntimes_)) != IDOK) {
        return false;
    }
    home = chosenHome_;
    jvmLibrary = chosenLibrary_;
    return true;
}

INT_PTR JreNotFoundDialog::Show(HWND owner, const std::wstring& message, JvmType type,
                                const std::wstring& rejectedNote) {
    message_ = message;
    rejectedNote_ = rejectedNote;
    jvmType_ = type;
    chosenHome_.clear();
    chosenLibrary_.clear();
    const DLGTEMPLATE* dialogTemplate = FindDialogTemplate(IDD_JRE_NOT_FOUND);
    if (dialogTemplate == nullptr) return IDCANCEL;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialogTemplate, owner,
                                                   &JreNotFoundDialog::Procedure, reinterpret_cast<LPARAM>(this));
    return result == IDOK ? IDOK : IDCANCEL;
}

INT_PTR CALLBACK JreNotFoundDialog::Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return DispatchDialogMessage(dialog, message, wParam, lParam, &JreNotFoundDialog::dialog_, &JreNotFoundDialog::Handle);
}

INT_PTR JreNotFoundDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            OnInit();
            // Browse is what the user came for; the link, now a tab stop too, would take the focus first.
            // WM_NEXTDLGCTL, not SetFocus: the dialog manager moves the default-button look to
            // Browse as well, so that Enter presses it rather than the disabled OK.
            SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog_, IDC_BROWSE)), TRUE);
            return FALSE;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDC_BROWSE:
                    Browse();
                    return TRUE;
                case IDOK:
                    // Enter or a message from outside may send OK while it is disabled.
                    if (!chosenLibrary_.empty()) EndDialog(dialog_, IDOK);
                    return TRUE;
                case IDCANCEL:
                    EndDialog(dialog_, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

void JreNotFoundDialog::OnInit() {
    link_.Attach(GetDlgItem(dialog_, IDC_DOWNLOAD_LINK));
    SetDlgItemTextW(dialog_, IDC_JRE_MESSAGE, message_.c_str());
    if (!rejectedNote_.empty()) {
        SetDlgItemTextW(dialog_, IDC_RUNTIMES_REJECTED, rejectedNote_.c_str());
        ShowWindow(GetDlgItem(dialog_, IDC_RUNTIMES_REJECTED), SW_SHOWNA);
    }
    EnableWindow(GetDlgItem(dialog_, IDOK), FALSE);
    CentreDialog(dialog_);
}

void JreNotFoundDialog::Browse() {
    std::wstring folder;
    if (!picker_->PickFolder(dialog_, LoadResourceString(IDS_BROWSE_FOR_JRE), folder)) return;
    SetDlgItemTextW(dialog_, IDC_JRE_PATH, folder.c_str());
    chosenHome_ = WithTrailingBackslash(folder);
    chosenLibrary_ = ProbeJvmLibrary(chosenHome_, jvmType_).library;
    const bool usable = !chosenLibrary_.empty();
    EnableWindow(GetDlgItem(dialog_, IDOK), usable ? TRUE : FALSE);
}
