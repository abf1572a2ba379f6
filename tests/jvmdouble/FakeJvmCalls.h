// What the double's exported entry points (Invocation.cpp) and its function tables (FakeJvm.cpp)
// share. Neither the calling convention nor the records of the invocation interface come from the
// launcher's jvm/jni.h: they are written here from the JNI documentation, so that a mistake in that
// header (or in how the launcher calls through it) makes the tests fail instead of agreeing with it.
#pragma once

#include <cstdint>

// "The Invocation API": on 32-bit Windows every JNI function, hook and invocation entry point is
// __stdcall; x64 has one calling convention.
#if defined(__i386__) || defined(_M_IX86)
#define FAKE_JNICALL __stdcall
#else
#define FAKE_JNICALL
#endif

namespace fakejvm {

// Results of the invocation functions.
const int32_t kOk = 0;
const int32_t kVersionError = -3;
const int32_t kAlreadyCreated = -5;
const int32_t kInvalid = -6;
const int32_t kVersion1_1 = 0x00010001;

// The "exit" hook handed over as the extra information of the option of that name.
typedef void(FAKE_JNICALL* ExitHook)(int32_t code);

struct Option {
    const char* text;
    void* extraInfo;
};

// JNI_GetDefaultJavaVMInitArgs for `version`; a stack size to answer for JNI 1.1 goes to
// `javaStackSize` (left alone when the double has none configured).
int32_t DefaultInitArgs(int32_t version, int32_t& javaStackSize);
// JNI_CreateJavaVM; `options` null when the caller passed no record.
int32_t CreateVm(void** pvm, void** penv, int32_t version, const Option* options, int32_t optionCount,
                 bool ignoreUnrecognized, bool haveRecord);
// JVM_FindClassFromBootLoader.
void* FindClassFromBootLoader(void* env, const char* name);

}  // namespace fakejvm
