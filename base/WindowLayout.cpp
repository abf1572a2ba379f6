#include "base/WindowLayout.h"

namespace {

LayoutRect MovedTo(const LayoutRect& r, int left, int top) {
    return LayoutRect{left, top, left + r.Width(), top + r.Height()};
}

int AtLeastZero(int value) { return value < 0 ? 0 : value; }

}  // namespace

LayoutRect CentredOver(const LayoutRect& window, const LayoutRect& over) {
    return MovedTo(window, over.left + (over.Width() - window.Width()) / 2,
                   over.top + (over.Height() - window.Height()) / 2);
}

LayoutRect KeptInside(const LayoutRect& window, const LayoutRect& area) {
    int left = window.left;
    int top = window.top;
    if (left + window.Width() > area.right) left = area.right - window.Width();
    if (top + window.Height() > area.bottom) top = area.bottom - window.Height();
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    return MovedTo(window, left, top);
}

LayoutRect Anchored(const LayoutRect& initial, const Anchor& anchor, int dx, int dy) {
    LayoutRect r = initial;
    if (anchor.movesRight) {
        r.left += dx;
        r.right += dx;
    } else if (anchor.followsWidth) {
        r.right = r.left + AtLeastZero(initial.Width() + dx);
    }
    if (anchor.movesDown) {
        r.top += dy;
        r.bottom += dy;
    } else if (anchor.followsHeight) {
        r.bottom = r.top + AtLeastZero(initial.Height() + dy);
    }
    return r;
}

int ScaledForDpi(int length, int fromDpi, int toDpi) {
    if (fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return length;
    const long long scaled = static_cast<long long>(length) * toDpi;
    const long long half = fromDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / fromDpi : -((-scaled + half) / fromDpi));
}

LayoutRect ScaledForDpi(const LayoutRect& r, int fromDpi, int toDpi) {
    return LayoutRect{ScaledForDpi(r.left, fromDpi, toDpi), ScaledForDpi(r.top, fromDpi, toDpi),
                      ScaledForDpi(r.right, fromDpi, toDpi), ScaledForDpi(r.bottom, fromDpi, toDpi)};
}

AnchorBase AnchorBase::AtDpi(int newDpi) const {
    AnchorBase scaled = *this;
    if (newDpi <= 0) return scaled;
    scaled.dpi = newDpi;
    scaled.clientWidth = ScaledForDpi(clientWidth, dpi, newDpi);
    scaled.clientHeight = ScaledForDpi(clientHeight, dpi, newDpi);
    scaled.minimumWidth = ScaledForDpi(minimumWidth, dpi, newDpi);
    scaled.minimumHeight = ScaledForDpi(minimumHeight, dpi, newDpi);
    for (int i = 0; i < count; ++i) scaled.controls[i] = ScaledForDpi(controls[i], dpi, newDpi);
    return scaled;
}

LayoutRect SizeGripRect(int clientWidth, int clientHeight, int gripWidth, int gripHeight) {
    return LayoutRect{clientWidth - gripWidth, clientHeight - gripHeight, clientWidth, clientHeight};
}

LayoutRect AlignedTextRect(const LayoutRect& client, int textWidth, int textHeight, TextAlignment alignment) {
    const int free = client.Width() - textWidth;
    int shift = 0;
    if (alignment == TextAlignment::Centre) shift = free / 2;
    if (alignment == TextAlignment::Right) shift = free;
    const int left = client.left + shift;
    return LayoutRect{left, client.top, left + textWidth, client.top + textHeight};
}
