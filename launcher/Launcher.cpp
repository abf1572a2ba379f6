#include "launcher/Launcher.h"

#include "base/ErrorBox.h"
#include "base/IniFile.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/Win32Text.h"
#include "jre/JreNotFoundDialog.h"
#include "jre/JreSelection.h"
#include "jvm/Win32StartFacts.h"
#include "resources/resource.h"

Launcher::~Launcher() {
    CloseSplashWindow();
    vmHost.Destroy();  // waits for the application's non-daemon threads
    singleInstance.Stop();
    splash.CloseNative();
}

bool Launcher::Init() {
    arguments = ArgumentsFromCommandLine(GetCommandLineW());
    handedOver = TakeHandedOverMarker();
    if (!GetModulePath(modulePath)) modulePath.clear();  // told once, here
    if (!ReadSettings()) return false;
    if (!SetupSingleInstance()) return false;
    if (singleInstance.IsLater()) return true;  // Run waits for the first instance
    if (settings.overrideWorkingDir) SetWorkingDirToModuleDir();
    return LocateJre();
}

int32_t Launcher::Run() {
    if (runPairProduct) return StartPairProduct();
    if (singleInstance.IsLater()) return singleInstance.WaitForFirstInstance();
    vmEnvironment = PrepareVmEnvironment(settings, jvmLibraryPath, FolderWithSlashOf(modulePath));
    if (!HasNoSplashSwitch(arguments) && !StartSplash()) return 0;
    if (!vmHost.Load(jvmLibraryPath)) return -1;
    // Without a class path the user has been told why; starting a VM that cannot find the main
    // class would only add a second message.
    if (GatherVmOptions() && vmHost.Run(javaStart) == 0) return 0;
    splash.CloseNative();
    return -1;
}

bool Launcher::ReadSettings() {
    std::wstring iniPath;
    if (modulePath.empty() || !IniPathFromModulePath(modulePath, iniPath)) return false;

    IniFile plain(iniPath);
    ReadProductInformation(plain, settings);

    LayeredIniFile layered(iniPath);
    // An application's per-user INI file, once it exists, holds the JRE folder the user chose.
    const std::wstring userIniPath = MakeUserIniPath(modulePath, settings.productName, settings.productCode, false);
    IniFile userIni(userIniPath);
    const bool haveUserIni = !userIniPath.empty() && PathExists(userIniPath);

    const SettingsSources sources{plain, layered, haveUserIni ? &userIni : nullptr};
    if (ReadStartSettings(sources, settings) == SettingsResult::NoMainClass) {
        ShowErrorBox(IDS_NO_MAIN_CLASS);
        return false;
    }
    return true;
}

bool Launcher::SetupSingleInstance() {
    if (!settings.singleInstance) return true;
    return singleInstance.Setup(modulePath, arguments,
                                [this](const std::vector<std::wstring>& forwarded,
                                       const std::function<void(int32_t)>& answer) {
                                    vmHost.CallSecondaryMain(forwarded, answer);
                                });
}

void Launcher::SetWorkingDirToModuleDir() {
    std::wstring folder;
    if (!ModuleDirectoryOf(modulePath, folder)) return;
    SetCurrentDirectoryW(folder.c_str());
}

bool Launcher::LocateJre() {
    JreSelection selection;
    JreNotFoundDialog dialog;
    if (!FindJre(settings, &dialog, selection)) return false;
    jvmLibraryPath = selection.jvmLibraryPath;
    runPairProduct = selection.runPairProduct;
    if (runPairProduct || !JvmLibraryPathTooLong(jvmLibraryPath)) return true;
    // A runtime installed in a very deep folder starts from the folder's short form.
    const std::wstring shortPath = ShortPathOf(jvmLibraryPath);
    if (!shortPath.empty() && !JvmLibraryPathTooLong(shortPath)) {
        jvmLibraryPath = shortPath;
        return true;
    }
    ShowFormattedError(IDS_JRE_FOLDER_TOO_LONG, {FolderOf(FolderOf(FolderOf(jvmLibraryPath)))});
    return false;
}

bool Launcher::GatherVmOptions() {
    Win32StartFacts facts;
    const bool parkMainThread = settings.ibmAllowed || settings.ibmFavoured;
    if (!ComposeJavaStart(settings, vmEnvironment, modulePath, arguments, parkMainThread, facts, javaStart)) {
        ShowErrorBox(IDS_NO_CLASS_PATH);
        return false;
    }
    return true;
}

void Launcher::MainStarting() { singleInstance.MainStarted(); }

void Launcher::MainThrew() { CloseSplashWindow(); }

// The [Display] keys are read now, from the plain INI file, not with the other settings.
bool Launcher::StartSplash() {
    std::wstring iniPath;
    if (!IniPathFromModulePath(modulePath, iniPath)) return true;
    IniFile plain(iniPath);
    splash.Start(ReadSplashSettings(plain), jvmLibraryPath);
    return true;
}

void Launcher::CloseSplashWindow() { splash.CloseWindow(); }
