#include "jre/JavaFolderSearch.h"

#include <algorithm>

#include "base/DecimalText.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "jre/JvmProbe.h"
#include "jre/ReleaseFile.h"
#include "jre/ReleaseVendor.h"

// The vendors' and tools' documented default folders: Oracle installs to %ProgramFiles%\Java
// (jdk-21, jre1.8.0_401), Eclipse Temurin's MSI to %ProgramFiles%\Eclipse Adoptium
// (jdk-21.0.2.13-hotspot), the Microsoft Build of OpenJDK's MSI to %ProgramFiles%\Microsoft
// (jdk-21.0.2.13-hotspot, beside Microsoft's other products, hence the prefix), and scoop each app
// to <scoop>\apps\<app>\current for the user or, installed globally, under %ProgramData%.
// ProgramW6432 and ProgramFiles(x86) show the other architecture's folders, whose runtimes go to
// the pair product.
const UsualFolder kUsualFolders[kUsualFolderCount] = {
    {L"ProgramFiles", L"Java\\", L"", L""},
    {L"ProgramFiles", L"Eclipse Adoptium\\", L"", L""},
    {L"ProgramFiles", L"Microsoft\\", L"jdk-", L""},
    {L"ProgramW6432", L"Java\\", L"", L""},
    {L"ProgramW6432", L"Eclipse Adoptium\\", L"", L""},
    {L"ProgramW6432", L"Microsoft\\", L"jdk-", L""},
    {L"ProgramFiles(x86)", L"Java\\", L"", L""},
    {L"ProgramFiles(x86)", L"Eclipse Adoptium\\", L"", L""},
    {L"ProgramFiles(x86)", L"Microsoft\\", L"jdk-", L""},
    {L"USERPROFILE", L"scoop\\apps\\", L"", L"current\\"},
    {L"ProgramData", L"scoop\\apps\\", L"", L"current\\"},
};

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool EndsWithNoCase(const std::wstring& text, const std::wstring& end) {
    if (text.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i) {
        if (FoldAscii(text[text.size() - end.size() + i]) != FoldAscii(end[i])) return false;
    }
    return true;
}

