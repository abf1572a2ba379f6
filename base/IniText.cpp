#include "base/IniText.h"

#include <cstddef>
#include <cstdint>

#include "base/TextSplit.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const wchar_t kMark = L'\xFEFF';

bool SameName(const std::wstring& a, const std::wstring& b) { return EqualsAsciiNoCase(a, b); }

bool HasUtf8Mark(const std::string& bytes) { return bytes.compare(0, 3, kUtf8Mark) == 0; }

size_t TextStart(const std::wstring& text) { return !text.empty() && text[0] == kMark ? 1 : 0; }

// Decodes one UTF-8 sequence at `pos`; returns its code point and advances `pos`, or returns -1
// (and advances by one byte) for a malformed one.
int32_t NextCodePoint(const std::string& bytes, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    size_t length;
    int32_t code;
    int32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        ++pos;
        return -1;
    }
    if (bytes.size() - pos < length) {
        ++pos;
        return -1;
    }
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = byte(pos + i);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += length;
    return code;
}

// One line of the text: where its content ends and where the next line begins.
struct Line {
    size_t begin;
    size_t end;
    size_t next;
};

std::vector<Line> SplitLines(const std::wstring& text, size_t start) {
    std::vector<Line> lines;
    size_t pos = start;
    while (pos < text.size()) {
        size_t end = pos;
        while (end < text.size() && text[end] != L'\r' && text[end] != L'\n') ++end;
        size_t next = end;
        if (next < text.size()) next += (text[next] == L'\r' && next + 1 < text.size() && text[next + 1] == L'\n') ? 2 : 1;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

// A parsed line: a section header, a key with or without value, or nothing.
struct ParsedLine {
    enum class Kind { Nothing, Section, Key } kind = Kind::Nothing;
    std::wstring name;   // section name or key
    std::wstring value;  // raw value: trimmed, quotes kept
    bool hasValue = false;
};

ParsedLine ParseLine(const std::wstring& rawLine) {
    ParsedLine parsed;
    const std::wstring line = TrimBlankSpace(rawLine);
    if (line.empty()) return parsed;
    if (line[0] == L'[') {
        const size_t close = line.rfind(L']');
        if (close == std::wstring::npos) return parsed;
        parsed.kind = ParsedLine::Kind::Section;
        parsed.name = TrimBlankSpace(line.substr(1, close - 1));
        return parsed;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) return parsed;
    parsed.kind = ParsedLine::Kind::Key;
    parsed.name = TrimBlankSpace(line.substr(0, equals));
    parsed.value = TrimBlankSpace(line.substr(equals + 1));
    parsed.hasValue = true;
    return parsed;
}

std::wstring Unquote(const std::wstring& value) {
    if (value.size() >= 2 && (value[0] == L'"' || value[0] == L'\'') && value.back() == value[0]) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

}  // namespace

IniEncoding DetectIniEncoding(const std::string& bytes) {
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return IniEncoding::Utf16;
    if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return IniEncoding::Utf16BigEndian;
    if (HasUtf8Mark(bytes)) return IniEncoding::Utf8;
    bool beyondAscii = false;
    for (size_t pos = 0; pos < bytes.size();) {
        if (static_cast<unsigned char>(bytes[pos]) >= 0x80) beyondAscii = true;
        if (NextCodePoint(bytes, pos) < 0) return IniEncoding::Ansi;
    }
    return beyondAscii ? IniEncoding::Utf8 : IniEncoding::Ansi;
}

std::wstring DecodeUtf8(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t pos = 0; pos < bytes.size();) {
        int32_t code = NextCodePoint(bytes, pos);
        if (code < 0) code = 0xFFFD;
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (code >> 10));
            text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            text += static_cast<wchar_t>(code);
        }
    }
    return text;
}

