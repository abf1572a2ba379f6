// Pure text helpers for the message boxes: template formatting, string-table blocks, language choice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One argument of a message template: a text, a string-table identifier (loaded before
// formatting) or a signed 32-bit number.
struct ErrorArg {
    enum class Kind { Text, StringId, Number };
    Kind kind;
    std::wstring text;
    int32_t number = 0;

    ErrorArg(const wchar_t* value) : kind(Kind::Text), text(value) {}
    ErrorArg(std::wstring value) : kind(Kind::Text), text(std::move(value)) {}
    ErrorArg(int32_t value) : kind(Kind::Number), number(value) {}
    static ErrorArg StringId(unsigned id) {
        ErrorArg arg(static_cast<int32_t>(id));
        arg.kind = Kind::StringId;
        return arg;
    }
};

// printf-style formatting limited to what the string table uses: "%s" takes the next text (cut
// with ClipMessageInsert),
// "%d" the next number, "%%" is a percent sign. A missing argument formats as nothing.
std::wstring FormatMessageTemplate(const std::wstring& messageTemplate, const std::vector<ErrorArg>& args);

// Texts inserted into a message are cut to this many characters (the ellipsis included), so that
// a hostile INI value cannot make a box larger than the screen.
constexpr size_t kMaxMessageInsert = 1024;
// `text` cut to at most `limit` characters, its end replaced by "..." when it was cut. A cut never
// splits a surrogate pair.
std::wstring ClipMessageInsert(const std::wstring& text, size_t limit = kMaxMessageInsert);

// A message as one line for standard error: each run of line breaks (and the spaces around it)
// becomes one space; leading and trailing white space is dropped.
std::wstring AsOneLine(const std::wstring& text);

// Entry `index` (0-15) of a string-table block: each entry is a length word and that many UTF-16
// units. False when the block ends before the entry.
bool StringFromTableBlock(const uint16_t* block, size_t wordCount, unsigned index, std::wstring& text);

// The resource language for the launcher's texts: Spanish (3082) on a Spanish system, English
// (1033) on every other. Takes Windows language identifiers.
uint16_t ChooseResourceLanguage(uint16_t uiLanguage, uint16_t systemLocale);
