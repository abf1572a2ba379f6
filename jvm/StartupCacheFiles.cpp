#include "jvm/StartupCacheFiles.h"

#include <windows.h>

#include "base/DecimalText.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "jvm/JniRef.h"
#include "jvm/StartupCacheAssembly.h"
#include "runtime/JavaVersion.h"
#include "runtime/JvmProbe.h"
#include "runtime/ReleaseFile.h"
#include "runtime/Win32RuntimeFiles.h"

namespace {

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }

// Appends "<size>:<last write time>;" of a file; false for a folder, which no cache can hold.
bool AppendStamp(const std::wstring& path, std::wstring& stamps) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        stamps += L"missing;";  // the VM skips it; the key changes once it appears
        return true;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    stamps += DecimalText(Join(data.nFileSizeHigh, data.nFileSizeLow)) + L":" +
              DecimalText(Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)) + L";";
    return true;
}

// Appends the stamps of the files in a module path folder, in the file system's order; false when
// it holds a folder (an exploded module), which no cache can hold.
bool AppendFolderStamps(const std::wstring& folder, std::wstring& stamps) {
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search) return true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
        stamps += name + L"=";
        if (!AppendStamp(folder + L"\\" + name, stamps)) return false;
    } while (FindNextFileW(search.get(), &found));
    return true;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// True when the path survives the conversion with which the VM receives its options.
bool SurvivesAnsi(const std::wstring& path) {
    bool lossless = false;
    ToAnsi(path, &lossless);
    return lossless;
}

// The files of the folder that begin with "<stem>.", each marked stale when last written over an
// hour ago.
std::vector<CacheFolderFile> ListCacheFolder(const std::wstring& folder, const std::wstring& stem) {
    constexpr uint64_t kHour = 3600ull * 10000000ull;  // in FILETIME units
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t nowTime = Join(now.dwHighDateTime, now.dwLowDateTime);
    std::vector<CacheFolderFile> files;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW((folder + L"\\" + stem + L".*").c_str(), &found));
    if (!search) return files;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const uint64_t written = Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
        files.push_back({found.cFileName, nowTime > written + kHour});
    } while (FindNextFileW(search.get(), &found));
    return files;
}

// True while a process holds the lock of the cache's assembly.
bool AssemblyUnderWay(const std::wstring& cachePath) {
    UniqueHandle lock(OpenMutexW(SYNCHRONIZE, FALSE, AssemblyLockName(cachePath).c_str()));
    return static_cast<bool>(lock);
}

// True when no process runs under this id (one that cannot be opened for another reason runs).
bool ProcessGone(uint32_t processId) {
    if (processId == GetCurrentProcessId()) return false;
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
}

// Callers test TraceOn() first, so that an untraced start builds none of the texts.
void Trace(const std::wstring& line) { TraceLine(L"cache: " + line); }

// What the VM says about its class-data sharing; true when it cannot say, so that a cache is
// never deleted on a guess.
bool VmUsesSharedArchive(JNIEnv* env) {
    LocalRef<jclass> cds(env, env->FindClass("jdk/internal/misc/CDS"));
    jmethodID usingArchive = cds ? env->GetStaticMethodID(cds.get(), "isUsingArchive", "()Z") : nullptr;
    if (usingArchive == nullptr) {
        env->ExceptionClear();
        return true;
    }
    const jboolean result = env->CallStaticBooleanMethodA(cds.get(), usingArchive, nullptr);
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
        return true;
    }
    return result == JNI_TRUE;
}

}  // namespace

