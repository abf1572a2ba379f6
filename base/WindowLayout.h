// Placement arithmetic of windows and dialogs: centring, keeping inside a work area, anchoring
// controls of a resizable dialog, and where a size grip goes. No Windows types here.
#pragma once

struct LayoutRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const LayoutRect& a, const LayoutRect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
};

// The window moved (not resized) so that its centre is the centre of `over`.
LayoutRect CentredOver(const LayoutRect& window, const LayoutRect& over);

// The window moved (not resized) so that it lies within `area`; a window larger than the area is
// aligned with the area's left and top edges, so that its caption stays reachable.
LayoutRect KeptInside(const LayoutRect& window, const LayoutRect& area);

// How one control of a resizable dialog follows the dialog's size.
struct Anchor {
    int controlId;
    bool followsWidth;
    bool followsHeight;
    bool movesRight;
    bool movesDown;
};

// The control's rectangle once the client area has grown by (dx, dy) from its size at start
// (negative when it shrank). A dimension never goes below zero.
LayoutRect Anchored(const LayoutRect& initial, const Anchor& anchor, int dx, int dy);

// A length in pixels at `fromDpi` as it is at `toDpi`, rounded to the nearest pixel.
int ScaledForDpi(int length, int fromDpi, int toDpi);
LayoutRect ScaledForDpi(const LayoutRect& r, int fromDpi, int toDpi);

// What a resizable window lays its controls out from: the client size and each control's rectangle
// as they were at start, the smallest window size, all in pixels at `dpi`.
struct AnchorBase {
    int dpi = 96;
    int clientWidth = 0;
    int clientHeight = 0;
    int minimumWidth = 0;
    int minimumHeight = 0;
    LayoutRect controls[16];
    int count = 0;

    // The base as it is at another dpi: after a move to a monitor of another scale, the same
    // layout in that monitor's pixels.
    AnchorBase AtDpi(int newDpi) const;
    // Control `index` in a client area of this size (pixels at `dpi`).
    LayoutRect Place(int index, const Anchor& anchor, int width, int height) const {
        return Anchored(controls[index], anchor, width - clientWidth, height - clientHeight);
    }
};

// A size grip of the given size in the lower right corner of a client area.
LayoutRect SizeGripRect(int clientWidth, int clientHeight, int gripWidth, int gripHeight);

enum class TextAlignment { Left, Centre, Right };

// Where a text measured as `textWidth` x `textHeight` is drawn in a control's client area: at its
// top, shifted right by half the free width when centred or by all of it when right-aligned.
LayoutRect AlignedTextRect(const LayoutRect& client, int textWidth, int textHeight, TextAlignment alignment);
