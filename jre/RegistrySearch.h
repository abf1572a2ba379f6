// The search for JREs registered by the Java vendors: the five keys of the Java 1.x era under
// HKEY_LOCAL_MACHINE, then the keys of today's installers under HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "jre/JreSystem.h"
#include "jre/JreSettings.h"

enum class JavaKind { Jdk, Jre };
enum class JavaProvider { Sun, JRockit, Ibm };

struct VendorKey {
    const wchar_t* path;  // under the registry root, with its trailing backslash
    JavaKind kind;
    JavaProvider provider;               // the "VM Provider" family
    const wchar_t* homeSubkey = L"";     // below each version subkey, where the home value lies
    const wchar_t* homeValue = L"JavaHome";
    bool current = false;  // today's installers: also per user, version from the release file
};

// The five classic vendor keys (HKEY_LOCAL_MACHINE only) in the order in which they are searched.
extern const VendorKey kVendorKeys[5];
// The keys of today's installers, searched after the classic ones, first under
// HKEY_LOCAL_MACHINE and then under HKEY_CURRENT_USER.
constexpr size_t kCurrentVendorKeyCount = 9;
extern const VendorKey kCurrentVendorKeys[kCurrentVendorKeyCount];

// The key is read when its kind is wanted and its provider allowed or favoured.
bool IsKeySearched(const VendorKey& key, const JreSettings& settings);
// Candidates of the key are favoured when its kind is preferred and its provider favoured.
bool IsKeyFavoured(const VendorKey& key, const JreSettings& settings);
// The JVM type with which homes of the key are probed: the Sun JRE key probes "favor_server" as
// the default order.
JvmType ProbeTypeForKey(const VendorKey& key, JvmType type);
// The runtime of a registered home folder: a backslash appended when missing, and for a JDK that
// has a "jre\" folder (Java 8 and older) the JRE inside it; a JDK without one (Java 9 and later)
// is its own runtime.
std::wstring RuntimeHome(JreSystem& system, JavaKind kind, const std::wstring& javaHome);

// The version of a runtime of today's installers: JAVA_VERSION of `folder` + "release" (folder
// ends with a backslash), else the subkey name. `source` says which, for the trace.
JavaVersion RuntimeVersion(JreSystem& system, const std::wstring& folder, const std::wstring& subkeyName,
                           std::wstring& source);

// The text of a "JavaHome" value from its raw registry data, whatever its registry type: UTF-16
// code units up to the first NUL, or to the end of the data when there is none; an odd last byte is
// no code unit. Empty means the value is skipped.
std::wstring JavaHomeFromRegistryData(const unsigned char* data, size_t size);

// A registered version that passed every test.
struct JreCandidate {
    JavaVersion version;
    std::wstring home;
    bool server = false;
    bool favoured = false;
};

// Every admitted candidate of the searched keys in one view, in key order, then enumeration order.
// `refusedHomes` (optional) receives the home of each refused candidate that holds a Java runtime
// (bin\java.dll): a key left behind by an uninstalled runtime names nothing.
std::vector<JreCandidate> CollectCandidates(JreSystem& system, const JreSettings& settings, uint32_t viewFlag,
                                            std::vector<std::wstring>* refusedHomes = nullptr);

// Stable order: favoured first (only when both kinds are searched), server first (only for
// "favor_server"), then the greater version first.
void SortCandidates(std::vector<JreCandidate>& candidates, const JreSettings& settings);

// The index of the candidate that the first matching "Preferred versions" entry picks, or 0 when
// no entry matches any candidate. The candidates must not be empty. `entry` (optional) receives
// the index of the entry that matched, or -1.
size_t PickCandidate(const std::vector<JreCandidate>& candidates, const std::vector<std::wstring>& preferredVersions,
                     int* entry = nullptr);

enum class RegistryView { Native, Other };

// The flag added to read access for every key of one search: none in the launcher's own view,
// the other architecture's view flag otherwise.
uint32_t RegistryViewFlag(RegistryView view, Arch arch);

struct RegistryJre {
    std::wstring home;
    JavaVersion version;
};

// One search in one view. The other view is searched only when a pair product is configured.
// False when no candidate was found.
bool SearchRegistry(JreSystem& system, const JreSettings& settings, RegistryView view, RegistryJre& found,
                    std::vector<std::wstring>* refusedHomes = nullptr);
