#include "jre/JavaFolderSearch.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>

#include "base/DecimalText.h"
#include "base/PathText.h"
#include "base/TextSplit.h"
#include "base/Trace.h"
#include "runtime/JvmProbe.h"
#include "runtime/ReleaseFile.h"
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

bool EndsWithNoCase(const std::wstring& text, const wchar_t* end) {
    const size_t length = std::char_traits<wchar_t>::length(end);
    if (text.size() < length) return false;
    for (size_t i = 0; i < length; ++i) {
        if (AsciiLower(text[text.size() - length + i]) != AsciiLower(end[i])) return false;
    }
    return true;
}

// One trace line from its parts. Every line of this search is made here, which keeps the code of
// each caller small.
void Trace(std::initializer_list<std::wstring_view> parts) {
    if (!TraceOn()) return;
    std::wstring line = L"jre: ";
    for (std::wstring_view part : parts) line.append(part.data(), part.size());
    TraceLine(line);
}

void AddNote(std::wstring& note, const wchar_t* text) {
    if (!note.empty()) note += L", ";
    note += text;
}

const wchar_t* ProviderText(JavaProvider provider) {
    return provider == JavaProvider::Ibm ? L"IBM" : provider == JavaProvider::JRockit ? L"JRockit" : L"Sun";
}

void TraceCandidate(const wchar_t* source, const FolderCandidate& c) {
    if (!TraceOn()) return;
    if (c.duplicate) {
        Trace({L"candidate ", source, L" \"", c.top, L"\": found before, not counted again"});
        return;
    }
    const std::wstring version = c.versionSource.empty() ? std::wstring() : FormatJavaVersion(c.candidate.version);
    Trace({L"candidate ", source, L" \"", c.top, L"\": home \"", c.candidate.home, L"\", version ",
           version.empty() ? L"unknown" : version, L", ", !c.kindKnown ? L"" : c.kind == JavaKind::Jdk ? L"JDK, " : L"JRE, ",
           ProviderText(c.provider), L" (", c.providerEvidence, L")", c.library.empty() ? L"" : L", library \"",
           c.library, c.library.empty() ? L"" : L"\"", L", favoured ",
           TraceFlag(c.candidate.favoured), c.admitted ? L": admitted" : L": rejected, ", c.reason});
}

// Whether a runtime has a JVM library of the wanted type, by the attribute query, the server
// library first: today's runtimes have only that one, so the usual answer costs one query. The
// server flag is exact where it orders candidates ("favor_server", whose order begins with the
// server library); for the default type it may say server for a runtime that also has a client
// library, which orders nothing. The pick is probed again in the documented order before its
// library is used.
JvmProbeResult ScreeningProbe(JreSystem& system, const std::wstring& home, JvmType type) {
    JvmProbeResult result;
    size_t count = 0;
    const JvmProbeStep* steps = JvmProbeSteps(type, count);
    for (int pass = 0; pass < 2 && !result.Found(); ++pass) {
        for (size_t i = 0; i < count; ++i) {
            if (steps[i].server == (pass == 0) && system.FileExistsQuick(home + steps[i].subPath)) {
                result.library = home + steps[i].subPath;
                result.server = steps[i].server;
                break;
            }
        }
    }
    return result;
}

// The runtimes of the three sources, examined.
struct Gathering {
    JreSystem& system;
    const JreSettings& settings;
    RuntimeKeys& seen;
    size_t& rejected;
    std::vector<FolderCandidate> admitted;

    void Add(const wchar_t* source, const std::wstring& top) {
        FolderCandidate c = ExamineJavaFolder(system, settings, top, seen);
        TraceCandidate(source, c);
        if (c.admitted) {
            admitted.push_back(std::move(c));
        } else if (c.runtime && !c.duplicate) {
            ++rejected;
        }
    }
};

// A folder text refused before anything was probed: no runtime found, nothing counted.
void TraceRefused(const wchar_t* source, const std::wstring& text, const std::wstring& reason) {
    Trace({source, L" \"", text, L"\" not searched: ", reason});
}

void SearchJavaHome(Gathering& gathering) {
    std::wstring raw;
    if (!gathering.system.EnvironmentVariable(L"JAVA_HOME", raw) || raw.empty()) {
        Trace({L"JAVA_HOME not set"});
        return;
    }
    // A value the environment did not expand (set as a plain string) is expanded once.
    if (raw.find(L'%') != std::wstring::npos) raw = gathering.system.ExpandEnvironment(raw);
    const FolderText home = CleanJavaHome(raw);
    if (raw.size() > kMaxJavaFolderLength) raw.resize(kMaxJavaFolderLength);
    if (!home.reason.empty()) {
        TraceRefused(L"JAVA_HOME", raw, home.reason);
    } else if (gathering.system.IsRemoteDrive(home.folder)) {
        TraceRefused(L"JAVA_HOME", home.folder, L"a network drive, not probed");
    } else {
        if (!home.note.empty()) Trace({L"JAVA_HOME \"", raw, L"\" ", home.note});
        gathering.Add(L"JAVA_HOME", home.folder);
    }
}

