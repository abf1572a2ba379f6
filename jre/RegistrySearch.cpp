#include "jre/RegistrySearch.h"

#include <algorithm>

#include "jre/JvmProbe.h"

const VendorKey kVendorKeys[5] = {
    {L"Software\\JavaSoft\\Java Development Kit\\", JavaKind::Jdk, JavaProvider::Sun},
    {L"Software\\JavaSoft\\Java Runtime Environment\\", JavaKind::Jre, JavaProvider::Sun},
    {L"Software\\JRockit\\Java Runtime Environment\\", JavaKind::Jre, JavaProvider::JRockit},
    {L"Software\\JRockit\\Java Development Kit\\", JavaKind::Jdk, JavaProvider::JRockit},
    {L"Software\\IBM\\Java2 Runtime Environment\\", JavaKind::Jre, JavaProvider::Ibm},
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

bool IsSunJreKey(const VendorKey& key) { return key.kind == JavaKind::Jre && key.provider == JavaProvider::Sun; }

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

std::wstring HomeFromJavaHome(const VendorKey& key, const std::wstring& javaHome) {
    std::wstring home = WithTrailingBackslash(javaHome);
    if (key.kind == JavaKind::Jdk) home += L"jre\\";
    return home;
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

std::vector<JreCandidate> CollectCandidates(JreSystem& system, const JreSettings& settings, uint32_t viewFlag) {
    std::vector<JreCandidate> candidates;
    std::vector<unsigned char> data;
    for (const VendorKey& key : kVendorKeys) {
        if (!IsKeySearched(key, settings)) continue;
        const bool favoured = IsKeyFavoured(key, settings);
        const JvmType probeType = ProbeTypeForKey(key, settings.jvmType);
        for (const std::wstring& name : system.RegistrySubkeyNames(key.path, viewFlag)) {
            const JavaVersion version = ParseJavaVersion(name, kVersionFillMinimum);
            if (!IsWithinBounds(version, settings.minimumVersion, settings.maximumVersion)) continue;

            data.clear();
            if (!system.RegistryJavaHomeData(key.path, name, viewFlag, data)) continue;
            const std::wstring javaHome = JavaHomeFromRegistryData(data.data(), data.size());
            if (javaHome.empty()) continue;

            JreCandidate candidate;
            candidate.home = HomeFromJavaHome(key, javaHome);
            const JvmProbeResult probe = ProbeJvmLibrary(system, candidate.home, probeType);
            if (!probe.Found()) continue;
            candidate.version = version;
            candidate.server = probe.server;
            candidate.favoured = favoured;
            candidates.push_back(std::move(candidate));
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

size_t PickCandidate(const std::vector<JreCandidate>& candidates, const std::vector<std::wstring>& preferredVersions) {
    for (const std::wstring& entry : preferredVersions) {
        const JavaVersion preferred = ParseJavaVersion(entry, kVersionFillMinimum);
        for (size_t i = 0; i < candidates.size(); ++i) {
            if (MatchesPreferredVersion(candidates[i].version, preferred)) return i;
        }
    }
    return 0;
}

uint32_t RegistryViewFlag(RegistryView view, Arch arch) {
    return view == RegistryView::Native ? 0 : OtherRegistryViewFlag(arch);
}

bool SearchRegistry(JreSystem& system, const JreSettings& settings, RegistryView view, RegistryJre& found) {
    if (view == RegistryView::Other && settings.pairProduct.empty()) return false;
    std::vector<JreCandidate> candidates =
        CollectCandidates(system, settings, RegistryViewFlag(view, system.Architecture()));
    if (candidates.empty()) return false;
    SortCandidates(candidates, settings);
    const JreCandidate& picked = candidates[PickCandidate(candidates, settings.preferredVersions)];
    found.home = picked.home;
    found.version = picked.version;
    return true;
}
