#include "runtime/PeImage.h"

namespace {

constexpr size_t kHeaderOffsetField = 0x3C;  // e_lfanew in the DOS header
constexpr uint32_t kPeSignature = 0x00004550;  // "PE\0\0"

uint16_t ReadU16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t ReadU32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool ReadPeMachine(const unsigned char* data, size_t size, uint16_t& machine) {
    if (data == nullptr || size < 2 || data[0] != 'M' || data[1] != 'Z') return false;
    if (size < kHeaderOffsetField + 4) return false;

    // The offset is a signed 32-bit field.
    const uint32_t rawOffset = ReadU32(data + kHeaderOffsetField);
    if (rawOffset > 0x7FFFFFFFu) return false;
    const size_t offset = rawOffset;
    // Signature (4 bytes) and machine (2 bytes) must lie inside the file; compared without
    // forming offset + 6, which could wrap on a 32-bit size_t.
    if (offset > size || size - offset < 6) return false;

    if (ReadU32(data + offset) != kPeSignature) return false;
    machine = ReadU16(data + offset + 4);
    return true;
}

bool IsForeignImage(const unsigned char* data, size_t size, Arch arch) {
    uint16_t machine = 0;
    return ReadPeMachine(data, size, machine) && IsForeignMachine(arch, machine);
}
