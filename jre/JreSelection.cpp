#include "jre/JreSelection.h"

// Placeholder until the JRE search lands: nothing is found and no dialog is offered.
bool FindJre(const LauncherSettings& settings, JreFolderChooser* chooser, JreSelection& selection) {
    std::wstring home;
    return chooser != nullptr && chooser->Choose(settings, home, selection.jvmLibraryPath);
}
