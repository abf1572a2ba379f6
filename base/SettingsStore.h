// The store through which every INI value is read and the one value that is ever written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Opens the file for reading (no sharing, existing file only) and reads its first 4 bytes.
    // 0, or the system error code of the open or the read.
    virtual uint32_t ReadHeader(unsigned char (&header)[4]) = 0;
    // The value, or the empty string for a missing file, section or key.
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& key) = 0;
    virtual std::vector<std::wstring> GetSectionNames() = 0;
    // False when the platform could not write the value.
    virtual bool SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) = 0;
    // False when the file could not be deleted.
    virtual bool Delete() = 0;
};

// The value read from the "<section>+" section as a layered store returns it: one space in front,
// unless it is empty or already begins with a space.
std::wstring PlusSectionValue(const std::wstring& plusValue);
