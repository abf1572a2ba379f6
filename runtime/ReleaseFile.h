// The `release` file in a Java runtime's home: KEY="value" lines, among them the runtime's own
// version (JAVA_VERSION="21.0.4", or "1.8.0_412" for Java 8).
#pragma once

#include <cstddef>
#include <string>

// The most of a release file that is read; real ones hold a few kilobytes.
constexpr size_t kReleaseFileReadLimit = 64 * 1024;

enum class ReleaseVersion {
    Found,      // `version` holds the value
    Missing,    // no JAVA_VERSION line
    Malformed,  // a JAVA_VERSION line whose value is no version
};

// The value of the first line that starts with JAVA_VERSION=. The value may stand in double
// quotes (both or neither); it must be 1 to 64 printable ASCII characters with at least one digit.
// Lines end at LF (a CR before it is dropped). When `complete` is false the data were cut short,
// and a last line without its LF is not read.
ReleaseVersion ReadReleaseVersion(const std::string& data, bool complete, std::wstring& version);

// "found", "no JAVA_VERSION line", "malformed JAVA_VERSION", for the trace.
const wchar_t* ReleaseVersionText(ReleaseVersion result);
