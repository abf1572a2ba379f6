#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/Architecture.h"
#include "runtime/PeImage.h"
#include "jre/RegistrySearch.h"
#include "tests/framework/Check.h"

namespace {

void Put32(std::vector<unsigned char>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A DOS header whose e_lfanew is `offset`, the "PE\0\0" signature there and the machine after it,
// cut to `size` bytes. Every buffer is allocated at its exact size so that the sanitizer sees
// any read past its end.
std::vector<unsigned char> Image(size_t size, int64_t offset, uint16_t machine, uint32_t signature = 0x00004550) {
    std::vector<unsigned char> full(0x200, 0);
    full[0] = 'M';
    full[1] = 'Z';
    Put32(full, 0x3C, static_cast<uint32_t>(offset));
    if (offset >= 0 && offset + 6 <= static_cast<int64_t>(full.size())) {
        Put32(full, static_cast<size_t>(offset), signature);
        full[static_cast<size_t>(offset) + 4] = static_cast<unsigned char>(machine);
        full[static_cast<size_t>(offset) + 5] = static_cast<unsigned char>(machine >> 8);
    }
    return std::vector<unsigned char>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(size));
}

}  // namespace

TEST_CASE(pe_machine_is_read_only_from_well_formed_headers) {
    struct Row {
        const wchar_t* name;
        std::vector<unsigned char> bytes;
        bool isImage;
        uint16_t machine;
    };
    std::vector<unsigned char> notMz = Image(0x100, 0x80, 0x8664);
    notMz[0] = 'Z';
    const Row rows[] = {
        {L"x86 image", Image(0x100, 0x80, 0x014C), true, 0x014C},
        {L"x64 image", Image(0x100, 0x80, 0x8664), true, 0x8664},
        {L"headers end exactly at the machine field", Image(0x86, 0x80, 0x8664), true, 0x8664},
        {L"empty file", {}, false, 0},
        {L"one byte", {'M'}, false, 0},
        {L"only MZ", {'M', 'Z'}, false, 0},
        {L"no MZ", notMz, false, 0},
        {L"DOS header cut before e_lfanew", Image(0x3C, 0x80, 0x8664), false, 0},
        {L"DOS header cut inside e_lfanew", Image(0x3F, 0x80, 0x8664), false, 0},
        {L"cut after the DOS header", Image(0x40, 0x80, 0x8664), false, 0},
        {L"machine field cut in half", Image(0x85, 0x80, 0x8664), false, 0},
        {L"signature cut", Image(0x82, 0x80, 0x8664), false, 0},
        {L"e_lfanew at the end", Image(0x100, 0x100, 0x8664), false, 0},
        {L"e_lfanew beyond the end", Image(0x100, 0x1000, 0x8664), false, 0},
        {L"e_lfanew 0x7FFFFFFF", Image(0x100, 0x7FFFFFFF, 0x8664), false, 0},
        {L"e_lfanew -1", Image(0x100, -1, 0x8664), false, 0},
        {L"e_lfanew most negative", Image(0x100, INT32_MIN, 0x8664), false, 0},
        {L"e_lfanew -0x40 (wraps to the DOS header)", Image(0x100, -0x40, 0x8664), false, 0},
        {L"wrong signature PE\\0\\1", Image(0x100, 0x80, 0x8664, 0x01004550), false, 0},
        {L"NE signature", Image(0x100, 0x80, 0x8664, 0x0000454E), false, 0},
        {L"e_lfanew 0 reads MZ as signature", Image(0x100, 0, 0x8664), false, 0},
    };
    for (const Row& row : rows) {
        const std::vector<unsigned char> exact(row.bytes);  // capacity == size
        uint16_t machine = 0;
        const bool isImage = ReadPeMachine(exact.empty() ? nullptr : exact.data(), exact.size(), machine);
        CHECK_EQ_AT(row.name, isImage, row.isImage);
        if (row.isImage) CHECK_EQ_AT(row.name, machine, row.machine);
        // A file that cannot be examined is never foreign, for either build.
        if (!row.isImage) {
            CHECK_EQ_AT(row.name, IsForeignImage(row.bytes.data(), row.bytes.size(), Arch::X64), false);
            CHECK_EQ_AT(row.name, IsForeignImage(row.bytes.data(), row.bytes.size(), Arch::X86), false);
        }
    }
}

