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

// How the Java main thread ended.
enum class MainOutcome {
    Returned,    // main returned normally
    Threw,       // main ended with an uncaught exception (shown and ignored, or not shown)
    NotStarted,  // no VM, no main class or no main method: the user has been told why
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

    // Runs the Java main thread for `start` and waits for it to let go of the VM.
    MainOutcome Run(const JavaStart& start);

    // Set before Run; must live until the process ends.
    void SetLifetimeObserver(VmLifetimeObserver* observer) { observer_ = observer; }

    // Destroys the virtual machine when one was created. Waits for the application's non-daemon
    // threads first, then stops taking deliveries (CallSecondaryMain) and waits for those under
    // way, then destroys the VM. The result is not examined.
    void Destroy();

    // Calls secondaryMain of the main class on the calling thread (attached for the call) with a
    // later start's arguments. `answer` receives the later start's exit code: at once for
    // secondaryMain(String[]) returning void (0), or the int that secondaryMain(String[]) returns.
    // It is not called when the class, the method or the arguments cannot be had, nor once Destroy
    // has stopped taking deliveries. Only after VmEvents::MainStarting; any thread.
    void CallSecondaryMain(const std::vector<std::wstring>& arguments, const std::function<void(int32_t)>& answer);

private:
    DWORD JavaMainThread();
    bool CreateJavaVm();
    bool InvokeMain();
    jclass LoadMainClassThroughHelper();
    // Finds the main module's main class (mainClass_ receives it); false after telling the user.
    bool FindMainModuleClass();
    bool CallMain();
    bool FinishMainThread();
    SIZE_T DefaultStackSize();
    void JoinApplicationThreads(JNIEnv* env);
    void CallSecondaryMainAttached(JNIEnv* env, const std::vector<std::wstring>& arguments,
                                   const std::function<void(int32_t)>& answer);

    // The Java main thread's exit codes.
    static const DWORD kMainReturned = 0;
    static const DWORD kMainNotStarted = 1;
    static const DWORD kMainThrew = 2;

    VmEvents& events_;
    bool mainThrew_ = false;  // on the Java main thread
    VmLifetimeObserver* observer_ = nullptr;
    const JavaStart* start_ = nullptr;  // during Run
    FARPROC jniCreateJavaVM_ = nullptr;
    FARPROC jniGetDefaultJavaVMInitArgs_ = nullptr;
    FARPROC jvmFindClassFromBootLoader_ = nullptr;
    // The VM as the delivery threads see it, and whether they may still enter it.
    SRWLOCK deliveryLock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE deliveriesLeft_ = CONDITION_VARIABLE_INIT;
    JavaVM* javaVM_ = nullptr;     // guarded by deliveryLock_
    bool deliveriesOpen_ = true;   // guarded by deliveryLock_
    int deliveriesInVm_ = 0;       // guarded by deliveryLock_
    JNIEnv* jniEnv_ = nullptr;  // the Java main thread's
    // Copied from the start for the delivery threads, which may outlive Run; for a main module
    // the class found in it.
    std::wstring mainClass_;
    bool parkAfterMain_ = false;
};
