#include "jvm/UncaughtException.h"

#include <windows.h>

#include "jvm/ExceptionDialog.h"
#include "jvm/JniRef.h"

namespace {

void DescribePending(JNIEnv* env) {
    if (env->ExceptionOccurred() != nullptr) env->ExceptionDescribe();
}

// A step that gave null: its exception, if any, is printed and the text is empty.
std::wstring Failed(JNIEnv* env) {
    DescribePending(env);
    return std::wstring();
}

}  // namespace

std::wstring GetExceptionText(JNIEnv* env, jthrowable throwable) {
    if (env == nullptr || throwable == nullptr) return std::wstring();
    LocalRef<jobject> bytesClass(env, env->FindClass("java/io/ByteArrayOutputStream"));
    if (!bytesClass) return Failed(env);
    jmethodID bytesInit = env->GetMethodID(static_cast<jclass>(bytesClass.get()), "<init>", "()V");
    if (bytesInit == nullptr) return Failed(env);
    LocalRef<jobject> bytes(env, env->NewObject(static_cast<jclass>(bytesClass.get()), bytesInit));
    if (!bytes) return Failed(env);

    LocalRef<jobject> printClass(env, env->FindClass("java/io/PrintStream"));
    if (!printClass) return Failed(env);
    jmethodID printInit = env->GetMethodID(static_cast<jclass>(printClass.get()), "<init>", "(Ljava/io/OutputStream;)V");
    if (printInit == nullptr) return Failed(env);
    LocalRef<jobject> print(env, env->NewObject(static_cast<jclass>(printClass.get()), printInit, bytes.get()));
    if (!print) return Failed(env);

    LocalRef<jobject> throwableClass(env, env->GetObjectClass(throwable));
    jmethodID printStackTrace = env->GetMethodID(static_cast<jclass>(throwableClass.get()), "printStackTrace",
                                                 "(Ljava/io/PrintStream;)V");
    if (printStackTrace == nullptr) return Failed(env);
    env->CallVoidMethod(throwable, printStackTrace, print.get());
    DescribePending(env);

    LocalRef<jobject> streamClass(env, env->GetObjectClass(bytes.get()));
    jmethodID toString = env->GetMethodID(static_cast<jclass>(streamClass.get()), "toString", "()Ljava/lang/String;");
    if (toString == nullptr) return Failed(env);
    LocalRef<jobject> text(env, env->CallObjectMethod(bytes.get(), toString));
    DescribePending(env);
    if (!text) return std::wstring();

    const jstring string = static_cast<jstring>(text.get());
    const jsize length = env->GetStringLength(string);
    const jchar* chars = env->GetStringChars(string, nullptr);
    if (chars == nullptr) return Failed(env);
    std::wstring result(reinterpret_cast<const wchar_t*>(chars), static_cast<size_t>(length));
    env->ReleaseStringChars(string, chars);
    return result;
}

void CallSystemExit(JNIEnv* env) {
    LocalRef<jobject> systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass) {
        DescribePending(env);
        return;
    }
    jmethodID exitMethod = env->GetStaticMethodID(static_cast<jclass>(systemClass.get()), "exit", "(I)V");
    if (exitMethod == nullptr) {
        DescribePending(env);
        return;
    }
    env->CallStaticVoidMethod(static_cast<jclass>(systemClass.get()), exitMethod, -1);
    DescribePending(env);
}

void ReportUncaughtException(JNIEnv* env) {
    // JNI allows no calls but a few while an exception is pending: keep it, clear it, and put it
    // back afterwards unless the application is ended.
    LocalRef<jobject> thrown(env, env->ExceptionOccurred());
    if (!thrown) return;
    env->ExceptionClear();
    const jthrowable throwable = static_cast<jthrowable>(thrown.get());

    const std::wstring text = GetExceptionText(env, throwable);
    if (!text.empty()) {
        ExceptionDialog dialog(text);
        if (dialog.Show(GetActiveWindow())) {
            CallSystemExit(env);
            // Still here: System.exit could not be reached. The thread ends as after Ignore.
        }
    }
    env->Throw(throwable);
}
