#include <map>

#include "base/PathText.h"
#include "jvm/JavaStart.h"
#include "jvm/VmOptions.h"
#include "tests/framework/Check.h"

namespace {

using Strings = std::vector<std::wstring>;

// A machine with a fixed environment, a few folders and 8 GiB of memory.
class FakeFacts : public StartFacts {
public:
    std::map<std::wstring, std::wstring> environment{{L"Path", L"C:\\Windows"}, {L"LIBS", L"C:\\libs"}};
    std::map<std::wstring, std::vector<Found>> folders{
        {L"C:\\App\\lib\\*.jar", {{L"a.jar"}, {L"b.jar"}}},
        {L"C:\\App\\app.jar", {{L"app.jar"}}},
        {L"C:\\App\\classes", {{L"classes", true}}},
        {L"C:\\libs\\*", {{L"."}, {L".."}, {L"x.jar"}, {L"sub", true}}},
    };
    int memoryQueries = 0;
    uint64_t ceiling = UINT64_MAX;  // MemoryCeiling: what a 32-bit process may reserve

    std::wstring Expand(const std::wstring& text) override {
        return ExpandReferences(text, [this](const std::wstring& name, std::wstring& value) {
            auto it = environment.find(name);
            if (it == environment.end()) return false;
            value = it->second;
            return true;
        });
    }
    std::vector<Found> Search(const std::wstring& pattern) override {
        auto it = folders.find(pattern);
        return it == folders.end() ? std::vector<Found>() : it->second;
    }
    void MemoryStatus(uint64_t& totalPhysical, uint64_t& availableVirtual) override {
        ++memoryQueries;
        totalPhysical = 8ull << 30;
        availableVirtual = 2ull << 30;
    }
    uint64_t MemoryCeiling() override { return ceiling; }
};

const wchar_t kExe[] = L"C:\\App\\app.exe";
const wchar_t kJvm[] = L"C:\\Java\\jre\\bin\\server\\jvm.dll";

}  // namespace

TEST_CASE(VmEnvironment_LibraryPathAndSearchPath) {
    FakeFacts facts;
    JavaSettings settings;
    settings.libraryPath = L"native";
    VmEnvironment env = ComposeVmEnvironment(settings, kJvm, L"C:\\App\\", facts);
    CHECK_EQ(env.jvmPath, std::wstring(kJvm));
    CHECK_EQ(env.jvmHome, std::wstring(L"C:\\Java\\jre"));
    CHECK_EQ(env.libraryPathOption, std::wstring(L"-Djava.library.path=native;C:\\App\\;.;C:\\Windows;C:\\Java\\jre\\lib"));
    CHECK_EQ(env.searchPath, std::wstring(L"C:\\Windows;C:\\Java\\jre\\bin"));
    settings.libraryPath.clear();
    settings.systemPath = L"%LIBS%";
    env = ComposeVmEnvironment(settings, kJvm, L"C:\\App\\", facts);
    CHECK_EQ(env.libraryPathOption, std::wstring());
    CHECK_EQ(env.searchPath, std::wstring(L"C:\\libs;C:\\Windows;C:\\Java\\jre\\bin"));
    // A "%" of the user's text never reaches into the process's Path, nor a JRE folder's into it.
    settings.systemPath = L"%%%";
    settings.libraryPath = L"%";
    env = ComposeVmEnvironment(settings, L"C:\\100%\\bin\\server\\jvm.dll", L"C:\\App\\", facts);
    CHECK_EQ(env.searchPath, std::wstring(L"%%%;C:\\Windows;C:\\100%\\bin"));
    CHECK_EQ(env.libraryPathOption, std::wstring(L"-Djava.library.path=%;C:\\App\\;.;C:\\Windows;C:\\100%\\lib"));
}

TEST_CASE(ClassPath_Table) {
    struct Row { const wchar_t* classPath; bool embedded; const wchar_t* expected; };
    const Row rows[] = {
        {L"\\lib\\*.jar", false, L"C:\\App\\lib\\a.jar;C:\\App\\lib\\b.jar;"},
        {L"\\app.jar;\\missing.jar", false, L"C:\\App\\app.jar;"},  // relative entries that match nothing go
        {L"D:\\absent.jar", false, L"D:\\absent.jar;"},             // absolute entries are not looked at
        {L"%LIBS%\\*", false, L"C:\\libs\\x.jar;"},  // expanded first; a wildcard takes no dots or folders
        {L"\\classes", false, L"C:\\App\\classes;"},  // a folder named as such stays
        {L"\\\\server\\share\\x.jar", false, L"\\\\server\\share\\x.jar;"},
        {L"\\app.jar", true, L"C:\\App\\app.exe;C:\\App\\app.jar;"},  // the executable goes first
        {L"", true, L"C:\\App\\app.exe;"},
        {L"", false, L""},
        {L"\\missing\\*.jar", false, L""},
    };
    for (const Row& row : rows) {
        FakeFacts facts;
        JavaSettings settings;
        settings.classPath = row.classPath;
        settings.embeddedJar = row.embedded;
        CHECK_EQ_AT(row.classPath, ComposeClassPath(settings, kExe, facts), std::wstring(row.expected));
    }
}

