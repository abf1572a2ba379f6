// The link colours a user has chosen for the browser, as the registry stores them ("r,g,b").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct LinkColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const LinkColour& a, const LinkColour& b) {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

// "r,g,b": three decimal numbers (leading blanks allowed, each read up to its first non-digit, only
// its lowest 8 bits kept). False, with `colour` untouched, when a comma is missing, the first or
// second number reads as -1, or nothing follows the second comma.
bool ParseColourText(const std::wstring& text, LinkColour& colour);

// A registry value as read: used only when it is a string (REG_SZ 1 or REG_EXPAND_SZ 2) of at most
// 24 bytes including its terminating NUL, and parses as a colour.
bool ColourFromRegistryValue(uint32_t type, const uint8_t* data, size_t size, LinkColour& colour);
