#include <cstring>

#include "jre/LinkColour.h"
#include "tests/framework/Check.h"

namespace {

std::string Show(bool ok, const LinkColour& c) {
    if (!ok) return "refused";
    return std::to_string(c.red) + "," + std::to_string(c.green) + "," + std::to_string(c.blue);
}

}  // namespace

TEST_CASE(ParseColourText_Table) {
    struct Row { const wchar_t* text; const char* expected; };
    const Row rows[] = {
        {L"0,0,255", "0,0,255"},
        {L"128, 0, 128", "128,0,128"},
        {L"255,0,0", "255,0,0"},
        {L"  12,\t34,  56", "12,34,56"},
        {L"256,257,511", "0,1,255"},          // only the lowest 8 bits count
        {L"1x,2y,3z", "1,2,3"},               // reading stops at the first non-digit
        {L",,7", "0,0,7"},                    // empty parts read as 0
        {L"-2,0,0", "254,0,0"},
        {L"0,0,-1", "0,0,255"},               // only the first two parts refuse -1
        {L"99999999999999999999,0,0", "255,0,0"},
        {L"1,2,3,4", "1,2,3"},                // the rest after the second comma is the blue part
        {L"red", "refused"},
        {L"1,2", "refused"},
        {L"1,2,", "refused"},
        {L"-1,0,0", "refused"},
        {L"0, -1,0", "refused"},
        {L"", "refused"},
    };
    for (const Row& row : rows) {
        LinkColour colour{9, 9, 9};
        const bool ok = ParseColourText(row.text, colour);
        CHECK_EQ_AT(row.text, Show(ok, colour), std::string(row.expected));
        if (!ok) CHECK_EQ_AT(row.text, colour == (LinkColour{9, 9, 9}), true);
    }
}

TEST_CASE(ColourFromRegistryValue_TypeAndSize) {
    auto bytes = [](const std::wstring& text, bool nul) {
        std::string data;
        for (wchar_t c : text) {
            data += static_cast<char>(c & 0xFF);
            data += static_cast<char>(c >> 8);
        }
        if (nul) data += std::string(2, '\0');
        return data;
    };
    struct Row { const char* name; uint32_t type; std::string data; const char* expected; };
    const Row rows[] = {
        {"REG_SZ", 1, bytes(L"255,0,0", true), "255,0,0"},
        {"REG_EXPAND_SZ", 2, bytes(L"0,128,0", true), "0,128,0"},
        {"REG_DWORD", 4, std::string("\xff\0\0\0", 4), "refused"},
        {"REG_MULTI_SZ", 7, bytes(L"255,0,0", true) + std::string(2, '\0'), "refused"},
        {"24 bytes with NUL", 1, bytes(L"255,  0,  0", true), "255,0,0"},
        {"26 bytes with NUL", 1, bytes(L"255,  0,  0 ", true), "refused"},
        {"no NUL, 22 bytes", 1, bytes(L"1,2,3      ", false), "1,2,3"},
        {"no NUL, 24 bytes", 1, bytes(L"1,2,3       ", false), "refused"},
        {"not a colour", 1, bytes(L"blue", true), "refused"},
        {"empty", 1, std::string(), "refused"},
    };
    for (const Row& row : rows) {
        LinkColour colour;
        const bool ok = ColourFromRegistryValue(row.type, reinterpret_cast<const uint8_t*>(row.data.data()),
                                                row.data.size(), colour);
        CHECK_EQ_AT(std::wstring(row.name, row.name + std::strlen(row.name)), Show(ok, colour), std::string(row.expected));
    }
}
