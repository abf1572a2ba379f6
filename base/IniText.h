// INI files saved as UTF-8, read and written with the rules of the Windows profile functions
// (GetPrivateProfileStringW, WritePrivateProfileStringW), which themselves read such a file as
// ANSI. No file system, no <windows.h>: base/IniFile.cpp reads and writes the bytes.
//
// The rules, from the Windows documentation and from what the profile functions do:
// - Lines end at CR LF, LF or a lone CR. Blank space (space, tab, vertical tab, form feed) at
//   either end of a line, a section name, a key or a value does not count.
// - "[name]" opens a section; its name runs to the last "]" of the line and text after that "]"
//   is ignored. A "[" line without "]" opens nothing: its keys stay in the section before it.
//   Keys before the first section belong to the section named "".
// - "key=value" splits at the first "="; a line without "=" holds no value.
// - Section and key names compare without regard to letter case. The first section of a name is
//   the only one searched, and in it the first line of a key wins.
// - A value enclosed in a pair of the same quotation marks (' or ") loses them; what is inside
//   stays as written, blank space included.
// - Comment lines (";", "#") are not special: they are keys that nobody asks for.
#pragma once

#include <string>
#include <vector>

// How a settings file is encoded, as far as its reader is concerned.
enum class IniEncoding {
    Ansi,   // no mark and not UTF-8 (or plain ASCII, which reads the same either way)
    Utf8,   // a UTF-8 mark (EF BB BF), or no mark and valid UTF-8 beyond ASCII
    Utf16,  // a UTF-16 mark (FF FE or FE FF)
};
IniEncoding DetectIniEncoding(const std::string& bytes);

// UTF-8 to UTF-16 code units (also where wchar_t is wider); a malformed sequence becomes U+FFFD.
std::wstring DecodeUtf8(const std::string& bytes);
// UTF-16 code units (or code points, where wchar_t is wider) to UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const std::wstring& text);

// The sections and keys of UTF-8 INI text.
class IniText {
public:
    // A leading UTF-8 mark is skipped.
    static IniText Parse(const std::string& utf8Bytes);

    // The value as the profile functions give it; empty for a missing section, key or value.
    std::wstring GetString(const std::wstring& section, const std::wstring& key) const;
    // Every section name but empty ones, in file order, duplicates included.
    std::vector<std::wstring> SectionNames() const;

private:
    struct Entry {
        std::wstring key;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Entry> entries;
    };
    std::vector<Section> sections_;
};

// `utf8Bytes` with `key` of `section` set to `value`: the key's first line in the section's first
// occurrence is rewritten, or a line is added at the end of the section, or the section is added
// at the end of the text. Every other byte (the mark, comments, line ends) stays as it was.
std::string SetIniTextValue(const std::string& utf8Bytes, const std::wstring& section, const std::wstring& key,
                            const std::wstring& value);
