// The one launcher object of the process: its settings, its handles and the order of a run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "launcher/CommandLine.h"
#include "launcher/Settings.h"
#include "launcher/UniqueResource.h"

struct JavaVM_;
struct JNIEnv_;
struct InstanceBlock;

class Launcher {
public:
    Launcher();
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    // The launcher of this process, for callbacks that the virtual machine makes; null outside its life.
    static Launcher* Current();

    // True when Run is to follow. On false the failing step has already told the user.
    bool Init();
    // The process exit code.
    int32_t Run();

    // Arguments.
    StringList arguments;
    // Everything read from the INI file.
    LauncherSettings settings;

    // JRE found.
    std::wstring jvmLibraryPath;
    JavaVersion jreVersion;
    bool runPairProduct = false;

    // Single instance.
    bool isFirstInstance = false;
    UniqueHandle instanceMapping;
    UniqueViewOfFile instanceView;
    InstanceBlock* instanceBlock = nullptr;
    UniqueHandle listenerThread;
    UniqueHandle startedEvent;

    // Java VM.
    FARPROC jniCreateJavaVM = nullptr;
    FARPROC jniGetDefaultJavaVMInitArgs = nullptr;
    FARPROC jvmFindClassFromBootLoader = nullptr;
    JavaVM_* javaVM = nullptr;
    JNIEnv_* jniEnv = nullptr;
    std::vector<std::string> vmOptions;
    SIZE_T mainThreadStackSize = 0;
    void* vmEventListener = nullptr;

    // Output.
    std::wstring outputFile;
    std::wstring errorFile;
    std::wstring cmdText;
    bool outputAppend = false;
    bool errorAppend = false;

    // Splash.
    std::wstring splashImage;
    std::wstring splashShadow;
    UniqueHandle splashThread;
    DWORD splashThreadId = 0;
    void* splashWindow = nullptr;
    HWND splashWindowHandle = nullptr;
    void (*splashCloseHook)() = nullptr;

private:
    void ParseCommandLine();
    bool ReadSettings();
    bool SetupSingleInstance();
    void SetWorkingDirToModuleDir();
    bool LocateJre();
    int32_t StartPairProduct();
    int32_t WaitForFirstInstance();
    bool PrepareVmEnvironment();
    bool StartSplash();
    bool LoadJvmLibrary();
    bool GatherVmOptions();
    DWORD RunJavaMainThread();
    void StopListener();
};
