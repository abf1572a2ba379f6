// The Java main thread: creates the virtual machine, finds the main class and calls main.
#include "jvm/JavaMain.h"

#include "base/PathText.h"

#include "base/ErrorBox.h"
#include "launcher/Launcher.h"
#include "resources/resource.h"

namespace {

DWORD WINAPI JavaMainThread(LPVOID parameter) {
    try {
        Launcher* launcher = static_cast<Launcher*>(parameter);
        if (launcher == nullptr || !launcher->CreateJavaVm()) return 1;
        return launcher->InvokeMain() ? 0 : 1;
    } catch (...) {  // nothing may unwind into the system's thread start
        return 1;
    }
}

std::wstring DottedName(const std::wstring& name) { return ReplaceChar(name, L'/', L'.'); }

}  // namespace

jstring NewJavaString(JNIEnv* env, const std::wstring& text) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass, "<init>", "([C)V");
    if (constructor == nullptr) return nullptr;
    const jsize length = static_cast<jsize>(text.size());
    jcharArray chars = env->NewCharArray(length);
    if (chars == nullptr) return nullptr;
    std::vector<jchar> units(text.begin(), text.end());
    env->SetCharArrayRegion(chars, 0, length, units.data());
    jstring result = nullptr;
    if (env->ExceptionOccurred() == nullptr) {
        result = static_cast<jstring>(env->NewObject(stringClass, constructor, chars));
    }
    env->DeleteLocalRef(chars);
    return result;
}

jobjectArray NewStringArray(JNIEnv* env, const std::vector<std::wstring>& items) {
    jclass stringClass = env->FindClass("java/lang/String");
    if (stringClass == nullptr) return nullptr;
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(items.size()), stringClass, nullptr);
    if (array == nullptr) return nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        jstring item = NewJavaString(env, items[i]);
        if (item == nullptr) return nullptr;
        env->SetObjectArrayElement(array, static_cast<jsize>(i), item);
        env->DeleteLocalRef(item);
    }
    return array;
}

DWORD Launcher::RunJavaMainThread() {
    if (mainThreadStackSize == 0) mainThreadStackSize = GetDefaultStackSize();
    // The size is the thread's reserve, so that -Xss also makes the stack smaller than the
    // executable's default; without the flag Windows would only commit that much.
    const DWORD flags = mainThreadStackSize != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0;
    UniqueHandle thread(CreateThread(nullptr, mainThreadStackSize, JavaMainThread, this, flags, nullptr));
    if (!thread) return JavaMainThread(this);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return exitCode;
}

// False when the system class loader cannot load the main class or the class has no static
// main(String[]). LauncherHelper would then end the whole process itself with exit code 1 and
// only a line on the error stream, which the user of a windowed application never sees; the
// plain FindClass route reports it instead. True when the check itself cannot be made.
static bool MainClassLooksLoadable(JNIEnv* env, jstring dottedName) {
    jclass loaderClass = env->FindClass("java/lang/ClassLoader");
    jmethodID systemLoader = loaderClass != nullptr
        ? env->GetStaticMethodID(loaderClass, "getSystemClassLoader", "()Ljava/lang/ClassLoader;")
        : nullptr;
    jmethodID loadClass = systemLoader != nullptr
        ? env->GetMethodID(loaderClass, "loadClass", "(Ljava/lang/String;)Ljava/lang/Class;")
        : nullptr;
    jobject loader = loadClass != nullptr ? env->CallStaticObjectMethod(loaderClass, systemLoader) : nullptr;
    if (loader == nullptr) {
        env->ExceptionClear();
        return true;
    }
    jclass mainClass = static_cast<jclass>(env->CallObjectMethod(loader, loadClass, dottedName));
    if (mainClass == nullptr || env->ExceptionOccurred() != nullptr) {
        env->ExceptionClear();
        return false;
    }
    const bool hasMain = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V") != nullptr;
    env->ExceptionClear();
    return hasMain;
}

jclass Launcher::LoadMainClassThroughHelper() {
    if (jvmFindClassFromBootLoader == nullptr) return nullptr;
    JNIEnv* env = jniEnv;
    auto findBootClass = reinterpret_cast<JVM_FindClassFromBootLoader_t>(reinterpret_cast<void*>(jvmFindClassFromBootLoader));
    jclass helper = findBootClass(env, "sun/launcher/LauncherHelper");
    if (helper == nullptr) return nullptr;
    jmethodID checkAndLoadMain =
        env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
    if (checkAndLoadMain == nullptr) return nullptr;
    jstring name = NewJavaString(env, DottedName(settings.mainClass));
    if (name == nullptr || !MainClassLooksLoadable(env, name)) return nullptr;
    return static_cast<jclass>(env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, static_cast<jint>(1), name));
}

bool Launcher::InvokeMain() {
    if (CallMain()) return FinishMainThread();
    // A thread that ends attached counts as a live non-daemon thread: DestroyJavaVM in the
    // teardown would wait for it for ever.
    javaVM->DetachCurrentThread();
    return false;
}

bool Launcher::CallMain() {
    JNIEnv* env = jniEnv;
    jclass mainClassRef = LoadMainClassThroughHelper();
    if (mainClassRef == nullptr) {
        // A helper that threw leaves its exception pending; FindClass gets a clean slate.
        if (env->ExceptionOccurred() != nullptr) env->ExceptionClear();
        jstring name = NewJavaString(env, settings.mainClass);
        if (name == nullptr) {
            ShowFormattedError(IDS_MAIN_CLASS_LOAD_FAILED, {settings.mainClass});
            return false;
        }
        const char* utf = env->GetStringUTFChars(name, nullptr);
        if (utf == nullptr) {
            env->ExceptionDescribe();
            return false;
        }
        mainClassRef = env->FindClass(utf);
        env->ReleaseStringUTFChars(name, utf);
        if (mainClassRef == nullptr) {
            env->ExceptionDescribe();
            ShowFormattedError(IDS_MAIN_CLASS_NOT_FOUND, {settings.mainClass});
            return false;
        }
    }

    jmethodID mainMethod = env->GetStaticMethodID(mainClassRef, "main", "([Ljava/lang/String;)V");
    if (mainMethod == nullptr) {
        if (env->ExceptionOccurred() != nullptr) {
            env->ExceptionDescribe();
        } else {
            ShowErrorBox(IDS_NO_MAIN_METHOD);
        }
        return false;
    }
    jobjectArray args = NewStringArray(env, arguments);
    if (args == nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    if (startedEvent) SetEvent(startedEvent.get());
    env->CallStaticVoidMethod(mainClassRef, mainMethod, args);
    if (env->ExceptionOccurred() != nullptr) OnUncaughtException();
    return true;
}

bool Launcher::FinishMainThread() {
    if (settings.ibmAllowed || settings.ibmFavoured) {
        // The IBM VM must keep its main thread; the process ends through System.exit.
        for (;;) Sleep(INFINITE);
    }
    return javaVM->DetachCurrentThread() == JNI_OK;
}
