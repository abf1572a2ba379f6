// INI text, read and written with the rules of the Windows profile functions
// (GetPrivateProfileStringW, WritePrivateProfileStringW), whatever the file's encoding (UTF-16 with
// a mark, UTF-8 with or without one, ANSI). No file system, no <windows.h>: base/IniFile.cpp reads
// the bytes once, decodes them and writes them back.
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
    Ansi,            // no mark and not UTF-8 (or plain ASCII, which reads the same either way)
    Utf8,            // a UTF-8 mark (EF BB BF), or no mark and valid UTF-8 beyond ASCII
    Utf16,           // the UTF-16 little-endian mark (FF FE)
    Utf16BigEndian,  // the UTF-16 big-endian mark (FE FF)
};
IniEncoding DetectIniEncoding(const std::string& bytes);

// UTF-8 to UTF-16 code units (also where wchar_t is wider); a malformed sequence becomes U+FFFD.
std::wstring DecodeUtf8(const std::string& bytes);
// UTF-16 code units (or code points, where wchar_t is wider) to UTF-8; a lone surrogate becomes U+FFFD.
std::string EncodeUtf8(const std::wstring& text);
// UTF-16 bytes in either byte order to code units and back; the mark is text like any other
// character, and an odd last byte is dropped.
std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian);
std::string EncodeUtf16(const std::wstring& text, bool bigEndian);

// What the settings readers see of an INI file: a value by section and key.
class IniValues {
public:
    // The value as the profile functions give it; empty for a missing section, key or value.
    virtual std::wstring GetString(const std::wstring& section, const std::wstring& key) const = 0;

protected:
    ~IniValues() = default;
};

// The value of `key` in `section` or, when that is empty, in the section named `section` + "+":
// such a value gets one space in front, unless it already begins with one.
std::wstring GetLayeredString(const IniValues& ini, const std::wstring& section, const std::wstring& key);

// The sections and keys of one INI text, as it stood when it was parsed.
class IniText : public IniValues {
public:
    struct Entry {
        std::wstring key;
        std::wstring value;
    };
    struct Section {
        std::wstring name;
        std::vector<Entry> entries;
    };

    // A leading U+FEFF (the decoded mark) is skipped.
    static IniText Parse(const std::wstring& text);
    static IniText Parse(const std::string& utf8Bytes) { return Parse(DecodeUtf8(utf8Bytes)); }

    std::wstring GetString(const std::wstring& section, const std::wstring& key) const override;
    // Every section in file order, duplicates included; the first holds the keys before any header.
    const std::vector<Section>& Sections() const { return sections_; }

private:
    std::vector<Section> sections_;
};

// `text` with `key` of `section` set to `value`: the key's first line in the section's first
// occurrence is rewritten, or a line is added at the end of the section, or the section is added
// at the end of the text. Every other character (the mark, comments, line ends) stays as it was.
std::wstring SetIniTextValue(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                             const std::wstring& value);
