#include "base/MessageText.h"

#include "base/DecimalText.h"

std::wstring FormatMessageTemplate(const std::wstring& messageTemplate, const std::vector<ErrorArg>& args) {
    std::wstring result;
    size_t next = 0;
    for (size_t i = 0; i < messageTemplate.size(); ++i) {
        const wchar_t c = messageTemplate[i];
        if (c != L'%' || i + 1 == messageTemplate.size()) {
            result += c;
            continue;
        }
        const wchar_t conversion = messageTemplate[++i];
        if (conversion == L'%') {
            result += L'%';
        } else if (conversion == L's' || conversion == L'd') {
            if (next < args.size()) {
                const ErrorArg& arg = args[next];
                result += arg.kind == ErrorArg::Kind::Number ? DecimalText(arg.number) : ClipMessageInsert(arg.text);
            }
            ++next;
        } else {
            result += L'%';
            result += conversion;
        }
    }
    return result;
}

std::wstring ClipMessageInsert(const std::wstring& text, size_t limit) {
    if (text.size() <= limit) return text;
    if (limit < 3) return std::wstring(L"...").substr(0, limit);
    size_t keep = limit - 3;
    // A high surrogate whose low half would be cut off goes too.
    if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] <= 0xDBFF) --keep;
    return text.substr(0, keep) + L"...";
}

bool StringFromTableBlock(const uint16_t* block, size_t wordCount, unsigned index, std::wstring& text) {
    size_t pos = 0;
    for (unsigned i = 0; i < 16; ++i) {
        if (pos >= wordCount) return false;
        const size_t length = block[pos++];
        if (length > wordCount - pos) return false;
        if (i == index) {
            text.clear();
            for (size_t k = 0; k < length; ++k) text += static_cast<wchar_t>(block[pos + k]);
            return true;
        }
        pos += length;
    }
    return false;
}

uint16_t ChooseResourceLanguage(uint16_t uiLanguage, uint16_t systemLocale) {
    const uint16_t kSpanish = 0x0a;  // LANG_SPANISH, the low ten bits of a language identifier
    const bool spanish = (uiLanguage & 0x3ff) == kSpanish || (systemLocale & 0x3ff) == kSpanish;
    return spanish ? 0x0c0a : 0x0409;
}

std::wstring AsOneLine(const std::wstring& text) {
    auto isSpace = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    std::wstring line;
    line.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (!isSpace(text[i])) {
            line += text[i++];
            continue;
        }
        const size_t start = i;
        bool lineBreak = false;
        for (; i < text.size() && isSpace(text[i]); ++i) lineBreak = lineBreak || text[i] == L'\r' || text[i] == L'\n';
        if (line.empty() || i == text.size()) continue;
        if (lineBreak) {
            line += L' ';
        } else {
            line.append(text, start, i - start);  // spaces inside a line stay as they are
        }
    }
    return line;
}
