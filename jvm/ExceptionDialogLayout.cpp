#include "jvm/ExceptionDialogLayout.h"

#include "resources/resource.h"

namespace {

// Buttons keep to the lower right corner; the trace and its frame take the new room; the notes
// below the trace move down with the bottom edge.
const Anchor kAnchors[] = {
    // id                  width  height right  down
    {IDC_EXCEPTION_GROUP,   true,  true,  false, false},
    {IDC_EXCEPTION_INTRO,   true,  false, false, false},
    {IDC_EXCEPTION_WARNING, true,  false, false, true},
    {IDC_EXCEPTION_CHOICE,  true,  false, false, true},
    {IDC_EXCEPTION_TEXT,    true,  true,  false, false},
    {1,                     false, false, true,  true},   // Ignore
    {2,                     false, false, true,  true},   // Stop
};

}  // namespace

const Anchor* ExceptionDialogAnchors(size_t& count) {
    count = sizeof kAnchors / sizeof kAnchors[0];
    return kAnchors;
}

std::wstring WithCrLfLineBreaks(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) result += L'\r';
        if (text[i] == L'\r' && (i + 1 == text.size() || text[i + 1] != L'\n')) {
            result += L"\r\n";
            continue;
        }
        result += text[i];
    }
    return result;
}

std::wstring ShownExceptionText(const std::wstring& text, size_t limit, size_t& omitted) {
    omitted = 0;
    if (text.size() <= limit) return text;
    size_t cut = limit;
    const size_t lineEnd = text.find_last_of(L'\n', limit - 1);
    if (lineEnd != std::wstring::npos && lineEnd + 1 >= limit / 2) {
        cut = lineEnd + 1;
    } else if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) {
        --cut;  // a high surrogate whose low half would be cut off
    }
    omitted = text.size() - cut;
    return text.substr(0, cut);
}
