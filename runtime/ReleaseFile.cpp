#include "runtime/ReleaseFile.h"

namespace {

const char kKey[] = "JAVA_VERSION=";
constexpr size_t kKeyLength = sizeof kKey - 1;
constexpr size_t kMaxValueLength = 64;

bool IsVersionText(const std::string& value) {
    if (value.empty() || value.size() > kMaxValueLength) return false;
    bool digit = false;
    for (char c : value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x21 || u > 0x7E || c == '"') return false;
        digit = digit || (c >= '0' && c <= '9');
    }
    return digit;
}

}  // namespace

ReleaseVersion ReadReleaseVersion(const std::string& data, bool complete, std::wstring& version) {
    version.clear();
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) {
            if (!complete) break;  // cut short: the rest of this line is unknown
            end = data.size();
        }
        if (data.compare(start, kKeyLength, kKey) == 0) {
            size_t valueEnd = end;
            if (valueEnd > start && data[valueEnd - 1] == '\r') --valueEnd;
            std::string value = data.substr(start + kKeyLength, valueEnd - start - kKeyLength);
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
                value = value.substr(1, value.size() - 2);
            }
            if (!IsVersionText(value)) return ReleaseVersion::Malformed;
            version.assign(value.begin(), value.end());
            return ReleaseVersion::Found;
        }
        start = end + 1;
    }
    return ReleaseVersion::Missing;
}

const wchar_t* ReleaseVersionText(ReleaseVersion result) {
    switch (result) {
    case ReleaseVersion::Found: return L"found";
    case ReleaseVersion::Missing: return L"no JAVA_VERSION line";
    case ReleaseVersion::Malformed: return L"malformed JAVA_VERSION";
    }
    return L"";
}
