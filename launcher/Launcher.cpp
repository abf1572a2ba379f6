#include "launcher/Launcher.h"

#include "jre/JreNotFoundDialog.h"
#include "jre/JreSelection.h"
#include "jvm/UncaughtException.h"
#include "jvm/jni.h"
#include "base/ErrorBox.h"
#include "base/IniFile.h"
#include "base/Win32Text.h"
#include "resources/resource.h"

namespace {

Launcher* currentLauncher = nullptr;

}  // namespace

Launcher::Launcher() { currentLauncher = this; }

Launcher* Launcher::Current() { return currentLauncher; }

Launcher::~Launcher() {
    CloseSplashWindow();
    if (javaVM != nullptr) javaVM->DestroyJavaVM();  // waits for the application's non-daemon threads
    StopListener();
    startedEvent.reset();
    if (splashCloseHook != nullptr) {
        splashCloseHook();
        splashCloseHook = nullptr;
    }
    currentLauncher = nullptr;
}

bool Launcher::Init() {
    ParseCommandLine();
    if (!ReadSettings()) return false;
    if (!SetupSingleInstance()) return false;
    if (settings.singleInstance && !isFirstInstance) return true;  // Run waits for the first instance
    if (settings.overrideWorkingDir) SetWorkingDirToModuleDir();
    return LocateJre();
}

int32_t Launcher::Run() {
    if (runPairProduct) return StartPairProduct();
    if (settings.singleInstance && !isFirstInstance) return WaitForFirstInstance();
    PrepareVmEnvironment();
    if (!HasNoSplashSwitch(arguments) && !StartSplash()) return 0;
    if (!LoadJvmLibrary()) return -1;
    // Without a class path the user has been told why; starting a VM that cannot find the main
    // class would only add a second message.
    if (GatherVmOptions() && RunJavaMainThread() == 0) return 0;
    if (splashCloseHook != nullptr) {
        splashCloseHook();
        splashCloseHook = nullptr;
    }
    return -1;
}

void Launcher::ParseCommandLine() { arguments = ArgumentsFromCommandLine(GetCommandLineW()); }

bool Launcher::ReadSettings() {
    std::wstring iniPath;
    if (!GetIniPath(iniPath)) return false;

    IniFile plain(iniPath);
    ReadProductInformation(plain, settings);

    LayeredIniFile layered(iniPath);
    // An application's per-user INI file, once it exists, holds the JRE folder the user chose.
    std::wstring modulePath;
    std::wstring userIniPath;
    if (QueryModulePath(nullptr, modulePath)) {
        userIniPath = MakeUserIniPath(modulePath, settings.productName, settings.productCode, false);
    }
    IniFile userIni(userIniPath);
    const bool haveUserIni = !userIniPath.empty() && PathExists(userIniPath);

    const SettingsSources sources{plain, layered, haveUserIni ? &userIni : nullptr};
    if (ReadStartSettings(sources, settings) == SettingsResult::NoMainClass) {
        ShowErrorBox(IDS_NO_MAIN_CLASS);
        return false;
    }
    return true;
}

void Launcher::SetWorkingDirToModuleDir() {
    std::wstring modulePath;
    std::wstring folder;
    if (!GetModulePath(modulePath) || !ModuleDirectoryOf(modulePath, folder)) return;
    SetCurrentDirectoryW(folder.c_str());
}

bool Launcher::LocateJre() {
    JreSelection selection;
    JreNotFoundDialog dialog;
    if (!FindJre(settings, &dialog, selection)) return false;
    jvmLibraryPath = selection.jvmLibraryPath;
    jreVersion = selection.version;
    runPairProduct = selection.runPairProduct;
    return true;
}

// The splash screen comes with its own work; until then no start shows one.
bool Launcher::StartSplash() { return true; }

void Launcher::CloseSplashWindow() {}

void Launcher::OnUncaughtException() {
    // The exception stays pending: the virtual machine reports it when the thread detaches.
    CloseSplashWindow();
    if (settings.failureCheck) ReportUncaughtException(jniEnv);
}

