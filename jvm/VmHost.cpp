#include "jvm/VmHost.h"

#include <atomic>

#include "base/CatchAll.h"
#include "base/DecimalText.h"

#include "base/ErrorBox.h"
#include "base/PathText.h"
#include "base/Trace.h"
#include "base/Thread.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "jvm/JavaStrings.h"
#include "jvm/JniRef.h"
#include "jvm/OutputRedirect.h"
#include "jvm/UncaughtException.h"
#include "resources/resource.h"

namespace {

// Told once that the VM has ended: by the exit hook or after DestroyJavaVM, whichever comes.
std::atomic<VmLifetimeObserver*> endObserver{nullptr};

void NotifyVmEnded() {
    VmLifetimeObserver* observer = endObserver.exchange(nullptr);
    if (observer != nullptr) observer->VmEnded();
}

// The virtual machine calls these when it exits or aborts. At the exit hook the VM has finished
// what it does at exit (it is called after the shutdown hooks and the VM's own files).
void JNICALL VmExitHook(jint code) {
    MARLWICK_TRY {
        if (TraceOn()) TraceLine(L"jvm: the virtual machine exits with code " + DecimalText(code));
        NotifyVmEnded();
    } MARLWICK_CATCH_ALL {
    }
}
// The main module of a start whose VM is being created, for the abort hook; null otherwise.
std::atomic<const JavaStart*> resolvingModules{nullptr};

// The VM aborts while it creates the boot layer when the main module, or a module it requires,
// is missing or the module path holds a file that is no module. java.exe leaves it at a line on
// the error stream that the user of a windowed application never sees.
void JNICALL VmAbortHook() {
    MARLWICK_TRY {
        const JavaStart* start = resolvingModules.exchange(nullptr);
        if (start == nullptr) return;
        if (TraceOn()) TraceLine(L"jvm: the virtual machine stopped while it resolved the modules");
        const std::vector<std::wstring> entries = ModulePathOptionEntries(start->vmOptions);
        std::wstring modulePath;
        for (const std::wstring& entry : entries) modulePath += (modulePath.empty() ? L"" : L";") + entry;
        // A box the size of a 32,000-character path would not fit any screen.
        constexpr size_t kShownPath = 512;
        if (modulePath.size() > kShownPath) modulePath = modulePath.substr(0, kShownPath) + L"\x2026";
        ShowFormattedError(IDS_MAIN_MODULE_NOT_FOUND, {start->mainModule.module, modulePath});
        ExitProcess(static_cast<UINT>(-1));
    } MARLWICK_CATCH_ALL {
    }
}

UINT CreateVmReasonId(jint result) {
    switch (result) {
        case JNI_ERR: return IDS_REASON_UNKNOWN;
        case JNI_EDETACHED: return IDS_REASON_DETACHED;
        case JNI_EVERSION: return IDS_REASON_VERSION;
        case JNI_ENOMEM: return IDS_REASON_MEMORY;
        case JNI_EEXIST: return IDS_REASON_EXISTS;
        case JNI_EINVAL: return IDS_REASON_INVALID;
        default: return 0;
    }
}

template <typename F>
F EntryPoint(FARPROC address) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(address));
}