TEST_CASE(JavaStart_OptionsInOrderWithStackArgumentsAndFiles) {
    FakeFacts facts;
    JavaSettings settings;
    settings.mainClass = L"com/example/App";
    settings.classPath = L"\\app.jar";
    settings.vmParameters = L"-Xmx50P \"-Dtitle=My App\" -Xss2m -Dpath=%Path% -Xss512k";
    settings.cmd = L"--from-ini  \"\" %LIBS%";
    settings.outputFile = L"%LIBS%\\out.log";
    settings.outputAppend = true;
    settings.failureCheck = true;
    VmEnvironment env;
    env.libraryPathOption = L"-Djava.library.path=x";
    JavaStart start;
    CHECK(ComposeJavaStart(settings, env, kExe, {L"a", L""}, true, facts, start));
    CHECK_EQ(start.vmOptions, (Strings{L"-Djava.library.path=x", L"-Djava.class.path=C:\\App\\app.jar;",
                                       L"-Xmx4194304K", L"-Dtitle=My App", L"-Xss2m", L"-Dpath=C:\\Windows",
                                       L"-Xss512k"}));
    CHECK_EQ(start.mainThreadStackSize, uint64_t(512 * 1024));  // the last -Xss wins
    CHECK_EQ(facts.memoryQueries, 1);
    CHECK_EQ(start.arguments, (Strings{L"a", L"", L"--from-ini", L"C:\\libs"}));  // empty Cmd tokens dropped
    CHECK_EQ(start.mainClass, std::wstring(L"com/example/App"));
    CHECK_EQ(start.outputFile, std::wstring(L"C:\\libs\\out.log"));
    CHECK(start.outputAppend);
    CHECK_EQ(start.errorFile, std::wstring());
    CHECK(start.reportUncaughtException);
    CHECK(start.parkMainThread);
}

// A 32-bit process on a machine of 8 GiB: every percentage stops at what the process can reserve,
// an explicit size is passed as written.
TEST_CASE(JavaStart_PercentagesStopAtTheProcessCeiling) {
    FakeFacts facts;
    facts.ceiling = MemoryCeilingOf32BitProcess(0xFFFE0000ull);
    JavaSettings settings;
    settings.classPath = L"\\app.jar";
    settings.vmParameters = L"-Xmx70P -Xms10P -Xms1:4096P -Xmx3000m";
    JavaStart start;
    CHECK(ComposeJavaStart(settings, VmEnvironment(), kExe, {}, false, facts, start));
    CHECK_EQ(start.vmOptions, (Strings{L"-Djava.class.path=C:\\App\\app.jar;", L"-Xmx1572864K", L"-Xms838860K",
                                       L"-Xms1572864K", L"-Xmx3000m"}));
}

TEST_CASE(JavaStart_WithoutClassPathSetsNothingElse) {
    FakeFacts facts;
    JavaSettings settings;
    settings.vmParameters = L"-Xmx1P";
    settings.cmd = L"x";
    VmEnvironment env;
    env.libraryPathOption = L"-Djava.library.path=x";
    JavaStart start;
    CHECK(!ComposeJavaStart(settings, env, kExe, {L"a"}, false, facts, start));
    CHECK_EQ(start.vmOptions, (Strings{L"-Djava.library.path=x"}));
    CHECK(start.arguments.empty());
    CHECK_EQ(facts.memoryQueries, 0);
}

// An -Xss value that x86 cannot hold leaves the thread at the VM's default (the VM refuses the
// option itself) instead of being cut to its low 32 bits.
TEST_CASE(MainThreadStackSize_FitsTheArchitecture) {
    struct Row { uint64_t bytes; Arch arch; uint64_t size; };
    const Row rows[] = {
        {1048576, Arch::X86, 1048576},
        {0xFFFFFFFFull, Arch::X86, 0xFFFFFFFFull},
        {0x100000000ull, Arch::X86, 0},           // 4g would be 0 cut, the same by luck
        {0x100100000ull, Arch::X86, 0},           // 4g + 1m would be 1m cut
        {0x100100000ull, Arch::X64, 0x100100000ull},
        {0, Arch::X86, 0},
    };
    for (const Row& row : rows) {
        CHECK_EQ_AT(std::to_wstring(row.bytes), MainThreadStackSize(row.bytes, row.arch), row.size);
    }
}
