// The JRE probes against real folders and files under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include "base/IniFile.h"
#include "base/Win32Text.h"
#include "jre/JreSelection.h"
#include "jre/JreSettings.h"
#include "jre/Win32JreSystem.h"
#include "launcher/Settings.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/jre/JreFixtures.h"

using namespace jrefixtures;
using testsupport::JoinPath;
using testsupport::TempFolder;

namespace {

const wchar_t kClient[] = L"bin\\client\\jvm.dll";
const wchar_t kClassic[] = L"bin\\classic\\jvm.dll";
const wchar_t kHotspot[] = L"bin\\hotspot\\jvm.dll";
const wchar_t kServer[] = L"bin\\server\\jvm.dll";
const wchar_t kJRockit[] = L"bin\\jrockit\\jvm.dll";
const wchar_t kJava[] = L"bin\\java.dll";

std::wstring Folder(const TempFolder& temp, const wchar_t* name) { return temp / name + L"\\"; }

std::wstring TinyLibrary(const wchar_t* arch) {
    return JoinPath(testsupport::ExecutableFolder(), std::wstring(L"tiny-") + arch + L".dll");
}

// Restores the working directory when the test ends.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::wstring& path) {
        wchar_t old[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, old);
        old_ = old;
        SetCurrentDirectoryW(path.c_str());
    }
    ~WorkingDirectory() { SetCurrentDirectoryW(old_.c_str()); }

private:
    std::wstring old_;
};

}  // namespace

TEST_CASE(probe_layouts_for_each_jvm_type) {
    TempFolder temp(L"jre-probe");
    struct Row {
        const wchar_t* name;
        std::vector<std::wstring> files;
        const wchar_t* byType[3];  // Default, Server, FavorServer: sub-path found, empty for none
    };
    const Row rows[] = {
        {L"client", {kClient}, {kClient, L"", kClient}},
        {L"classic", {kClassic}, {kClassic, L"", kClassic}},
        {L"hotspot", {kHotspot}, {kHotspot, L"", kHotspot}},
        {L"server", {kServer}, {kServer, kServer, kServer}},
        {L"jrockit", {kJRockit}, {kJRockit, L"", kJRockit}},
        {L"client+server", {kClient, kServer}, {kClient, kServer, kServer}},
        {L"all", {kClient, kClassic, kHotspot, kServer, kJRockit}, {kClient, kServer, kServer}},
        {L"classic+hotspot+server", {kClassic, kHotspot, kServer}, {kClassic, kServer, kServer}},
        {L"hotspot+jrockit", {kHotspot, kJRockit}, {kHotspot, L"", kHotspot}},
        {L"java.dll only", {kJava}, {L"", L"", L""}},
    };
    const JvmType types[] = {JvmType::Default, JvmType::Server, JvmType::FavorServer};
    for (const Row& row : rows) {
        const std::wstring home = Folder(temp, row.name);
        CHECK_EQ_AT(row.name, MakeJre(home, row.files), true);
        for (int t = 0; t < 3; ++t) {
            const JvmProbeResult probe = ProbeJvmLibrary(home, types[t]);
            const std::wstring expected = *row.byType[t] ? home + row.byType[t] : L"";
            CHECK_EQ_AT(std::wstring(row.name) + L" type " + std::to_wstring(t), probe.library, expected);
            CHECK_EQ_AT(row.name, probe.server, expected.find(L"\\server\\") != std::wstring::npos);
        }
        CHECK_EQ_AT(row.name, HasJavaLibrary(home), row.files.size() == 1 && row.files[0] == kJava);
    }
}

TEST_CASE(probe_folders_named_like_libraries_do_not_count) {
    // A folder called jvm.dll (or java.dll) is passed over: the probe goes on to the next layout.
    TempFolder temp(L"jre-folders");
    const std::wstring home = Folder(temp, L"home");
    CHECK(MakeJre(home, {kServer}));
    CHECK(testsupport::MakeFolders(home + kClient));
    CHECK(testsupport::MakeFolders(home + kJava));
    const JvmProbeResult probe = ProbeJvmLibrary(home, JvmType::Default);
    CHECK_EQ(probe.library, home + kServer);
    CHECK(!HasJavaLibrary(home));
}

