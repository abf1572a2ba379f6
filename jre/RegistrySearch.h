// The search for JREs registered by the Java vendors under HKEY_LOCAL_MACHINE.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "jre/JreSystem.h"
#include "jre/JreSettings.h"

enum class JavaKind { Jdk, Jre };
enum class JavaProvider { Sun, JRockit, Ibm };

struct VendorKey {
    const wchar_t* path;  // under HKEY_LOCAL_MACHINE, with its trailing backslash
    JavaKind kind;
    JavaProvider provider;
};

// The five vendor keys in the order in which they are searched.
extern const VendorKey kVendorKeys[5];

// The key is read when its kind is wanted and its provider allowed or favoured.
bool IsKeySearched(const VendorKey& key, const JreSettings& settings);
// Candidates of the key are favoured when its kind is preferred and its provider favoured.
bool IsKeyFavoured(const VendorKey& key, const JreSettings& settings);
// The JVM type with which homes of the key are probed: the Sun JRE key probes "favor_server" as
// the default order.
JvmType ProbeTypeForKey(const VendorKey& key, JvmType type);
// The JRE home of a registered "JavaHome": a backslash appended when missing, and for a JDK the
// JRE inside it.
std::wstring HomeFromJavaHome(const VendorKey& key, const std::wstring& javaHome);

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
std::vector<JreCandidate> CollectCandidates(JreSystem& system, const JreSettings& settings, uint32_t viewFlag);

// Stable order: favoured first (only when both kinds are searched), server first (only for
// "favor_server"), then the greater version first.
void SortCandidates(std::vector<JreCandidate>& candidates, const JreSettings& settings);

// The index of the candidate that the first matching "Preferred versions" entry picks, or 0 when
// no entry matches any candidate. The candidates must not be empty.
size_t PickCandidate(const std::vector<JreCandidate>& candidates, const std::vector<std::wstring>& preferredVersions);

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
bool SearchRegistry(JreSystem& system, const JreSettings& settings, RegistryView view, RegistryJre& found);
