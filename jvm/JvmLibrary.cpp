// Loading the JRE's virtual-machine library and creating the virtual machine.
#include <vector>

#include "jvm/JavaMain.h"
#include "jvm/jni.h"
#include "base/ErrorBox.h"
#include "launcher/Launcher.h"
#include "base/Win32Text.h"
#include "resources/resource.h"

namespace {

void JNICALL VmExitHook(jint code) {
    Launcher* launcher = Launcher::Current();
    try {
        if (launcher != nullptr && launcher->vmEventListener != nullptr) launcher->vmEventListener->Exit(code);
    } catch (...) {  // the virtual machine goes on with its exit
    }
}

void JNICALL VmAbortHook() {
    Launcher* launcher = Launcher::Current();
    try {
        if (launcher != nullptr && launcher->vmEventListener != nullptr) launcher->vmEventListener->Abort();
    } catch (...) {  // the virtual machine goes on with its abort
    }
}

}  // namespace

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

bool Launcher::LoadJvmLibrary() {
    // The library stays loaded until the process ends, also after a failed lookup below.
    HMODULE library = LoadLibraryW(jvmLibraryPath.c_str());
    if (library == nullptr) {
        const DWORD error = GetLastError();
        ShowFormattedError(IDS_JVM_LOAD_FAILED, {jvmLibraryPath, static_cast<int32_t>(error)});
        return false;
    }
    jniCreateJavaVM = GetProcAddress(library, "JNI_CreateJavaVM");
    if (jniCreateJavaVM != nullptr) jniGetDefaultJavaVMInitArgs = GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs");
    if (jniCreateJavaVM == nullptr || jniGetDefaultJavaVMInitArgs == nullptr) {
        const DWORD error = GetLastError();
        ShowFormattedError(IDS_WINDOWS_EXCEPTION, {ErrorArg::StringId(IDS_NO_CREATE_JAVA_VM), static_cast<int32_t>(error)});
        return false;
    }
    jvmFindClassFromBootLoader = GetProcAddress(library, "JVM_FindClassFromBootLoader");
    return true;
}

SIZE_T Launcher::GetDefaultStackSize() {
    JDK1_1InitArgs args = {};
    args.version = JNI_VERSION_1_1;
    reinterpret_cast<JNI_GetDefaultJavaVMInitArgs_t>(reinterpret_cast<void*>(jniGetDefaultJavaVMInitArgs))(&args);
    return args.javaStackSize > 0 ? static_cast<SIZE_T>(args.javaStackSize) : 0;
}

bool Launcher::CreateJavaVm() {
    std::vector<JavaVMOption> options;
    options.reserve(vmOptions.size() + 2);
    for (std::string& option : vmOptions) options.push_back({&option[0], nullptr});
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&VmAbortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&VmExitHook)});

    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;

    void* env = nullptr;
    const jint result = reinterpret_cast<JNI_CreateJavaVM_t>(reinterpret_cast<void*>(jniCreateJavaVM))(&javaVM, &env, &args);
    if (result != JNI_OK) {
        javaVM = nullptr;
        const UINT reason = CreateVmReasonId(result);
        ShowFormattedError(IDS_JNI_EXCEPTION_REASON,
                           {ErrorArg::StringId(IDS_CREATE_JAVA_VM_FAILED),
                            reason != 0 ? ErrorArg::StringId(reason) : ErrorArg(L"")});
        return false;
    }
    jniEnv = static_cast<JNIEnv*>(env);
    RedirectOutputs();
    return true;
}