bool StartupCacheFiles::Prepare(const StartupCacheRequest& request, JavaStart& start) {
    if (request.mechanism == CacheMechanism::None) return false;
    const std::wstring blocked = CacheBlockedByOptions(start.vmOptions);
    if (!blocked.empty()) {
        if (TraceOn()) Trace(L"none: " + blocked);
        return false;
    }
    std::wstring localAppData;
    if (!QueryEnvironmentVariable(L"LOCALAPPDATA", localAppData) || !IsAbsolutePath(localAppData)) {
        if (TraceOn()) Trace(L"none: LOCALAPPDATA is not set");
        return false;
    }
    std::wstring stamps;
    AppendStamp(request.jvmLibraryPath, stamps);
    // A dynamic archive holds only for the base archive it was made on. Whether the VM took it,
    // the VM does not tell (it reports only the base archive), so a base archive made anew must
    // change the key.
    if (request.mechanism == CacheMechanism::DynamicArchive) {
        AppendStamp(FolderWithSlashOf(request.jvmLibraryPath) + L"classes.jsa", stamps);
    }
    for (const std::wstring& entry : ClassPathOptionEntries(start.vmOptions)) {
        if (!AppendStamp(entry, stamps)) {
            if (TraceOn()) Trace(L"none: the class path holds a folder, which a cache cannot hold: " + entry);
            return false;
        }
    }
    // A module path names jars and folders of jars. A main module that the runtime image holds
    // changes with the image's lib\modules.
    for (const std::wstring& entry : ModulePathOptionEntries(start.vmOptions)) {
        if (!AppendStamp(entry, stamps) && !AppendFolderStamps(entry, stamps)) {
            if (TraceOn()) Trace(L"none: the module path holds an exploded module, which a cache cannot hold: " + entry);
            return false;
        }
    }
    if (!start.mainModule.module.empty()) AppendStamp(WithTrailingBackslash(request.runtimeHome) + L"lib\\modules", stamps);
    const UserIniLocation location = MakeUserIniLocation(localAppData, request.productName, request.productCode,
                                                         request.executablePath);
    std::wstring stem = FileNameOf(request.executablePath);
    const size_t dot = stem.rfind(L'.');
    if (dot != std::wstring::npos) stem.erase(dot);
    // The whole path as the VM gets it, the executable's name included: the VM puts its process id
    // for "%p" in the name of a cache it writes, where no clean-up would find it.
    const std::wstring stemPath = location.codeFolder + L"\\" + stem;
    if (!SurvivesAnsi(stemPath) || !VmTakesCachePathAsIs(stemPath)) {
        if (TraceOn()) Trace(L"none: the VM could not be given the path \"" + stemPath + L"\" as it is");
        return false;
    }
    if (!MakeFolder(location.productFolder) || !MakeFolder(location.codeFolder)) {
        if (TraceOn()) Trace(L"none: the folder \"" + location.codeFolder + L"\" cannot be made, error " +
              DecimalText(GetLastError()));
        return false;
    }

    const std::wstring key = StartupCacheKey(request.runtimeHome, request.releaseVersion, start.vmOptions, stamps);
    const StartupCacheNames names = MakeStartupCacheNames(stem, key, request.mechanism, GetCurrentProcessId());
    failedPath_ = location.codeFolder + L"\\" + names.failed;
    cachePath_ = location.codeFolder + L"\\" + names.cache;
    tempPath_ = location.codeFolder + L"\\" + names.temp;
    CacheKeyState state;
    if (request.mechanism == CacheMechanism::ClassListArchive) state.assemblyUnderWay = AssemblyUnderWay(cachePath_);
    // Without an assembly under way, the files of starts that have ended are what a killed
    // assembly left.
    for (const std::wstring& name : ObsoleteCacheFiles(ListCacheFolder(location.codeFolder, stem), stem, key,
                                                       state.assemblyUnderWay ? nullptr : &ProcessGone)) {
        // A file in use by another start stays until a later start.
        const bool deleted = DeleteCacheFile(location.codeFolder + L"\\" + name);
        if (TraceOn()) Trace(L"old file " + name + (deleted ? L" deleted" : L" still in use"));
    }
    state.cacheExists = IsCacheFile(cachePath_);
    state.failedRecently = IsCacheFile(failedPath_);  // an older mark was deleted above
    std::wstring reason;
    const CacheStep step = DecideCacheStep(state, reason);
    if (step == CacheStep::None) {
        if (TraceOn()) Trace(L"none: " + reason + L" (\"" + (state.failedRecently ? failedPath_ : cachePath_) + L"\")");
        return false;
    }
    mechanism_ = request.mechanism;
    featureVersion_ = request.featureVersion;
    creating_ = step == CacheStep::Create;
    if (creating_ && mechanism_ == CacheMechanism::ClassListArchive) {
        javaExe_ = request.runtimeHome + L"\\bin\\java.exe";
        assemblyArguments_ = AssemblyJavaArguments(start.vmOptions, request.featureVersion, ClassListPathOf(tempPath_),
                                                    tempPath_);
    }
    if (creating_) {
        // In a folder the user cannot write to, every start would record a cache for nothing.
        UniqueFile probe(CreateFileW(tempPath_.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!probe) {
            if (TraceOn()) {
                Trace(L"none: cannot write in \"" + location.codeFolder + L"\", error " + DecimalText(GetLastError()));
            }
            return false;
        }
    }
    active_ = true;
    for (std::wstring& option : StartupCacheOptions(mechanism_, featureVersion_, creating_, cachePath_, tempPath_)) {
        start.vmOptions.push_back(std::move(option));
    }
    if (TraceOn()) {
        const std::wstring created = mechanism_ == CacheMechanism::ClassListArchive
                                         ? L" does not exist yet: this start records its class list \"" +
                                               ClassListPathOf(tempPath_) + L"\" for an assembly after its end"
                                         : L" does not exist yet: this start creates it under \"" + tempPath_ + L"\"";
        Trace(std::wstring(CacheMechanismText(mechanism_)) + L" \"" + cachePath_ + L"\"" +
              (creating_ ? created : L" is used"));
    }
    return true;
}

void StartupCacheFiles::VmCreated(JNIEnv* env) {
    vmCreated_ = true;
    if (!active_ || creating_) return;
    if (VmUsesSharedArchive(env)) {
        if (TraceOn()) {
            Trace(mechanism_ == CacheMechanism::ClassListArchive
                      ? L"the VM uses the cache"
                      : L"the VM uses class-data sharing (whether with the dynamic archive, it does not say)");
        }
        return;
    }
    // The VM has let go of the file; another start may still hold it, and then a later one deletes it.
    const bool deleted = DeleteCacheFile(cachePath_);
    if (TraceOn()) Trace(std::wstring(L"the VM rejected the cache (damaged, stale or foreign); ") +
          (deleted ? L"deleted, the next start makes a new one" : L"it cannot be deleted now"));
}

void StartupCacheFiles::VmEnded() {
    if (!active_ || !creating_) return;
    active_ = false;
    if (mechanism_ == CacheMechanism::ClassListArchive) {
        HandOverToAssembly();
        return;
    }
    if (!IsCacheFile(tempPath_)) {
        if (vmCreated_) MarkFailed(L"the VM wrote no complete cache");
        return;
    }
    // Never replaces: a cache that another start renamed first is as good as this one.
    if (MoveFileExW(tempPath_.c_str(), cachePath_.c_str(), 0)) {
        if (TraceOn()) Trace(L"cache created: \"" + cachePath_ + L"\"");
        return;
    }
    const DWORD error = GetLastError();
    DeleteCacheFile(tempPath_);
    if (TraceOn()) Trace(L"cache not renamed, error " + DecimalText(error));
}

void StartupCacheFiles::HandOverToAssembly() {
    const std::wstring classList = ClassListPathOf(tempPath_);
    const std::wstring argumentFile = ArgumentFilePathOf(tempPath_);
    if (!vmCreated_) {  // the start failed before the application ran: nothing worth a cache
        DeleteCacheFile(classList);
        return;
    }
    if (!IsCacheFile(classList)) {
        MarkFailed(L"the VM recorded no class list");
        return;
    }
    // A start that recorded while another assembled leaves the assembly to that one.
    std::wstring reason;
    if (IsCacheFile(cachePath_)) {
        reason = L"the cache exists already";
    } else if (AssemblyUnderWay(cachePath_)) {
        reason = L"another process assembles this cache";
    }
    if (!reason.empty()) {
        DeleteCacheFile(classList);
        if (TraceOn()) Trace(L"class list dropped: " + reason);
        return;
    }
    // java.exe reads its argument file in the ANSI code page, as the VM takes its options.
    const std::string text = ToAnsi(JavaArgumentFileText(assemblyArguments_));
    bool written = false;
    {
        UniqueFile file(CreateFileW(argumentFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        DWORD done = 0;
        written = file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &done, nullptr) &&
                  done == text.size();
    }
    uint32_t error = written ? 0 : GetLastError();
    if (written && StartCacheAssembly({javaExe_, tempPath_, cachePath_, failedPath_}, error)) {
        if (TraceOn()) Trace(L"class list recorded; the cache is assembled in the background");
        return;
    }
    DeleteCacheFile(argumentFile);
    DeleteCacheFile(classList);
    MarkFailed(L"the assembly could not be started, error " + DecimalText(error));
}

// Starts within the next hour do not try again: each try costs the VM its recording.
void StartupCacheFiles::MarkFailed(const std::wstring& why) {
    DeleteCacheFile(tempPath_);
    DeleteCacheFile(ClassListPathOf(tempPath_));
    UniqueFile mark(CreateFileW(failedPath_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (TraceOn()) Trace(why + L"; no new try for an hour");
}

CacheRuntime InspectRuntime(const std::wstring& jvmHome, const std::wstring& jvmLibraryPath,
                            std::wstring& releaseVersion) {
    CacheRuntime runtime;
    releaseVersion.clear();
    std::string data;
    bool complete = false;
    if (ReadFileStart(jvmHome + L"\\release", kReleaseFileReadLimit, data, complete)) {
        ReadReleaseVersion(data, complete, releaseVersion);
    }
    JavaVersion version;
    if (ParseJavaVersion(releaseVersion, kVersionFillMinimum, version)) {
        runtime.featureVersion = version.fields[0] == 1 ? version.fields[1] : version.fields[0];  // "1.8.0" is 8
    }
    // The dynamic archive sits on top of the base archive beside jvm.dll.
    runtime.hasBaseArchive = PathExists(FolderWithSlashOf(jvmLibraryPath) + L"classes.jsa");
    runtime.hasJavaExe = PathExists(jvmHome + L"\\bin\\java.exe");
    return runtime;
}
