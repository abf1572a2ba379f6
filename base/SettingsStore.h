// The store through which every INI value is read and the one value that is ever written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The value, or the empty string for a missing file, section or key.
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& key) = 0;
    // False when the platform could not write the value.
    virtual bool SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
};

// The value read from the "<section>+" section as a layered store returns it: one space in front,
// unless it is empty or already begins with a space.
std::wstring PlusSectionValue(const std::wstring& plusValue);
