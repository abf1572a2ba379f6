// The launcher's JRE search over the real system.
#pragma once

#include "jre/JreSearch.h"

// Finds a JRE in the fixed order of sources. False when none was found and the user cancelled or
// no chooser was given.
bool FindJre(const JreSettings& settings, JreFolderChooser* chooser, JreSelection& selection);