// False when the system class loader cannot load the main class or the class has no static
// main(String[]). LauncherHelper would then end the whole process itself with exit code 1 and
// only a line on the error stream, which the user of a windowed application never sees; the
// plain FindClass route reports it instead. True when the check itself cannot be made.
bool MainClassLooksLoadable(JNIEnv* env, jstring dottedName) {
    LocalRef<jclass> loaderClass(env, env->FindClass("java/lang/ClassLoader"));
    jmethodID systemLoader = loaderClass
        ? env->GetStaticMethodID(loaderClass.get(), "getSystemClassLoader", "()Ljava/lang/ClassLoader;")
        : nullptr;
    jmethodID loadClass = systemLoader != nullptr
        ? env->GetMethodID(loaderClass.get(), "loadClass", "(Ljava/lang/String;)Ljava/lang/Class;")
        : nullptr;
    LocalRef<jobject> loader(env, loadClass != nullptr ? env->CallStaticObjectMethod(loaderClass.get(), systemLoader) : nullptr);
    if (!loader) {
        env->ExceptionClear();
        return true;
    }
    LocalRef<jclass> mainClass(env, static_cast<jclass>(env->CallObjectMethod(loader.get(), loadClass, dottedName)));
    if (!mainClass || env->ExceptionCheck() == JNI_TRUE) {
        env->ExceptionClear();
        return false;
    }
    const bool hasMain = env->GetStaticMethodID(mainClass.get(), "main", "([Ljava/lang/String;)V") != nullptr;
    env->ExceptionClear();
    return hasMain;
}

// The outcome of looking for the main class of a main module.
enum class ModuleLookup { Found, NoModule, NoMainClassAttribute, NoClass };

// Clears a pending exception; true when there was none and `ok` holds.
bool Succeeded(JNIEnv* env, bool ok) {
    if (env->ExceptionCheck() == JNI_TRUE) {
        env->ExceptionClear();
        return false;
    }
    return ok;
}

// The main class of `module` in the boot layer as java.exe finds it: `dottedClass`, or the
// module's ModuleMainClass when that is empty (then `dottedClass` receives it), loaded by the
// module's class loader, in that module, with a static main(String[]). Everything used lies in
// java.base.
ModuleLookup FindModuleMainClass(JNIEnv* env, const std::wstring& module, std::wstring& dottedClass) {
    LocalRef<jclass> layerClass(env, env->FindClass("java/lang/ModuleLayer"));
    LocalRef<jclass> optionalClass(env, env->FindClass("java/util/Optional"));
    LocalRef<jclass> moduleClass(env, env->FindClass("java/lang/Module"));
    LocalRef<jclass> descriptorClass(env, env->FindClass("java/lang/module/ModuleDescriptor"));
    LocalRef<jclass> classClass(env, env->FindClass("java/lang/Class"));
    if (!Succeeded(env, layerClass && optionalClass && moduleClass && descriptorClass && classClass)) {
        return ModuleLookup::NoModule;
    }
    jmethodID boot = env->GetStaticMethodID(layerClass.get(), "boot", "()Ljava/lang/ModuleLayer;");
    jmethodID findModule = env->GetMethodID(layerClass.get(), "findModule", "(Ljava/lang/String;)Ljava/util/Optional;");
    jmethodID isPresent = env->GetMethodID(optionalClass.get(), "isPresent", "()Z");
    jmethodID get = env->GetMethodID(optionalClass.get(), "get", "()Ljava/lang/Object;");
    jmethodID getDescriptor = env->GetMethodID(moduleClass.get(), "getDescriptor", "()Ljava/lang/module/ModuleDescriptor;");
    jmethodID getClassLoader = env->GetMethodID(moduleClass.get(), "getClassLoader", "()Ljava/lang/ClassLoader;");
    jmethodID mainClass = env->GetMethodID(descriptorClass.get(), "mainClass", "()Ljava/util/Optional;");
    jmethodID forName = env->GetStaticMethodID(classClass.get(), "forName",
                                               "(Ljava/lang/String;ZLjava/lang/ClassLoader;)Ljava/lang/Class;");
    jmethodID getModule = env->GetMethodID(classClass.get(), "getModule", "()Ljava/lang/Module;");
    if (!Succeeded(env, boot && findModule && isPresent && get && getDescriptor && getClassLoader && mainClass &&
                            forName && getModule)) {
        return ModuleLookup::NoModule;
    }
    // The present value of an Optional, or null.
    const auto present = [&](jobject optional) -> jobject {
        if (optional == nullptr || env->CallBooleanMethodA(optional, isPresent, nullptr) != JNI_TRUE) return nullptr;
        return env->CallObjectMethod(optional, get);
    };
    LocalRef<jobject> layer(env, env->CallStaticObjectMethod(layerClass.get(), boot));
    LocalRef<jstring> moduleName(env, NewJavaString(env, module));
    if (!Succeeded(env, layer && moduleName)) return ModuleLookup::NoModule;
    LocalRef<jobject> foundModule(env, env->CallObjectMethod(layer.get(), findModule, moduleName.get()));
    LocalRef<jobject> moduleObject(env, present(foundModule.get()));
    if (!Succeeded(env, static_cast<bool>(moduleObject))) return ModuleLookup::NoModule;

    if (dottedClass.empty()) {
        LocalRef<jobject> descriptor(env, env->CallObjectMethod(moduleObject.get(), getDescriptor));
        LocalRef<jobject> named(env, descriptor ? env->CallObjectMethod(descriptor.get(), mainClass) : nullptr);
        LocalRef<jstring> name(env, static_cast<jstring>(present(named.get())));
        if (!Succeeded(env, static_cast<bool>(name))) return ModuleLookup::NoMainClassAttribute;
        const jchar* chars = env->GetStringChars(name.get(), nullptr);
        if (chars == nullptr) {
            env->ExceptionClear();
            return ModuleLookup::NoMainClassAttribute;
        }
        dottedClass.assign(reinterpret_cast<const wchar_t*>(chars), static_cast<size_t>(env->GetStringLength(name.get())));
        env->ReleaseStringChars(name.get(), chars);
    }
    LocalRef<jobject> loader(env, env->CallObjectMethod(moduleObject.get(), getClassLoader));
    LocalRef<jstring> className(env, NewJavaString(env, dottedClass));
    if (!Succeeded(env, static_cast<bool>(className))) return ModuleLookup::NoClass;
    LocalRef<jclass> found(env, static_cast<jclass>(env->CallStaticObjectMethod(classClass.get(), forName, className.get(),
                                                                                JNI_FALSE, loader.get())));
    if (!Succeeded(env, static_cast<bool>(found))) return ModuleLookup::NoClass;
    LocalRef<jobject> classModule(env, env->CallObjectMethod(found.get(), getModule));
    if (!Succeeded(env, env->IsSameObject(classModule.get(), moduleObject.get()) == JNI_TRUE)) return ModuleLookup::NoClass;
    const bool hasMain = env->GetStaticMethodID(found.get(), "main", "([Ljava/lang/String;)V") != nullptr;
    return Succeeded(env, hasMain) ? ModuleLookup::Found : ModuleLookup::NoClass;
}