TEST_CASE(foreign_machine_depends_on_the_build) {
    struct Row {
        uint16_t machine;
        bool foreignTo64;
        bool foreignTo32;
    };
    const Row rows[] = {
        {0x014C, true, false},   // x86
        {0x8664, false, true},   // x64
        {0xAA64, false, true},   // ARM64: the 64-bit build loads anything but x86
        {0x0200, false, true},   // Itanium
        {0x0000, false, true},
    };
    for (const Row& row : rows) {
        const std::wstring name = L"machine " + std::to_wstring(row.machine);
        CHECK_EQ_AT(name, IsForeignMachine(Arch::X64, row.machine), row.foreignTo64);
        CHECK_EQ_AT(name, IsForeignMachine(Arch::X86, row.machine), row.foreignTo32);
        const std::vector<unsigned char> bytes = Image(0x100, 0x80, row.machine);
        CHECK_EQ_AT(name, IsForeignImage(bytes.data(), bytes.size(), Arch::X64), row.foreignTo64);
        CHECK_EQ_AT(name, IsForeignImage(bytes.data(), bytes.size(), Arch::X86), row.foreignTo32);
    }
}

// The view searched second, and the machine the x86 build loads, are facts of the build.
static_assert(OtherRegistryViewFlag(Arch::X64) == 0x200u && OtherRegistryViewFlag(Arch::X86) == 0x100u,
              "the 64-bit build searches the 32-bit view second, and the other way round");
static_assert(OtherArch(Arch::X64) == Arch::X86 && OtherArch(Arch::X86) == Arch::X64, "two builds");
static_assert(kMachineI386 == 0x014C, "IMAGE_FILE_MACHINE_I386");

TEST_CASE(the_builds_differ_in_local_folder_and_second_view) {
    CHECK_EQ(std::wstring(LocalJreFolderName(Arch::X64)), L"jre64\\");
    CHECK_EQ(std::wstring(LocalJreFolderName(Arch::X86)), L"jre\\");
    CHECK_EQ(RegistryViewFlag(RegistryView::Native, Arch::X64), 0u);
    CHECK_EQ(RegistryViewFlag(RegistryView::Native, Arch::X86), 0u);
    CHECK_EQ(RegistryViewFlag(RegistryView::Other, Arch::X64), 0x200u);
    CHECK_EQ(RegistryViewFlag(RegistryView::Other, Arch::X86), 0x100u);
}

TEST_CASE(java_home_data_is_read_up_to_its_first_nul_and_never_beyond) {
    auto utf16 = [](const std::wstring& text, bool terminate) {
        std::vector<unsigned char> bytes;
        for (wchar_t c : text) {
            bytes.push_back(static_cast<unsigned char>(c & 0xFF));
            bytes.push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
        }
        if (terminate) bytes.insert(bytes.end(), {0, 0});
        return bytes;
    };
    struct Row {
        const wchar_t* name;
        std::vector<unsigned char> bytes;
        std::wstring text;
    };
    std::vector<unsigned char> odd = utf16(L"C:\\J", false);
    odd.push_back('x');
    std::vector<unsigned char> early = utf16(L"C:\\J", true);
    const std::vector<unsigned char> tail = utf16(L"unused", true);
    early.insert(early.end(), tail.begin(), tail.end());
    const std::wstring longPath(100000, L'a');
    const Row rows[] = {
        {L"terminated", utf16(L"C:\\Java\\jre8", true), L"C:\\Java\\jre8"},
        {L"not terminated", utf16(L"C:\\Java\\jre8", false), L"C:\\Java\\jre8"},
        {L"odd length drops the last byte", odd, L"C:\\J"},
        {L"text after the first NUL is ignored", early, L"C:\\J"},
        {L"non-ASCII unit", utf16(L"C:\\J\u00e9", false), L"C:\\J\u00e9"},
        {L"starts with NUL", utf16(L"", true), L""},
        {L"no data", {}, L""},
        {L"one byte", {'C'}, L""},
        {L"a DWORD is read as two code units", {'A', 0, 'B', 0}, L"AB"},
        {L"very large, not terminated", utf16(longPath, false), longPath},
    };
    for (const Row& row : rows) {
        // An exact-size heap copy: a read past the end is a sanitizer error.
        std::vector<unsigned char> exact(row.bytes);
        exact.shrink_to_fit();
        CHECK_EQ_AT(row.name, JavaHomeFromRegistryData(exact.empty() ? nullptr : exact.data(), exact.size()), row.text);
    }
}
