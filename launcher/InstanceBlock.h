// The block that a first instance shares with later starts of the same executable, and the names
// of the shared objects.
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
    // Bytes 0-3: the number of arguments of the latest later start (0: count by the double NUL
    // alone), so that an empty argument does not end the list early. Bytes 4-7: the thread that
    // wrote them (0: unknown). Bytes 8-11: when non-zero, the arguments did not fit the area and
    // stand, encoded as there, in that many bytes of the mapping ArgumentsMappingName(instance
    // name, writer thread) that the later start created.
    uint8_t reserved[1040];
};
static_assert(offsetof(InstanceBlock, processId) == 4, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, messageId) == 8, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, arguments) == 12, "InstanceBlock layout");
static_assert(offsetof(InstanceBlock, reserved) == 1052, "InstanceBlock layout");
static_assert(sizeof(InstanceBlock) == 2092, "InstanceBlock layout");

// How many blocks an executable may try: a block held by a party that is not a first instance of
// the executable is passed over for the next one.
const unsigned kInstanceSlots = 8;
// The longest name the shared objects' base name may have; the suffixes of the companion objects
// and a slot number still fit the kernel's limit of 260.
const size_t kInstanceNameMax = 200;
// The most bytes an argument list handed over beside the block may have.
const uint32_t kMaxArgumentBytes = 1u << 20;

// The base name of the shared objects for the executable at `foldedPath`, its canonical long path
// in the case that file names are compared in (upper case). Different paths give different names:
// a hash of the whole path, then the path with "\" as "/" ("%" and "/" escaped), cut at its start
// when it would be too long. Never contains "\".
std::wstring InstanceNameFromCanonicalPath(const std::wstring& foldedPath);

// The name of block `slot` (0 for the first) of an executable.
std::wstring InstanceSlotName(const std::wstring& instanceName, unsigned slot);

// The mapping that carries the arguments of the later start on thread `writerThreadId` when they
// do not fit the block.
std::wstring ArgumentsMappingName(const std::wstring& instanceName, uint32_t writerThreadId);

// The argument list as the block carries it: UTF-16LE, each argument followed by a NUL, then a NUL.
std::vector<uint8_t> EncodeArguments(const std::vector<std::wstring>& arguments);

// Reads `size` bytes written by EncodeArguments back. With `count` non-zero the list ends after
// that many arguments, otherwise at the first empty one. No arguments read as one empty argument;
// bytes without their final NULs end at their edge.
std::vector<std::wstring> DecodeArguments(const uint8_t* bytes, size_t size, uint32_t count);

// Writes `arguments` into the argument area (zero-filled first) and their number. False, with
// nothing written, when they need more than the area holds with both terminating NULs.
bool WriteForwardedArguments(const std::vector<std::wstring>& arguments, uint32_t writerThreadId,
                             InstanceBlock& block);

// Records that the `count` arguments of the start on `writerThreadId` stand in `size` bytes beside
// the block; the area is left empty.
void WriteArgumentsElsewhere(uint32_t count, uint32_t size, uint32_t writerThreadId, InstanceBlock& block);

// The thread of the later start whose arguments stand in the area; 0 when it did not say.
uint32_t ForwardedArgumentsWriter(const InstanceBlock& block);

// The size of the argument list beside the block; 0 when the list stands in the area.
uint32_t ArgumentsElsewhereSize(const InstanceBlock& block);
// The number of arguments recorded; 0 when the writer kept no count.
uint32_t ForwardedArgumentCount(const InstanceBlock& block);

// Reads the argument area back: no arguments read as one empty argument. Without a count, an
// empty argument ends the list (as a start that writes no count means it).
std::vector<std::wstring> ReadForwardedArguments(const InstanceBlock& block);
