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

std::wstring ComposeClassPath(const JavaSettings& settings, const std::wstring& executablePath, StartFacts& facts) {
    const std::wstring launcherFolder = FolderOf(executablePath);
    std::wstring classPath;
    for (const std::wstring& item : SplitList(settings.classPath)) {
        const std::wstring entry = facts.Expand(item);
        if (!NeedsClassPathSearch(entry)) {
            classPath += entry + L";";
            continue;
        }
        const std::wstring searchPath = ClassPathSearchPath(entry, launcherFolder);
        const std::wstring prefix = FolderPrefixOf(searchPath);
        // A wildcard stands for files: "." and "..", and folders, are no class path entries.
        const bool wildcard = entry.find_first_of(L"*?") != std::wstring::npos;
        for (const StartFacts::Found& found : facts.Search(searchPath)) {
            if (found.name == L"." || found.name == L".." || (wildcard && found.folder)) continue;
            classPath += prefix + found.name + L";";
        }
    }
    if (settings.embeddedJar && !executablePath.empty()) classPath = executablePath + L";" + classPath;
    return classPath;
}

uint64_t MainThreadStackSize(uint64_t bytes, Arch arch) {
    return arch == Arch::X86 && bytes > 0xFFFFFFFFull ? 0 : bytes;
}

bool ComposeJavaStart(const JavaSettings& settings, const VmEnvironment& environment,
                      const std::wstring& executablePath, const std::vector<std::wstring>& arguments,
                      bool parkMainThread, StartFacts& facts, JavaStart& start) {
    start = JavaStart();
    if (!environment.libraryPathOption.empty()) start.vmOptions.push_back(environment.libraryPathOption);
    const std::wstring classPath = ComposeClassPath(settings, executablePath, facts);
    if (classPath.empty()) return false;

    std::vector<std::wstring> options{L"-Djava.class.path=" + classPath};
    bool haveMemory = false;
    uint64_t physical = 0, availableVirtual = 0, ceiling = UINT64_MAX;
    for (std::wstring& token : SplitVmParameters(settings.vmParameters)) {
        UnquoteToken(token);
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

    start.mainClass = settings.mainClass;
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

std::vector<std::wstring> ClassPathOptionEntries(const std::vector<std::wstring>& vmOptions) {
    static const std::wstring kPrefix = L"-Djava.class.path=";
    std::vector<std::wstring> entries;
    for (const std::wstring& option : vmOptions) {
        if (option.compare(0, kPrefix.size(), kPrefix) != 0) continue;
        entries.clear();
        size_t from = kPrefix.size();
        while (from < option.size()) {
            size_t end = option.find(L';', from);
            if (end == std::wstring::npos) end = option.size();
            if (end > from) entries.push_back(option.substr(from, end - from));
            from = end + 1;
        }
    }
    return entries;
}

void TraceJavaStart(const JavaStart& start) {
    if (!TraceOn()) return;
    TraceLine(L"jvm: main class " + start.mainClass + L", " + DecimalText(start.arguments.size()) +
              L" arguments");
    for (const std::wstring& option : start.vmOptions) TraceLine(L"jvm: VM option " + option);
    TraceLine(L"jvm: class path entries: " + DecimalText(ClassPathOptionEntries(start.vmOptions).size()));
}
