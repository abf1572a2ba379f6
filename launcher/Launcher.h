// The one launcher object of the process: its settings, the components it drives and the order
// of a run.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/IniFile.h"
#include "jvm/VmHost.h"
#include "launcher/CommandLine.h"
#include "launcher/Settings.h"
#include "launcher/SingleInstance.h"
#include "splash/SplashScreen.h"

// Reads and removes the mark that the pair product leaves in the environment of a start it hands
// over. True when this start was handed over.
bool TakeHandedOverMarker();

class Launcher : private VmEvents {
public:
    Launcher() = default;
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // True when Run is to follow. On false the failing step has already told the user.
    bool Init();
    // The process exit code.
    int32_t Run();

private:
    // VmEvents, on the Java main thread.
    void MainStarting() override;
    void MainThrew() override;

    bool ReadSettings();
    bool SetupSingleInstance();
    void SetWorkingDirToModuleDir();
    bool LocateJre();
    int32_t StartPairProduct();
    void StartSplash();
    void CloseSplashWindow();
    // Composes the start from the settings; false after the user was told why.
    bool GatherVmOptions();

    // Arguments.
    StringList arguments;
    // The executable's full path, fetched once; empty when it could not be had (reported once).
    std::wstring modulePath;
    // The main INI file as read at start, and everything read from the INI files.
    IniSnapshot mainIni;
    LauncherSettings settings;

    // JRE found.
    std::wstring jvmLibraryPath;
    bool runPairProduct = false;
    // This start was handed over by the pair product: it must not hand over again.
    bool handedOver = false;

    SingleInstance singleInstance;
    VmHost vmHost{*this};
    VmEnvironment vmEnvironment;
    JavaStart javaStart;

    // Splash: the own window and its thread, or the JRE's splash.
    SplashScreen splash;
};