// An exclusive hold of a slim reader/writer lock for the scope.
class SrwExclusive {
public:
    explicit SrwExclusive(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~SrwExclusive() { ReleaseSRWLockExclusive(&lock_); }
    SrwExclusive(const SrwExclusive&) = delete;
    SrwExclusive& operator=(const SrwExclusive&) = delete;

private:
    SRWLOCK& lock_;
};

}  // namespace

bool VmHost::Load(const std::wstring& jvmLibraryPath) {
    // The library stays loaded until the process ends, also after a failed lookup below.
    TracePhase(L"loading the JVM library");
    HMODULE library = LoadLibraryW(jvmLibraryPath.c_str());
    if (library == nullptr) {
        const DWORD error = GetLastError();
        if (TraceOn()) TraceLine(L"jvm: LoadLibrary failed with error " + DecimalText(error));
        ShowFormattedError(IDS_JVM_LOAD_FAILED, {jvmLibraryPath, static_cast<int32_t>(error)});
        return false;
    }
    jniCreateJavaVM_ = GetProcAddress(library, "JNI_CreateJavaVM");
    if (jniCreateJavaVM_ != nullptr) jniGetDefaultJavaVMInitArgs_ = GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs");
    if (jniCreateJavaVM_ == nullptr || jniGetDefaultJavaVMInitArgs_ == nullptr) {
        const DWORD error = GetLastError();
        ShowFormattedError(IDS_WINDOWS_EXCEPTION, {ErrorArg::StringId(IDS_NO_CREATE_JAVA_VM), static_cast<int32_t>(error)});
        return false;
    }
    jvmFindClassFromBootLoader_ = GetProcAddress(library, "JVM_FindClassFromBootLoader");
    TracePhase(L"JVM library loaded");
    return true;
}

