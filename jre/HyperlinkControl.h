// A static text control of a dialog turned into a link: underlined in the link colour, a hand
// cursor and a tooltip over its text, reachable with Tab, opened with a click, Enter or Space.
#pragma once

#include <windows.h>

#include <string>

#include "base/UniqueResource.h"

// ShellExecuteW "open" of the target; true when the shell started something.
bool ShellOpen(const std::wstring& target);
// `open(target)` with COM initialised (apartment-threaded) on this thread for the call, as the
// shell requires for ShellExecute; its result.
bool OpenLinkTarget(const std::wstring& target, bool (*open)(const std::wstring&) = &ShellOpen);

class HyperlinkControl {
public:
    HyperlinkControl(COLORREF linkColour, COLORREF visitedColour);
    ~HyperlinkControl();
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;

    // Takes over the static control, whose text becomes both label and target. False when its
    // procedure could not be replaced: it then stays an ordinary static text.
    bool Attach(HWND control);

    bool visited() const { return visited_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT CallPrevious(UINT message, WPARAM wParam, LPARAM lParam);

    void ReadBrowserColours();
    void MakeLinkFont();
    void ComputeLinkRect();
    bool IsOverLink(POINT clientPoint) const;
    bool IsCursorOverLink() const;
    void Paint();
    void PaintTo(HDC dc);
    void Open();
    void Release();
    UINT DrawFlags() const;

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::wstring label_;
    std::wstring target_;
    HCURSOR cursor_ = nullptr;
    HFONT normalFont_ = nullptr;     // the control's font, or ownFont_
    UniqueGdiObject ownFont_;        // the icon-title font, made when the control had none
    UniqueGdiObject linkFont_;
    UniqueWindow tooltip_;
    RECT linkRect_ = {};
    COLORREF defaultLinkColour_;
    COLORREF defaultVisitedColour_;
    COLORREF linkColour_;
    COLORREF visitedColour_;
    bool paintLabel_ = true;
    bool visited_ = false;
};
