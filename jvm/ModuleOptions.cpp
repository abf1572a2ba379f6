#include "jvm/ModuleOptions.h"

namespace {

bool IsIdentifierStart(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || c == L'_' || c == L'$' || c > 0x7F;
}
bool IsIdentifierPart(wchar_t c) { return IsIdentifierStart(c) || (c >= L'0' && c <= L'9'); }

const wchar_t kModulePathOption[] = L"--module-path=";

// java.exe's options whose value may follow as its own argument, with the name the VM knows.
struct SplitOption {
    const wchar_t* written;
    const wchar_t* joined;
};
const SplitOption kSplitOptions[] = {
    {L"--module-path", L"--module-path="},
    {L"-p", L"--module-path="},
    {L"--upgrade-module-path", L"--upgrade-module-path="},
    {L"--add-modules", L"--add-modules="},
    {L"--limit-modules", L"--limit-modules="},
    {L"--add-reads", L"--add-reads="},
    {L"--add-exports", L"--add-exports="},
    {L"--add-opens", L"--add-opens="},
    {L"--patch-module", L"--patch-module="},
    {L"--enable-native-access", L"--enable-native-access="},
};

}  // namespace

bool IsQualifiedJavaName(const std::wstring& text) {
    bool partStart = true;
    for (wchar_t c : text) {
        if (c == L'.') {
            if (partStart) return false;  // a leading dot or two in a row
            partStart = true;
            continue;
        }
        // U+0085 and U+00A0 pass the test above but are spaces, not letters.
        if (c == 0x85 || c == 0xA0 || c == 0x2028 || c == 0x2029 || c == 0x3000 || (c >= 0x2000 && c <= 0x200A)) {
            return false;
        }
        if (partStart ? !IsIdentifierStart(c) : !IsIdentifierPart(c)) return false;
        partStart = false;
    }
    return !partStart;
}

bool ParseMainModule(const std::wstring& text, MainModuleName& out) {
    out = MainModuleName();
    const size_t slash = text.find(L'/');
    MainModuleName name;
    name.module = text.substr(0, slash);
    if (slash != std::wstring::npos) {
        name.mainClass = text.substr(slash + 1);
        if (!IsQualifiedJavaName(name.mainClass)) return false;  // empty, a second slash, a space
    }
    if (!IsQualifiedJavaName(name.module)) return false;
    out = name;
    return true;
}

std::wstring MainModuleText(const MainModuleName& name) {
    return name.mainClass.empty() ? name.module : name.module + L"/" + name.mainClass;
}

void JoinModuleOptionValues(std::vector<std::wstring>& tokens) {
    std::vector<std::wstring> joined;
    joined.reserve(tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        const SplitOption* split = nullptr;
        for (const SplitOption& option : kSplitOptions) {
            if (tokens[i] == option.written) split = &option;
        }
        if (split != nullptr && i + 1 < tokens.size()) {
            joined.push_back(split->joined + tokens[++i]);
        } else {
            joined.push_back(std::move(tokens[i]));
        }
    }
    tokens = std::move(joined);
}

std::vector<std::wstring> MainModuleOptions(const std::wstring& module, const std::wstring& modulePath) {
    std::vector<std::wstring> options;
    if (!modulePath.empty()) options.push_back(kModulePathOption + modulePath);
    options.push_back(L"-Djdk.module.main=" + module);
    return options;
}
