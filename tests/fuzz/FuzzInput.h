// What every harness shares: the input as UTF-8 text cut into fields, and a check that aborts
// (libFuzzer then keeps the input as a finding).
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/IniText.h"

#define FUZZ_ASSERT(condition)                                                        \
    do {                                                                              \
        if (!(condition)) {                                                           \
            std::fprintf(stderr, "%s:%d: %s does not hold\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                             \
        }                                                                             \
    } while (0)

namespace fuzz {

// The input's lines (cut at "\n"), each decoded from UTF-8 (malformed bytes become U+FFFD); at
// least `count` of them, the missing ones empty.
inline std::vector<std::wstring> Fields(const unsigned char* data, size_t size, size_t count) {
    std::vector<std::wstring> fields;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (start <= bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        fields.push_back(DecodeUtf8(bytes.substr(start, end - start)));
        start = end + 1;
    }
    while (fields.size() < count) fields.emplace_back();
    return fields;
}

inline bool Contains(const std::wstring& text, wchar_t c) { return text.find(c) != std::wstring::npos; }

}  // namespace fuzz
