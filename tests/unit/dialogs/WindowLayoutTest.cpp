#include <sstream>

#include "base/WindowLayout.h"
#include "jvm/ExceptionDialogLayout.h"
#include "resources/resource.h"
#include "tests/framework/Check.h"

std::ostream& operator<<(std::ostream& out, const LayoutRect& r) {
    return out << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
}

TEST_CASE(Placement_CentredThenKeptInside) {
    const LayoutRect workArea{0, 0, 1280, 984};
    struct Row { const char* name; LayoutRect window; LayoutRect over; LayoutRect expected; };
    const Row rows[] = {
        {"centred on the screen", {0, 0, 330, 240}, workArea, {475, 372, 805, 612}},
        {"over an owner", {0, 0, 100, 50}, {200, 100, 600, 400}, {350, 225, 450, 275}},
        {"owner near the right edge", {0, 0, 300, 200}, {1100, 10, 1300, 110}, {980, 0, 1280, 200}},
        {"owner off to the left and top", {0, 0, 300, 200}, {-500, -400, -100, -100}, {0, 0, 300, 200}},
        {"larger than the work area", {0, 0, 1400, 1000}, workArea, {0, 0, 1400, 1000}},
    };
    for (const Row& row : rows) {
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        CHECK_EQ_AT(name, KeptInside(CentredOver(row.window, row.over), workArea), row.expected);
    }
    // A second monitor left of the first: negative coordinates are a work area like any other.
    CHECK_EQ(KeptInside({-50, 10, 250, 210}, {-1920, 0, 0, 1040}), (LayoutRect{-300, 10, 0, 210}));
}

TEST_CASE(Anchors_OfTheExceptionDialog) {
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    auto find = [&](int id) {
        for (size_t i = 0; i < count; ++i) {
            if (anchors[i].controlId == id) return anchors[i];
        }
        return Anchor{0, false, false, false, false};
    };
    const LayoutRect trace{24, 88, 413, 254};
    const LayoutRect button{245, 341, 325, 364};
    const LayoutRect warning{24, 304, 413, 333};
    struct Row { const char* name; int id; LayoutRect initial; int dx; int dy; LayoutRect expected; };
    const Row rows[] = {
        {"trace grows both ways", IDC_EXCEPTION_TEXT, trace, 100, 50, {24, 88, 513, 304}},
        {"Ignore moves with the corner", 1, button, 100, 50, {345, 391, 425, 414}},
        {"Stop moves with the corner", 2, button, -20, -10, {225, 331, 305, 354}},
        {"warning widens and moves down", IDC_EXCEPTION_WARNING, warning, 100, 50, {24, 354, 513, 383}},
        {"intro only widens", IDC_EXCEPTION_INTRO, {67, 45, 415, 71}, 100, 50, {67, 45, 515, 71}},
        {"never below zero", IDC_EXCEPTION_TEXT, trace, -1000, -1000, {24, 88, 24, 88}},
    };
    for (const Row& row : rows) {
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        CHECK_EQ_AT(name, Anchored(row.initial, find(row.id), row.dx, row.dy), row.expected);
    }
    CHECK_EQ(count, size_t(7));
    CHECK_EQ(SizeGripRect(440, 390, 17, 17), (LayoutRect{423, 373, 440, 390}));
}

TEST_CASE(AlignedTextRect_ShiftsByTheFreeWidth) {
    const LayoutRect client{0, 0, 120, 13};
    CHECK_EQ(AlignedTextRect(client, 80, 13, TextAlignment::Left), (LayoutRect{0, 0, 80, 13}));
    CHECK_EQ(AlignedTextRect(client, 80, 13, TextAlignment::Centre), (LayoutRect{20, 0, 100, 13}));
    CHECK_EQ(AlignedTextRect(client, 80, 13, TextAlignment::Right), (LayoutRect{40, 0, 120, 13}));
}

TEST_CASE(WithCrLfLineBreaks_Table) {
    struct Row { const wchar_t* text; const wchar_t* expected; };
    const Row rows[] = {
        {L"a\nb", L"a\r\nb"},
        {L"a\r\nb", L"a\r\nb"},
        {L"a\rb\r", L"a\r\nb\r\n"},
        {L"\n\n", L"\r\n\r\n"},
        {L"java.lang.Error: x\r\n\tat A.main(A.java:1)\n", L"java.lang.Error: x\r\n\tat A.main(A.java:1)\r\n"},
        {L"", L""},
    };
    for (const Row& row : rows) CHECK_EQ_AT(row.text, WithCrLfLineBreaks(row.text), std::wstring(row.expected));
}