void SearchPath(Gathering& gathering) {
    JreSystem& system = gathering.system;
    std::wstring path;
    system.EnvironmentVariable(L"Path", path);
    const std::vector<PathEntry> entries = SplitPathVariable(path);
    size_t skipped = 0;
    for (const PathEntry& entry : entries) {
        if (!entry.skipped.empty() || system.IsRemoteDrive(entry.folder)) {
            ++skipped;
            continue;
        }
        const std::wstring javaExe = entry.folder + L"java.exe";
        if (!system.FileExists(javaExe)) continue;
        // A vendor's link folder (Oracle's ...\Common Files\Oracle\Java\javapath) holds links to the
        // runtime's own java.exe; a java.exe in a bin folder is taken where it lies.
        std::wstring resolved = javaExe;
        std::wstring home;
        if (!RuntimeOfJavaExe(javaExe, home) && !system.FinalPath(javaExe, resolved)) resolved = javaExe;
        Trace({L"Path: ", DecimalText(entries.size()), L" entries, ", DecimalText(skipped),
               L" skipped (empty, relative, network, app-execution aliases); first java.exe \"", javaExe, L"\", which is \"",
               resolved, L"\""});
        const std::wstring refused = RefusedFolderReason(resolved);
        if (!refused.empty()) {
            TraceRefused(L"Path", resolved, refused);
        } else if (!RuntimeOfJavaExe(resolved, home)) {
            TraceRefused(L"Path", resolved, L"java.exe does not lie in a runtime's bin folder");
        } else {
            gathering.Add(L"Path", home);
        }
        return;
    }
    Trace({L"Path: ", DecimalText(entries.size()), L" entries, ", DecimalText(skipped), L" skipped: no java.exe"});
}

void SearchUsualFolders(Gathering& gathering) {
    JreSystem& system = gathering.system;
    RuntimeKeys listed;
    for (const UsualFolder& usual : kUsualFolders) {
        std::wstring folder;
        if (!system.EnvironmentVariable(usual.variable, folder) || folder.empty()) continue;
        folder = WithTrailingBackslash(folder) + usual.subPath;
        if (!AddRuntimeKey(listed, folder)) continue;  // ProgramW6432 is ProgramFiles in a 64-bit process
        std::wstring refused = RefusedFolderReason(folder);
        if (refused.empty() && system.IsRemoteDrive(folder)) refused = L"a network drive, not probed";
        std::vector<std::wstring> names;
        bool more = false;
        if (!refused.empty()) {
            TraceRefused(L"folder", folder, refused);
        } else if (!system.SubfolderNames(folder, kMaxFolderEntries, names, more)) {
            const bool exists = system.FolderExists(folder.substr(0, folder.size() - 1));  // without its closing backslash
            Trace({L"folder \"", folder, exists ? L"\": cannot be read" : L"\": not there"});
        } else {
            // In the listing's order: the runtimes' order is decided by their versions.
            Trace({L"folder \"", folder, L"\": ", DecimalText(names.size()), L" folders",
                   more ? L", more than the entries read" : L""});
        }
        for (const std::wstring& name : names) {
            if (IsRuntimeFolderName(name, usual.namePrefix)) gathering.Add(L"folder", folder + name + L"\\" + usual.below);
        }
    }
}

// The runtime that the registry's order and "Preferred versions" pick among `runtimes` (not
// empty), as an index into them; traced.
size_t Pick(const std::vector<FolderCandidate>& runtimes, const JreSettings& settings, bool foreign) {
    std::vector<JreCandidate> candidates;
    for (const FolderCandidate& runtime : runtimes) candidates.push_back(runtime.candidate);
    SortCandidates(candidates, settings);
    int entry = -1;
    const JreCandidate& picked = candidates[PickCandidate(candidates, settings.preferredVersions, &entry)];
    size_t index = 0;
    while (index + 1 < runtimes.size() && runtimes[index].candidate.home != picked.home) ++index;
    Trace({L"picked \"", picked.home, L"\" version ", FormatJavaVersion(picked.version), L" of ",
           DecimalText(runtimes.size()), L" runtimes found outside the registry: ",
           entry >= 0 ? L"matches Preferred versions entry \"" : L"first in order (favoured, server, newest)",
           entry >= 0 ? std::wstring_view(settings.preferredVersions[entry]) : std::wstring_view(),
           entry >= 0 ? L"\"" : L"", foreign ? L"; of the other architecture, for the pair product" : L""});
    return index;
}

}  // namespace

