// 64-bit FNV-1a over UTF-16 code units (low byte first): names and keys that come out the same in
// every build and every process. No <windows.h>.
#pragma once

#include <cstdint>
#include <string>

class TextHash {
public:
    TextHash& Add(const std::wstring& text) {
        for (wchar_t c : text) AddUnit(static_cast<uint16_t>(c));
        return *this;
    }
    TextHash& AddUnit(uint16_t unit) {
        for (int shift = 0; shift < 16; shift += 8) {
            value_ ^= static_cast<uint8_t>(unit >> shift);
            value_ *= 1099511628211ull;
        }
        return *this;
    }
    uint64_t value() const { return value_; }

private:
    uint64_t value_ = 14695981039346656037ull;
};
