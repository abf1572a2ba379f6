// The Java main thread: creates the virtual machine, finds the main class and calls main.
#include "jvm/JavaMain.h"

#include "launcher/ErrorBox.h"
#include "launcher/Launcher.h"
#include "resources/resource.h"

namespace {

DWORD WINAPI JavaMainThread(LPVOID parameter) {
    Launcher* launcher = static_cast<Launcher*>(parameter);
    if (launcher == nullptr || !launcher->CreateJavaVm()) return 1;
    return launcher->InvokeMain() ? 0 : 1;
}

std::wstring DottedName(std::wstring name) {
    for (auto& c : name) {
        if (c == L'/') c = L'.';
    }
    return name;
}

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
    UniqueHandle thread(CreateThread(nullptr, mainThreadStackSize, JavaMainThread, this, 0, nullptr));
    if (!thread) return JavaMainThread(this);
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return exitCode;
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
    if (name == nullptr) return nullptr;
    return static_cast<jclass>(env->CallStaticObjectMethod(helper, checkAndLoadMain, JNI_TRUE, static_cast<jint>(1), name));
}

bool Launcher::InvokeMain() {
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
    return FinishMainThread();
}

bool Launcher::FinishMainThread() {
    if (settings.ibmAllowed || settings.ibmFavoured) {
        // The IBM VM must keep its main thread; the process ends through System.exit.
        for (;;) Sleep(INFINITE);
    }
    return javaVM->DetachCurrentThread() == JNI_OK;
}
