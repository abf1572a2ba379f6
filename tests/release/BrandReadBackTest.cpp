// A branded launcher read back the way Windows and its shell see it: the version block through the
// version API, the icon through the shell's icon extraction and, image by image, against the .ico
// file it was built from, and the execution level of its manifest. And the shipped sample INI
// beside it, as a team receives it and once it names its main class and jar.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/UniqueResource.h"
#include "resources/resource.h"
#include "tests/framework/Check.h"
#include "tests/support/ProcessDriver.h"
#include "tests/system/LauncherFixture.h"

using namespace testsupport;

namespace {

std::wstring Launcher() { return WinePathFromEnvironment(L"MARLWICK_BRANDED_LAUNCHER"); }

std::vector<uint8_t> VersionBlock(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<uint8_t> block(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, block.data())) block.clear();
    return block;
}

std::wstring VersionString(std::vector<uint8_t>& block, const wchar_t* language, const wchar_t* name) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\") + language + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return L"<none>";
    return std::wstring(static_cast<const wchar_t*>(value));
}

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colors, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

}  // namespace

// Both builds carry the brand; each version block names its own file (the console build's under
// the name it was given, as with release.sh --console-name acmetool).
TEST_CASE(VersionBlock_CarriesTheBrand) {
    struct Build {
        std::wstring path;
        const wchar_t* originalFilename;
    };
    const Build builds[] = {
        {Launcher(), LauncherIsX86() ? L"Acme Tool.exe" : L"Acme Tool 64.exe"},
        {WinePathFromEnvironment(L"MARLWICK_BRANDED_CONSOLE"), LauncherIsX86() ? L"acmetool.exe" : L"acmetool 64.exe"},
    };
    for (const Build& build : builds) {
        std::vector<uint8_t> block = VersionBlock(build.path);
        CHECK_EQ_AT(build.path, block.empty(), false);
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        if (!block.empty() && VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length)) {
            CHECK_EQ(fixed->dwFileVersionMS, DWORD{0x00020005});
            CHECK_EQ(fixed->dwFileVersionLS, DWORD{0x00010007});
            CHECK_EQ(fixed->dwProductVersionMS, DWORD{0x00020005});
            CHECK_EQ(fixed->dwProductVersionLS, DWORD{0x00010007});
        }
        struct Row { const wchar_t* name; const wchar_t* value; };
        const Row rows[] = {
            {L"CompanyName", L"Acme \"Q\" Ltd"},
            {L"FileDescription", L"Acme Tool: runs C:\\Acme\\tool.jar"},
            {L"LegalCopyright", L"\u00A9 2026 Acme; all rights reserved"},
            {L"ProductName", L"Acme Tool"},
            {L"InternalName", L"Acme Tool"},
            {L"OriginalFilename", build.originalFilename},
            {L"FileVersion", L"2.5.1.7"},
            {L"ProductVersion", L"2.5.1.7"},
        };
        for (const wchar_t* language : {L"040904b0", L"0c0a04b0"}) {
            for (const Row& row : rows) {
                CHECK_EQ_AT(build.path + L" " + language + L" " + row.name, VersionString(block, language, row.name),
                            std::wstring(row.value));
            }
        }
    }
}

TEST_CASE(Icon_EveryImageOfTheIcoFile) {
    const std::wstring exe = Launcher();
    // The shell finds one icon and extracts it.
    CHECK_EQ(ExtractIconExW(exe.c_str(), -1, nullptr, nullptr, 0), UINT{1});
    HICON large = nullptr;
    HICON small = nullptr;
    CHECK_EQ(ExtractIconExW(exe.c_str(), 0, &large, &small, 1), UINT{2});  // one large, one small
    CHECK(large != nullptr && small != nullptr);
    ICONINFO info = {};
    if (large != nullptr && GetIconInfo(large, &info)) {
        BITMAP bitmap = {};
        GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
        CHECK_EQ(bitmap.bmWidth, LONG{GetSystemMetrics(SM_CXICON)});
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    if (large != nullptr) DestroyIcon(large);
    if (small != nullptr) DestroyIcon(small);

    // Every image of the .ico file, byte for byte, in the executable's icon group.
    std::string ico;
    CHECK(ReadFileBytes(WinePathFromEnvironment(L"MARLWICK_BRAND_ICON"), ico));
    CHECK(ico.size() >= 6);
    if (ico.size() < 6) return;
    WORD images = 0;
    std::memcpy(&images, ico.data() + 4, 2);
    CHECK(images >= 3);
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    CHECK(module != nullptr);
    if (module == nullptr) return;
    HRSRC groupInfo = FindResourceW(module, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), RT_GROUP_ICON);
    CHECK(groupInfo != nullptr);
    const uint8_t* group = groupInfo ? static_cast<const uint8_t*>(LockResource(LoadResource(module, groupInfo))) : nullptr;
    WORD groupCount = 0;
    if (group != nullptr) std::memcpy(&groupCount, group + 4, 2);
    CHECK_EQ(groupCount, images);
    for (WORD i = 0; group != nullptr && i < images && i < groupCount; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group + 6 + i * sizeof(GroupIconEntry), sizeof entry);
        DWORD bytes = 0, offset = 0;
        std::memcpy(&bytes, ico.data() + 6 + 16 * i + 8, 4);
        std::memcpy(&offset, ico.data() + 6 + 16 * i + 12, 4);
        HRSRC imageInfo = FindResourceW(module, MAKEINTRESOURCEW(entry.id), RT_ICON);
        CHECK(imageInfo != nullptr);
        if (imageInfo == nullptr || offset + bytes > ico.size()) continue;
        const std::string image(static_cast<const char*>(LockResource(LoadResource(module, imageInfo))),
                                SizeofResource(module, imageInfo));
        CHECK_EQ_AT(L"image " + std::to_wstring(i), image == ico.substr(offset, bytes), true);
        CHECK_EQ_AT(L"image " + std::to_wstring(i), entry.width, static_cast<BYTE>(ico[6 + 16 * i]));
    }
    FreeLibrary(module);
}

