// Choosing the JRE whose JVM library the launcher loads.
#pragma once

#include <string>

#include "jre/JavaVersion.h"
#include "launcher/Settings.h"

// What the search settled.
struct JreSelection {
    std::wstring jvmLibraryPath;
    JavaVersion version;  // set when the JRE came from the registry
    bool runPairProduct = false;
};

// The last step of the search: asks the user for a JRE folder. False when the user cancelled or
// the dialog could not be shown.
class JreFolderChooser {
public:
    virtual ~JreFolderChooser() = default;
    virtual bool Choose(const LauncherSettings& settings, std::wstring& home, std::wstring& jvmLibrary) = 0;
};

// Finds a JRE in the fixed order of sources. False when none was found and the user cancelled.
bool FindJre(const LauncherSettings& settings, JreFolderChooser* chooser, JreSelection& selection);
