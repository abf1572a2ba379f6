#include "runtime/JavaVersion.h"

#include "base/DecimalText.h"

namespace {

bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

bool ParseJavaVersion(const std::wstring& text, int32_t fill, JavaVersion& out) {
    out = JavaVersion();
    size_t pos = 0;
    const size_t size = text.size();
    int fieldCount = 0;
    while (fieldCount < 4) {
        while (pos < size && !IsAsciiDigit(text[pos])) ++pos;
        if (pos == size) break;
        int64_t value = 0;
        while (pos < size && IsAsciiDigit(text[pos])) {
            value = value * 10 + (text[pos] - L'0');
            if (value > 2147483647) {
                out = JavaVersion();
                return false;
            }
            ++pos;
        }
        out.fields[fieldCount++] = static_cast<int32_t>(value);
    }
    if (fieldCount == 0) return false;  // no digit at all: no fill either
    for (int i = fieldCount; i < 4; ++i) out.fields[i] = fill;
    return true;
}

JavaVersion ParseJavaVersion(const std::wstring& text, int32_t fill) {
    JavaVersion version;
    ParseJavaVersion(text, fill, version);
    return version;
}

int CompareJavaVersions(const JavaVersion& a, const JavaVersion& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.fields[i] < b.fields[i]) return -1;
        if (a.fields[i] > b.fields[i]) return 1;
    }
    return 0;
}

bool IsWithinBounds(const JavaVersion& version, const JavaVersion& minimum, const JavaVersion& maximum) {
    return CompareJavaVersions(version, maximum) <= 0 && CompareJavaVersions(version, minimum) >= 0;
}

bool MatchesPreferredVersion(const JavaVersion& candidate, const JavaVersion& preferred) {
    if (candidate == preferred) return true;
    int significant = 4;
    while (significant > 0 && preferred.fields[significant - 1] == 0) --significant;
    for (int i = 0; i < significant; ++i) {
        if (candidate.fields[i] != preferred.fields[i]) return false;
    }
    return true;
}

std::wstring FormatJavaVersion(const JavaVersion& version) {
    int last = -1;
    for (int i = 3; i >= 0; --i) {
        if (version.fields[i] != 0 && version.fields[i] != 65535) {
            last = i;
            break;
        }
    }
    if (last < 0) return L"0.0.0.0";
    if (last == 0) last = 1;
    std::wstring text;
    for (int i = 0; i <= last; ++i) {
        if (i > 0) text += L'.';
        text += DecimalText(version.fields[i]);
    }
    return text;
}

bool IsOpenBound(const JavaVersion& version) {
    return version == JavaVersion::OpenMinimum() || version == JavaVersion::OpenMaximum();
}