bool AddRuntimeKey(RuntimeKeys& keys, const std::wstring& folder) {
    const std::wstring key = FolderKey(folder);
    for (const std::wstring& known : keys) {
        if (known == key) return false;
    }
    keys.push_back(key);
    return true;
}

std::wstring RefusedFolderReason(const std::wstring& folder) {
    if (folder.size() > kMaxJavaFolderLength) return L"longer than 1024 characters";
    if (folder.size() >= 2 && folder[0] == L'\\' && folder[1] == L'\\') return L"a network or device path, not probed";
    const bool drive = folder.size() >= 3 && folder[1] == L':' && folder[2] == L'\\' &&
                       ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
    if (!drive) return L"not an absolute path";
    return std::wstring();
}

FolderText CleanJavaHome(const std::wstring& raw) {
    FolderText result;
    if (raw.size() > kMaxJavaFolderLength * 2) {
        result.reason = L"longer than 1024 characters";
        return result;
    }
    std::wstring text = TrimBlankSpace(raw);
    if (text.find(L'"') != std::wstring::npos) {
        text.erase(std::remove(text.begin(), text.end(), L'"'), text.end());
        text = TrimBlankSpace(text);
        AddNote(result.note, L"without its quotes");
    }
    bool semicolon = false;
    while (!text.empty() && (text.back() == L';' || text.back() == L'\\' || IsBlankSpace(text.back()))) {
        semicolon = semicolon || text.back() == L';';
        text.pop_back();
    }
    if (semicolon) AddNote(result.note, L"without its trailing semicolon");
    // "C:\" alone is a drive, not a runtime, but it is probed like any folder.
    if (text.size() == 2 && text[1] == L':') text += L'\\';
    if (EndsWithNoCase(text, L"\\bin")) {
        text.resize(text.size() - 4);
        AddNote(result.note, L"names the bin folder: its parent is used");
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
        const std::wstring text = TrimBlankSpace(current);
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
        if (AsciiLower(name[i]) != AsciiLower(start[i])) return false;
    }
    return true;
}

std::wstring FolderKey(const std::wstring& folder) {
    std::wstring key = WithTrailingBackslash(folder);
    for (wchar_t& c : key) c = AsciiLower(c);
    return key;
}

FolderCandidate ExamineJavaFolder(JreSystem& system, const JreSettings& settings, const std::wstring& top,
                                  RuntimeKeys& seen) {
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
    if (!AddRuntimeKey(seen, c.candidate.home)) {
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
    if (const wchar_t* refusal = BoundsRefusal(c.candidate.version, settings)) {
        c.reason = refusal;
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

bool SearchJavaFolders(JreSystem& system, const JreSettings& settings, RuntimeKeys& seen, size_t& rejected,
                       FolderJre& found) {
    if (!settings.searchJavaFolders) {
        Trace({L"JAVA_HOME, Path and the usual folders not searched: Search Java Folders=no"});
        return false;
    }
    Gathering gathering{system, settings, seen, rejected, {}};
    SearchJavaHome(gathering);
    SearchPath(gathering);
    SearchUsualFolders(gathering);

    // The architecture is read from the library only of the runtime about to be picked: one that is
    // foreign is set aside (for the pair product, when there is one) and the pick made again.
    std::vector<FolderCandidate>& own = gathering.admitted;
    std::vector<FolderCandidate> foreign;
    while (!own.empty()) {
        const size_t index = Pick(own, settings, false);
        if (!system.IsForeignArchitecture(own[index].library)) {
            found.home = own[index].candidate.home;
            found.version = own[index].candidate.version;
            found.foreign = false;
            return true;
        }
        Trace({L"\"", own[index].candidate.home, L"\": a library of the other architecture",
               settings.pairProduct.empty() ? L": rejected, no Pair Product" : L": for the pair product"});
        if (settings.pairProduct.empty()) {
            ++rejected;
        } else {
            foreign.push_back(std::move(own[index]));
        }
        own.erase(own.begin() + static_cast<std::ptrdiff_t>(index));
    }
    if (foreign.empty()) {
        Trace({L"no runtime admitted outside the registry"});
        return false;
    }
    const FolderCandidate& picked = foreign[Pick(foreign, settings, true)];
    found.home = picked.candidate.home;
    found.version = picked.candidate.version;
    found.foreign = true;
    return true;
}
