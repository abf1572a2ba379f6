#include "jre/ReleaseVendor.h"

namespace {

constexpr size_t kMaxValueLength = 128;

bool IsValueText(const std::string& value) {
    if (value.empty() || value.size() > kMaxValueLength) return false;
    for (char c : value) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E || c == '"') return false;
    }
    return true;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::wstring Widened(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

bool ReadReleaseValue(const std::string& data, bool complete, const char* key, std::string& value) {
    value.clear();
    const std::string prefix = std::string(key) + "=";
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        if (end == std::string::npos) {
            if (!complete) return false;  // cut short: the rest of this line is unknown
            end = data.size();
        }
        if (data.compare(start, prefix.size(), prefix) == 0) {
            size_t valueEnd = end;
            if (valueEnd > start && data[valueEnd - 1] == '\r') --valueEnd;
            std::string text = data.substr(start + prefix.size(), valueEnd - start - prefix.size());
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"') text = text.substr(1, text.size() - 2);
            if (!IsValueText(text)) return false;
            value = text;
            return true;
        }
        start = end + 1;
    }
    return false;
}

JavaProvider ProviderFromRelease(const std::string& data, bool complete, std::wstring& evidence) {
    std::string variant;
    if (ReadReleaseValue(data, complete, "JVM_VARIANT", variant)) {
        const std::string lower = LowerAscii(variant);
        if (lower == "hotspot") {
            evidence = L"JVM_VARIANT " + Widened(variant);
            return JavaProvider::Sun;
        }
        if (lower == "openj9" || lower == "j9") {
            evidence = L"JVM_VARIANT " + Widened(variant);
            return JavaProvider::Ibm;
        }
    }
    std::string implementor;
    if (ReadReleaseValue(data, complete, "IMPLEMENTOR", implementor)) {
        const std::string lower = LowerAscii(implementor);
        if (lower.find("ibm") != std::string::npos || lower.find("international business machines") != std::string::npos) {
            evidence = L"IMPLEMENTOR " + Widened(implementor);
            return JavaProvider::Ibm;
        }
        evidence = L"IMPLEMENTOR " + Widened(implementor);
        return JavaProvider::Sun;
    }
    evidence = L"no JVM_VARIANT or IMPLEMENTOR";
    return JavaProvider::Sun;
}
