// Times the registry search over 500 registered versions: 100 subkeys under each of the five
// vendor keys, each "JavaHome" naming its own folder whose library lies at one of the five probe
// positions. Prints the best and the median of the runs in milliseconds.
//
//   tests/wine/run.sh build/win64/bench/registry_search_bench.exe [runs]
//
// Changes the vendor keys of HKEY_LOCAL_MACHINE in the prefix it runs in and removes them again:
// run it in a prefix of its own (MARLWICK_WINEPREFIX=...).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "launcher/Settings.h"
#include "jre/JreSearch.h"
#include "launcher/Settings.h"
#include "jre/RegistrySearch.h"
#include "jre/Win32JreSystem.h"
#include "launcher/Settings.h"
#include "base/UniqueResource.h"

namespace {

const int kPerKey = 100;
const wchar_t* const kSubPaths[] = {L"bin\\client\\", L"bin\\classic\\", L"bin\\hotspot\\", L"bin\\server\\",
                                    L"bin\\jrockit\\"};

void MakeFolders(const std::wstring& path) {
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(path.c_str(), nullptr);
}

void TouchFile(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

void DeleteVendorKeys(REGSAM view) {
    for (const VendorKey& key : kVendorKeys) {
        std::wstring path(key.path);
        path.pop_back();
        const size_t slash = path.rfind(L'\\');
        UniqueHKey parent;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, parent.put()) ==
            ERROR_SUCCESS) {
            RegDeleteTreeW(parent.get(), path.substr(slash + 1).c_str());
        }
    }
}

bool Register(REGSAM view, const std::wstring& key, const std::wstring& home) {
    UniqueHKey handle;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, handle.put(),
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(handle.get(), L"JavaHome", 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                          static_cast<DWORD>((home.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The search in the launcher's own view, or FindJre with everything in the other view (the own
// view's keys are then read and found empty first).
struct Timing {
    double best;
    double median;
    size_t candidates;
};

template <typename F>
Timing Measure(int runs, F search) {
    std::vector<double> times;
    size_t candidates = 0;
    for (int i = 0; i < runs; ++i) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        candidates = search();
        QueryPerformanceCounter(&end);
        times.push_back(Milliseconds(start, end));
    }
    std::sort(times.begin(), times.end());
    return {times.front(), times[times.size() / 2], candidates};
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 10;
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring root = std::wstring(temp) + L"marlwick-registry-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";

    const REGSAM own = kBuildArch == Arch::X64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    const REGSAM other = kBuildArch == Arch::X64 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    DeleteVendorKeys(own);
    DeleteVendorKeys(other);

    // 500 homes, shared by the two views' registrations.
    std::vector<std::pair<std::wstring, std::wstring>> registrations;  // (subkey path, JavaHome)
    int n = 0;
    for (const VendorKey& key : kVendorKeys) {
        for (int i = 0; i < kPerKey; ++i, ++n) {
            std::wstring home = root + L"jre" + std::to_wstring(n) + L"\\";
            const std::wstring jdkHome = key.kind == JavaKind::Jdk ? home + L"jre\\" : home;
            const std::wstring libraryFolder = jdkHome + kSubPaths[n % 5];
            MakeFolders(libraryFolder);
            TouchFile(libraryFolder + L"jvm.dll");
            const std::wstring version = L"1." + std::to_wstring(5 + i % 5) + L".0_" + std::to_wstring(i);
            registrations.emplace_back(std::wstring(key.path) + version, home);
        }
    }
    bool ok = true;
    for (const auto& r : registrations) ok = Register(own, r.first, r.second) && ok;

    JreSettings settings;
    settings.maximumVersion = JavaVersion::OpenMaximum();
    ApplyVmProvider(L"any", settings);  // all five keys, both kinds
    Win32JreSystem system;

    const Timing native = Measure(runs, [&] {
        return CollectCandidates(system, settings, RegistryViewFlag(RegistryView::Native, kBuildArch)).size();
    });
    RegistryJre found;
    const Timing search = Measure(runs, [&] {
        return static_cast<size_t>(SearchRegistry(system, settings, RegistryView::Native, found));
    });

    DeleteVendorKeys(own);
    for (const auto& r : registrations) ok = Register(other, r.first, r.second) && ok;
    settings.pairProduct = L"C:\\App\\Pair.exe";
    const Timing otherView = Measure(runs, [&] {
        RegistryJre picked;
        const bool inOwn = SearchRegistry(system, settings, RegistryView::Native, picked);
        return static_cast<size_t>(!inOwn && SearchRegistry(system, settings, RegistryView::Other, picked));
    });

    DeleteVendorKeys(own);
    DeleteVendorKeys(other);
    for (const auto& r : registrations) {
        // Homes are removed bottom-up; failures only leave files in the temporary folder.
        const std::wstring& home = r.second;
        for (const wchar_t* sub : kSubPaths) {
            for (const std::wstring& base : {home, home + L"jre\\"}) {
                DeleteFileW((base + sub + L"jvm.dll").c_str());
                RemoveDirectoryW((base + sub).c_str());
                RemoveDirectoryW((base + L"bin").c_str());
            }
        }
        RemoveDirectoryW((home + L"jre").c_str());
        RemoveDirectoryW(home.c_str());
    }
    RemoveDirectoryW(root.c_str());

    std::printf("registrations: %zu (setup %s)\n", registrations.size(), ok ? "ok" : "FAILED");
    std::printf("collect candidates, own view:         best %8.2f ms, median %8.2f ms, %zu candidates\n",
                native.best, native.median, native.candidates);
    std::printf("SearchRegistry, own view:             best %8.2f ms, median %8.2f ms\n", search.best, search.median);
    std::printf("own view empty, then the other view:  best %8.2f ms, median %8.2f ms (found %zu)\n", otherView.best,
                otherView.median, otherView.candidates);
    return ok && native.candidates == registrations.size() ? 0 : 1;
}
