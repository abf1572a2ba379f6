// Path arithmetic for the output and error files.
#pragma once

#include <string>
#include <vector>

// The span of a timestamp picture: from the first "%" to the last "%", both included. False
// when the path holds no "%".
bool FindTimestampPicture(const std::wstring& path, size_t& first, size_t& last);

// Every "L" of a picture replaced by the milliseconds, without leading zeros.
std::wstring ReplaceMilliseconds(const std::wstring& picture, unsigned milliseconds);

// The folders to create for a file path, outermost first. Of an absolute path the first component
// (drive, server, or the first folder below a leading backslash) is never among them, and a path
// of fewer than three components has none; of a relative path every folder is, since each may be
// missing below the current directory.
std::vector<std::wstring> ParentFoldersToCreate(const std::wstring& path);
