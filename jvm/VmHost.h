// The Java virtual machine inside the launcher's process: the JVM library, the JavaVM, its hooks
// and the Java main thread. The launcher hands it a composed JavaStart and hears back through
// VmEvents; nothing here knows the launcher.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jvm/JavaStart.h"
#include "jvm/jni.h"

// What the VM host tells its owner. Both calls come on the Java main thread.
class VmEvents {
public:
    virtual ~VmEvents() = default;
    // The main class and the argument array are ready; main is called next.
    virtual void MainStarting() = 0;
    // main ended by throwing; the exception is shown (when the start asks for it) or left to the
    // VM after this returns.
    virtual void MainThrew() = 0;
};

// Told when the virtual machine has been created (on the Java main thread, before main) and once
// when it has ended: from the VM's exit hook when the application calls System.exit, or after
// DestroyJavaVM has returned. Everything the VM writes when it ends is complete by then.
class VmLifetimeObserver {
public:
    virtual ~VmLifetimeObserver() = default;
    virtual void VmCreated(JNIEnv* env) = 0;
    virtual void VmEnded() = 0;
};

class VmHost {
public:
    explicit VmHost(VmEvents& events) : events_(events) {}
    ~VmHost() = default;
    VmHost(const VmHost&) = delete;
    VmHost& operator=(const VmHost&) = delete;

    // Loads the JVM library (it stays loaded until the process ends) and its entry points. False
    // after the user has been told why.
    bool Load(const std::wstring& jvmLibraryPath);

    // Runs the Java main thread for `start` and waits for it: 0 when main was called and the
    // thread has let go of the VM, 1 when the start failed (the user has been told why).
    DWORD Run(const JavaStart& start);

    // Set before Run; must live until the process ends.
    void SetLifetimeObserver(VmLifetimeObserver* observer) { observer_ = observer; }

    // Destroys the virtual machine when one was created; waits for the application's non-daemon
    // threads. The result is not examined.
    void Destroy();

    // Calls secondaryMain of the main class on the calling thread (attached for the call) with a
    // later start's arguments. `answer` receives the later start's exit code: at once for
    // secondaryMain(String[]) returning void (0), or the int that secondaryMain(String[]) returns.
    // It is not called when the class, the method or the arguments cannot be had. Only after
    // VmEvents::MainStarting.
    void CallSecondaryMain(const std::vector<std::wstring>& arguments, const std::function<void(int32_t)>& answer);

private:
    DWORD JavaMainThread();
    bool CreateJavaVm();
    bool InvokeMain();
    jclass LoadMainClassThroughHelper();
    bool CallMain();
    bool FinishMainThread();
    SIZE_T DefaultStackSize();
    void CallSecondaryMainAttached(JNIEnv* env, const std::vector<std::wstring>& arguments,
                                   const std::function<void(int32_t)>& answer);

    VmEvents& events_;
    VmLifetimeObserver* observer_ = nullptr;
    const JavaStart* start_ = nullptr;  // during Run
    FARPROC jniCreateJavaVM_ = nullptr;
    FARPROC jniGetDefaultJavaVMInitArgs_ = nullptr;
    FARPROC jvmFindClassFromBootLoader_ = nullptr;
    JavaVM* javaVM_ = nullptr;
    JNIEnv* jniEnv_ = nullptr;  // the Java main thread's
    // Copied from the start for the delivery threads, which may outlive Run.
    std::wstring mainClass_;
    bool parkAfterMain_ = false;
};
