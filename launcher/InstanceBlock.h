// The block that a first instance shares with later starts of the same executable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct InstanceBlock {
    uint32_t listenerThreadId;  // the first instance's listener thread
    uint32_t processId;         // the first instance's process
    uint32_t messageId;         // the registered message of the executable
    uint8_t arguments[1040];    // the latest later start's arguments: UTF-16LE, each NUL-terminated, then a NUL
    // Its first four bytes hold the number of arguments of the latest later start (0: count
    // by the double NUL alone), so that an empty argument does not end the list early; the next
    // four the thread that wrote them (0: unknown).
    uint8_t reserved[1040];
};
static_assert(offsetof(InstanceBlock, processId) == 4, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, messageId) == 8, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, arguments) == 12, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, reserved) == 1052, "InstanceBlock layout");
static_assert(sizeof(InstanceBlock) == 2092, "InstanceBlock layout");

// The executable's full path with every "\" replaced by "_": the name of the shared objects.
std::wstring InstanceNameFromPath(const std::wstring& modulePath);

// Writes `arguments` into the argument area (zero-filled first) and their number. False, with
// nothing written, when they need more than the area holds with both terminating NULs.
bool WriteForwardedArguments(const std::vector<std::wstring>& arguments, uint32_t writerThreadId,
                             InstanceBlock& block);

// The thread of the later start whose arguments stand in the area; 0 when it did not say.
uint32_t ForwardedArgumentsWriter(const InstanceBlock& block);

// Reads the argument area back: no arguments read as one empty argument. Without a count, an
// empty argument ends the list (as a start that writes no count means it).
std::vector<std::wstring> ReadForwardedArguments(const InstanceBlock& block);
