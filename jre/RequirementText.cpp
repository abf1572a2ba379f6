#include "jre/RequirementText.h"

#include "base/MessageText.h"
#include "resources/resource.h"

RequirementText ChooseRequirementText(const JavaVersion& minimum, const JavaVersion& maximum) {
    const bool minimumOpen = IsOpenBound(minimum);
    const bool maximumOpen = IsOpenBound(maximum);
    if (minimumOpen && maximumOpen) return {IDS_LATEST_VERSION, {}};
    if (minimumOpen) return {IDS_MAXIMUM_VERSION, {FormatJavaVersion(maximum)}};
    if (maximumOpen) return {IDS_MINIMUM_VERSION, {FormatJavaVersion(minimum)}};
    if (minimum == maximum) return {IDS_VERSION_REQUIRED, {FormatJavaVersion(minimum)}};
    return {IDS_VERSION_BETWEEN, {FormatJavaVersion(minimum), FormatJavaVersion(maximum)}};
}

namespace {

std::wstring ComposeRequirement(const JavaVersion& minimum, const JavaVersion& maximum,
                                const std::function<std::wstring(unsigned)>& loadString) {
    const RequirementText requirement = ChooseRequirementText(minimum, maximum);
    std::vector<ErrorArg> arguments(requirement.arguments.begin(), requirement.arguments.end());
    return FormatMessageTemplate(loadString(requirement.stringId), arguments);
}

}  // namespace

std::wstring ComposeJreNotFoundLine(const JavaVersion& minimum, const JavaVersion& maximum, const std::wstring& iniPath,
                                    const std::function<std::wstring(unsigned)>& loadString) {
    return FormatMessageTemplate(loadString(IDS_JRE_NOT_FOUND_CONSOLE),
                                 {ErrorArg(ComposeRequirement(minimum, maximum, loadString)), ErrorArg(iniPath)});
}

std::wstring ComposeJreNotFoundMessage(const JavaVersion& minimum, const JavaVersion& maximum, JvmType type,
                                       const std::function<std::wstring(unsigned)>& loadString) {
    const std::wstring requirementText = ComposeRequirement(minimum, maximum, loadString);
    const unsigned messageId = type == JvmType::Server ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
    return FormatMessageTemplate(loadString(messageId), {ErrorArg(requirementText)});
}
