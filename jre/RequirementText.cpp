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

std::wstring ComposeJreNotFoundMessage(const JavaVersion& minimum, const JavaVersion& maximum, JvmType type,
                                       const std::function<std::wstring(unsigned)>& loadString) {
    const RequirementText requirement = ChooseRequirementText(minimum, maximum);
    std::vector<ErrorArg> arguments(requirement.arguments.begin(), requirement.arguments.end());
    const std::wstring requirementText = FormatMessageTemplate(loadString(requirement.stringId), arguments);
    const unsigned messageId = type == JvmType::Server ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
    return FormatMessageTemplate(loadString(messageId), {ErrorArg(requirementText)});
}
