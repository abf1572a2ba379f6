// Java that no registry key names: the folder of JAVA_HOME, the runtime of the first java.exe on
// Path, and the usual install folders one level deep. Their runtimes pass the rules of registry
// candidates and are ordered as those are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "jre/JreSettings.h"
#include "jre/JreSystem.h"
#include "jre/RegistrySearch.h"

// The most characters of a folder that is probed: longer texts are mistakes or attacks.
constexpr size_t kMaxJavaFolderLength = 1024;
// The most entries read from one usual folder.
constexpr size_t kMaxFolderEntries = 400;

// A folder text as it came from the environment, made into a folder to probe.
struct FolderText {
    std::wstring folder;  // ending with a backslash; empty when `reason` is set
    std::wstring note;    // what was changed, for the trace
    std::wstring reason;  // why it is not probed
};

// Why a folder text is not probed, or empty: too long, not absolute (the working directory is
// never searched), or a network or device path (\\server\share, \\?\...), which could stall the
// start.
std::wstring RefusedFolderReason(const std::wstring& folder);

// JAVA_HOME as people set it: blanks around it, one pair of quotes or stray quotes, trailing ";"
// and backslashes dropped; a folder named "bin" gives its parent, with a note.
FolderText CleanJavaHome(const std::wstring& raw);

// One entry of Path, with its quotes removed and a backslash appended.
struct PathEntry {
    std::wstring folder;
    std::wstring skipped;  // why the entry is not looked into: empty, relative, network, aliases
};

// Path split at ";" outside double quotes. Entries are looked into unless `skipped` says why not;
// the Store's app-execution aliases (...\Microsoft\WindowsApps) are skipped.
std::vector<PathEntry> SplitPathVariable(const std::wstring& path);

// The runtime home of a java.exe (links already followed): the parent of its "bin" folder.
// False when the file does not lie in a folder named "bin".
bool RuntimeOfJavaExe(const std::wstring& javaExe, std::wstring& home);

// A usual install folder: the environment variable of its base, the folder below it whose
// sub-folders are runtimes, the start their names must have, and a folder below each (scoop's
// "current\").
struct UsualFolder {
    const wchar_t* variable;
    const wchar_t* subPath;
    const wchar_t* namePrefix;
    const wchar_t* below;
};
constexpr size_t kUsualFolderCount = 11;
extern const UsualFolder kUsualFolders[kUsualFolderCount];

// True when a sub-folder name is taken: it starts with `prefix` (any letter case) and is not "."
// or "..".
bool IsRuntimeFolderName(const std::wstring& name, const wchar_t* prefix);

// The text that makes two spellings of one folder equal: ASCII letters folded, one trailing
// backslash.
std::wstring FolderKey(const std::wstring& folder);

// The keys (FolderKey) of the runtimes found so far. A few hundred at most: a list is enough.
using RuntimeKeys = std::vector<std::wstring>;
// Adds the folder's key; false when it was there already.
bool AddRuntimeKey(RuntimeKeys& keys, const std::wstring& folder);

// One runtime folder found outside the registry, examined.
struct FolderCandidate {
    std::wstring top;  // the folder found, ending with a backslash
    JreCandidate candidate;
    JavaKind kind = JavaKind::Jre;
    bool kindKnown = false;  // bin\javac.exe is asked only when "JVM Source" chooses or favours a kind
    JavaProvider provider = JavaProvider::Sun;
    std::wstring versionSource;
    std::wstring providerEvidence;
    bool runtime = false;  // the folder holds a Java runtime (bin\java.dll): a refusal counts
    std::wstring library;  // the JVM library found, when admitted
    bool foreign = false;  // its library is of the other architecture (read only for a runtime about to be picked)
    bool admitted = false;
    bool duplicate = false;  // found before (registry or an earlier folder): not counted again
    std::wstring reason;     // why not admitted
};

// Examines one folder by the rules of registry candidates: its runtime (the folder, or its jre\ for
// an old JDK), kind from the layout (bin\javac.exe: JDK) and "JVM Source", version from the release file and the bounds, family from the release
// file and "VM Provider", and a JVM library of the wanted type. The library's architecture is left
// to the pick (SearchJavaFolders): reading it costs a mapping of the file. `seen` holds the keys of runtimes already found; this one's is added.
FolderCandidate ExamineJavaFolder(JreSystem& system, const JreSettings& settings, const std::wstring& top,
                                  RuntimeKeys& seen);

// What the folder search settled.
struct FolderJre {
    std::wstring home;
    JavaVersion version;
    bool foreign = false;
};

// JAVA_HOME, then Path, then the usual folders; the admitted runtimes of the launcher's own
// architecture are sorted and picked as registry candidates are, and only when there are none
// those of the other architecture. `seen` holds the registry's runtimes; `rejected` is increased
// by each Java runtime (a folder with bin\java.dll) found here and refused. False when nothing was admitted.
bool SearchJavaFolders(JreSystem& system, const JreSettings& settings, RuntimeKeys& seen, size_t& rejected,
                       FolderJre& found);
