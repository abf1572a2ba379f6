#include "launcher/InstanceBlock.h"

#include "base/DecimalText.h"
#include "base/TextHash.h"

#include <algorithm>
#include <cstring>

namespace {

const wchar_t kNamePrefix[] = L"MarlwickInstance.";

std::wstring Hex(uint64_t value) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text(16, L'0');
    for (int i = 15; i >= 0; --i, value >>= 4) text[i] = digits[value & 0xf];
    return text;
}

uint32_t ReadWord(const InstanceBlock& block, size_t at) {
    return static_cast<uint32_t>(block.reserved[at]) | (static_cast<uint32_t>(block.reserved[at + 1]) << 8) |
           (static_cast<uint32_t>(block.reserved[at + 2]) << 16) | (static_cast<uint32_t>(block.reserved[at + 3]) << 24);
}

void WriteWord(InstanceBlock& block, size_t at, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) block.reserved[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

const size_t kCountAt = 0;
const size_t kWriterAt = 4;
const size_t kElsewhereAt = 8;

}  // namespace

std::wstring InstanceNameFromCanonicalPath(const std::wstring& foldedPath) {
    std::wstring escaped;
    for (wchar_t c : foldedPath) {
        if (c == L'%') {
            escaped += L"%25";
        } else if (c == L'/') {
            escaped += L"%2F";
        } else {
            escaped += c == L'\\' ? L'/' : c;
        }
    }
    std::wstring name = kNamePrefix + Hex(TextHash().Add(foldedPath).value()) + L".";
    const size_t room = kInstanceNameMax - name.size();
    // The end of the path (the file name and its folders) tells most; the hash covers the rest.
    if (escaped.size() > room) escaped.erase(0, escaped.size() - room);
    return name + escaped;
}

std::wstring InstanceSlotName(const std::wstring& instanceName, unsigned slot) {
    return slot == 0 ? instanceName : instanceName + L"#" + DecimalText(slot);
}

std::wstring ArgumentsMappingName(const std::wstring& instanceName, uint32_t writerThreadId) {
    return instanceName + L"_upr_args_" + DecimalText(writerThreadId);
}

std::vector<uint8_t> EncodeArguments(const std::vector<std::wstring>& arguments) {
    size_t total = 2;
    for (const auto& argument : arguments) total += 2 * argument.size() + 2;
    std::vector<uint8_t> bytes(total, 0);
    size_t offset = 0;
    for (const auto& argument : arguments) {
        for (wchar_t c : argument) {
            const auto unit = static_cast<uint16_t>(c);
            bytes[offset++] = static_cast<uint8_t>(unit & 0xff);
            bytes[offset++] = static_cast<uint8_t>(unit >> 8);
        }
        offset += 2;  // the NUL after each argument; the zero fill supplies the last one too
    }
    return bytes;
}

std::vector<std::wstring> DecodeArguments(const uint8_t* bytes, size_t size, uint32_t count) {
    std::vector<std::wstring> arguments;
    std::wstring current;
    for (size_t offset = 0; offset + 1 < size; offset += 2) {
        const auto unit = static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
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
        const bool nextIsNul = offset + 3 >= size || (bytes[offset + 2] | bytes[offset + 3]) == 0;
        if (nextIsNul) return arguments;
    }
    // Bytes without their final NULs (written by a hostile or broken start) end at their edge.
    if (!current.empty() || arguments.empty()) arguments.push_back(current);
    return arguments;
}

uint32_t ForwardedArgumentsWriter(const InstanceBlock& block) { return ReadWord(block, kWriterAt); }
uint32_t ArgumentsElsewhereSize(const InstanceBlock& block) { return ReadWord(block, kElsewhereAt); }
uint32_t ForwardedArgumentCount(const InstanceBlock& block) { return ReadWord(block, kCountAt); }

bool WriteForwardedArguments(const std::vector<std::wstring>& arguments, uint32_t writerThreadId,
                             InstanceBlock& block) {
    size_t total = 0;
    for (const auto& argument : arguments) total += 2 * argument.size() + 2;
    if (total + 2 > sizeof block.arguments) return false;
    const std::vector<uint8_t> bytes = EncodeArguments(arguments);
    std::memset(block.arguments, 0, sizeof block.arguments);
    std::memcpy(block.arguments, bytes.data(), bytes.size());
    WriteWord(block, kCountAt, static_cast<uint32_t>(arguments.size()));
    WriteWord(block, kWriterAt, writerThreadId);
    WriteWord(block, kElsewhereAt, 0);
    return true;
}

void WriteArgumentsElsewhere(uint32_t count, uint32_t size, uint32_t writerThreadId, InstanceBlock& block) {
    std::memset(block.arguments, 0, sizeof block.arguments);
    WriteWord(block, kCountAt, count);
    WriteWord(block, kWriterAt, writerThreadId);
    WriteWord(block, kElsewhereAt, size);
}

std::vector<std::wstring> ReadForwardedArguments(const InstanceBlock& block) {
    // Offsets within the whole block stop below 2090, which leaves the area's 520 units.
    return DecodeArguments(block.arguments, sizeof block.arguments, ForwardedArgumentCount(block));
}
