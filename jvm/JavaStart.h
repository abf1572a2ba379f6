// The description of one Java start: everything the VM host needs, composed from the INI's texts
// and the facts of the machine by pure functions. No <windows.h>.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jvm/ModuleOptions.h"
#include "runtime/Architecture.h"

// What the INI file says about the Java run, as read (texts not yet expanded).
struct JavaSettings {
    std::wstring mainClass;  // dots already replaced by slashes
    MainModuleName mainModule;  // "Main Module"; with a module name it is started instead of mainClass
    std::wstring systemPath;
    std::wstring libraryPath;
    std::wstring classPath;     // "Class Path", items separated by ";"
    std::wstring modulePath;    // "Module Path", items separated by ";"
    bool embeddedJar = false;
    std::wstring vmParameters;  // "Virtual Machine Parameters"
    std::wstring outputFile;
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    std::wstring cmd;
    bool failureCheck = false;
};

// The machine as the composition sees it; the launcher's implementation asks Windows, tests use
// fakes.
class StartFacts {
public:
    virtual ~StartFacts() = default;
    // %NAME% references replaced by the process environment; the text unchanged on failure.
    virtual std::wstring Expand(const std::wstring& text) = 0;
    // What a find-first-file search on `pattern` returns, in the file system's order.
    struct Found {
        std::wstring name;
        bool folder = false;
    };
    virtual std::vector<Found> Search(const std::wstring& pattern) = 0;
    // Total physical memory and the process's available virtual address space, in bytes.
    virtual void MemoryStatus(uint64_t& totalPhysical, uint64_t& availableVirtual) = 0;
    // The most that a memory percentage may come to in this process, in bytes (a 32-bit process
    // cannot reserve a heap of 70 % of 16 GB); no limit for a 64-bit one.
    virtual uint64_t MemoryCeiling() { return UINT64_MAX; }
};

// The virtual machine builds paths below its home into buffers of MAX_PATH (260) characters; a
// library path this long or longer leaves no room for them, and is better passed in its short form.
constexpr size_t kLongestUsableJvmLibraryPath = 200;
inline bool JvmLibraryPathTooLong(const std::wstring& jvmLibraryPath) {
    return jvmLibraryPath.size() > kLongestUsableJvmLibraryPath;
}

// The process environment for the virtual machine, set before the JVM library is loaded.
struct VmEnvironment {
    std::wstring jvmPath;            // VX_JVM_PATH
    std::wstring jvmHome;            // VX_JVM_HOME
    std::wstring libraryPathOption;  // "-Djava.library.path=..." (expanded), empty without "Library Path"
    std::wstring searchPath;         // the new "Path" (expanded)
};

// `launcherFolderWithSlash` is the executable's folder with its backslash (empty when unknown).
// The expansions see the process environment before "Path" changes.
VmEnvironment ComposeVmEnvironment(const JavaSettings& settings, const std::wstring& jvmLibraryPath,
                                   const std::wstring& launcherFolderWithSlash, StartFacts& facts);

// Everything the VM host needs for a start.
struct JavaStart {
    std::wstring mainClass;                 // slashes; for a main module its class, once known
    MainModuleName mainModule;              // empty module: a class start
    std::vector<std::wstring> arguments;    // the command line's, then the "Cmd" tokens
    std::vector<std::wstring> vmOptions;    // final order, before the "abort" and "exit" hooks
    uint64_t mainThreadStackSize = 0;       // from the last -Xss; 0: the virtual machine's default
    std::wstring outputFile;                // expanded, timestamp picture not yet applied
    bool outputAppend = false;
    std::wstring errorFile;
    bool errorAppend = false;
    bool reportUncaughtException = false;   // "Failure Check"
    bool parkMainThread = false;            // an IBM VM keeps its main thread after main returns
};

// The Java main thread's stack size for an -Xss value of `bytes` on `arch`: a size that the
// thread's SIZE_T cannot hold (4 GB and more on x86) is not cut to what fits. It gives 0, the
// VM's default, and the VM, which gets the option as written, refuses it with its stack-size
// message.
uint64_t MainThreadStackSize(uint64_t bytes, Arch arch);

// Composes the start after the environment has been set (the VM parameters are expanded with
// the new "Path"). `executablePath` may be empty when unknown. False when the class path comes
// out empty for a start without a main module: then only `start.vmOptions` holds the library path
// option and nothing else is set. A main module gets the options java.exe gives the VM for
// `--module-path P -m M[/C]`: no class path option without a class path, the module path and the
// main module after the VM parameters.
bool ComposeJavaStart(const JavaSettings& settings, const VmEnvironment& environment,
                      const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                      bool parkMainThread, StartFacts& facts, JavaStart& start);

// The class path text (each entry followed by ";") for the "Class Path" setting.
std::wstring ComposeClassPath(const JavaSettings& settings, const std::wstring& executablePath, StartFacts& facts);
// The module path text for the "Module Path" setting, by the class path's rules, except that a
// wildcard also stands for folders (exploded modules and folders of modules); entries joined by ";".
std::wstring ComposeModulePath(const JavaSettings& settings, const std::wstring& executablePath, StartFacts& facts);

// The entries of the class path option the VM takes (the last "-Djava.class.path="), empty ones
// left out; none without one.
std::vector<std::wstring> ClassPathOptionEntries(const std::vector<std::wstring>& vmOptions);
// The same for the module path option ("--module-path=").
std::vector<std::wstring> ModulePathOptionEntries(const std::vector<std::wstring>& vmOptions);

// Writes the start to the launch trace: main class or main module, argument count, each VM option,
// the number of class path entries and each module path entry.
void TraceJavaStart(const JavaStart& start);
