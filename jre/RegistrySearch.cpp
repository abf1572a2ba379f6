#include "jre/RegistrySearch.h"

#include "base/DecimalText.h"

#include <algorithm>

#include "base/Trace.h"
#include "runtime/JvmProbe.h"
#include "runtime/ReleaseFile.h"

const VendorKey kVendorKeys[5] = {
    {L"Software\\JavaSoft\\Java Development Kit\\", JavaKind::Jdk, JavaProvider::Sun},
    {L"Software\\JavaSoft\\Java Runtime Environment\\", JavaKind::Jre, JavaProvider::Sun},
    {L"Software\\JRockit\\Java Runtime Environment\\", JavaKind::Jre, JavaProvider::JRockit},
    {L"Software\\JRockit\\Java Development Kit\\", JavaKind::Jdk, JavaProvider::JRockit},
    {L"Software\\IBM\\Java2 Runtime Environment\\", JavaKind::Jre, JavaProvider::Ibm},
};

// Java 9 and later register under JavaSoft\JDK and JavaSoft\JRE; the MSI installers of Eclipse
// Temurin (and AdoptOpenJDK before it) and of the Microsoft Build of OpenJDK register
// <vendor>\<JDK|JRE>\<version>\<hotspot|openj9>\MSI with the install folder in "Path".
const VendorKey kCurrentVendorKeys[kCurrentVendorKeyCount] = {
    {L"Software\\JavaSoft\\JDK\\", JavaKind::Jdk, JavaProvider::Sun, L"", L"JavaHome", true},
    {L"Software\\JavaSoft\\JRE\\", JavaKind::Jre, JavaProvider::Sun, L"", L"JavaHome", true},
    {L"Software\\Eclipse Adoptium\\JDK\\", JavaKind::Jdk, JavaProvider::Sun, L"\\hotspot\\MSI", L"Path", true},
    {L"Software\\Eclipse Adoptium\\JRE\\", JavaKind::Jre, JavaProvider::Sun, L"\\hotspot\\MSI", L"Path", true},
    {L"Software\\AdoptOpenJDK\\JDK\\", JavaKind::Jdk, JavaProvider::Sun, L"\\hotspot\\MSI", L"Path", true},
    {L"Software\\AdoptOpenJDK\\JRE\\", JavaKind::Jre, JavaProvider::Sun, L"\\hotspot\\MSI", L"Path", true},
    {L"Software\\AdoptOpenJDK\\JDK\\", JavaKind::Jdk, JavaProvider::Ibm, L"\\openj9\\MSI", L"Path", true},
    {L"Software\\AdoptOpenJDK\\JRE\\", JavaKind::Jre, JavaProvider::Ibm, L"\\openj9\\MSI", L"Path", true},
    {L"Software\\Microsoft\\JDK\\", JavaKind::Jdk, JavaProvider::Sun, L"\\hotspot\\MSI", L"Path", true},
};

