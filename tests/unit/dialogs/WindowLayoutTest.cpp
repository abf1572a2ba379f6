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
