// The one launcher object of the process: its settings, its handles and the order of a run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "jre/JavaVersion.h"
#include "jvm/jni.h"
#include "launcher/CommandLine.h"
#include "launcher/Settings.h"
#include "base/UniqueResource.h"
#include "splash/SplashScreen.h"

struct InstanceBlock;

// Receives the virtual machine's exit and abort notifications.
class VmEventListener {
public:
    virtual ~VmEventListener() = default;
    virtual void Exit(int32_t code) = 0;
    virtual void Abort() = 0;
};

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
    JavaVM* javaVM = nullptr;
    JNIEnv* jniEnv = nullptr;
    std::vector<std::string> vmOptions;
    SIZE_T mainThreadStackSize = 0;
    VmEventListener* vmEventListener = nullptr;

    // Output.
    std::wstring outputFile;
    std::wstring errorFile;
    std::wstring cmdText;
    bool outputAppend = false;
    bool errorAppend = false;

    // Splash: the own window and its thread, or the JRE's splash.
    SplashScreen splash;

    // Steps of the Java main thread (it calls them through its launcher pointer).
    bool CreateJavaVm();
    bool InvokeMain();

private:
    void ParseCommandLine();
    bool ReadSettings();
    bool SetupSingleInstance();
    void SetWorkingDirToModuleDir();
    bool LocateJre();
    int32_t StartPairProduct();
    int32_t WaitForFirstInstance();
    void PrepareVmEnvironment();
    bool StartSplash();
    void CloseSplashWindow();
    bool LoadJvmLibrary();
    SIZE_T GetDefaultStackSize();
    bool GatherVmOptions();
    void ResolveClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder, std::wstring& classPath);
    DWORD RunJavaMainThread();
    jclass LoadMainClassThroughHelper();
    // True when main was called (and has returned); false after the failure was reported.
    bool CallMain();
    void OnUncaughtException();
    bool FinishMainThread();
    void RedirectOutputs();
    bool RedirectStream(const std::wstring& path, bool append, bool standardError);
    void StopListener();
};
