// What the facts about a Java runtime are read from: the files of its folder. The launcher reads
// the disk (Win32RuntimeFiles); tests may use fakes.
#pragma once

#include <cstddef>
#include <string>

class RuntimeFiles {
public:
    virtual ~RuntimeFiles() = default;

    // True when a find-first-file query on exactly this path finds a file (not a folder).
    virtual bool FileExists(const std::wstring& path) = 0;

    // The first `maxBytes` bytes of a regular file; `complete` tells whether that was the whole
    // file. False when the path names no regular file or it cannot be read.
    virtual bool ReadFileStart(const std::wstring& path, size_t maxBytes, std::string& data, bool& complete) = 0;
};
