// Choosing the JRE whose JVM library the launcher loads: the sources in their fixed order and the
// write-back of the user's choice.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "jre/JreSystem.h"
#include "jre/JreSettings.h"

// What the search settled.
struct JreSelection {
    std::wstring jvmLibraryPath;
    JavaVersion version;  // set when the JRE came from the registry
    bool runPairProduct = false;
};

// The last step of the search: asks the user for a JRE folder. False when the user cancelled or
// the dialog could not be shown. On true, `home` is the chosen folder and `jvmLibrary` the library
// found in it.
class JreFolderChooser {
public:
    virtual ~JreFolderChooser() = default;
    virtual bool Choose(const JreSettings& settings, std::wstring& home, std::wstring& jvmLibrary) = 0;
    // How many runtimes the search found and refused, told before Choose.
    virtual void SetRejectedRuntimes(size_t count) { (void)count; }
};

// The JRE folder beside the executable: its own folder when that holds bin\java.dll, otherwise its
// "jre64\" ("jre\" for the 32-bit launcher) sub-folder when that does, otherwise empty. False only
// when the executable's path cannot be obtained.
bool FindLocalJre(JreSystem& system, std::wstring& home);

// Whether the launch goes to the pair product: only when one is configured and the library is of
// the other architecture.
bool IsPairProductLibrary(JreSystem& system, const JreSettings& settings, const std::wstring& library);

// One INI file that receives the chosen "JRE Path", and the folders to create first, in order.
struct JrePathTarget {
    std::wstring iniPath;
    std::vector<std::wstring> folders;
};

// Where a chosen folder is remembered: a service writes its main INI file (and the pair product's),
// an application its per-user INI file (and the pair product's per-user one). Empty when the
// executable's path has no "." (its INI path cannot be formed).
std::vector<JrePathTarget> JrePathTargets(const JreSettings& settings, const std::wstring& modulePath,
                                          const std::wstring& appData);

// Writes the chosen home to every target; nothing when the executable's path is unavailable.
void WriteBackJrePath(JreSystem& system, const JreSettings& settings, const std::wstring& home);

// The INI path, the local JRE folder, the registry in the launcher's own view, the registry in the
// other view (only with a pair product), JAVA_HOME, Path and the usual install folders (unless
// "Search Java Folders" is "no"), and last the chooser (may be null: no dialog). False when
// nothing was found and the user did not choose a folder.
bool FindJre(JreSystem& system, const JreSettings& settings, JreFolderChooser* chooser, JreSelection& selection);
