// The exports of the JVM double, declared from the JNI documentation ("The Invocation API") and not
// from jvm/jni.h. A 32-bit jvm.dll exports each __stdcall entry point under its plain name and its
// decorated one ("JNI_CreateJavaVM" and "_JNI_CreateJavaVM@12"); MinGW takes both from the module
// definition that tests/jvmdouble/CMakeLists.txt writes, MSVC the decorated one from dllexport and
// the plain one from the pragma below.
#include <vector>

#include "tests/jvmdouble/FakeJvmCalls.h"

#if (defined(__i386__) || defined(_M_IX86)) && !defined(_MSC_VER)
#define FAKE_JVM_EXPORT  // named by the module definition
#else
#define FAKE_JVM_EXPORT __declspec(dllexport)
#endif

namespace {

// JavaVMOption and JavaVMInitArgs (JNI 1.2 and later).
struct JavaVmOption {
    char* optionString;
    void* extraInfo;
};
struct JavaVmInitArgs {
    int32_t version;
    int32_t nOptions;
    JavaVmOption* options;
    unsigned char ignoreUnrecognized;  // jboolean
};
// The head of JDK1_1InitArgs, up to the field the double answers.
struct Jdk11InitArgsHead {
    int32_t version;
    char** properties;
    int32_t checkSource;
    int32_t nativeStackSize;
    int32_t javaStackSize;
};

}  // namespace

extern "C" {

#ifndef FAKE_JVM_NO_DEFAULTS
FAKE_JVM_EXPORT int32_t FAKE_JNICALL JNI_GetDefaultJavaVMInitArgs(void* args) {
    int32_t* version = static_cast<int32_t*>(args);
    int32_t stack = -1;
    const int32_t result = fakejvm::DefaultInitArgs(version != nullptr ? *version : 0, stack);
    if (result == fakejvm::kOk && stack >= 0) static_cast<Jdk11InitArgsHead*>(args)->javaStackSize = stack;
    return result;
}
#if defined(_MSC_VER) && defined(_M_IX86)
#pragma comment(linker, "/EXPORT:JNI_GetDefaultJavaVMInitArgs=_JNI_GetDefaultJavaVMInitArgs@4")
#endif
#endif

#ifndef FAKE_JVM_NO_CREATE
FAKE_JVM_EXPORT int32_t FAKE_JNICALL JNI_CreateJavaVM(void** pvm, void** penv, void* initArgs) {
    const JavaVmInitArgs* args = static_cast<const JavaVmInitArgs*>(initArgs);
    if (args == nullptr) return fakejvm::CreateVm(pvm, penv, 0, nullptr, 0, false, false);
    std::vector<fakejvm::Option> options;
    for (int32_t i = 0; i < args->nOptions; ++i) options.push_back({args->options[i].optionString, args->options[i].extraInfo});
    return fakejvm::CreateVm(pvm, penv, args->version, options.data(), args->nOptions, args->ignoreUnrecognized != 0,
                             true);
}
#if defined(_MSC_VER) && defined(_M_IX86)
#pragma comment(linker, "/EXPORT:JNI_CreateJavaVM=_JNI_CreateJavaVM@12")
#endif
#endif

#ifndef FAKE_JVM_NO_BOOT_LOADER
FAKE_JVM_EXPORT void* FAKE_JNICALL JVM_FindClassFromBootLoader(void* env, const char* name) {
    return fakejvm::FindClassFromBootLoader(env, name);
}
#if defined(_MSC_VER) && defined(_M_IX86)
#pragma comment(linker, "/EXPORT:JVM_FindClassFromBootLoader=_JVM_FindClassFromBootLoader@8")
#endif
#endif

}  // extern "C"
