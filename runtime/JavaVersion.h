// Java version numbers as the launcher reads them from the INI file and the registry.
#pragma once

#include <cstdint>
#include <string>

struct JavaVersion {
    int32_t fields[4] = {0, 0, 0, 0};

    static JavaVersion Of(int32_t a, int32_t b, int32_t c, int32_t d) {
        JavaVersion v;
        v.fields[0] = a; v.fields[1] = b; v.fields[2] = c; v.fields[3] = d;
        return v;
    }
    static JavaVersion OpenMinimum() { return Of(0, 0, 0, 0); }
    static JavaVersion OpenMaximum() { return Of(65535, 65535, 65535, 65535); }

    friend bool operator==(const JavaVersion& a, const JavaVersion& b) {
        return a.fields[0] == b.fields[0] && a.fields[1] == b.fields[1] &&
               a.fields[2] == b.fields[2] && a.fields[3] == b.fields[3];
    }
    friend bool operator!=(const JavaVersion& a, const JavaVersion& b) { return !(a == b); }
};

constexpr int32_t kVersionFillMinimum = 0;
constexpr int32_t kVersionFillMaximum = 65535;

// Reads up to four runs of ASCII digits; any other characters separate them. Fields that no run
// reaches get `fill`. A text without digits, or a run above 2147483647, gives 0.0.0.0 and false.
bool ParseJavaVersion(const std::wstring& text, int32_t fill, JavaVersion& out);
JavaVersion ParseJavaVersion(const std::wstring& text, int32_t fill);

// -1, 0 or +1, field by field.
int CompareJavaVersions(const JavaVersion& a, const JavaVersion& b);

// True when `version` lies within [minimum, maximum], both ends inclusive.
bool IsWithinBounds(const JavaVersion& version, const JavaVersion& minimum, const JavaVersion& maximum);

// Trailing zero fields of `preferred` match anything; the others must be equal.
bool MatchesPreferredVersion(const JavaVersion& candidate, const JavaVersion& preferred);

// Dotted text up to the last field that is neither 0 nor 65535 (at least two fields).
std::wstring FormatJavaVersion(const JavaVersion& version);

// True for 0.0.0.0 and 65535.65535.65535.65535: no bound at all.
bool IsOpenBound(const JavaVersion& version);