SIZE_T VmHost::DefaultStackSize() {
    JDK1_1InitArgs args = {};
    args.version = JNI_VERSION_1_1;
    EntryPoint<JNI_GetDefaultJavaVMInitArgs_t>(jniGetDefaultJavaVMInitArgs_)(&args);
    return args.javaStackSize > 0 ? static_cast<SIZE_T>(args.javaStackSize) : 0;
}

MainOutcome VmHost::Run(const JavaStart& start) {
    start_ = &start;
    mainClass_ = start.mainClass;
    parkAfterMain_ = start.parkMainThread;
    SIZE_T stackSize = static_cast<SIZE_T>(start.mainThreadStackSize);
    if (stackSize == 0) stackSize = DefaultStackSize();
    // The size is the thread's reserve, so that -Xss also makes the stack smaller than the
    // executable's default; without the flag Windows would only commit that much.
    const DWORD flags = stackSize != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0;
    UniqueHandle thread = StartThread([this] { return JavaMainThread(); }, stackSize, flags);
    DWORD exitCode = kMainNotStarted;
    if (!thread) {
        exitCode = JavaMainThread();
    } else {
        WaitForSingleObject(thread.get(), INFINITE);
        GetExitCodeThread(thread.get(), &exitCode);
    }
    start_ = nullptr;
    if (exitCode == kMainReturned) return MainOutcome::Returned;
    if (exitCode == kMainThrew) return MainOutcome::Threw;
    return MainOutcome::NotStarted;
}

DWORD VmHost::JavaMainThread() {
    if (!CreateJavaVm()) return kMainNotStarted;
    mainThrew_ = false;
    if (!InvokeMain()) return kMainNotStarted;
    return mainThrew_ ? kMainThrew : kMainReturned;
}

bool VmHost::CreateJavaVm() {
    std::vector<std::string> texts;
    texts.reserve(start_->vmOptions.size());
    for (const std::wstring& option : start_->vmOptions) texts.push_back(ToAnsi(option));
    std::vector<JavaVMOption> options;
    options.reserve(texts.size() + 2);
    for (std::string& text : texts) options.push_back({&text[0], nullptr});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&VmAbortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&VmExitHook)});

    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    JavaVM* vm = nullptr;
    void* env = nullptr;
    endObserver.store(observer_);
    if (!start_->mainModule.module.empty()) resolvingModules.store(start_);
    const jint result = EntryPoint<JNI_CreateJavaVM_t>(jniCreateJavaVM_)(&vm, &env, &args);
    resolvingModules.store(nullptr);
    if (result != JNI_OK) {
        if (TraceOn()) TraceLine(L"jvm: JNI_CreateJavaVM failed with " + DecimalText(result));
        const UINT reason = CreateVmReasonId(result);
        ShowFormattedError(IDS_JNI_EXCEPTION_REASON,
                           {ErrorArg::StringId(IDS_CREATE_JAVA_VM_FAILED),
                            reason != 0 ? ErrorArg::StringId(reason) : ErrorArg(L"")});
        return false;
    }
    {
        SrwExclusive lock(deliveryLock_);
        javaVM_ = vm;
    }
    jniEnv_ = static_cast<JNIEnv*>(env);
    TracePhase(L"VM created");
    if (observer_ != nullptr) observer_->VmCreated(jniEnv_);
    RedirectOutputs(jniEnv_, *start_);
    return true;
}

