#include "jvm/JavaStrings.h"

#include "jvm/JniRef.h"

jstring NewJavaString(JNIEnv* env, const std::wstring& text) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    jmethodID constructor = env->GetMethodID(stringClass.get(), "<init>", "([C)V");
    if (constructor == nullptr) return nullptr;
    const jsize length = static_cast<jsize>(text.size());
    LocalRef<jcharArray> chars(env, env->NewCharArray(length));
    if (!chars) return nullptr;
    std::vector<jchar> units(text.begin(), text.end());
    env->SetCharArrayRegion(chars.get(), 0, length, units.data());
    if (env->ExceptionCheck() == JNI_TRUE) return nullptr;
    return static_cast<jstring>(env->NewObject(stringClass.get(), constructor, chars.get()));
}

jobjectArray NewStringArray(JNIEnv* env, const std::vector<std::wstring>& items) {
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) return nullptr;
    LocalRef<jobjectArray> array(env, env->NewObjectArray(static_cast<jsize>(items.size()), stringClass.get(), nullptr));
    if (!array) return nullptr;
    for (size_t i = 0; i < items.size(); ++i) {
        LocalRef<jstring> item(env, NewJavaString(env, items[i]));
        if (!item) return nullptr;
        env->SetObjectArrayElement(array.get(), static_cast<jsize>(i), item.get());
    }
    return array.release();
}

jclass FindClassByName(JNIEnv* env, const std::wstring& slashedName) {
    LocalRef<jstring> name(env, NewJavaString(env, slashedName));
    if (!name) return nullptr;
    const char* utf = env->GetStringUTFChars(name.get(), nullptr);
    if (utf == nullptr) return nullptr;
    jclass found = env->FindClass(utf);
    env->ReleaseStringUTFChars(name.get(), utf);
    return found;
}
