#include "jvm/UncaughtException.h"

#include <windows.h>

#include "jvm/ExceptionDialog.h"
#include "jvm/JniRef.h"

namespace {

// Prints and clears a pending exception. ExceptionCheck, not ExceptionOccurred: the latter hands
// out a local reference of its own.
void DescribePending(JNIEnv* env) {
    if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionDescribe();
}

// The UTF-16 code units of a Java string; empty for null or when they cannot be had.
std::wstring WideFromJava(JNIEnv* env, jstring string) {
    if (string == nullptr) return std::wstring();
    const jsize length = env->GetStringLength(string);
    const jchar* chars = env->GetStringChars(string, nullptr);
    if (chars == nullptr) {
        env->ExceptionClear();
        return std::wstring();
    }
    std::wstring result(reinterpret_cast<const wchar_t*>(chars), static_cast<size_t>(length));
    env->ReleaseStringChars(string, chars);
    return result;
}

// Class.getName() of the object's class: only the VM's own code runs, nothing of the application.
std::wstring ClassNameOf(JNIEnv* env, jobject object) {
    LocalRef<jclass> objectClass(env, env->GetObjectClass(object));
    LocalRef<jclass> classClass(env, objectClass ? env->GetObjectClass(objectClass.get()) : nullptr);
    jmethodID getName = classClass ? env->GetMethodID(classClass.get(), "getName", "()Ljava/lang/String;") : nullptr;
    LocalRef<jstring> name(env, getName != nullptr
                                    ? static_cast<jstring>(env->CallObjectMethod(objectClass.get(), getName))
                                    : nullptr);
    env->ExceptionClear();
    return WideFromJava(env, name.get());
}

// printStackTrace into a StringWriter: no charset on the way (a PrintStream over a byte buffer
// would encode in the default charset, the ANSI code page before Java 18, and lose the rest).
// False, with the exception that stopped it in `secondary`, when a step threw.
bool PrintStackTrace(JNIEnv* env, jthrowable throwable, std::wstring& text, LocalRef<jthrowable>& secondary) {
    auto failed = [&] {
        secondary = LocalRef<jthrowable>(env, env->ExceptionOccurred());
        env->ExceptionClear();
        return false;
    };
    LocalRef<jclass> writerClass(env, env->FindClass("java/io/StringWriter"));
    jmethodID writerInit = writerClass ? env->GetMethodID(writerClass.get(), "<init>", "()V") : nullptr;
    LocalRef<jobject> writer(env, writerInit != nullptr ? env->NewObject(writerClass.get(), writerInit) : nullptr);
    if (!writer) return failed();
    LocalRef<jclass> printClass(env, env->FindClass("java/io/PrintWriter"));
    jmethodID printInit = printClass ? env->GetMethodID(printClass.get(), "<init>", "(Ljava/io/Writer;)V") : nullptr;
    LocalRef<jobject> print(env, printInit != nullptr ? env->NewObject(printClass.get(), printInit, writer.get()) : nullptr);
    if (!print) return failed();
    LocalRef<jclass> throwableClass(env, env->FindClass("java/lang/Throwable"));
    jmethodID printStackTrace = throwableClass ? env->GetMethodID(throwableClass.get(), "printStackTrace",
                                                                  "(Ljava/io/PrintWriter;)V")
                                               : nullptr;
    if (printStackTrace == nullptr) return failed();
    env->CallVoidMethod(throwable, printStackTrace, print.get());
    if (env->ExceptionCheck() == JNI_TRUE) return failed();
    jmethodID toString = env->GetMethodID(writerClass.get(), "toString", "()Ljava/lang/String;");
    LocalRef<jstring> string(env, toString != nullptr ? static_cast<jstring>(env->CallObjectMethod(writer.get(), toString))
                                                      : nullptr);
    if (env->ExceptionCheck() == JNI_TRUE) return failed();
    text = WideFromJava(env, string.get());
    return true;
}

// The message of a throwable through Throwable.getMessage as the class has it; empty when it
// throws too.
std::wstring MessageOf(JNIEnv* env, jthrowable throwable) {
    LocalRef<jclass> throwableClass(env, env->FindClass("java/lang/Throwable"));
    jmethodID getMessage = throwableClass ? env->GetMethodID(throwableClass.get(), "getMessage", "()Ljava/lang/String;")
                                          : nullptr;
    LocalRef<jstring> message(env, getMessage != nullptr
                                       ? static_cast<jstring>(env->CallObjectMethod(throwable, getMessage))
                                       : nullptr);
    env->ExceptionClear();
    return WideFromJava(env, message.get());
}

}  // namespace

std::wstring GetExceptionText(JNIEnv* env, jthrowable throwable) {
    if (env == nullptr || throwable == nullptr) return std::wstring();
    std::wstring text;
    LocalRef<jthrowable> secondary;
    if (PrintStackTrace(env, throwable, text, secondary) && !text.empty()) return text;
    // The application's own code (toString, getMessage, a cause's printing) failed: the text is
    // built from what the VM itself can tell, never left empty.
    std::wstring fallback = ClassNameOf(env, throwable);
    if (fallback.empty()) fallback = L"java.lang.Throwable";
    if (secondary) {
        fallback += L"\n\t(printStackTrace threw " + ClassNameOf(env, secondary.get());
        const std::wstring message = MessageOf(env, secondary.get());
        if (!message.empty()) fallback += L": " + message;
        fallback += L")";
    }
    return fallback + L"\n";
}

void CallSystemExit(JNIEnv* env) {
    LocalRef<jclass> systemClass(env, env->FindClass("java/lang/System"));
    jmethodID exitMethod = systemClass ? env->GetStaticMethodID(systemClass.get(), "exit", "(I)V") : nullptr;
    if (exitMethod == nullptr) {
        DescribePending(env);
        return;
    }
    env->CallStaticVoidMethod(systemClass.get(), exitMethod, -1);
    DescribePending(env);
}

void ReportUncaughtException(JNIEnv* env) {
    // JNI allows no calls but a few while an exception is pending: keep it, clear it, and put it
    // back afterwards unless the application is ended.
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) return;
    env->ExceptionClear();

    ExceptionDialog dialog(GetExceptionText(env, thrown.get()));
    if (dialog.Show(GetActiveWindow())) {
        CallSystemExit(env);
        // Still here: System.exit could not be reached. The thread ends as after Ignore.
    }
    env->Throw(thrown.get());
}
