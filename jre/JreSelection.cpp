#include "jre/JreSelection.h"

#include "jre/Win32JreSystem.h"

bool FindJre(const JreSettings& settings, JreFolderChooser* chooser, JreSelection& selection) {
    Win32JreSystem system;
    return FindJre(system, settings, chooser, selection);
}