namespace {

bool IsProviderAllowed(JavaProvider provider, const JreSettings& s) {
    switch (provider) {
    case JavaProvider::Sun: return s.sunAllowed || s.sunFavoured;
    case JavaProvider::JRockit: return s.jrockitAllowed || s.jrockitFavoured;
    case JavaProvider::Ibm: return s.ibmAllowed || s.ibmFavoured;
    }
    return false;
}

bool IsProviderFavoured(JavaProvider provider, const JreSettings& s) {
    switch (provider) {
    case JavaProvider::Sun: return s.sunFavoured;
    case JavaProvider::JRockit: return s.jrockitFavoured;
    case JavaProvider::Ibm: return s.ibmFavoured;
    }
    return false;
}

bool IsKindPreferred(JavaKind kind, const JreSettings& s) {
    return kind == JavaKind::Jdk ? s.preferJdk : s.preferJre;
}

// Only the classic Sun JRE key probes "favor_server" in the default order.
bool IsSunJreKey(const VendorKey& key) {
    return !key.current && key.kind == JavaKind::Jre && key.provider == JavaProvider::Sun;
}

const wchar_t* KindText(JavaKind kind) { return kind == JavaKind::Jdk ? L"JDK" : L"JRE"; }

const wchar_t* ProviderText(JavaProvider provider) {
    switch (provider) {
    case JavaProvider::Sun: return L"Sun";
    case JavaProvider::JRockit: return L"JRockit";
    case JavaProvider::Ibm: return L"IBM";
    }
    return L"";
}

std::wstring RootText(RegistryRoot root) { return root == RegistryRoot::LocalMachine ? L"HKLM\\" : L"HKCU\\"; }

std::wstring ViewText(uint32_t viewFlag) {
    if (viewFlag == 0) return L"own view";
    return viewFlag == 0x0200 ? L"32-bit view" : L"64-bit view";
}

// One vendor key in one hive, as searched.
struct KeyInHive {
    const VendorKey* key;
    RegistryRoot root;
};

std::vector<KeyInHive> KeysInSearchOrder() {
    std::vector<KeyInHive> keys;
    for (const VendorKey& key : kVendorKeys) keys.push_back({&key, RegistryRoot::LocalMachine});
    for (const VendorKey& key : kCurrentVendorKeys) keys.push_back({&key, RegistryRoot::LocalMachine});
    for (const VendorKey& key : kCurrentVendorKeys) keys.push_back({&key, RegistryRoot::CurrentUser});
    return keys;
}

// Examines one version subkey. True with `candidate` filled when it is admitted; otherwise
// `reason` says why not.
bool ExamineVersion(JreSystem& system, const JreSettings& settings, const KeyInHive& where, uint32_t viewFlag,
                    const std::wstring& name, JreCandidate& candidate, std::wstring& versionSource,
                    std::wstring& reason) {
    const VendorKey& key = *where.key;
    if (!key.current) {
        candidate.version = ParseJavaVersion(name, kVersionFillMinimum);
        versionSource = L"subkey name";
        if (const wchar_t* refusal = BoundsRefusal(candidate.version, settings)) {
            reason = refusal;
            return false;
        }
    }
    std::vector<unsigned char> data;
    if (!system.RegistryValueData(where.root, key.path + name + key.homeSubkey, key.homeValue, viewFlag, data)) {
        reason = std::wstring(L"no value \"") + key.homeValue + L"\"";
        return false;
    }
    const std::wstring registered = JavaHomeFromRegistryData(data.data(), data.size());
    if (registered.empty()) {
        reason = std::wstring(L"empty value \"") + key.homeValue + L"\"";
        return false;
    }
    candidate.home = RuntimeHome(system, key.kind, registered);
    if (key.current) {
        candidate.version = RuntimeVersion(system, WithTrailingBackslash(registered), name, versionSource);
        if (const wchar_t* refusal = BoundsRefusal(candidate.version, settings)) {
            reason = refusal;
            return false;
        }
    }
    const JvmProbeResult probe = ProbeJvmLibrary(system, candidate.home, ProbeTypeForKey(key, settings.jvmType));
    if (!probe.Found()) {
        reason = L"no JVM library of the wanted type";
        return false;
    }
    // HKEY_CURRENT_USER\Software is one key for both registry views: there the library itself
    // tells which view (and so which launcher) a per-user runtime belongs to.
    if (where.root == RegistryRoot::CurrentUser) {
        const bool foreign = system.IsForeignArchitecture(probe.library);
        if (foreign != (viewFlag != 0)) {
            reason = foreign ? L"a library of the other architecture" : L"a library of the launcher's own architecture";
            return false;
        }
    }
    candidate.server = probe.server;
    candidate.favoured = IsKeyFavoured(key, settings);
    return true;
}

void TraceCandidate(const KeyInHive& where, const std::wstring& name, const JreCandidate& candidate,
                    const std::wstring& versionSource, bool admitted, const std::wstring& reason) {
    const VendorKey& key = *where.key;
    std::wstring line = L"jre: candidate " + RootText(where.root) + key.path + name + key.homeSubkey + L":";
    if (!candidate.home.empty()) line += L" home \"" + candidate.home + L"\",";
    if (!versionSource.empty()) {
        line += L" version " + FormatJavaVersion(candidate.version) + L" (" + versionSource + L"),";
    }
    line += std::wstring(L" ") + KindText(key.kind) + L", " + ProviderText(key.provider);
    line += std::wstring(L", server ") + TraceFlag(candidate.server) + L", favoured " + TraceFlag(candidate.favoured);
    line += admitted ? L": admitted" : L": rejected, " + reason;
    TraceLine(line);
}

}  // namespace

bool IsKeySearched(const VendorKey& key, const JreSettings& settings) {
    const bool kindWanted = settings.searchBothKinds || IsKindPreferred(key.kind, settings);
    return kindWanted && IsProviderAllowed(key.provider, settings);
}

bool IsKeyFavoured(const VendorKey& key, const JreSettings& settings) {
    return IsKindPreferred(key.kind, settings) && IsProviderFavoured(key.provider, settings);
}

JvmType ProbeTypeForKey(const VendorKey& key, JvmType type) {
    return IsSunJreKey(key) && type == JvmType::FavorServer ? JvmType::Default : type;
}

std::wstring RuntimeHome(JreSystem& system, JavaKind kind, const std::wstring& javaHome) {
    const std::wstring home = WithTrailingBackslash(javaHome);
    if (kind == JavaKind::Jdk && system.FolderExists(home + L"jre")) return home + L"jre\\";
    return home;
}

JavaVersion RuntimeVersion(JreSystem& system, const std::wstring& folder, const std::wstring& subkeyName,
                           std::wstring& source) {
    std::string data;
    bool complete = false;
    if (system.ReadFileStart(folder + L"release", kReleaseFileReadLimit, data, complete)) {
        std::wstring text;
        const ReleaseVersion found = ReadReleaseVersion(data, complete, text);
        JavaVersion version;
        if (found == ReleaseVersion::Found && ParseJavaVersion(text, kVersionFillMinimum, version)) {
            source = L"release file";
            return version;
        }
        source = std::wstring(L"subkey name; release file: ") +
                 (found == ReleaseVersion::Found ? L"malformed JAVA_VERSION" : ReleaseVersionText(found));
    } else {
        source = L"subkey name; no release file";
    }
    return ParseJavaVersion(subkeyName, kVersionFillMinimum);
}