TEST_CASE(probe_empty_home_is_relative_to_the_working_directory_which_the_search_skips) {
    TempFolder temp(L"jre-cwd");
    CHECK(MakeJre(temp.path() + L"\\", {kServer}));
    WorkingDirectory cwd(temp.path());
    const JvmProbeResult probe = ProbeJvmLibrary(L"", JvmType::Default);
    CHECK_EQ(probe.library, std::wstring(kServer));
    CHECK(probe.server);

    // The launcher's own search: no JRE Path, nothing beside the test program, no registry entry.
    // The library planted in the working directory is not taken, nor one named by a relative
    // "JRE Path", which names a folder beside the executable.
    JreSettings settings;
    JreSelection selection;
    CHECK(!FindJre(settings, nullptr, selection));
    settings.jrePath = L".";
    CHECK(!FindJre(settings, nullptr, selection));
}

TEST_CASE(probe_local_jre_beside_the_executable) {
    TempFolder temp(L"jre-local");
    struct Row {
        const wchar_t* name;
        Arch arch;
        JvmType type;
        std::vector<std::wstring> appFiles;  // relative to the executable's folder
        const wchar_t* library;              // relative to it; empty: step 2 finds nothing
    };
    const Row rows[] = {
        {L"jre64 with java.dll", Arch::X64, JvmType::Default,
         {L"jre64\\bin\\java.dll", L"jre64\\bin\\client\\jvm.dll"}, L"jre64\\bin\\client\\jvm.dll"},
        {L"jre64 without java.dll", Arch::X64, JvmType::Default, {L"jre64\\bin\\client\\jvm.dll"}, L""},
        {L"the 64-bit launcher ignores jre", Arch::X64, JvmType::Default,
         {L"jre\\bin\\java.dll", L"jre\\bin\\client\\jvm.dll"}, L""},
        {L"the 32-bit launcher takes jre", Arch::X86, JvmType::Default,
         {L"jre\\bin\\java.dll", L"jre\\bin\\client\\jvm.dll", L"jre64\\bin\\java.dll", L"jre64\\bin\\server\\jvm.dll"},
         L"jre\\bin\\client\\jvm.dll"},
        {L"executable inside a JRE home wins over jre64", Arch::X64, JvmType::Default,
         {L"bin\\java.dll", L"bin\\server\\jvm.dll", L"jre64\\bin\\java.dll", L"jre64\\bin\\client\\jvm.dll"},
         L"bin\\server\\jvm.dll"},
        {L"executable inside a JRE home without a server library", Arch::X64, JvmType::Server,
         {L"bin\\java.dll", L"bin\\client\\jvm.dll", L"jre64\\bin\\java.dll", L"jre64\\bin\\server\\jvm.dll"}, L""},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::wstring app = Folder(temp, (L"app" + std::to_wstring(++n)).c_str());
        CHECK_EQ_AT(row.name, MakeJre(app, row.appFiles), true);
        PlacedSystem system(app + L"Tool 64.exe", row.arch);
        WorkingDirectory cwd(temp.path());  // holds no JRE
        JreSettings settings;
        settings.jvmType = row.type;
        JreSelection selection;
        const bool found = FindJre(system, settings, nullptr, selection);
        CHECK_EQ_AT(row.name, found, *row.library != L'\0');
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, *row.library ? app + row.library : L"");
        CHECK_EQ_AT(row.name, selection.runPairProduct, false);
    }
}

