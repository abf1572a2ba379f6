#include "jre/JreSelection.h"

#include "jre/Win32JreSystem.h"

bool FindJre(const LauncherSettings& settings, JreFolderChooser* chooser, JreSelection& selection) {
    Win32JreSystem system;
    return FindJre(system, settings, chooser, selection);
}