std::wstring JavaHomeFromRegistryData(const unsigned char* data, size_t size) {
    std::wstring text;
    if (data == nullptr) return text;
    const size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        const wchar_t unit = static_cast<wchar_t>(data[2 * i] | (data[2 * i + 1] << 8));
        if (unit == L'\0') break;
        text += unit;
    }
    return text;
}

std::vector<JreCandidate> CollectCandidates(JreSystem& system, const JreSettings& settings, uint32_t viewFlag,
                                            std::vector<std::wstring>* refusedHomes) {
    std::vector<JreCandidate> candidates;
    for (const KeyInHive& where : KeysInSearchOrder()) {
        const VendorKey& key = *where.key;
        if (!IsKeySearched(key, settings)) {
            if (TraceOn()) {
                TraceLine(L"jre: key " + RootText(where.root) + key.path +
                          (*key.homeSubkey != L'\0' ? L"<version>" + std::wstring(key.homeSubkey) : L"") +
                          L" skipped by JVM Source / VM Provider");
            }
            continue;
        }
        const std::vector<std::wstring> names = system.RegistrySubkeyNames(where.root, key.path, viewFlag);
        if (TraceOn()) {
            TraceLine(L"jre: key " + RootText(where.root) + key.path + L" in the " + ViewText(viewFlag) + L": " +
                      DecimalText(names.size()) + L" subkeys");
        }
        for (const std::wstring& name : names) {
            JreCandidate candidate;
            std::wstring versionSource;
            std::wstring reason;
            const bool admitted = ExamineVersion(system, settings, where, viewFlag, name, candidate, versionSource, reason);
            if (TraceOn()) TraceCandidate(where, name, candidate, versionSource, admitted, reason);
            if (admitted) {
                candidates.push_back(std::move(candidate));
            } else if (refusedHomes != nullptr && !candidate.home.empty() && HasJavaLibrary(system, candidate.home)) {
                refusedHomes->push_back(candidate.home);
            }
        }
    }
    return candidates;
}

void SortCandidates(std::vector<JreCandidate>& candidates, const JreSettings& settings) {
    const bool byFavour = settings.searchBothKinds;
    const bool byServer = settings.jvmType == JvmType::FavorServer;
    std::stable_sort(candidates.begin(), candidates.end(), [&](const JreCandidate& a, const JreCandidate& b) {
        if (byFavour && a.favoured != b.favoured) return a.favoured;
        if (byServer && a.server != b.server) return a.server;
        return CompareJavaVersions(a.version, b.version) > 0;
    });
}

size_t PickCandidate(const std::vector<JreCandidate>& candidates, const std::vector<std::wstring>& preferredVersions,
                     int* entry) {
    if (entry != nullptr) *entry = -1;
    for (size_t e = 0; e < preferredVersions.size(); ++e) {
        const JavaVersion preferred = ParseJavaVersion(preferredVersions[e], kVersionFillMinimum);
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (MatchesPreferredVersion(candidates[i].version, preferred)) {
                if (entry != nullptr) *entry = static_cast<int>(e);
                return i;
            }
        }
    }
    return 0;
}

uint32_t RegistryViewFlag(RegistryView view, Arch arch) {
    return view == RegistryView::Native ? 0 : OtherRegistryViewFlag(arch);
}

bool SearchRegistry(JreSystem& system, const JreSettings& settings, RegistryView view, RegistryJre& found,
                    std::vector<std::wstring>* refusedHomes) {
    if (view == RegistryView::Other && settings.pairProduct.empty()) {
        if (TraceOn()) TraceLine(L"jre: other registry view not searched: no Pair Product");
        return false;
    }
    std::vector<JreCandidate> candidates =
        CollectCandidates(system, settings, RegistryViewFlag(view, system.Architecture()), refusedHomes);
    if (candidates.empty()) {
        if (TraceOn()) TraceLine(L"jre: no registry candidate admitted");
        return false;
    }
    SortCandidates(candidates, settings);
    int entry = -1;
    const JreCandidate& picked = candidates[PickCandidate(candidates, settings.preferredVersions, &entry)];
    if (TraceOn()) {
        std::wstring line = L"jre: picked \"" + picked.home + L"\" version " + FormatJavaVersion(picked.version) +
                            L" of " + DecimalText(candidates.size()) + L" candidates: ";
        line += entry >= 0 ? L"matches Preferred versions entry \"" + settings.preferredVersions[entry] + L"\""
                           : std::wstring(L"first in order (favoured, server, newest)");
        TraceLine(line);
    }
    found.home = picked.home;
    found.version = picked.version;
    return true;
}
