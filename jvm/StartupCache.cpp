#include "jvm/StartupCache.h"

#include "jvm/JavaStart.h"

#include "base/DecimalText.h"
#include "base/TextHash.h"
#include "base/TextSplit.h"

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.compare(0, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

bool AllOf(const std::wstring& text, size_t from, size_t to, bool (*test)(wchar_t)) {
    if (from >= to || to > text.size()) return false;
    for (size_t i = from; i < to; ++i) {
        if (!test(text[i])) return false;
    }
    return true;
}
bool IsHexDigit(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f'); }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

const wchar_t kClassPathOption[] = L"-Djava.class.path=";
constexpr size_t kKeyDigits = 16;

// The value of up to 9 decimal digits.
uint32_t DecimalValue(const std::wstring& digits) {
    uint32_t value = 0;
    for (wchar_t c : digits) value = value * 10 + static_cast<uint32_t>(c - L'0');
    return value;
}

std::wstring HexDigits(uint64_t value) {
    std::wstring digits(kKeyDigits, L'0');
    for (size_t i = kKeyDigits; i-- > 0; value >>= 4) digits[i] = L"0123456789abcdef"[value & 15];
    return digits;
}

// Options by which the start already asks for a class-data archive or cache of its own, or for
// none at all: the launcher then leaves sharing to them.
const wchar_t* const kSharingOptions[] = {
    L"-XX:AOT", L"-XX:SharedArchiveFile", L"-XX:ArchiveClassesAtExit", L"-XX:+AutoCreateSharedArchive",
    L"-XX:SharedClassListFile", L"-XX:DumpLoadedClassList", L"-XX:+UseSharedSpaces", L"-XX:-UseSharedSpaces",
    L"-Xshare",
};

// System properties do not change what the VM keeps in a cache, except these (the few that the VM
// itself checks when it opens one).
bool PropertyMattersToCache(const std::wstring& option) {
    return StartsWith(option, kClassPathOption) || StartsWith(option, L"-Djdk.module.") ||
           StartsWith(option, L"-Djava.system.class.loader");
}

}  // namespace

CacheMechanism ChooseCacheMechanism(const CacheRuntime& runtime, std::wstring& reason) {
    reason.clear();
    const int32_t featureVersion = runtime.featureVersion;
    if (featureVersion >= 19 && runtime.hasJavaExe) return CacheMechanism::ClassListArchive;
    if (featureVersion >= 25) {
        reason = L"the runtime has no bin\\java.exe, which assembles the cache";
        return CacheMechanism::None;
    }
    if (featureVersion >= 19) {
        if (runtime.hasBaseArchive) return CacheMechanism::DynamicArchive;
        reason = L"the runtime has neither bin\\java.exe nor a base class-data archive (bin\\server\\classes.jsa)";
        return CacheMechanism::None;
    }
    reason = featureVersion <= 0 ? L"the runtime's version is unknown" : L"runtimes before Java 19 keep no cache";
    return CacheMechanism::None;
}

std::wstring CacheBlockedByOptions(const std::vector<std::wstring>& vmOptions) {
    for (const std::wstring& option : vmOptions) {
        for (const wchar_t* sharing : kSharingOptions) {
            if (StartsWith(option, sharing)) return L"the VM parameters choose class-data sharing: " + option;
        }
    }
    bool mainModule = false;
    for (const std::wstring& option : vmOptions) mainModule = mainModule || StartsWith(option, L"-Djdk.module.main=");
    if (ClassPathOptionEntries(vmOptions).empty() && !mainModule) return L"the class path is empty";
    return std::wstring();
}

std::wstring StartupCacheKey(const std::wstring& runtimeHome, const std::wstring& releaseVersion,
                             const std::vector<std::wstring>& vmOptions, const std::wstring& fileStamps) {
    // Each text closed by a zero unit, so that no two lists of texts hash alike by their joints.
    TextHash hash;
    std::wstring home = runtimeHome;
    for (wchar_t& c : home) c = AsciiLower(c);  // one folder, however its letters are cased
    while (!home.empty() && home.back() == L'\\') home.pop_back();
    hash.Add(home).AddUnit(0);
    hash.Add(releaseVersion).AddUnit(0);
    for (const std::wstring& option : vmOptions) {
        if (!StartsWith(option, L"-D") || PropertyMattersToCache(option)) hash.Add(option).AddUnit(0);
    }
    hash.Add(fileStamps).AddUnit(0);
    return HexDigits(hash.value());
}

bool VmTakesCachePathAsIs(const std::wstring& path) { return path.find(L'%') == std::wstring::npos; }

StartupCacheNames MakeStartupCacheNames(const std::wstring& stem, const std::wstring& key, CacheMechanism mechanism,
                                        uint32_t processId) {
    StartupCacheNames names;
    names.cache = stem + L"." + key + (mechanism == CacheMechanism::DynamicArchive ? L".jsa" : L".aot");
    names.temp = stem + L"." + key + L"." + DecimalText(processId) + L".tmp";
    names.failed = stem + L"." + key + L".failed";
    return names;
}

std::vector<std::wstring> ObsoleteCacheFiles(const std::vector<CacheFolderFile>& files, const std::wstring& stem,
                                             const std::wstring& currentKey, bool (*recorderGone)(uint32_t)) {
    std::vector<std::wstring> obsolete;
    for (const CacheFolderFile& file : files) {
        const std::wstring& name = file.name;
        // "<stem>.<key>." and then "aot", "jsa", "failed", "<pid>.tmp" or "<pid>.tmp.<kind>".
        const size_t key = stem.size() + 1;
        const size_t rest = key + kKeyDigits + 1;
        if (name.size() <= rest || !EqualsAsciiNoCase(name.substr(0, stem.size()), stem) || name[stem.size()] != L'.' ||
            !AllOf(name, key, key + kKeyDigits, IsHexDigit) || name[rest - 1] != L'.') {
            continue;
        }
        const bool current = name.compare(key, kKeyDigits, currentKey) == 0;
        const std::wstring tail = name.substr(rest);
        if (tail == L"aot" || tail == L"jsa" || tail == L"failed") {
            if (!current || (tail == L"failed" && file.stale)) obsolete.push_back(name);
            continue;
        }
        const size_t dot = tail.find(L'.');
        const std::wstring kind = dot == std::wstring::npos ? std::wstring() : tail.substr(dot);
        if (!AllOf(tail, 0, dot, IsDigit) || dot > 9 ||
            (kind != L".tmp" && kind != L".tmp.config" && kind != L".tmp.classlist" && kind != L".tmp.args" &&
             kind != L".tmp.log")) {
            continue;
        }
        if (file.stale || (current && recorderGone != nullptr &&
                           recorderGone(DecimalValue(tail.substr(0, dot))))) {
            obsolete.push_back(name);
        }
    }
    return obsolete;
}

std::vector<std::wstring> StartupCacheOptions(CacheMechanism mechanism, int32_t featureVersion, bool create,
                                              const std::wstring& cachePath, const std::wstring& tempPath) {
    if (mechanism == CacheMechanism::None) return {};
    std::vector<std::wstring> options;
    // The VM's warnings about a cache it cannot use or write would otherwise reach the console.
    // The "aot" tag only exists from Java 25 on; an unknown tag would stop an older VM.
    options.push_back(featureVersion >= 25 ? L"-Xlog:aot*=off,cds*=off" : L"-Xlog:cds*=off");
    if (create && mechanism == CacheMechanism::ClassListArchive) {
        // Only the list of the classes as they load, which costs the start next to nothing: the
        // archive is assembled from it by a process of its own once this one has ended.
        options.push_back(L"-XX:DumpLoadedClassList=" + ClassListPathOf(tempPath));
    } else if (create) {
        options.push_back(L"-XX:ArchiveClassesAtExit=" + tempPath);
    } else {
        options.push_back(L"-XX:SharedArchiveFile=" + cachePath);
        // Without its checksums a damaged cache can crash the VM instead of being ignored.
        options.push_back(L"-XX:+VerifySharedSpaces");
    }
    return options;
}

const wchar_t* CacheMechanismText(CacheMechanism mechanism) {
    switch (mechanism) {
        case CacheMechanism::ClassListArchive: return L"class-data archive";
        case CacheMechanism::DynamicArchive: return L"dynamic class-data archive";
        default: return L"none";
    }
}

CacheStep DecideCacheStep(const CacheKeyState& state, std::wstring& reason) {
    reason.clear();
    if (state.cacheExists) return CacheStep::Use;
    if (state.assemblyUnderWay) {
        reason = L"the cache is being assembled; this start runs without it";
        return CacheStep::None;
    }
    if (state.failedRecently) {
        reason = L"making this cache failed within the last hour";
        return CacheStep::None;
    }
    return CacheStep::Create;
}

bool ShouldAssemble(const AssemblyState& state, std::wstring& reason) {
    reason.clear();
    if (!state.classListExists) {
        reason = L"the VM recorded no class list";
    } else if (state.cacheExists) {
        reason = L"the cache exists already";
    } else if (state.anotherAssembly) {
        reason = L"another process assembles this cache";
    } else if (state.batterySaver) {
        reason = L"the system saves battery; a later start records again";
    }
    return reason.empty();
}

std::wstring AssemblyFailure(const AssemblyEnd& end) {
    if (!end.finished) {
        return L"stopped after " + DecimalText(kAssemblyTimeLimitMs / 1000) + L" s";
    }
    if (end.exitCode != 0) return L"the runtime ended with exit code " + DecimalText(end.exitCode);
    if (end.tempSize == 0) return L"the runtime wrote no cache";
    return std::wstring();
}

std::wstring AssemblyLockName(const std::wstring& cachePath) {
    // Kernel object names take no backslash, and a path can be longer than a name may be.
    std::wstring folded = cachePath;
    for (wchar_t& c : folded) c = AsciiLower(c);
    return L"Local\\StartupCacheAssembly." + HexDigits(TextHash().Add(folded).value());
}

std::vector<std::wstring> AssemblyJavaArguments(const std::vector<std::wstring>& vmOptions, int32_t featureVersion,
                                                const std::wstring& classListPath, const std::wstring& tempPath) {
    std::vector<std::wstring> arguments;
    for (const std::wstring& option : vmOptions) {
        // Logging would write the application's log files from the cache folder; the start's own
        // cache options are replaced by the assembly's.
        if (StartsWith(option, L"-Xlog") || StartsWith(option, L"-verbose") ||
            StartsWith(option, L"-XX:DumpLoadedClassList") || StartsWith(option, kClassPathOption)) {
            continue;
        }
        if (StartsWith(option, L"-D") && !PropertyMattersToCache(option)) continue;
        arguments.push_back(option);
    }
    std::wstring classPath;
    for (const std::wstring& entry : ClassPathOptionEntries(vmOptions)) {
        if (!classPath.empty()) classPath += L';';
        classPath += entry;
    }
    arguments.push_back(L"-cp");
    arguments.push_back(classPath);
    arguments.push_back(L"-Xshare:dump");
    arguments.push_back(L"-XX:SharedClassListFile=" + classListPath);
    arguments.push_back(L"-XX:SharedArchiveFile=" + tempPath);
    // Linked ahead of time too, from Java 24 on: the classes are ready for use as they load.
    if (featureVersion >= 24) arguments.push_back(L"-XX:+AOTClassLinking");
    return arguments;
}

std::wstring JavaArgumentFileText(const std::vector<std::wstring>& arguments) {
    std::wstring text;
    for (const std::wstring& argument : arguments) {
        text += L'"';
        for (wchar_t c : argument) {
            if (c == L'\\' || c == L'"') text += L'\\';
            text += c;
        }
        text += L"\"\r\n";
    }
    return text;
}

std::wstring ClassListPathOf(const std::wstring& tempPath) { return tempPath + L".classlist"; }
std::wstring ArgumentFilePathOf(const std::wstring& tempPath) { return tempPath + L".args"; }
std::wstring AssemblyLogPathOf(const std::wstring& tempPath) { return tempPath + L".log"; }
