// Path arithmetic for the output and error files.
#pragma once

#include <string>
#include <vector>

// The span of a timestamp picture: from the first "%" to the last "%", both included. False
// when the path holds no "%".
bool FindTimestampPicture(const std::wstring& path, size_t& first, size_t& last);

// Every "L" of a picture replaced by the milliseconds, without leading zeros.
std::wstring ReplaceMilliseconds(const std::wstring& picture, unsigned milliseconds);

// The folders to create for a file path, outermost first: the first component (drive, server,
// or a relative path's first folder) is never among them. Empty with fewer than three components.
std::vector<std::wstring> ParentFoldersToCreate(const std::wstring& path);
