#include "jvm/JavaStart.h"

#include "base/DecimalText.h"

#include "base/PathText.h"
#include "base/Trace.h"
#include "jvm/VmOptions.h"
#include "base/TextSplit.h"

VmEnvironment ComposeVmEnvironment(const JavaSettings& settings, const std::wstring& jvmLibraryPath,
                                   const std::wstring& launcherFolderWithSlash, StartFacts& facts) {
    const JreFolders jre = JreFoldersOf(jvmLibraryPath);
    VmEnvironment environment;
    environment.jvmPath = jvmLibraryPath;
    environment.jvmHome = jre.home;
    // The user's texts are expanded on their own and the search path joined as it is, so that a
    // "%" in either can never reach into the other (and lose the system's Path).
    const std::wstring processPath = facts.Expand(L"%Path%");
    const std::wstring libraryPath =
        ComposeLibraryPath(facts.Expand(settings.libraryPath), launcherFolderWithSlash, processPath, jre);
    if (!libraryPath.empty()) environment.libraryPathOption = L"-Djava.library.path=" + libraryPath;
    environment.searchPath = ComposeSearchPath(facts.Expand(settings.systemPath), processPath, jre);
    return environment;
}

namespace {

// The items of a ";"-separated setting, each expanded; relative items and wildcards are searched
// beside the executable and stand for what the search finds. Each entry is followed by ";".
// A module path, as java.exe's, passes over empty elements, and its wildcards also stand for folders.
std::wstring ComposeSearchedList(const std::wstring& text, const std::wstring& executablePath, bool modulePath,
                                 StartFacts& facts) {
    const std::wstring launcherFolder = FolderOf(executablePath);
    std::wstring list;
    for (const std::wstring& item : SplitList(text)) {
        const std::wstring entry = facts.Expand(item);
        if (modulePath && entry.empty()) continue;
        if (!NeedsClassPathSearch(entry)) {
            list += entry + L";";
            continue;
        }
        const std::wstring searchPath = ClassPathSearchPath(entry, launcherFolder);
        const std::wstring prefix = FolderPrefixOf(searchPath);
        // "." and ".." are never entries; a class path wildcard stands for files only.
        const bool skipFolders = !modulePath && entry.find_first_of(L"*?") != std::wstring::npos;
        for (const StartFacts::Found& found : facts.Search(searchPath)) {
            if (found.name == L"." || found.name == L".." || (skipFolders && found.folder)) continue;
            list += prefix + found.name + L";";
        }
    }
    return list;
}

}  // namespace

std::wstring ComposeClassPath(const JavaSettings& settings, const std::wstring& executablePath, StartFacts& facts) {
    std::wstring classPath = ComposeSearchedList(settings.classPath, executablePath, false, facts);
    if (settings.embeddedJar && !executablePath.empty()) classPath = executablePath + L";" + classPath;
    return classPath;
}

std::wstring ComposeModulePath(const JavaSettings& settings, const std::wstring& executablePath, StartFacts& facts) {
    std::wstring modulePath = ComposeSearchedList(settings.modulePath, executablePath, true, facts);
    if (!modulePath.empty()) modulePath.pop_back();  // java.exe's module path has no empty last element
    return modulePath;
}

uint64_t MainThreadStackSize(uint64_t bytes, Arch arch) {
    return arch == Arch::X86 && bytes > 0xFFFFFFFFull ? 0 : bytes;
}

