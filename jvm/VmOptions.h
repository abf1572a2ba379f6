// Turning the INI's class path, library path and VM parameters into option strings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folders derived from a JVM library path such as C:\Java\jre\bin\server\jvm.dll.
struct JreFolders {
    std::wstring home;            // C:\Java\jre
    std::wstring bin;             // C:\Java\jre\bin
    std::wstring homeWithSlash;   // C:\Java\jre\  (with its separator)
};
JreFolders JreFoldersOf(const std::wstring& jvmLibraryPath);

// The text for -Djava.library.path: the (already expanded) "Library Path", the launcher's folder,
// ".", the process's search path and the JRE's lib folder; empty when `libraryPath` is empty.
std::wstring ComposeLibraryPath(const std::wstring& libraryPath, const std::wstring& launcherFolderWithSlash,
                                const std::wstring& processPath, const JreFolders& jre);
// The new "Path": the (already expanded) "System Path", the process's search path, the JRE's bin.
std::wstring ComposeSearchPath(const std::wstring& systemPath, const std::wstring& processPath, const JreFolders& jre);

// True for a class path entry that is searched on disk: one with "*", or one that is neither a
// drive path (second character ":") nor a network path (two leading backslashes).
bool NeedsClassPathSearch(const std::wstring& entry);
// True for a relative entry: neither a drive path nor a network path.
bool IsRelativeEntry(const std::wstring& entry);
// The path searched for an entry: relative entries are appended to the launcher's folder as they
// stand (so "\lib\a.jar" is written with its leading backslash).
std::wstring ClassPathSearchPath(const std::wstring& entry, const std::wstring& launcherFolder);
// The search path up to and including its last backslash.
std::wstring FolderPrefixOf(const std::wstring& searchPath);

// Cuts "Virtual Machine Parameters" at runs of spaces outside double-quoted stretches.
std::vector<std::wstring> SplitVmParameters(const std::wstring& text);
// Removes the quotes of quoted stretches; a doubled quote inside one leaves one literal quote.
void UnquoteToken(std::wstring& token);

struct ColonNumbers {
    size_t prefixLength = 0;
    std::vector<uint64_t> numbers;
};
ColonNumbers ParseColonNumbers(const std::wstring& text);

// True for -Xms/-Xmx/-Xss tokens ending in P, p, T or t.
bool IsMemoryPercentageToken(const std::wstring& token);
// Rewrites such a token to "<option><kilobytes>K" from a percentage of `physicalBytes` (P) or
// of `availableVirtualBytes` (T), clamped to the optional minimum and maximum megabytes, and then
// to `ceilingBytes` (what the process can reserve, see MemoryCeilingOf32BitProcess; UINT64_MAX:
// no limit).
void ApplyMemoryPercentage(std::wstring& token, uint64_t physicalBytes, uint64_t availableVirtualBytes,
                           uint64_t ceilingBytes = UINT64_MAX);

// The most that a memory percentage may come to in a 32-bit process whose user address space is
// `totalVirtualBytes` (MEMORYSTATUS dwTotalVirtual). A 32-bit virtual machine reserves its heap in
// one piece: in a 2 GB address space the system and runtime libraries leave about 1.3 to 1.5 GB in
// one piece, so 1280 MB; with 3 GB or more (the launcher is large-address-aware: 4 GB under
// 64-bit Windows, 3 GB on a 32-bit system started with /3GB) the space above 2 GB is nearly free,
// but the VM also reserves its code cache, class space and thread stacks there, so 1536 MB.
uint64_t MemoryCeilingOf32BitProcess(uint64_t totalVirtualBytes);

// Bytes of an -Xss value ("512k", "2m", "1g", "1048576"); 0 when unusable.
uint64_t ParseStackSize(const std::wstring& value);

// UTF-16 to the 8-bit text of the VM options is done by the caller; this is the list of wide
// option strings in their final order (before the "abort" and "exit" hooks).