std::wstring Trimmed(const std::wstring& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

std::wstring WithoutQuotes(const std::wstring& text) {
    std::wstring result;
    for (wchar_t c : text) {
        if (c != L'"') result += c;
    }
    return result;
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

void TraceCandidate(const std::wstring& source, const FolderCandidate& c) {
    std::wstring line = L"jre: candidate " + source + L" \"" + c.top + L"\": ";
    if (c.duplicate) {
        TraceLine(line + L"found before, not counted again");
        return;
    }
    if (!c.candidate.home.empty()) line += L"home \"" + c.candidate.home + L"\", ";
    if (!c.versionSource.empty()) {
        line += L"version " + FormatJavaVersion(c.candidate.version) + L" (" + c.versionSource + L"), ";
    }
    if (c.kindKnown) line += std::wstring(KindText(c.kind)) + L", ";
    line += ProviderText(c.provider);
    if (!c.providerEvidence.empty()) line += L" (" + c.providerEvidence + L")";
    if (!c.library.empty()) line += L", library " + c.library.substr(c.candidate.home.size());
    line += std::wstring(L", favoured ") + TraceFlag(c.candidate.favoured);
    line += c.admitted ? std::wstring(L": admitted") : L": rejected, " + c.reason;
    TraceLine(line);
}

// Whether a runtime has a JVM library of the wanted type, by the attribute query, the server
// library first: today's runtimes have only that one, so the usual answer costs one query. The
// server flag is exact where it orders candidates ("favor_server", whose order begins with the
// server library); for the default type it may say server for a runtime that also has a client
// library, which orders nothing. The pick is probed again in the documented order before its
// library is used.
JvmProbeResult ScreeningProbe(JreSystem& system, const std::wstring& home, JvmType type) {
    JvmProbeResult result;
    const std::wstring server = home + L"bin\\server\\jvm.dll";
    if (system.FileExistsQuick(server)) {
        result.library = server;
        result.server = true;
        return result;
    }
    size_t count = 0;
    const JvmProbeStep* steps = JvmProbeSteps(type, count);
    for (size_t i = 0; i < count; ++i) {
        if (!steps[i].server && system.FileExistsQuick(home + steps[i].subPath)) {
            result.library = home + steps[i].subPath;
            return result;
        }
    }
    return result;
}

// Gathers the examined runtimes of the three sources.
class Gathering {
public:
    Gathering(JreSystem& system, const JreSettings& settings, std::set<std::wstring>& seen, size_t& rejected)
        : system_(system), settings_(settings), seen_(seen), rejected_(rejected) {}

    void Add(const std::wstring& source, const std::wstring& top) {
        FolderCandidate c = ExamineJavaFolder(system_, settings_, top, seen_);
        if (TraceOn()) TraceCandidate(source, c);
        if (c.duplicate) return;
        if (!c.admitted) {
            if (c.runtime) ++rejected_;
            return;
        }
        admitted_.push_back(std::move(c));
    }

    // A folder text refused before anything was probed counts as no runtime found.
    static void TraceRefused(const std::wstring& source, const std::wstring& text, const std::wstring& reason) {
        if (TraceOn()) TraceLine(L"jre: " + source + L" \"" + text + L"\" not searched: " + reason);
    }

    std::vector<FolderCandidate>& Admitted() { return admitted_; }

private:
    JreSystem& system_;
    const JreSettings& settings_;
    std::set<std::wstring>& seen_;
    size_t& rejected_;
    std::vector<FolderCandidate> admitted_;
};

void SearchJavaHome(JreSystem& system, Gathering& gathering) {
    std::wstring raw;
    if (!system.EnvironmentVariable(L"JAVA_HOME", raw) || raw.empty()) {
        if (TraceOn()) TraceLine(L"jre: JAVA_HOME not set");
        return;
    }
    // A value the environment did not expand (set as a plain string) is expanded once.
    const std::wstring expanded = raw.find(L'%') != std::wstring::npos ? system.ExpandEnvironment(raw) : raw;
    const FolderText home = CleanJavaHome(expanded);
    if (!home.reason.empty()) {
        Gathering::TraceRefused(L"JAVA_HOME", expanded.substr(0, kMaxJavaFolderLength), home.reason);
        return;
    }
    if (TraceOn() && !home.note.empty()) TraceLine(L"jre: JAVA_HOME \"" + expanded + L"\" " + home.note);
    if (system.IsRemoteDrive(home.folder)) {
        Gathering::TraceRefused(L"JAVA_HOME", home.folder, L"a network drive, not probed");
        return;
    }
    gathering.Add(L"JAVA_HOME", home.folder);
}

void SearchPath(JreSystem& system, Gathering& gathering) {
    std::wstring path;
    if (!system.EnvironmentVariable(L"Path", path) || path.empty()) {
        if (TraceOn()) TraceLine(L"jre: Path not set");
        return;
    }
    const std::vector<PathEntry> entries = SplitPathVariable(path);
    size_t skipped = 0;
    size_t looked = 0;
    for (const PathEntry& entry : entries) {
        if (!entry.skipped.empty() || system.IsRemoteDrive(entry.folder)) {
            ++skipped;
            continue;
        }
        ++looked;
        const std::wstring javaExe = entry.folder + L"java.exe";
        if (!system.FileExists(javaExe)) continue;
        // A vendor's link folder (Oracle's ...\Common Files\Oracle\Java\javapath) holds links to the
        // runtime's own java.exe; a java.exe in a bin folder is taken where it lies.
        std::wstring resolved = javaExe;
        std::wstring home;
        if (!RuntimeOfJavaExe(javaExe, home) && !system.FinalPath(javaExe, resolved)) resolved = javaExe;
        if (TraceOn()) {
            TraceLine(L"jre: Path: " + DecimalText(entries.size()) + L" entries, " + DecimalText(skipped) +
                      L" skipped (empty, relative, network or app-execution aliases); first java.exe \"" + javaExe +
                      L"\"" + (resolved != javaExe ? L", a link to \"" + resolved + L"\"" : std::wstring()));
        }
        const std::wstring refused = RefusedFolderReason(resolved);
        if (!refused.empty()) {
            Gathering::TraceRefused(L"Path", resolved, refused);
        } else if (!RuntimeOfJavaExe(resolved, home)) {
            Gathering::TraceRefused(L"Path", resolved, L"java.exe does not lie in a runtime's bin folder");
        } else {
            gathering.Add(L"Path", home);
        }
        return;
    }
    if (TraceOn()) {
        TraceLine(L"jre: Path: " + DecimalText(entries.size()) + L" entries, " + DecimalText(skipped) +
                  L" skipped, " + DecimalText(looked) + L" looked into: no java.exe");
    }
}

void SearchUsualFolders(JreSystem& system, Gathering& gathering) {
    std::set<std::wstring> listed;
    for (const UsualFolder& usual : kUsualFolders) {
        std::wstring base;
        if (!system.EnvironmentVariable(usual.variable, base) || base.empty()) continue;
        const std::wstring folder = WithTrailingBackslash(base) + usual.subPath;
        if (!listed.insert(FolderKey(folder)).second) continue;  // ProgramW6432 is ProgramFiles in a 64-bit process
        const std::wstring refused = RefusedFolderReason(folder);
        if (!refused.empty() || system.IsRemoteDrive(folder)) {
            Gathering::TraceRefused(L"folder", folder, refused.empty() ? L"a network drive, not probed" : refused);
            continue;
        }
        std::vector<std::wstring> names;
        bool more = false;
        if (!system.SubfolderNames(folder, kMaxFolderEntries, names, more)) {
            if (TraceOn()) TraceLine(L"jre: folder \"" + folder + L"\": cannot be read");
            continue;
        }
        // The listing's order is the file system's; the runtimes' order is decided by their versions.
        std::sort(names.begin(), names.end(),
                  [](const std::wstring& a, const std::wstring& b) { return FolderKey(a) < FolderKey(b); });
        if (TraceOn()) {
            TraceLine(L"jre: folder \"" + folder + L"\": " + DecimalText(names.size()) + L" folders" +
                      (more ? L", stopped after " + DecimalText(kMaxFolderEntries) + L" entries" : std::wstring()));
        }
        for (const std::wstring& name : names) {
            if (!IsRuntimeFolderName(name, usual.namePrefix)) continue;
            gathering.Add(L"folder", folder + name + L"\\" + usual.below);
        }
    }
}

// The runtime that the registry's order and "Preferred versions" pick among `runtimes` (not
// empty), as an index into them.
size_t Pick(const std::vector<FolderCandidate>& runtimes, const JreSettings& settings, int& entry) {
    std::vector<JreCandidate> candidates;
    for (const FolderCandidate& runtime : runtimes) candidates.push_back(runtime.candidate);
    SortCandidates(candidates, settings);
    const JreCandidate& picked = candidates[PickCandidate(candidates, settings.preferredVersions, &entry)];
    for (size_t i = 0; i < runtimes.size(); ++i) {
        if (runtimes[i].candidate.home == picked.home) return i;  // homes are unique: duplicates were dropped
    }
    return 0;
}

void TracePick(const FolderCandidate& picked, size_t count, int entry, const JreSettings& settings) {
    if (!TraceOn()) return;
    std::wstring line = L"jre: picked \"" + picked.candidate.home + L"\" version " +
                        FormatJavaVersion(picked.candidate.version) + L" of " + DecimalText(count) +
                        L" runtimes found outside the registry: ";
    line += entry >= 0 ? L"matches Preferred versions entry \"" + settings.preferredVersions[entry] + L"\""
                       : std::wstring(L"first in order (favoured, server, newest)");
    if (picked.foreign) line += L"; of the other architecture, for the pair product";
    TraceLine(line);
}

}  // namespace

std::wstring RefusedFolderReason(const std::wstring& folder) {
    if (folder.size() > kMaxJavaFolderLength) return L"longer than " + DecimalText(kMaxJavaFolderLength) + L" characters";
    if (folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\') return L"a network or device path, not probed";
    const bool drive = folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
                       ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
    if (!drive) return L"not an absolute path";
    return std::wstring();
}

FolderText CleanJavaHome(const std::wstring& raw) {
    FolderText result;
    if (raw.size() > kMaxJavaFolderLength * 2) {
        result.reason = L"longer than " + DecimalText(kMaxJavaFolderLength) + L" characters";
        return result;
    }
    std::wstring text = Trimmed(raw);
    if (text.find(L'"') != std::wstring::npos) {
        text = Trimmed(WithoutQuotes(text));
        result.note = L"without its quotes";
    }
    bool semicolon = false;
    while (!text.empty() && (text.back() == L';' || text.back() == L'\\' || IsBlank(text.back()))) {
        semicolon = semicolon || text.back() == L';';
        text.pop_back();
    }
    if (semicolon) result.note += std::wstring(result.note.empty() ? L"" : L", ") + L"without its trailing semicolon";
    // "C:\" alone is a drive, not a runtime, but it is probed like any folder.
    if (text.size() == 2 && text[1] == L':') text += L'\\';
    if (EndsWithNoCase(text, L"\\bin")) {
        text.resize(text.size() - 4);
        result.note += std::wstring(result.note.empty() ? L"" : L", ") + L"names the bin folder: its parent is used";
    }
    result.folder = WithTrailingBackslash(text);
    result.reason = text.empty() ? std::wstring(L"empty") : RefusedFolderReason(result.folder);
    if (!result.reason.empty()) result.folder.clear();
    return result;
}

std::vector<PathEntry> SplitPathVariable(const std::wstring& path) {
    std::vector<PathEntry> entries;
    std::wstring current;
    bool inQuotes = false;
    auto finish = [&]() {
        PathEntry entry;
        const std::wstring text = Trimmed(current);
        current.clear();
        if (text.empty()) {
            entry.skipped = L"empty";
        } else {
            entry.folder = WithTrailingBackslash(text);
            entry.skipped = RefusedFolderReason(entry.folder);
            if (entry.skipped.empty() && EndsWithNoCase(entry.folder, L"\\Microsoft\\WindowsApps\\")) {
                entry.skipped = L"the Store's app-execution aliases";
            }
        }
        entries.push_back(std::move(entry));
    };
    for (wchar_t c : path) {
        if (c == L'"') {
            inQuotes = !inQuotes;
        } else if (c == L';' && !inQuotes) {
            finish();
        } else {
            current += c;
        }
    }
    if (!current.empty()) finish();
    return entries;
}

bool RuntimeOfJavaExe(const std::wstring& javaExe, std::wstring& home) {
    const std::wstring bin = FolderWithSlashOf(javaExe);
    if (!EndsWithNoCase(bin, L"\\bin\\")) return false;
    home = bin.substr(0, bin.size() - 4);
    return true;
}

bool IsRuntimeFolderName(const std::wstring& name, const wchar_t* prefix) {
    if (name.empty() || name == L"." || name == L"..") return false;
    const std::wstring start(prefix);
    if (name.size() < start.size()) return false;
    for (size_t i = 0; i < start.size(); ++i) {
        if (FoldAscii(name[i]) != FoldAscii(start[i])) return false;
    }
    return true;
}

std::wstring FolderKey(const std::wstring& folder) {
    std::wstring key = WithTrailingBackslash(folder);
    for (wchar_t& c : key) c = FoldAscii(c);
    return key;
}

FolderCandidate ExamineJavaFolder(JreSystem& system, const JreSettings& settings, const std::wstring& top,
                                  std::set<std::wstring>& seen) {
    FolderCandidate c;
    c.top = WithTrailingBackslash(top);
    // The runtime's home: the folder itself (a JRE, or a JDK of Java 9 and later), or the jre\ inside
    // a JDK of Java 8 and older. Asked by bin\java.dll, so that the usual answer costs one query.
    if (system.FileExistsQuick(c.top + L"bin\\java.dll")) {
        c.candidate.home = c.top;
    } else if (system.FileExistsQuick(c.top + L"jre\\bin\\java.dll")) {
        c.candidate.home = c.top + L"jre\\";
    } else {
        const std::wstring bare = c.top.substr(0, c.top.size() - 1);
        c.reason = system.FolderExists(bare) ? L"no Java runtime (no bin\\java.dll)"
                   : system.FileExists(bare) ? L"a file, not a folder"
                                             : L"no such folder";
        return c;
    }
    c.runtime = true;
    if (!seen.insert(FolderKey(c.candidate.home)).second) {
        c.duplicate = true;
        return c;
    }
    // The kind counts only when "JVM Source" chooses or favours one.
    c.kindKnown = !settings.searchBothKinds || settings.preferJdk != settings.preferJre;
    if (c.kindKnown) c.kind = system.FileExistsQuick(c.top + L"bin\\javac.exe") ? JavaKind::Jdk : JavaKind::Jre;

    std::string release;
    bool complete = false;
    const bool hasRelease = system.ReadFileStart(c.top + L"release", kReleaseFileReadLimit, release, complete);
    if (hasRelease) c.provider = ProviderFromRelease(release, complete, c.providerEvidence);

    const VendorKey asKey{L"", c.kind, c.provider};
    c.candidate.favoured = IsKeyFavoured(asKey, settings);
    if (!hasRelease) {
        c.reason = L"no release file: its version is unknown";
        return c;
    }
    std::wstring versionText;
    const ReleaseVersion found = ReadReleaseVersion(release, complete, versionText);
    if (found != ReleaseVersion::Found || !ParseJavaVersion(versionText, kVersionFillMinimum, c.candidate.version)) {
        c.reason = std::wstring(L"release file: ") +
                   (found == ReleaseVersion::Found ? L"malformed JAVA_VERSION" : ReleaseVersionText(found));
        return c;
    }
    c.versionSource = L"release file";
    if (!IsWithinBounds(c.candidate.version, settings.minimumVersion, settings.maximumVersion)) {
        c.reason = L"outside Minimum Version / Maximum Version";
        return c;
    }
    if (!IsKeySearched(asKey, settings)) {
        c.reason = L"not wanted by JVM Source / VM Provider";
        return c;
    }
    const JvmProbeResult probe = ScreeningProbe(system, c.candidate.home, settings.jvmType);
    if (!probe.Found()) {
        c.reason = L"no JVM library of the wanted type";
        return c;
    }
    c.candidate.server = probe.server;
    c.library = probe.library;
    c.admitted = true;
    return c;
}

bool SearchJavaFolders(JreSystem& system, const JreSettings& settings, std::set<std::wstring>& seen, size_t& rejected,
                       FolderJre& found) {
    if (!settings.searchJavaFolders) {
        if (TraceOn()) TraceLine(L"jre: JAVA_HOME, Path and the usual folders not searched: Search Java Folders=no");
        return false;
    }
    Gathering gathering(system, settings, seen, rejected);
    SearchJavaHome(system, gathering);
    SearchPath(system, gathering);
    SearchUsualFolders(system, gathering);

    // The architecture is read from the library only of the runtime about to be picked: one that is
    // foreign is set aside (for the pair product, when there is one) and the pick made again.
    std::vector<FolderCandidate> own = std::move(gathering.Admitted());
    std::vector<FolderCandidate> foreign;
    while (!own.empty()) {
        int entry = -1;
        const size_t index = Pick(own, settings, entry);
        if (!system.IsForeignArchitecture(own[index].library)) {
            TracePick(own[index], own.size() + foreign.size(), entry, settings);
            found.home = own[index].candidate.home;
            found.version = own[index].candidate.version;
            found.foreign = false;
            return true;
        }
        own[index].foreign = true;
        if (settings.pairProduct.empty()) {
            if (TraceOn()) {
                TraceLine(L"jre: \"" + own[index].candidate.home +
                          L"\": rejected, a library of the other architecture, and no Pair Product");
            }
            ++rejected;
        } else {
            foreign.push_back(std::move(own[index]));
        }
        own.erase(own.begin() + static_cast<std::ptrdiff_t>(index));
    }
    if (foreign.empty()) {
        if (TraceOn()) TraceLine(L"jre: no runtime admitted outside the registry");
        return false;
    }
    int entry = -1;
    const FolderCandidate& picked = foreign[Pick(foreign, settings, entry)];
    TracePick(picked, foreign.size(), entry, settings);
    found.home = picked.candidate.home;
    found.version = picked.candidate.version;
    found.foreign = true;
    return true;
}
