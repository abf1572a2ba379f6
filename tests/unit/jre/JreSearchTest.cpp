#include <string>
#include <vector>

#include "jre/JreSearch.h"
#include "tests/framework/Check.h"
#include "tests/unit/jre/FakeJreSystem.h"

namespace {

const wchar_t kSunJre[] = L"Software\\JavaSoft\\Java Runtime Environment\\";
const wchar_t kClient[] = L"bin\\client\\jvm.dll";
const wchar_t kServer[] = L"bin\\server\\jvm.dll";

JreSettings AnyVersion() {
    JreSettings s;
    s.maximumVersion = JavaVersion::OpenMaximum();
    return s;
}

}  // namespace

// Each row sets up one world; the search must end at the named library with the named flag.
TEST_CASE(sources_are_tried_in_their_fixed_order) {
    struct Row {
        const wchar_t* name;
        void (*setup)(FakeJreSystem&, JreSettings&);
        const wchar_t* library;  // empty: nothing found
        bool runPairProduct;
        const wchar_t* version;
    };
    const Row rows[] = {
        {L"JRE Path without backslash",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"C:\\ini";
             f.AddJre(L"C:\\ini\\", {kClient});
             f.AddJre(L"C:\\App\\", {L"bin\\java.dll", kClient});
         },
         L"C:\\ini\\bin\\client\\jvm.dll", false, L"0.0.0.0"},
        {L"foreign JRE Path with a pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"C:\\ini\\";
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.AddJre(L"C:\\ini\\", {kClient});
             f.foreignLibraries.insert(L"C:\\ini\\bin\\client\\jvm.dll");
         },
         L"C:\\ini\\bin\\client\\jvm.dll", true, L"0.0.0.0"},
        {L"foreign JRE Path without a pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"C:\\ini\\";
             f.AddJre(L"C:\\ini\\", {kClient});
             f.foreignLibraries.insert(L"C:\\ini\\bin\\client\\jvm.dll");
         },
         L"C:\\ini\\bin\\client\\jvm.dll", false, L"0.0.0.0"},
        {L"JRE Path of the wrong type falls through to the local JRE",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"C:\\ini\\";
             s.jvmType = JvmType::Server;
             f.AddJre(L"C:\\ini\\", {kClient});
             f.AddJre(L"C:\\App\\jre64\\", {L"bin\\java.dll", kServer});
         },
         L"C:\\App\\jre64\\bin\\server\\jvm.dll", false, L"0.0.0.0"},
        {L"a foreign local JRE goes to the pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.AddJre(L"C:\\App\\jre64\\", {L"bin\\java.dll", kClient});
             f.foreignLibraries.insert(L"C:\\App\\jre64\\bin\\client\\jvm.dll");
         },
         L"C:\\App\\jre64\\bin\\client\\jvm.dll", true, L"0.0.0.0"},
        {L"a foreign local JRE without a pair product is loaded as it is",
         [](FakeJreSystem& f, JreSettings& s) {
             f.AddJre(L"C:\\App\\jre64\\", {L"bin\\java.dll", kClient});
             f.foreignLibraries.insert(L"C:\\App\\jre64\\bin\\client\\jvm.dll");
         },
         L"C:\\App\\jre64\\bin\\client\\jvm.dll", false, L"0.0.0.0"},
        {L"the executable's folder wins over jre64 and has no server library",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jvmType = JvmType::Server;
             f.AddJre(L"C:\\App\\", {L"bin\\java.dll", kClient});
             f.AddJre(L"C:\\App\\jre64\\", {L"bin\\java.dll", kServer});
             f.AddJre(L"C:\\reg\\", {kServer});
             f.Register(0, kSunJre, L"1.8", L"C:\\reg");
         },
         L"C:\\reg\\bin\\server\\jvm.dll", false, L"1.8"},
        {L"jre64 without java.dll is not taken, nor a library in the working directory",
         [](FakeJreSystem& f, JreSettings& s) {
             f.AddJre(L"C:\\App\\jre64\\", {kClient});
             f.AddJre(L"", {kServer});
         },
         L"", false, L"0.0.0.0"},
        {L"a relative JRE Path names a folder beside the executable, not in the working directory",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jrePath = L"runtime";
             f.AddJre(L"runtime\\", {kClient});
             f.AddJre(L"C:\\App\\runtime\\", {kServer});
         },
         L"C:\\App\\runtime\\bin\\server\\jvm.dll", false, L"0.0.0.0"},
        {L"the 32-bit launcher looks into jre",
         [](FakeJreSystem& f, JreSettings& s) {
             f.arch = Arch::X86;
             f.AddJre(L"C:\\App\\jre64\\", {L"bin\\java.dll", kClient});
             f.AddJre(L"C:\\App\\jre\\", {L"bin\\java.dll", kServer});
         },
         L"C:\\App\\jre\\bin\\server\\jvm.dll", false, L"0.0.0.0"},
        {L"module path unavailable skips the local JRE",
         [](FakeJreSystem& f, JreSettings& s) {
             f.modulePathAvailable = false;
             f.AddJre(L"", {kClient});
             f.AddJre(L"C:\\reg\\", {kClient});
             f.Register(0, kSunJre, L"1.7", L"C:\\reg");
         },
         L"C:\\reg\\bin\\client\\jvm.dll", false, L"1.7"},
        {L"the own view comes before the other",
         [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.AddJre(L"C:\\own\\", {kClient});
             f.AddJre(L"C:\\other\\", {kClient});
             f.Register(0, kSunJre, L"1.6", L"C:\\own");
             f.Register(0x200, kSunJre, L"1.8", L"C:\\other");
         },
         L"C:\\own\\bin\\client\\jvm.dll", false, L"1.6"},
        {L"only the other view with a pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             s.pairProduct = L"C:\\App\\Tool.exe";
             f.AddJre(L"C:\\other\\", {kClient});
             f.Register(0x200, kSunJre, L"1.8", L"C:\\other");
         },
         L"C:\\other\\bin\\client\\jvm.dll", true, L"1.8"},
        {L"the 32-bit launcher's other view is the 64-bit one",
         [](FakeJreSystem& f, JreSettings& s) {
             f.arch = Arch::X86;
             s.pairProduct = L"C:\\App\\Tool 64.exe";
             f.AddJre(L"C:\\other\\", {kClient});
             f.Register(0x200, kSunJre, L"1.7", L"C:\\other");
             f.Register(0x100, kSunJre, L"1.8", L"C:\\other");
         },
         L"C:\\other\\bin\\client\\jvm.dll", true, L"1.8"},
        {L"only the other view without a pair product",
         [](FakeJreSystem& f, JreSettings& s) {
             f.AddJre(L"C:\\other\\", {kClient});
             f.Register(0x200, kSunJre, L"1.8", L"C:\\other");
         },
         L"", false, L"0.0.0.0"},
        {L"favor_server loads the Sun JRE's server library",
         [](FakeJreSystem& f, JreSettings& s) {
             s.jvmType = JvmType::FavorServer;
             f.AddJre(L"C:\\reg\\", {kClient, kServer});
             f.Register(0, kSunJre, L"1.8", L"C:\\reg");
         },
         L"C:\\reg\\bin\\server\\jvm.dll", false, L"1.8"},
    };
    for (const Row& row : rows) {
        FakeJreSystem system;
        JreSettings settings = AnyVersion();
        row.setup(system, settings);
        JreSelection selection;
        const bool found = FindJre(system, settings, nullptr, selection);
        CHECK_EQ_AT(row.name, found, *row.library != L'\0');
        CHECK_EQ_AT(row.name, selection.jvmLibraryPath, std::wstring(row.library));
        if (found) CHECK_EQ_AT(row.name, selection.runPairProduct, row.runPairProduct);
        CHECK_EQ_AT(row.name, FormatJavaVersion(selection.version), std::wstring(row.version));
        CHECK_EQ_AT(row.name, system.writes.size(), size_t(0));
    }
}

TEST_CASE(nothing_is_written_when_the_ini_path_cannot_be_formed) {
    JreSettings settings;
    settings.pairProduct = L"C:\\Other\\Tool.exe";
    for (bool service : {false, true}) {
        settings.isService = service;
        CHECK(JrePathTargets(settings, L"C:\\v1\\Tool", L"C:\\AppData").empty());
        CHECK_EQ(JrePathTargets(settings, L"C:\\v1.2\\Tool", L"C:\\AppData").size(), size_t(2));
    }
}
