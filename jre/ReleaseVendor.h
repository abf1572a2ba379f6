// The vendor lines of a runtime's `release` file: IMPLEMENTOR="Eclipse Adoptium",
// JVM_VARIANT="Hotspot" or "Openj9". They decide the "VM Provider" family of a runtime that no
// registry key names.
#pragma once

#include <string>

#include "jre/RegistrySearch.h"

// The value of the first line that starts with `key` followed by "=": one pair of enclosing double
// quotes removed, at most 128 characters of printable ASCII (blanks included). Lines end at LF (a CR
// before it is dropped); when `complete` is false a last line without its LF is not read. False
// when there is no such line or its value is not such a text.
bool ReadReleaseValue(const std::string& data, bool complete, const char* key, std::string& value);

// The family of a runtime from its release file: JVM_VARIANT "Hotspot" is Sun and "Openj9" (or
// "J9") IBM, in any letter case; without either, an IMPLEMENTOR that names IBM is IBM; everything
// else, an empty file included, is Sun. `evidence` says which line decided, for the trace.
JavaProvider ProviderFromRelease(const std::string& data, bool complete, std::wstring& evidence);