std::string EncodeUtf8(const std::wstring& text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = static_cast<uint32_t>(text[i]);
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = 0xFFFD;
        if (code < 0x80) {
            bytes += static_cast<char>(code);
        } else if (code < 0x800) {
            bytes += static_cast<char>(0xC0 | (code >> 6));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            bytes += static_cast<char>(0xE0 | (code >> 12));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (code >> 18));
            bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

std::wstring DecodeUtf16(const std::string& bytes, bool bigEndian) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t pos = 0; pos + 1 < bytes.size(); pos += 2) {
        const auto first = static_cast<unsigned char>(bytes[pos]);
        const auto second = static_cast<unsigned char>(bytes[pos + 1]);
        text += static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    return text;
}

std::string EncodeUtf16(const std::wstring& text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (wchar_t c : text) {
        const auto unit = static_cast<uint16_t>(c);  // code units; wider wchar_t holds no more here
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

std::wstring GetLayeredString(const IniValues& ini, const std::wstring& section, const std::wstring& key) {
    std::wstring value = ini.GetString(section, key);
    if (!value.empty()) return value;
    value = ini.GetString(section + L"+", key);
    if (value.empty() || value[0] == L' ') return value;
    return L" " + value;
}

IniText IniText::Parse(const std::wstring& text) {
    IniText ini;
    ini.sections_.push_back(Section{});  // the keys before the first section
    for (const Line& line : SplitLines(text, TextStart(text))) {
        ParsedLine parsed = ParseLine(text.substr(line.begin, line.end - line.begin));
        if (parsed.kind == ParsedLine::Kind::Section) {
            ini.sections_.push_back(Section{std::move(parsed.name), {}});
        } else if (parsed.kind == ParsedLine::Kind::Key) {
            ini.sections_.back().entries.push_back(Entry{std::move(parsed.name), Unquote(parsed.value)});
        }
    }
    return ini;
}

std::wstring IniText::GetString(const std::wstring& section, const std::wstring& key) const {
    const std::wstring sectionName = TrimBlankSpace(section);
    const std::wstring keyName = TrimBlankSpace(key);
    for (const Section& candidate : sections_) {
        if (!SameName(candidate.name, sectionName)) continue;
        for (const Entry& entry : candidate.entries) {
            if (SameName(entry.key, keyName)) return entry.value;
        }
        return std::wstring();  // only the first section of a name counts
    }
    return std::wstring();
}

std::wstring SetIniTextValue(const std::wstring& text, const std::wstring& section, const std::wstring& key,
                             const std::wstring& value) {
    const std::wstring sectionName = TrimBlankSpace(section);
    const std::wstring keyName = TrimBlankSpace(key);
    const size_t start = TextStart(text);
    const std::vector<Line> lines = SplitLines(text, start);
    const std::wstring newline =
        text.find(L"\r\n") != std::wstring::npos || text.find(L'\n') == std::wstring::npos ? L"\r\n" : L"\n";
    const std::wstring keyLine = keyName + L"=" + value;
    const auto endsLine = [&](const std::wstring& part) {
        return part.size() <= start || part.back() == L'\n' || part.back() == L'\r';
    };

    // The first section of the name ("" before any section header) and, in it, the key's line.
    bool inSection = sectionName.empty();
    bool sectionSeen = inSection;
    size_t insertAt = inSection ? start : std::wstring::npos;
    for (const Line& line : lines) {
        const std::wstring lineText = text.substr(line.begin, line.end - line.begin);
        const ParsedLine parsed = ParseLine(lineText);
        if (parsed.kind == ParsedLine::Kind::Section) {
            if (inSection) break;
            if (!sectionSeen && SameName(parsed.name, sectionName)) {
                inSection = sectionSeen = true;
                insertAt = line.next;
            }
            continue;
        }
        if (!inSection) continue;
        if (parsed.kind == ParsedLine::Kind::Key && SameName(parsed.name, keyName)) {
            return text.substr(0, line.begin) + keyLine + text.substr(line.end);
        }
        if (!TrimBlankSpace(lineText).empty()) insertAt = line.next;  // after the section's last line that is not blank
    }
    if (sectionSeen) {
        std::wstring before = text.substr(0, insertAt);
        if (!endsLine(before)) before += newline;
        return before + keyLine + newline + text.substr(insertAt);
    }
    std::wstring result = text;
    if (!endsLine(result)) result += newline;
    return result + L"[" + sectionName + L"]" + newline + keyLine + newline;
}
