// The last step of the JRE search: tells the user which Java the application needs, links to the
// download site and lets the user browse for an installed JRE.
#pragma once

#include <windows.h>

#include <string>

#include "jre/HyperlinkControl.h"
#include "jre/JreSearch.h"

// Asks the user for a folder. The shell's folder browser in the product; tests may put in another.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // False when the user cancelled; otherwise `folder` is the file-system path chosen.
    virtual bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder) = 0;
};

// The shell's folder browser from the desktop down, file-system folders only, new style, no
// button for new folders.
class ShellFolderPicker : public FolderPicker {
public:
    bool PickFolder(HWND owner, const std::wstring& title, std::wstring& folder) override;
};

// The dialog's line about `count` runtimes that the search found and refused; empty for none.
std::wstring RejectedRuntimesNote(size_t count);

class JreNotFoundDialog : public JreFolderChooser {
public:
    // `picker` null: the shell's folder browser.
    explicit JreNotFoundDialog(FolderPicker* picker = nullptr);
    JreNotFoundDialog(const JreNotFoundDialog&) = delete;
    JreNotFoundDialog& operator=(const JreNotFoundDialog&) = delete;

    // Shows the dialog with the settings' version requirement, owned by the thread's active window.
    bool Choose(const JreSettings& settings, std::wstring& home, std::wstring& jvmLibrary) override;
    void SetRejectedRuntimes(size_t count) override { rejectedRuntimes_ = count; }

    // Shows the dialog modally: IDOK once a usable folder was chosen, IDCANCEL otherwise, also when
    // it cannot be created (GetLastError says why; ERROR_NOT_ENOUGH_MEMORY for lack of memory).
    // `rejectedNote`, when not empty, is shown on a line of its own below the link.
    INT_PTR Show(HWND owner, const std::wstring& message, JvmType type, const std::wstring& rejectedNote = std::wstring());

    // The last folder browsed to, ending with a backslash, and the library found in it (may be empty).
    const std::wstring& chosenHome() const { return chosenHome_; }
    const std::wstring& chosenLibrary() const { return chosenLibrary_; }

private:
    static INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInit();
    void Browse();

    ShellFolderPicker shellPicker_;
    FolderPicker* picker_;
    HWND dialog_ = nullptr;
    JvmType jvmType_ = JvmType::Default;
    std::wstring message_;
    std::wstring rejectedNote_;
    size_t rejectedRuntimes_ = 0;
    std::wstring chosenHome_;
    std::wstring chosenLibrary_;
    HyperlinkControl link_;
};