jclass VmHost::LoadMainClassThroughHelper() {
    if (jvmFindClassFromBootLoader_ == nullptr) return nullptr;
    JNIEnv* env = jniEnv_;
    jclass helper = EntryPoint<JVM_FindClassFromBootLoader_t>(jvmFindClassFromBootLoader_)(env, "sun/launcher/LauncherHelper");
    if (helper == nullptr) return nullptr;
    jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr) return nullptr;
    const bool modular = !start_->mainModule.module.empty();
    // The helper's modes: a class from the class path, or "module/class" as java.exe's -m.
    const jint kClassMode = 1, kModuleMode = 3;
    const std::wstring dotted = ReplaceChar(mainClass_, L'/', L'.');
    LocalRef<jstring> name(env, NewJavaString(env, modular ? start_->mainModule.module + L"/" + dotted : dotted));
    // The module's class has been checked by FindModuleMainClass already.
    if (!name || (!modular && !MainClassLooksLoadable(env, name.get()))) return nullptr;
    return static_cast<jclass>(
        env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, modular ? kModuleMode : kClassMode, name.get()));
}

bool VmHost::FindMainModuleClass() {
    const std::wstring& module = start_->mainModule.module;
    std::wstring dottedClass = start_->mainModule.mainClass;
    const ModuleLookup lookup = FindModuleMainClass(jniEnv_, module, dottedClass);
    if (TraceOn()) {
        static const wchar_t* const kOutcomes[] = {L"found", L"no such module in the boot layer",
                                                   L"the module names no main class",
                                                   L"no such class with a static main in the module"};
        TraceLine(L"jvm: main class of module " + module + L": " +
                  (dottedClass.empty() ? std::wstring(L"(none)") : dottedClass) + L": " +
                  kOutcomes[static_cast<int>(lookup)]);
    }
    switch (lookup) {
        case ModuleLookup::Found:
            mainClass_ = ReplaceChar(dottedClass, L'.', L'/');
            return true;
        case ModuleLookup::NoModule:
            ShowFormattedError(IDS_MAIN_MODULE_NOT_FOUND, {module, L""});
            return false;
        case ModuleLookup::NoMainClassAttribute:
            ShowFormattedError(IDS_MODULE_NO_MAIN_CLASS, {module, module});
            return false;
        case ModuleLookup::NoClass:
            ShowFormattedError(IDS_MODULE_MAIN_CLASS_NOT_FOUND, {dottedClass, module});
            return false;
    }
    return false;
}

bool VmHost::InvokeMain() {
    if (CallMain()) return FinishMainThread();
    // A thread that ends attached counts as a live non-daemon thread: DestroyJavaVM in the
    // teardown would wait for it for ever.
    javaVM_->DetachCurrentThread();
    return false;
}

bool VmHost::CallMain() {
    JNIEnv* env = jniEnv_;
    if (!start_->mainModule.module.empty() && !FindMainModuleClass()) return false;
    const std::wstring& mainClass = mainClass_;
    jclass mainClassRef = LoadMainClassThroughHelper();
    if (mainClassRef == nullptr) {
        // A helper that threw leaves its exception pending; FindClass gets a clean slate.
        if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionClear();
        LocalRef<jstring> name(env, NewJavaString(env, mainClass));
        if (!name) {
            ShowFormattedError(IDS_MAIN_CLASS_LOAD_FAILED, {mainClass});
            return false;
        }
        const char* utf = env->GetStringUTFChars(name.get(), nullptr);
        if (utf == nullptr) {
            env->ExceptionDescribe();
            return false;
        }
        mainClassRef = env->FindClass(utf);
        env->ReleaseStringUTFChars(name.get(), utf);
        if (mainClassRef == nullptr) {
            env->ExceptionDescribe();
            ShowFormattedError(IDS_MAIN_CLASS_NOT_FOUND, {mainClass});
            return false;
        }
    }

    TracePhase(L"main class found");
    jmethodID mainMethod = env->GetStaticMethodID(mainClassRef, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr) {
        if (env->ExceptionCheck() == JNI_TRUE) {
            env->ExceptionDescribe();
        } else {
            ShowErrorBox(IDS_NO_MAIN_METHOD);
        }
        return false;
    }
    LocalRef<jobjectArray> args(env, NewStringArray(env, start_->arguments));
    if (!args) {
        env->ExceptionDescribe();
        return false;
    }
    events_.MainStarting();
    TracePhase(L"main called");
    env->CallStaticVoidMethod(mainClassRef, mainMethod, args.get());
    if (TraceOn()) {
        TraceLine(std::wstring(L"phase main returned, exception pending: ") +
                  TraceFlag(env->ExceptionCheck() == JNI_TRUE));
    }
    if (env->ExceptionCheck() == JNI_TRUE) {
        mainThrew_ = true;
        events_.MainThrew();
        // Shown when asked for; an ignored or unreported exception stays pending, and the virtual
        // machine reports it when the thread detaches.
        if (start_->reportUncaughtException) ReportUncaughtException(env);
    }
    return true;
}

