#include "launcher/InstanceBlock.h"

#include <cstring>

#include "base/PathText.h"

std::wstring InstanceNameFromPath(const std::wstring& modulePath) { return ReplaceChar(modulePath, L'\\', L'_'); }

namespace {

uint32_t ReadWord(const InstanceBlock& block, size_t at) {
    return static_cast<uint32_t>(block.reserved[at]) | (static_cast<uint32_t>(block.reserved[at + 1]) << 8) |
           (static_cast<uint32_t>(block.reserved[at + 2]) << 16) | (static_cast<uint32_t>(block.reserved[at + 3]) << 24);
}

void WriteWord(InstanceBlock& block, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) block.reserved[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t ReadCount(const InstanceBlock& block) { return ReadWord(block, 0); }

}  // namespace

uint32_t ForwardedArgumentsWriter(const InstanceBlock& block) { return ReadWord(block, 4); }

bool WriteForwardedArguments(const std::vector<std::wstring>& arguments, uint32_t writerThreadId,
                             InstanceBlock& block) {
    uint8_t (&area)[1040] = block.arguments;
    size_t total = 0;
    for (const auto& argument : arguments) total += 2 * argument.size() + 2;
    if (total + 2 > sizeof area) return false;
    std::memset(area, 0, sizeof area);
    WriteWord(block, 0, static_cast<uint32_t>(arguments.size()));
    WriteWord(block, 4, writerThreadId);
    size_t offset = 0;
    for (const auto& argument : arguments) {
        for (wchar_t c : argument) {
            const auto unit = static_cast<uint16_t>(c);
            area[offset++] = static_cast<uint8_t>(unit & 0xff);
            area[offset++] = static_cast<uint8_t>(unit >> 8);
        }
        offset += 2;  // the NUL after each argument; the zero fill supplies the last one too
    }
    return true;
}

std::vector<std::wstring> ReadForwardedArguments(const InstanceBlock& block) {
    const uint8_t (&area)[1040] = block.arguments;
    const uint32_t count = ReadCount(block);
    std::vector<std::wstring> arguments;
    std::wstring current;
    // Offsets within the whole block stop below 2090, which leaves the area's 520 units.
    for (size_t offset = 0; offset + 1 < sizeof area; offset += 2) {
        const auto unit = static_cast<uint16_t>(area[offset] | (area[offset + 1] << 8));
        if (unit != 0) {
            current += static_cast<wchar_t>(unit);
            continue;
        }
        arguments.push_back(current);
        current.clear();
        if (count != 0) {
            if (arguments.size() == count) return arguments;
            continue;
        }
        const bool nextIsNul = offset + 3 >= sizeof area || (area[offset + 2] | area[offset + 3]) == 0;
        if (nextIsNul) return arguments;
    }
    // An area without its final NULs (written by a hostile or broken start) ends at its edge.
    if (!current.empty()) arguments.push_back(current);
    return arguments;
}