TEST_CASE(Manifest_AsksForTheChosenExecutionLevel) {
    HMODULE module = LoadLibraryExW(Launcher().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    CHECK(module != nullptr);
    if (module == nullptr) return;
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    CHECK(info != nullptr);
    if (info != nullptr) {
        const std::string manifest(static_cast<const char*>(LockResource(LoadResource(module, info))),
                                   SizeofResource(module, info));
        CHECK(manifest.find("level=\"highestAvailable\"") != std::string::npos);
        CHECK(manifest.find("asInvoker") == std::string::npos);
        CHECK(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos);
    }
    FreeLibrary(module);
}

TEST_CASE(SampleIni_AsShippedAndFilledIn) {
    std::string sample;
    CHECK(ReadFileBytes(WinePathFromEnvironment(L"MARLWICK_SAMPLE_INI"), sample));
    auto filledIn = [](std::string text) {
        for (const char* key : {";Main Class=", ";Class Path="}) {
            const size_t at = text.find(std::string("\n") + key);
            if (at != std::string::npos) text.erase(at + 1, 1);
        }
        return text;
    };
    struct Row {
        const wchar_t* name;
        std::string ini;
        DWORD exitCode;
        std::vector<std::wstring> boxes;
        bool mainRuns;
    };
    const Row rows[] = {
        {L"sample-as-shipped", sample, 0xFFFFFFFFu, {L"Main class was not specified in INI file."}, false},
        {L"sample-filled-in", filledIn(sample), 0, {}, true},
    };
    for (const Row& row : rows) {
        LauncherFixture launcher(row.name, LauncherIsX86() ? L"Acme Tool.exe" : L"Acme Tool 64.exe");
        CHECK_EQ_AT(row.name, launcher.ok(), true);
        const std::wstring jre = launcher.path(LocalJreName());
        CHECK(MakeFolders(JoinPath(jre, L"bin\\server")) && WriteFileBytes(JoinPath(jre, L"bin\\java.dll"), ""));
        CHECK(CopyThroughMemory(JoinPath(WinePathFromEnvironment(L"MARLWICK_FAKE_JVM_ROOT"), L"full\\bin\\server\\jvm.dll"),
                                JoinPath(jre, L"bin\\server\\jvm.dll")));
        CHECK(MakeFolders(launcher.path(L"lib")) && WriteFileBytes(launcher.path(L"lib\\app.jar"), ""));
        CHECK(WriteFileBytes(launcher.iniPath(), row.ini));
        const std::wstring log = launcher.path(L"fake-jvm.log");
        const RunResult run = launcher.Run({}, 60000, {L"MARLWICK_FAKE_JVM_LOG=" + log, L"APPDATA=" + launcher.path(L"AppData")});
        CHECK_EQ_AT(row.name, run.timedOut, false);
        CHECK_EQ_AT(row.name, run.exitCode, row.exitCode);
        CHECK_EQ_AT(row.name, BoxTexts(run), row.boxes);
        std::string record;
        ReadFileBytes(log, record);
        CHECK_EQ_AT(row.name, record.find("main class=com/example/App") != std::string::npos, row.mainRuns);
        CHECK_EQ_AT(row.name, record.find("lib\\app.jar;") != std::string::npos, row.mainRuns);
    }
}
