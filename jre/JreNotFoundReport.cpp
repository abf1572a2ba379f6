#include "jre/JreNotFoundReport.h"

#include "base/Resources.h"
#include "base/StandardError.h"
#include "jre/RequirementText.h"

bool JreNotFoundReport::Choose(const JreSettings& settings, std::wstring&, std::wstring&) {
    WriteStandardErrorLine(
        ComposeJreNotFoundLine(settings.minimumVersion, settings.maximumVersion, iniPath_, LoadResourceString));
    return false;
}
