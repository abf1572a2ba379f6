#include "jre/RequirementText.h"
#include "resources/resource.h"
#include "tests/framework/Check.h"

namespace {

// The English string table, as far as the message uses it.
std::wstring EnglishText(unsigned id) {
    switch (id) {
        case IDS_JRE_NOT_FOUND_SERVER:
            return L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE with a "
                   L"server JVM (%s) from:";
        case IDS_JRE_NOT_FOUND:
            return L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE (%s) from:";
        case IDS_JRE_NOT_FOUND_CONSOLE: return L"JRE needed (%s); \"JRE Path\" in %s";
        case IDS_LATEST_VERSION: return L"latest version";
        case IDS_MAXIMUM_VERSION: return L"maximum version %s";
        case IDS_MINIMUM_VERSION: return L"minimum version %s";
        case IDS_VERSION_REQUIRED: return L"version %s is required";
        case IDS_VERSION_BETWEEN: return L"version between %s and %s";
        default: return L"";
    }
}

}  // namespace

// The INI texts go through the same parsing as the settings: the minimum filled with 0, the
// maximum with 65535, "any" (no digits) an open bound.
TEST_CASE(RequirementText_FirstMatchingRow) {
    struct Row { const wchar_t* minimum; const wchar_t* maximum; unsigned id; std::vector<std::wstring> args; };
    const Row rows[] = {
        {L"any", L"any", IDS_LATEST_VERSION, {}},
        {L"", L"", IDS_LATEST_VERSION, {}},
        {L"any", L"11", IDS_MAXIMUM_VERSION, {L"11.65535"}},
        {L"1.8", L"any", IDS_MINIMUM_VERSION, {L"1.8"}},
        {L"1.8", L"1.8", IDS_VERSION_BETWEEN, {L"1.8", L"1.8"}},  // the maximum is 1.8.65535.65535
        {L"1.8.0.0", L"1.8.0.0", IDS_VERSION_REQUIRED, {L"1.8"}},
        {L"1.8.0_202", L"1.8.0_202", IDS_VERSION_REQUIRED, {L"1.8.0.202"}},
        {L"1.6", L"17", IDS_VERSION_BETWEEN, {L"1.6", L"17.65535"}},
        {L"0.0.0.0", L"65535.65535.65535.65535", IDS_LATEST_VERSION, {}},
    };
    for (const Row& row : rows) {
        const std::wstring context = std::wstring(row.minimum) + L" / " + row.maximum;
        const RequirementText text = ChooseRequirementText(ParseJavaVersion(row.minimum, kVersionFillMinimum),
                                                           ParseJavaVersion(row.maximum, kVersionFillMaximum));
        CHECK_EQ_AT(context, text.stringId, row.id);
        CHECK_EQ_AT(context, text.arguments, row.args);
    }
}

TEST_CASE(RequirementText_WholeMessageByJvmType) {
    const JavaVersion minimum = ParseJavaVersion(L"1.8", kVersionFillMinimum);
    const JavaVersion open = JavaVersion::OpenMaximum();
    CHECK_EQ(ComposeJreNotFoundMessage(minimum, open, JvmType::Default, EnglishText),
             std::wstring(L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                          L"(minimum version 1.8) from:"));
    CHECK_EQ(ComposeJreNotFoundMessage(minimum, open, JvmType::FavorServer, EnglishText),
             ComposeJreNotFoundMessage(minimum, open, JvmType::Default, EnglishText));
    CHECK_EQ(ComposeJreNotFoundMessage(JavaVersion::OpenMinimum(), open, JvmType::Server, EnglishText),
             std::wstring(L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                          L"with a server JVM (latest version) from:"));
    // A missing text leaves the rest intact.
    auto noRequirement = [](unsigned id) { return id == IDS_JRE_NOT_FOUND ? EnglishText(id) : std::wstring(); };
    CHECK_EQ(ComposeJreNotFoundMessage(minimum, open, JvmType::Default, noRequirement),
             std::wstring(L"The Java Runtime Environment (JRE) was not found. Please  download and install a JRE "
                          L"() from:"));
}

TEST_CASE(RequirementText_ConsoleLineNamesTheRequirementAndTheIniFile) {
    const JavaVersion minimum = ParseJavaVersion(L"17", kVersionFillMinimum);
    CHECK_EQ(ComposeJreNotFoundLine(minimum, JavaVersion::OpenMaximum(), L"C:\\Tools\\mytool.ini", EnglishText),
             std::wstring(L"JRE needed (minimum version 17.0); \"JRE Path\" in C:\\Tools\\mytool.ini"));
}
