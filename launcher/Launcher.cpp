#include "launcher/Launcher.h"

#include "base/BuildVariant.h"
#include "base/ErrorBox.h"
#include "base/IniFile.h"
#include "base/IniPaths.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "base/Win32Text.h"
#include "jre/JreNotFoundDialog.h"
#include "jre/JreNotFoundReport.h"
#include "jre/JreSelection.h"
#include "jvm/Win32StartFacts.h"
#include "launcher/StartupCacheSetup.h"
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
    if (TraceOn()) {
        TraceLine(std::wstring(L"launcher: command line ") + GetCommandLineW());
        TraceLine(L"launcher: executable \"" + modulePath + L"\", handed over by the pair product: " +
                  TraceFlag(handedOver));
    }
    if (!ReadSettings()) return false;
    TracePhase(L"settings read");
    if (!SetupSingleInstance()) return false;
    if (TraceOn()) {
        TraceLine(std::wstring(L"launcher: single instance: ") +
                  (!settings.singleInstance      ? L"off"
                   : singleInstance.IsLater()    ? L"a first instance runs: hand the command line over and wait"
                                                 : L"this is the first instance"));
    }
    if (singleInstance.IsLater()) return true;  // Run waits for the first instance
    if (settings.overrideWorkingDir) SetWorkingDirToModuleDir();
    return LocateJre();
}

int32_t Launcher::Run() {
    if (runPairProduct) {
        if (TraceOn()) TraceLine(L"launcher: the start goes to the pair product \"" + settings.pairProduct + L"\"");
        return StartPairProduct();
    }
    if (singleInstance.IsLater()) return singleInstance.WaitForFirstInstance();
    vmEnvironment = PrepareVmEnvironment(settings, jvmLibraryPath, FolderWithSlashOf(modulePath));
    if (!HasNoSplashSwitch(arguments)) StartSplash();
    if (!vmHost.Load(jvmLibraryPath)) return -1;
    // Without a class path the user has been told why; starting a VM that cannot find the main
    // class would only add a second message.
    if (GatherVmOptions()) {
        switch (vmHost.Run(javaStart)) {
            case MainOutcome::Returned: return 0;
            // As java.exe has it: scripts and installers see the failure. System.exit from the
            // application's other threads still decides the code, through the VM.
            case MainOutcome::Threw: return 1;
            case MainOutcome::NotStarted: break;
        }
    }
    splash.CloseNative();
    return -1;
}

bool Launcher::ReadSettings() {
    std::wstring iniPath;
    if (modulePath.empty() || !IniPathFromModulePath(modulePath, iniPath)) return false;

    // Each file is read once, here; every later reader (the splash too) uses these snapshots.
    mainIni = ReadIniSnapshot(iniPath);
    ReadProductInformation(mainIni.text, settings);
    // An application's per-user INI file, once it exists, holds the JRE folder the user chose.
    const UserIniLocation userLocation =
        MakeUserIniLocation(GetAppDataFolder(), settings.productName, settings.productCode, modulePath);
    const IniSnapshot userIni = ReadIniSnapshot(userLocation.path);
    if (TraceOn()) {
        TraceLine(L"launcher: product name \"" + settings.productName + L"\", code \"" + settings.productCode +
                  L"\"; settings not in the files above take their defaults");
    }
    switch (ReadStartSettings(mainIni.text, userIni.exists ? &userIni.text : nullptr, settings)) {
        case SettingsResult::NoMainClass:
            if (TraceOn()) TraceLine(L"launcher: no Main Class");
            ShowErrorBox(IDS_NO_MAIN_CLASS);
            return false;
        case SettingsResult::BadMainModule: {
            const std::wstring text = GetLayeredString(mainIni.text, ini::kJreSection, ini::kMainModule);
            if (TraceOn()) TraceLine(L"launcher: Main Module \"" + text + L"\" is not module or module/class");
            ShowFormattedError(IDS_BAD_MAIN_MODULE, {text});
            return false;
        }
        case SettingsResult::Ok: break;
    }
    if (TraceOn() && !settings.mainModule.module.empty()) {
        TraceLine(L"launcher: main module \"" + MainModuleText(settings.mainModule) + L"\"" +
                  (settings.mainClass.empty() ? L"" : L"; it wins over Main Class \"" + settings.mainClass + L"\""));
    }
    // Like a relative "JRE Path", a relative pair product lies beside the executable, never in the
    // working directory, where anyone may have put a program of that name.
    if (!settings.pairProduct.empty()) settings.pairProduct = BesideExecutable(modulePath, settings.pairProduct);
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
    // The console build names the requirement on standard error instead of asking in a dialog.
    JreNotFoundDialog dialog;
    std::wstring iniPath;
    if (!modulePath.empty()) IniPathFromModulePath(modulePath, iniPath);
    JreNotFoundReport report(iniPath);
    JreFolderChooser& chooser = IsConsoleBuild() ? static_cast<JreFolderChooser&>(report) : dialog;
    if (!FindJre(settings, &chooser, selection)) {
        TracePhase(L"JRE not found");
        return false;
    }
    jvmLibraryPath = selection.jvmLibraryPath;
    runPairProduct = selection.runPairProduct;
    if (!runPairProduct && JvmLibraryPathTooLong(jvmLibraryPath)) {
        // A runtime installed in a very deep folder starts from the folder's short form.
        const std::wstring shortPath = ShortPathOf(jvmLibraryPath);
        if (shortPath.empty() || JvmLibraryPathTooLong(shortPath)) {
            ShowFormattedError(IDS_JRE_FOLDER_TOO_LONG, {FolderOf(FolderOf(FolderOf(jvmLibraryPath)))});
            return false;
        }
        jvmLibraryPath = shortPath;
    }
    if (TraceOn()) {
        TraceLine(L"launcher: JVM library \"" + jvmLibraryPath + L"\", pair product: " + TraceFlag(runPairProduct));
    }
    TracePhase(L"JRE found");
    return true;
}

bool Launcher::GatherVmOptions() {
    Win32StartFacts facts;
    const bool parkMainThread = settings.ibmAllowed || settings.ibmFavoured;
    if (!ComposeJavaStart(settings, vmEnvironment, modulePath, arguments, parkMainThread, facts, javaStart)) {
        if (TraceOn()) TraceLine(L"launcher: the class path is empty and there is no Main Module");
        ShowErrorBox(IDS_NO_CLASS_PATH);
        return false;
    }
    // A console program leaves an exception that ends main to the runtime, which prints its stack
    // trace on standard error as java.exe does: no Java Exception dialog.
    if (IsConsoleBuild()) javaStart.reportUncaughtException = false;
    SetUpStartupCache(settings, jvmLibraryPath, vmEnvironment.jvmHome, modulePath, vmHost, javaStart);
    if (TraceOn()) TraceJavaStart(javaStart);
    return true;
}

void Launcher::MainStarting() { singleInstance.MainStarted(); }

void Launcher::MainThrew() { CloseSplashWindow(); }

// The [Display] keys come from the snapshot that the other settings were read from.
void Launcher::StartSplash() { splash.Start(ReadSplashSettings(mainIni.text), jvmLibraryPath); }

void Launcher::CloseSplashWindow() { splash.CloseWindow(); }
