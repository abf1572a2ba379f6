// Reads the machine type of a PE image from its bytes, without trusting any offset in them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/Architecture.h"

// The machine field of the file header. False when the bytes are not a PE image: no "MZ", a DOS
// header too short to hold the header offset, an offset that is negative or points where the
// "PE\0\0" signature and the machine field do not fit, or a wrong signature. Nothing outside
// [data, data + size) is read.
bool ReadPeMachine(const unsigned char* data, size_t size, uint16_t& machine);

// True when the bytes are a PE image whose machine type the launcher of `arch` cannot load. A file
// that cannot be examined counts as the launcher's own architecture.
bool IsForeignImage(const unsigned char* data, size_t size, Arch arch);
