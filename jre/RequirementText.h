// The text of the JRE Not Found dialog: which Java the application needs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "runtime/JavaVersion.h"
#include "jre/JreSettings.h"

// A string-table text and what goes into its "%s" places.
struct RequirementText {
    unsigned stringId = 0;
    std::vector<std::wstring> arguments;
};

// The first row that matches: both bounds open (latest version), only a maximum, only a minimum,
// one exact version, or a range.
RequirementText ChooseRequirementText(const JavaVersion& minimum, const JavaVersion& maximum);

// The dialog's message: the "server JVM" text for the server type, the plain one otherwise, with the
// requirement in its place. `loadString` gives a string-table text (empty when it is missing).
std::wstring ComposeJreNotFoundMessage(const JavaVersion& minimum, const JavaVersion& maximum, JvmType type,
                                       const std::function<std::wstring(unsigned)>& loadString);

// The console build's line in place of the dialog: the same requirement, and where "JRE Path" is
// set (the [Java Runtime Environment] section of `iniPath`).
std::wstring ComposeJreNotFoundLine(const JavaVersion& minimum, const JavaVersion& maximum, const std::wstring& iniPath,
                                    const std::function<std::wstring(unsigned)>& loadString);