bool VmHost::FinishMainThread() {
    if (parkAfterMain_) {
        // The IBM VM must keep its main thread; the process ends through System.exit.
        for (;;) Sleep(INFINITE);
    }
    return javaVM_->DetachCurrentThread() == JNI_OK;
}

void VmHost::Destroy() {
    JavaVM* vm = nullptr;
    {
        SrwExclusive lock(deliveryLock_);
        vm = javaVM_;
    }
    if (vm != nullptr) {
        JNIEnv* env = nullptr;
        // Later starts are delivered for as long as the application runs: the VM is destroyed
        // only once its non-daemon threads have ended, and deliveries stop only then.
        if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) == JNI_OK) JoinApplicationThreads(env);
        {
            SrwExclusive lock(deliveryLock_);
            deliveriesOpen_ = false;
            while (deliveriesInVm_ > 0) SleepConditionVariableSRW(&deliveriesLeft_, &deliveryLock_, INFINITE, 0);
        }
        vm->DestroyJavaVM();  // waits for the non-daemon threads that deliveries started meanwhile
    }
    {
        SrwExclusive lock(deliveryLock_);
        deliveriesOpen_ = false;
        javaVM_ = nullptr;
    }
    NotifyVmEnded();
}

void VmHost::JoinApplicationThreads(JNIEnv* env) {
    // Each look-up stops at the first failure, with nothing left pending.
    auto found = [env](bool ok) {
        if (ok && env->ExceptionCheck() != JNI_TRUE) return true;
        env->ExceptionClear();
        return false;
    };
    LocalRef<jclass> threadClass(env, env->FindClass("java/lang/Thread"));
    if (!found(static_cast<bool>(threadClass))) return;
    LocalRef<jclass> mapClass(env, env->FindClass("java/util/Map"));
    if (!found(static_cast<bool>(mapClass))) return;
    LocalRef<jclass> collectionClass(env, env->FindClass("java/util/Collection"));
    if (!found(static_cast<bool>(collectionClass))) return;
    jmethodID currentThread = env->GetStaticMethodID(threadClass.get(), "currentThread", "()Ljava/lang/Thread;");
    if (!found(currentThread != nullptr)) return;
    jmethodID allThreads = env->GetStaticMethodID(threadClass.get(), "getAllStackTraces", "()Ljava/util/Map;");
    if (!found(allThreads != nullptr)) return;
    jmethodID isAlive = env->GetMethodID(threadClass.get(), "isAlive", "()Z");
    if (!found(isAlive != nullptr)) return;
    jmethodID isDaemon = env->GetMethodID(threadClass.get(), "isDaemon", "()Z");
    if (!found(isDaemon != nullptr)) return;
    jmethodID join = env->GetMethodID(threadClass.get(), "join", "()V");
    if (!found(join != nullptr)) return;
    jmethodID keySet = env->GetMethodID(mapClass.get(), "keySet", "()Ljava/util/Set;");
    if (!found(keySet != nullptr)) return;
    jmethodID toArray = env->GetMethodID(collectionClass.get(), "toArray", "()[Ljava/lang/Object;");
    if (!found(toArray != nullptr)) return;
    LocalRef<jobject> self(env, env->CallStaticObjectMethod(threadClass.get(), currentThread));
    if (!found(static_cast<bool>(self))) return;
    // Until a look finds none: a thread that is joined may have started others.
    for (bool joined = true; joined;) {
        joined = false;
        LocalRef<jobject> map(env, env->CallStaticObjectMethod(threadClass.get(), allThreads));
        if (!found(static_cast<bool>(map))) return;
        LocalRef<jobject> keys(env, env->CallObjectMethod(map.get(), keySet));
        if (!found(static_cast<bool>(keys))) return;
        LocalRef<jobjectArray> threads(env, static_cast<jobjectArray>(env->CallObjectMethod(keys.get(), toArray)));
        if (!found(static_cast<bool>(threads))) return;
        const jsize count = env->GetArrayLength(threads.get());
        for (jsize i = 0; i < count; ++i) {
            LocalRef<jobject> thread(env, env->GetObjectArrayElement(threads.get(), i));
            if (!found(static_cast<bool>(thread))) return;
            if (env->IsSameObject(thread.get(), self.get()) == JNI_TRUE) continue;
            const bool daemon = env->CallBooleanMethodA(thread.get(), isDaemon, nullptr) == JNI_TRUE;
            if (!found(true)) return;
            const bool alive = env->CallBooleanMethodA(thread.get(), isAlive, nullptr) == JNI_TRUE;
            if (!found(true)) return;
            if (daemon || !alive) continue;
            env->CallVoidMethod(thread.get(), join);
            if (!found(true)) return;
            joined = true;
        }
    }
}

