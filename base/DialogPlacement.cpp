#include "base/DialogPlacement.h"

#include "base/WindowLayout.h"

namespace {

LayoutRect FromRect(const RECT& r) { return LayoutRect{r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CentreDialog(HWND dialog) {
    RECT window = {};
    if (!GetWindowRect(dialog, &window)) return;
    HWND owner = GetWindow(dialog, GW_OWNER);
    const bool overOwner = owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner);

    RECT over = {};
    HMONITOR monitor = nullptr;
    if (overOwner && GetWindowRect(owner, &over)) {
        monitor = MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST);
    }
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(monitor, &info)) SystemParametersInfoW(SPI_GETWORKAREA, 0, &info.rcWork, 0);
    if (!overOwner) over = info.rcWork;

    const LayoutRect placed = KeptInside(CentredOver(FromRect(window), FromRect(over)), FromRect(info.rcWork));
    SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