bool ComposeJavaStart(const JavaSettings& settings, const VmEnvironment& environment,
                      const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                      bool parkMainThread, StartFacts& facts, JavaStart& start) {
    start = JavaStart();
    if (!environment.libraryPathOption.empty()) start.vmOptions.push_back(environment.libraryPathOption);
    const bool modular = !settings.mainModule.module.empty();
    const std::wstring classPath = ComposeClassPath(settings, executablePath, facts);
    if (classPath.empty() && !modular) return false;

    // As java.exe: a modular start without a class path names none.
    std::vector<std::wstring> options;
    if (!classPath.empty()) options.push_back(L"-Djava.class.path=" + classPath);
    std::vector<std::wstring> parameters = SplitVmParameters(settings.vmParameters);
    for (std::wstring& token : parameters) UnquoteToken(token);
    JoinModuleOptionValues(parameters);
    bool haveMemory = false;
    uint64_t physical = 0, availableVirtual = 0, ceiling = UINT64_MAX;
    for (std::wstring& token : parameters) {
        if (IsMemoryPercentageToken(token)) {
            if (!haveMemory) {
                facts.MemoryStatus(physical, availableVirtual);
                ceiling = facts.MemoryCeiling();
                haveMemory = true;
            }
            ApplyMemoryPercentage(token, physical, availableVirtual, ceiling);
        }
        if (token.rfind(L"-Xss", 0) == 0) {
            start.mainThreadStackSize = MainThreadStackSize(ParseStackSize(token.substr(4)), kBuildArch);
        }
        options.push_back(std::move(token));
    }
    for (const std::wstring& option : options) start.vmOptions.push_back(facts.Expand(option));
    // The module path is expanded entry by entry already.
    const std::wstring modulePath = ComposeModulePath(settings, executablePath, facts);
    if (modular) {
        for (std::wstring& option : MainModuleOptions(settings.mainModule.module, modulePath)) {
            start.vmOptions.push_back(std::move(option));
        }
        start.mainModule = settings.mainModule;
        start.mainClass = ReplaceChar(settings.mainModule.mainClass, L'.', L'/');
    } else {
        if (!modulePath.empty()) start.vmOptions.push_back(L"--module-path=" + modulePath);
        start.mainClass = settings.mainClass;
    }
    start.arguments = arguments;
    start.outputFile = settings.outputFile.empty() ? std::wstring() : facts.Expand(settings.outputFile);
    start.outputAppend = settings.outputAppend;
    start.errorFile = settings.errorFile.empty() ? std::wstring() : facts.Expand(settings.errorFile);
    start.errorAppend = settings.errorAppend;
    if (!settings.cmd.empty()) AppendCmdArguments(facts.Expand(settings.cmd), start.arguments);
    start.reportUncaughtException = settings.failureCheck;
    start.parkMainThread = parkMainThread;
    return true;
}

namespace {

// The entries of the last option that starts with `prefix`, cut at ";", empty ones left out.
std::vector<std::wstring> LastPathOptionEntries(const std::vector<std::wstring>& vmOptions, const std::wstring& prefix) {
    std::vector<std::wstring> entries;
    for (const std::wstring& option : vmOptions) {
        if (option.compare(0, prefix.size(), prefix) != 0) continue;
        entries.clear();
        size_t from = prefix.size();
        while (from < option.size()) {
            size_t end = option.find(L';', from);
            if (end == std::wstring::npos) end = option.size();
            if (end > from) entries.push_back(option.substr(from, end - from));
            from = end + 1;
        }
    }
    return entries;
}

}  // namespace

std::vector<std::wstring> ClassPathOptionEntries(const std::vector<std::wstring>& vmOptions) {
    return LastPathOptionEntries(vmOptions, L"-Djava.class.path=");
}

std::vector<std::wstring> ModulePathOptionEntries(const std::vector<std::wstring>& vmOptions) {
    return LastPathOptionEntries(vmOptions, L"--module-path=");
}

void TraceJavaStart(const JavaStart& start) {
    if (!TraceOn()) return;
    const std::wstring count = DecimalText(start.arguments.size()) + L" arguments";
    if (start.mainModule.module.empty()) {
        TraceLine(L"jvm: main class " + start.mainClass + L", " + count);
    } else {
        TraceLine(L"jvm: main module " + start.mainModule.module + L", class " +
                  (start.mainModule.mainClass.empty() ? std::wstring(L"from its ModuleMainClass")
                                                      : start.mainModule.mainClass) + L", " + count);
    }
    for (const std::wstring& option : start.vmOptions) TraceLine(L"jvm: VM option " + option);
    TraceLine(L"jvm: class path entries: " + DecimalText(ClassPathOptionEntries(start.vmOptions).size()));
    for (const std::wstring& entry : ModulePathOptionEntries(start.vmOptions)) TraceLine(L"jvm: module path entry " + entry);
}