void VmHost::CallSecondaryMain(const std::vector<std::wstring>& arguments,
                               const std::function<void(int32_t)>& answer) {
    JavaVM* vm = nullptr;
    {
        // The VM is taken only while deliveries are open, and Destroy waits for every delivery
        // that took it before the VM goes.
        SrwExclusive lock(deliveryLock_);
        if (!deliveriesOpen_ || javaVM_ == nullptr) return;
        vm = javaVM_;
        ++deliveriesInVm_;
    }
    ScopeExit left([this] {
        SrwExclusive lock(deliveryLock_);
        --deliveriesInVm_;
        WakeAllConditionVariable(&deliveriesLeft_);
    });
    JNIEnv* env = nullptr;
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) return;
    // The local references go before the thread detaches.
    CallSecondaryMainAttached(env, arguments, answer);
    if (!parkAfterMain_) vm->DetachCurrentThread();
}

void VmHost::CallSecondaryMainAttached(JNIEnv* env, const std::vector<std::wstring>& arguments,
                                       const std::function<void(int32_t)>& answer) {
    LocalRef<jclass> mainClass(env, FindClassByName(env, mainClass_));
    if (mainClass) {
        bool returnsInt = false;
        jmethodID method = env->GetStaticMethodID(mainClass.get(), "secondaryMain", "([Ljava/lang/String;)V");
        if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionClear();
        if (method == nullptr) {
            method = env->GetStaticMethodID(mainClass.get(), "secondaryMain", "([Ljava/lang/String;)I");
            returnsInt = true;
        }
        LocalRef<jobjectArray> args(env, method != nullptr ? NewStringArray(env, arguments) : nullptr);
        if (args) {
            if (returnsInt) {
                const jint value = env->CallStaticIntMethod(mainClass.get(), method, args.get());
                answer(static_cast<int32_t>(value));
            } else {
                answer(0);
                env->CallStaticVoidMethod(mainClass.get(), method, args.get());
            }
        }
    }
    if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionDescribe();
}
