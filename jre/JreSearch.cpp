#include "jre/JreSearch.h"

#include "base/DecimalText.h"
#include "jre/JavaFolderSearch.h"
#include "runtime/JvmProbe.h"
#include "jre/RegistrySearch.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "runtime/ReleaseFile.h"

bool FindLocalJre(JreSystem& system, std::wstring& home) {
    home.clear();
    std::wstring modulePath;
    if (!system.ModulePath(modulePath)) return false;

    const std::wstring folder = FolderWithSlashOf(modulePath);
    if (HasJavaLibrary(system, folder)) {
        home = folder;
    } else {
        const std::wstring local = folder + LocalJreFolderName(system.Architecture());
        if (HasJavaLibrary(system, local)) home = local;
    }
    return true;
}

bool IsPairProductLibrary(JreSystem& system, const JreSettings& settings, const std::wstring& library) {
    return !settings.pairProduct.empty() && system.IsForeignArchitecture(library);
}

std::vector<JrePathTarget> JrePathTargets(const JreSettings& settings, const std::wstring& modulePath,
                                          const std::wstring& appData) {
    std::vector<JrePathTarget> targets;
    std::wstring iniPath;
    if (!IniPathFromModulePath(modulePath, iniPath)) return targets;

    if (settings.isService) {
        targets.push_back({iniPath, {}});
        std::wstring pairIniPath;
        if (!settings.pairProduct.empty() && IniPathFromModulePath(settings.pairProduct, pairIniPath)) {
            targets.push_back({pairIniPath, {}});
        }
        return targets;
    }

    auto addUserIni = [&](const std::wstring& executablePath) {
        const UserIniLocation location =
            MakeUserIniLocation(appData, settings.productName, settings.productCode, executablePath);
        targets.push_back({location.path, {location.productFolder, location.codeFolder}});
    };
    addUserIni(modulePath);
    if (!settings.pairProduct.empty()) addUserIni(settings.pairProduct);
    return targets;
}

void WriteBackJrePath(JreSystem& system, const JreSettings& settings, const std::wstring& home) {
    std::wstring modulePath;
    if (!system.ModulePath(modulePath)) return;
    const std::wstring appData = settings.isService ? std::wstring() : system.AppDataFolder();
    for (const JrePathTarget& target : JrePathTargets(settings, modulePath, appData)) {
        for (const std::wstring& folder : target.folders) system.CreateFolder(folder);
        system.WriteJrePath(target.iniPath, home);
    }
}

// A JVM library is never looked for in the working directory, which may be a download folder or a
// share that anyone can drop a bin\server\jvm.dll into: a relative "JRE Path" ("jre", "..\jre")
// is taken relative to the executable's folder. Drive and network paths, and paths from the root
// of the current drive, stay as written.
static std::wstring JrePathHome(JreSystem& system, const std::wstring& jrePath) {
    const std::wstring home = WithTrailingBackslash(jrePath);
    std::wstring modulePath;
    if (!system.ModulePath(modulePath)) return home;
    return BesideExecutable(modulePath, home);
}

namespace {

void TraceProbe(const wchar_t* source, const std::wstring& home, const JvmProbeResult& probe) {
    if (!TraceOn()) return;
    TraceLine(std::wstring(L"jre: ") + source + L" \"" + home + L"\": " +
              (probe.Found() ? L"library \"" + probe.library + L"\", server " + TraceFlag(probe.server)
                             : std::wstring(L"no JVM library of the wanted type")));
}

// A runtime named by "JRE Path" or lying beside the executable is taken whatever its version,
// except by a Main Module, which needs Java 9 or later: its release file may refuse it.
bool RefusedByModules(JreSystem& system, const JreSettings& settings, const wchar_t* source, const std::wstring& home) {
    if (!settings.needsModules) return false;
    std::string release;
    bool complete = false;
    std::wstring text;
    JavaVersion version;
    if (!system.ReadFileStart(WithTrailingBackslash(home) + L"release", kReleaseFileReadLimit, release, complete) ||
        ReadReleaseVersion(release, complete, text) != ReleaseVersion::Found ||
        !ParseJavaVersion(text, kVersionFillMinimum, version)) {
        return false;  // no release file to tell: the main module is looked for in the runtime
    }
    const wchar_t* refusal = BoundsRefusal(version, settings);
    if (refusal == nullptr || version.fields[0] >= kFirstModularJava) return false;
    if (TraceOn()) TraceLine(std::wstring(L"jre: ") + source + L" \"" + home + L"\" refused: version " + text + L", " + refusal);
    return true;
}

}  // namespace

