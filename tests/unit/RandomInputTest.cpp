// Random and mutated inputs for every parser that takes text or bytes from outside: in the
// sanitizer build any read past a buffer or undefined arithmetic fails the run. Deterministic
// (fixed seed), so a failure can be replayed.
#include <cstring>
#include <memory>
#include <random>

#include "jre/JavaVersion.h"
#include "jre/PeImage.h"
#include "jre/RegistrySearch.h"
#include "jre/ReleaseFile.h"
#include "jvm/OutputPaths.h"
#include "jvm/VmOptions.h"
#include "launcher/CommandLine.h"
#include "base/PathText.h"
#include "launcher/InstanceBlock.h"
#include "base/MessageText.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"

namespace {

// Texts made mostly of the characters the parsers care about.
std::wstring RandomText(std::mt19937& random, size_t maxLength) {
    static const wchar_t kAlphabet[] = L" \"%:;\\.*_-0123456789PpTtKkMmGgLsd-Xmsx\x00e9\xd83d";
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet / sizeof kAlphabet[0] - 2);
    std::wstring text(length(random), L' ');
    for (auto& c : text) c = kAlphabet[pick(random)];
    return text;
}

std::vector<unsigned char> RandomBytes(std::mt19937& random, size_t maxLength) {
    std::uniform_int_distribution<size_t> length(0, maxLength);
    std::vector<unsigned char> bytes(length(random));
    for (auto& b : bytes) b = static_cast<unsigned char>(random());
    return bytes;
}

}  // namespace

TEST_CASE(RandomTexts_ParsersStayInBounds) {
    std::mt19937 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        const std::wstring text = RandomText(random, 64);
        JavaVersion version;
        ParseJavaVersion(text, 65535, version);
        FormatJavaVersion(version);
        StringList tokens;
        SplitArguments(text, tokens);
        ArgumentsFromCommandLine(text);
        for (std::wstring token : SplitVmParameters(text)) {
            UnquoteToken(token);
            if (IsMemoryPercentageToken(token)) ApplyMemoryPercentage(token, 8ull << 30, 2ull << 30);
            ParseStackSize(token);
        }
        ParseColonNumbers(text);
        SplitList(text);
        ParentFoldersToCreate(text);
        ReplaceMilliseconds(text, 999);
        size_t first = 0, last = 0;
        FindTimestampPicture(text, first, last);
        FormatMessageTemplate(text, {L"a", 1});
        ClassPathSearchPath(text, L"C:\\App");
        FolderPrefixOf(text);
        JreFoldersOf(text);
    }
}

TEST_CASE(RandomBytes_HeadersAndBlocksStayInBounds) {
    std::mt19937 random(7);
    // A valid-looking PE skeleton that the mutations start from.
    std::vector<unsigned char> pe(512, 0);
    pe[0] = 'M';
    pe[1] = 'Z';
    pe[0x3c] = 0x80;
    std::memcpy(&pe[0x80], "PE\0\0", 4);
    pe[0x84] = 0x4c;
    pe[0x85] = 0x01;
    for (int i = 0; i < 20000; ++i) {
        std::vector<unsigned char> bytes = i % 2 ? RandomBytes(random, 300) : pe;
        if (i % 2 == 0) {
            bytes.resize(random() % (pe.size() + 1));
            for (int k = 0; k < 4 && !bytes.empty(); ++k) bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        }
        // Exactly sized copies, so that the sanitizer sees a read past the end.
        std::unique_ptr<unsigned char[]> exact(new unsigned char[bytes.size()]);
        if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
        uint16_t machine = 0;
        ReadPeMachine(exact.get(), bytes.size(), machine);
        IsForeignImage(exact.get(), bytes.size(), Arch::X64);
        JavaHomeFromRegistryData(exact.get(), bytes.size());
        // A release file of random bytes, and one whose JAVA_VERSION line is cut or mutated.
        std::wstring release;
        std::string releaseBytes(bytes.begin(), bytes.end());
        if (i % 4 == 1) releaseBytes = "JAVA_VERSION=\"" + releaseBytes;
        ReadReleaseVersion(releaseBytes, i % 3 != 0, release);

        std::vector<uint16_t> words(bytes.size() / 2);
        if (!words.empty()) std::memcpy(words.data(), bytes.data(), words.size() * 2);
        std::wstring text;
        for (unsigned index = 0; index < 16; ++index) StringFromTableBlock(words.data(), words.size(), index, text);

        InstanceBlock block = {};
        if (!bytes.empty()) {
            std::memcpy(block.arguments, bytes.data(), std::min(bytes.size(), sizeof block.arguments));
            std::memcpy(block.reserved, bytes.data(), std::min(bytes.size(), size_t(8)));
        }
        ReadForwardedArguments(block);
    }
}