TEST_CASE(pe_architecture_of_real_and_malformed_files) {
    TempFolder temp(L"jre-pe");
    std::string x64;
    CHECK(testsupport::ReadFileBytes(TinyLibrary(L"x64"), x64));
    CHECK(x64.size() > 0x40);
    auto withOffset = [&](int32_t offset) {
        std::string bytes = x64;
        for (int i = 0; i < 4; ++i) bytes[0x3C + i] = static_cast<char>((static_cast<uint32_t>(offset) >> (8 * i)) & 0xFF);
        return bytes;
    };
    std::string wrongSignature = x64;
    const uint32_t offset = static_cast<unsigned char>(x64[0x3C]) | (static_cast<unsigned char>(x64[0x3D]) << 8);
    wrongSignature[offset + 2] = 1;
    std::string noMz = x64;
    noMz[0] = 'X';

    struct Row {
        const wchar_t* name;
        std::string bytes;
        bool foreignTo64;
        bool foreignTo32;
    };
    const Row rows[] = {
        {L"no MZ", noMz, false, false},
        {L"truncated after the DOS header", x64.substr(0, 0x40), false, false},
        {L"truncated inside the DOS header", x64.substr(0, 0x3E), false, false},
        {L"e_lfanew beyond the end", withOffset(static_cast<int32_t>(x64.size())), false, false},
        {L"e_lfanew far beyond the end", withOffset(0x7FFFFFF0), false, false},
        {L"e_lfanew negative", withOffset(-8), false, false},
        {L"wrong PE signature", wrongSignature, false, false},
        {L"empty file", std::string(), false, false},
        {L"MZ only", std::string("MZ"), false, false},
    };
    for (const Row& row : rows) {
        const std::wstring path = temp / (std::wstring(row.name) + L".dll");
        CHECK_EQ_AT(row.name, testsupport::WriteFileBytes(path, row.bytes), true);
        CHECK_EQ_AT(row.name, IsForeignArchitecture(path, Arch::X64), row.foreignTo64);
        CHECK_EQ_AT(row.name, IsForeignArchitecture(path, Arch::X86), row.foreignTo32);
    }
    // Real libraries built by the two compilers.
    CHECK_EQ(IsForeignArchitecture(TinyLibrary(L"x86"), Arch::X64), true);
    CHECK_EQ(IsForeignArchitecture(TinyLibrary(L"x86"), Arch::X86), false);
    CHECK_EQ(IsForeignArchitecture(TinyLibrary(L"x64"), Arch::X64), false);
    CHECK_EQ(IsForeignArchitecture(TinyLibrary(L"x64"), Arch::X86), true);
    // Nothing to examine.
    CHECK_EQ(IsForeignArchitecture(temp / L"missing.dll", Arch::X64), false);
    CHECK_EQ(IsForeignArchitecture(temp.path(), Arch::X64), false);
    // The library stays usable by others while it is examined, and is examined while others read it.
    UniqueFile reader(CreateFileW(TinyLibrary(L"x86").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    CHECK(static_cast<bool>(reader));
    CHECK_EQ(IsForeignArchitecture(TinyLibrary(L"x86"), Arch::X64), true);
}

TEST_CASE(pe_jre_path_of_the_other_architecture_hands_over_only_with_a_pair_product) {
    TempFolder temp(L"jre-pair");
    struct Row {
        const wchar_t* name;
        const wchar_t* library;
        Arch arch;
        const wchar_t* pairProduct;
        bool runPairProduct;
    };
    const Row rows[] = {
        {L"x86 library, pair product", L"x86", Arch::X64, L"C:\\App\\Tool.exe", true},
        {L"x86 library, no pair product", L"x86", Arch::X64, L"", false},
        {L"x64 library, pair product", L"x64", Arch::X64, L"C:\\App\\Tool.exe", false},
        {L"x64 library in the 32-bit launcher", L"x64", Arch::X86, L"C:\\App\\Tool 64.exe", true},
        {L"x86 library in the 32-bit launcher", L"x86", Arch::X86, L"C:\\App\\Tool 64.exe", false},
    };
    for (const Row& row : rows) {
        const std::wstring home = Folder(temp, row.library);
        testsupport::MakeFolders(home + L"bin\\client");
        CHECK(testsupport::CopyFileTo(TinyLibrary(row.library), home + kClient));
        PlacedSystem system(temp / L"Tool 64.exe", row.arch);
        JreSettings settings;
        settings.jrePath = temp / row.library;  // without a trailing backslash
        settings.pairProduct = row.pairProduct;
        JreSelection selection;
        CHECK_EQ_AT(row.name, FindJre(system, settings, nullptr, selection), true);
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, home + kClient);
        CHECK_EQ_AT(row.name, selection.runPairProduct, row.runPairProduct);
    }
}

// "JRE Path" goes back into a settings file in the file's own encoding: UTF-8 (with or without a
// mark) stays UTF-8, UTF-16 stays UTF-16, ANSI stays ANSI unless the path needs more; a new file
// is UTF-8. Each reads back whole, and the other values stay.
TEST_CASE(writeback_keeps_the_file_encoding) {
    const std::wstring home = L"C:\\\x00f1" L"and\x00fa\\jre\\";
    const std::wstring greek = L"C:\\\x03a9\\jre\\";
    const std::string utf8Home = "C:\\\xC3\xB1" "and\xC3\xBA\\jre\\";
    const std::string mark = "\xEF\xBB\xBF";
    struct Row {
        const wchar_t* name;
        bool exists;
        bool utf16;
        std::string before;     // bytes, or for UTF-16 the ASCII text
        std::wstring value;
        std::string startsWith; // the file's first bytes afterwards
        std::string holds;      // bytes the file holds afterwards
    };
    const Row rows[] = {
        {L"UTF-8 with mark", true, false, mark + "[Java Runtime Environment]\r\nMain Class=a.B\r\n", home, mark,
         "JRE Path=" + utf8Home},
        {L"UTF-8 without mark", true, false, "[Product Information]\r\nProduct Name=\xC3\x91u\r\n[Java Runtime Environment]\r\nMain Class=a.B\r\n",
         home, "[Product Information]", "JRE Path=" + utf8Home},
        {L"ANSI", true, false, "[Java Runtime Environment]\r\nMain Class=a.B\r\n", home, "[", "JRE Path=C:\\\xF1" "and\xFA\\jre\\"},
        {L"ANSI that cannot hold the path", true, false, "[Java Runtime Environment]\r\nMain Class=a.B\r\n", greek,
         mark + "[", "JRE Path=C:\\\xCE\xA9\\jre\\"},
        {L"UTF-16", true, true, "[Java Runtime Environment]\r\nMain Class=a.B\r\n", home, "\xFF\xFE", ""},
        {L"new file", false, false, "", home, "[Java Runtime Environment]", "JRE Path=" + utf8Home},
    };
    for (const Row& row : rows) {
        TempFolder temp(L"jre-encoding");
        const std::wstring path = temp / L"Tool 64.ini";
        if (row.exists && row.utf16) {
            CHECK(testsupport::WriteFileUtf16(path, std::wstring(row.before.begin(), row.before.end())));
        } else if (row.exists) {
            CHECK(testsupport::WriteFileBytes(path, row.before));
        }
        CHECK_EQ_AT(row.name, WriteIniValue(path, L"Java Runtime Environment", L"JRE Path", row.value), true);
        std::string bytes;
        CHECK(testsupport::ReadFileBytes(path, bytes));
        CHECK_EQ_AT(row.name, bytes.compare(0, row.startsWith.size(), row.startsWith), 0);
        if (!row.holds.empty()) CHECK_EQ_AT(row.name, bytes.find(row.holds) != std::string::npos, true);
        const IniSnapshot after = ReadIniSnapshot(path);
        CHECK_EQ_AT(row.name, after.text.GetString(L"Java Runtime Environment", L"JRE Path"), row.value);
        if (row.exists) CHECK_EQ_AT(row.name, after.text.GetString(L"Java Runtime Environment", L"Main Class"), std::wstring(L"a.B"));
    }
}

namespace {

const std::string kOldIni = "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\old\\\r\n";
const std::string kNewIni = "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\new\\\r\n";

testsupport::Process StartWriter(const std::wstring& path, const std::wstring& value, const std::wstring& step) {
    testsupport::StartOptions options;
    options.executable = JoinPath(testsupport::ExecutableFolder(), L"IniWriteStandIn.exe");
    std::vector<std::wstring> arguments = {options.executable, path, value};
    if (!step.empty()) arguments.push_back(step);
    options.commandLine = testsupport::QuoteCommandLine(arguments);
    return testsupport::Process::Start(options);
}

// The writers' temporary files left in a folder ("Tool 64.ini.<process>-<n>.tmp"). Wine's own
// ReplaceFileW may leave an "rf*.tmp" of its own when two replacements meet; that one is not ours.
std::vector<std::wstring> TemporaryFiles(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\Tool 64.ini.*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName); while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

}  // namespace

// A writer killed at any step leaves the old INI or the new one, whole; never a cut one.
TEST_CASE(writeback_killed_midway_leaves_a_whole_file) {
    struct Row { const wchar_t* step; const std::string* expected; };
    const Row rows[] = {{L"temporary", &kOldIni}, {L"replaced", &kNewIni}};
    for (const Row& row : rows) {
        TempFolder temp(L"jre-kill");
        const std::wstring path = temp / L"Tool 64.ini";
        CHECK(testsupport::WriteFileBytes(path, kOldIni));
        testsupport::Process writer = StartWriter(path, L"C:\\new\\", row.step);
        CHECK_EQ_AT(row.step, writer.started(), true);
        bool paused = false;
        for (int wait = 0; wait < 600 && !paused && writer.running(); ++wait) {
            paused = testsupport::PathExists(path + L".paused");
            if (!paused) Sleep(50);
        }
        CHECK_EQ_AT(row.step, paused, true);
        writer.Terminate();
        std::string bytes;
        CHECK(testsupport::ReadFileBytes(path, bytes));
        CHECK_EQ_AT(row.step, bytes, *row.expected);
    }
}

// Two launchers writing at the same moment: the file is one writer's text, whole, and no temporary
// file stays behind.
TEST_CASE(writeback_two_writers_at_once) {
    TempFolder temp(L"jre-race");
    const std::wstring path = temp / L"Tool 64.ini";
    const std::string expectedA = "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\a\\\r\n";
    const std::string expectedB = "[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\b\\\r\n";
    for (int round = 0; round < 5; ++round) {
        CHECK(testsupport::WriteFileBytes(path, kOldIni));
        testsupport::Process a = StartWriter(path, L"C:\\a\\", L"");
        testsupport::Process b = StartWriter(path, L"C:\\b\\", L"");
        const DWORD codeA = a.WaitForExit(60000).exitCode;
        const DWORD codeB = b.WaitForExit(60000).exitCode;
        std::string bytes;
        CHECK(testsupport::ReadFileBytes(path, bytes));
        if (bytes != expectedA && bytes != expectedB) {
            check::Fail(__FILE__, __LINE__, "exit codes " + std::to_string(codeA) + " " + std::to_string(codeB) + ": " + bytes);
        }
        CHECK_EQ_AT(std::to_wstring(round), bytes == expectedA || bytes == expectedB, true);
        CHECK_EQ_AT(std::to_wstring(round), TemporaryFiles(temp.path()), std::vector<std::wstring>());
    }
}

// The INI's attributes survive a write; what cannot be replaced stays as it was and the write
// reports failure: a read-only file, a folder in the INI's place, a folder that does not exist.
TEST_CASE(writeback_keeps_attributes_and_refuses_what_it_cannot_replace) {
    struct Row {
        const wchar_t* name;
        DWORD attributes;  // given to the existing INI; 0: none there
        bool folder;       // a folder in the INI's place
        const wchar_t* file;
        bool written;
    };
    const Row rows[] = {
        {L"hidden", FILE_ATTRIBUTE_HIDDEN, false, L"Tool 64.ini", true},
        {L"hidden and system", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false, L"Tool 64.ini", true},
        {L"read-only", FILE_ATTRIBUTE_READONLY, false, L"Tool 64.ini", false},
        {L"a folder", 0, true, L"Tool 64.ini", false},
        {L"no such folder", 0, false, L"missing\\Tool 64.ini", false},
        {L"no file yet", 0, false, L"Tool 64.ini", true},
    };
    for (const Row& row : rows) {
        TempFolder temp(L"jre-attributes");
        const std::wstring path = temp / row.file;
        if (row.folder) CHECK(testsupport::MakeFolders(path));
        if (row.attributes != 0) {
            CHECK(testsupport::WriteFileBytes(path, kOldIni));
            CHECK(SetFileAttributesW(path.c_str(), row.attributes));
        }
        CHECK_EQ_AT(row.name, WriteIniValue(path, L"Java Runtime Environment", L"JRE Path", L"C:\\new\\"), row.written);
        const DWORD after = GetFileAttributesW(path.c_str());
        if (row.folder) {
            CHECK_EQ_AT(row.name, after != INVALID_FILE_ATTRIBUTES && (after & FILE_ATTRIBUTE_DIRECTORY) != 0, true);
        } else if (row.attributes != 0) {
            const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
            CHECK_EQ_AT(row.name, after & kept, row.attributes);
            std::string bytes;
            CHECK(testsupport::ReadFileBytes(path, bytes));
            CHECK_EQ_AT(row.name, bytes, row.written ? kNewIni : kOldIni);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // so that the folder can go
        } else {
            CHECK_EQ_AT(row.name, after != INVALID_FILE_ATTRIBUTES, row.written);
        }
        CHECK_EQ_AT(row.name, TemporaryFiles(temp.path()), std::vector<std::wstring>());
    }
}

// ANSI text (an ANSI INI's, the VM's options) is in the system's code page, whichever thread
// converts it and whatever that thread's locale: a Russian thread locale (code page 1251) does not
// turn the accented letters of Windows-1252 into question marks.
TEST_CASE(writeback_ansi_text_is_the_systems_whatever_the_thread_locale) {
    if (GetACP() != 1252) return;  // the bytes below are Windows-1252's
    const LCID before = GetThreadLocale();
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT), SORT_DEFAULT));
    bool lossless = false;
    const std::string bytes = ToAnsi(L"C:\\\x00e9t\x00e9", &lossless);
    bool greekLossless = true;
    ToAnsi(L"\x03a9", &greekLossless);
    const std::wstring back = FromAnsi("\xE9");
    SetThreadLocale(before);
    CHECK_EQ(bytes, std::string("C:\\\xE9t\xE9"));
    CHECK(lossless);
    CHECK(!greekLossless);  // Omega is not in Windows-1252 (and no look-alike stands in)
    CHECK_EQ(back, std::wstring(L"\x00e9"));
}