bool FindJre(JreSystem& system, const JreSettings& wanted, JreFolderChooser* chooser, JreSelection& selection) {
    selection = JreSelection();
    // A main module raises the minimum, so that every source refuses older runtimes alike and the
    // JRE Not Found dialog names the version needed.
    JreSettings settings = wanted;
    if (settings.needsModules && settings.minimumVersion.fields[0] < kFirstModularJava) {
        if (TraceOn()) {
            TraceLine(L"jre: Main Module: the minimum version " +
                      (IsOpenBound(settings.minimumVersion) ? std::wstring(L"(none)") : FormatJavaVersion(settings.minimumVersion)) +
                      L" becomes 9, the first Java with modules");
        }
        settings.minimumVersion = JavaVersion::Of(kFirstModularJava, 0, 0, 0);
    }

    // 1. The stored "JRE Path", environment references expanded; a folder without a library of the
    // wanted type (an unset variable among them) is passed over silently.
    if (!settings.jrePath.empty()) {
        const std::wstring home = JrePathHome(system, system.ExpandEnvironment(settings.jrePath));
        const JvmProbeResult probe = ProbeJvmLibrary(system, home, settings.jvmType);
        TraceProbe(L"JRE Path", home, probe);
        if (probe.Found() && !RefusedByModules(system, settings, L"JRE Path", home)) {
            selection.jvmLibraryPath = probe.library;
            selection.runPairProduct = IsPairProductLibrary(system, settings, probe.library);
            if (TraceOn()) TraceLine(std::wstring(L"jre: pair product: ") + TraceFlag(selection.runPairProduct));
            return true;
        }
    } else if (TraceOn()) {
        TraceLine(L"jre: JRE Path empty");
    }

    // 2. The JRE beside the executable. Without one (an empty home) nothing is probed: the bare
    // sub-paths would name the working directory's files.
    std::wstring localHome;
    if (FindLocalJre(system, localHome) && !localHome.empty()) {
        const JvmProbeResult probe = ProbeJvmLibrary(system, localHome, settings.jvmType);
        TraceProbe(L"local JRE", localHome, probe);
        if (probe.Found() && !RefusedByModules(system, settings, L"local JRE", localHome)) {
            // A library of the other architecture cannot be loaded here; with a pair product the
            // start goes there instead of to a certain load failure.
            selection.jvmLibraryPath = probe.library;
            selection.runPairProduct = IsPairProductLibrary(system, settings, probe.library);
            if (TraceOn()) TraceLine(std::wstring(L"jre: pair product: ") + TraceFlag(selection.runPairProduct));
            return true;
        }
    } else if (TraceOn()) {
        TraceLine(L"jre: local JRE: none beside the executable");
    }

    // 3 and 4. The registry in the launcher's own view, then in the pair product's.
    RegistryJre registered;
    std::vector<std::wstring> refusedHomes;
    bool inRegistry = SearchRegistry(system, settings, RegistryView::Native, registered, &refusedHomes);
    if (!inRegistry && SearchRegistry(system, settings, RegistryView::Other, registered, &refusedHomes)) {
        inRegistry = true;
        selection.runPairProduct = true;
    }
    // 5. The final probe with the type as configured, even for a home found under the Sun JRE key.
    if (inRegistry) {
        const JvmProbeResult probe = ProbeJvmLibrary(system, registered.home, settings.jvmType);
        TraceProbe(L"registry pick", registered.home, probe);
        if (probe.Found()) {
            selection.jvmLibraryPath = probe.library;
            selection.version = registered.version;
            if (TraceOn()) TraceLine(std::wstring(L"jre: pair product: ") + TraceFlag(selection.runPairProduct));
            return true;
        }
    }

    // 6. Runtimes that no registry key names, by the same rules; one the registry refused is not
    // examined (or counted) again.
    RuntimeKeys seen;
    for (const std::wstring& refused : refusedHomes) AddRuntimeKey(seen, refused);
    size_t rejected = seen.size();
    FolderJre unregistered;
    if (SearchJavaFolders(system, settings, seen, rejected, unregistered)) {
        const JvmProbeResult probe = ProbeJvmLibrary(system, unregistered.home, settings.jvmType);
        TraceProbe(L"folder pick", unregistered.home, probe);
        if (probe.Found()) {
            selection.jvmLibraryPath = probe.library;
            selection.version = unregistered.version;
            selection.runPairProduct = unregistered.foreign;
            if (TraceOn()) TraceLine(std::wstring(L"jre: pair product: ") + TraceFlag(selection.runPairProduct));
            return true;
        }
    }

    // 7. Ask the user, saying how many runtimes were found and refused.
    if (TraceOn()) TraceLine(L"jre: JRE Not Found: asking the user; runtimes found and refused: " + DecimalText(rejected));
    std::wstring home;
    std::wstring library;
    if (chooser != nullptr) chooser->SetRejectedRuntimes(rejected);
    if (chooser == nullptr || !chooser->Choose(settings, home, library)) {
        if (TraceOn()) TraceLine(L"jre: the user chose no folder");
        return false;
    }
    selection.jvmLibraryPath = library;
    selection.runPairProduct = IsPairProductLibrary(system, settings, library);
    if (TraceOn()) TraceLine(L"jre: the user chose \"" + library + L"\"");
    WriteBackJrePath(system, settings, WithTrailingBackslash(home));
    return true;
}