TEST_CASE(Anchors_FollowAMoveToAMonitorOfAnotherScale) {
    size_t count = 0;
    const Anchor* anchors = ExceptionDialogAnchors(count);
    // The dialog measured at 96 dpi: client 420 x 380, the trace (anchor 4) and Stop (anchor 6).
    AnchorBase base;
    base.dpi = 96;
    base.clientWidth = 420;
    base.clientHeight = 380;
    base.minimumWidth = 436;
    base.minimumHeight = 419;
    base.controls[0] = {24, 88, 388, 254};    // the trace
    base.controls[1] = {314, 341, 389, 364};  // Stop
    base.count = 2;
    const Anchor& trace = anchors[4];
    const Anchor& stop = anchors[6];
    CHECK_EQ(trace.controlId, IDC_EXCEPTION_TEXT);
    CHECK_EQ(stop.controlId, 2);

    struct Row { const char* name; int dpi; int width; int height; LayoutRect trace; LayoutRect stop; int minimumWidth; };
    const Row rows[] = {
        // Grown by 100 x 50 at 96 dpi.
        {"same scale, grown", 96, 520, 430, {24, 88, 488, 304}, {414, 391, 489, 414}, 436},
        // Moved to a 150 % monitor: Windows suggests the grown size scaled, 780 x 645.
        {"to 144 dpi, grown size scaled", 144, 780, 645, {36, 132, 732, 456}, {621, 587, 734, 621}, 654},
        // Back at 96 dpi on a 200 % monitor, with the client exactly at its start size scaled.
        {"to 192 dpi, start size", 192, 840, 760, {48, 176, 776, 508}, {628, 682, 778, 728}, 872},
        // 125 %: rounded to the nearest pixel.
        {"to 120 dpi, start size", 120, 525, 475, {30, 110, 485, 318}, {393, 426, 486, 455}, 545},
    };
    for (const Row& row : rows) {
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        const AnchorBase scaled = base.AtDpi(row.dpi);
        CHECK_EQ_AT(name, scaled.Place(0, trace, row.width, row.height), row.trace);
        CHECK_EQ_AT(name, scaled.Place(1, stop, row.width, row.height), row.stop);
        CHECK_EQ_AT(name, scaled.minimumWidth, row.minimumWidth);
        CHECK_EQ_AT(name, scaled.dpi, row.dpi);
        // Without the new base, the controls keep their 96 dpi sizes: the trace would be 540 wide
        // in a 780 wide client instead of 696, the buttons 75 instead of 113.
        if (row.dpi != 96) CHECK_EQ_AT(name, base.Place(1, stop, row.width, row.height).Width() == row.stop.Width(), false);
    }
    // There and back again gives the start base, and a scale change keeps a grown dialog's margins.
    const AnchorBase roundTrip = base.AtDpi(144).AtDpi(96);
    CHECK_EQ(roundTrip.controls[0], base.controls[0]);
    CHECK_EQ(roundTrip.clientWidth, base.clientWidth);
    CHECK_EQ(ScaledForDpi(-7, 96, 144), -11);  // halves away from zero, also left of the origin
    CHECK_EQ(ScaledForDpi(5, 0, 144), 5);      // no scale known: unchanged
}

TEST_CASE(ShownExceptionText_CapsHugeTextsAtALineBreak) {
    auto lines = [](size_t count, size_t width) {
        std::wstring text;
        for (size_t i = 0; i < count; ++i) text += std::wstring(width - 1, L'x') + L"\n";
        return text;
    };
    const std::wstring withPair = std::wstring(9, L'a') + L"\xD83D\xDE00" + L"bcd";
    struct Row { const char* name; std::wstring text; size_t limit; size_t shown; size_t omitted; };
    const Row rows[] = {
        {"short text whole", L"java.lang.Error\n\tat A.main(A.java:1)\n", 100, 37, 0},
        {"exactly the limit", std::wstring(100, L'y'), 100, 100, 0},
        {"cut after the last whole line", lines(30, 10), 95, 90, 210},
        {"one huge line cut at the limit", std::wstring(1000000, L'm'), 100, 100, 999900},
        {"a line break early on does not shorten the part", L"ab\n" + std::wstring(500, L'z'), 100, 100, 403},
        {"never between the halves of a pair", withPair, 10, 9, 5},
    };
    for (const Row& row : rows) {
        const std::wstring name(row.name, row.name + std::char_traits<char>::length(row.name));
        size_t omitted = 7;
        const std::wstring shown = ShownExceptionText(row.text, row.limit, omitted);
        CHECK_EQ_AT(name, shown.size(), row.shown);
        CHECK_EQ_AT(name, omitted, row.omitted);
        CHECK_EQ_AT(name, row.text.compare(0, shown.size(), shown), 0);
    }
    CHECK(kExceptionTextShownLimit >= 50000);  // a trace of a thousand frames is shown whole
}
