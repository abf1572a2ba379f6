#include "jre/LinkColour.h"

namespace {

const uint32_t kRegSz = 1;
const uint32_t kRegExpandSz = 2;
const size_t kMaximumValueBytes = 24;

struct ReadNumber {
    uint8_t lowByte = 0;
    bool minusOne = false;
};

// Leading blanks, an optional sign, then digits up to the first other character (none gives 0).
ReadNumber ReadDecimal(const std::wstring& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    unsigned low = 0;            // the value modulo 256
    unsigned long long exact = 0;  // the value itself, saturated
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        const unsigned digit = static_cast<unsigned>(text[i] - L'0');
        low = (low * 10 + digit) & 0xFFu;
        if (exact < 1000000000ull) exact = exact * 10 + digit;
    }
    ReadNumber number;
    number.lowByte = static_cast<uint8_t>(negative ? (256u - low) & 0xFFu : low);
    number.minusOne = negative && exact == 1;
    return number;
}

}  // namespace

bool ParseColourText(const std::wstring& text, LinkColour& colour) {
    const size_t first = text.find(L',');
    if (first == std::wstring::npos) return false;
    const size_t second = text.find(L',', first + 1);
    if (second == std::wstring::npos) return false;
    const ReadNumber red = ReadDecimal(text.substr(0, first));
    const ReadNumber green = ReadDecimal(text.substr(first + 1, second - first - 1));
    const std::wstring bluePart = text.substr(second + 1);
    if (red.minusOne || green.minusOne || bluePart.empty()) return false;
    colour.red = red.lowByte;
    colour.green = green.lowByte;
    colour.blue = ReadDecimal(bluePart).lowByte;
    return true;
}

bool ColourFromRegistryValue(uint32_t type, const uint8_t* data, size_t size, LinkColour& colour) {
    if (type != kRegSz && type != kRegExpandSz) return false;
    if (data == nullptr || size > kMaximumValueBytes) return false;
    std::wstring text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        const wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == L'\0') break;
        text += unit;
    }
    // A value stored without its NUL counts as if it had one.
    if ((text.size() + 1) * 2 > kMaximumValueBytes) return false;
    return ParseColourText(text, colour);
}
