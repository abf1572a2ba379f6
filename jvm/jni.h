// Declarations of the Java Native Interface and its invocation API, as the launcher uses them to
// host a Java virtual machine that lives in a jvm.dll loaded at run time.
//
// Written from the public JNI documentation ("JNI Types and Data Structures", "JNI Functions",
// "The Invocation API"). The function tables are read by the virtual machine by position, so the
// order of their slots is fixed: new entries only ever go at the end. The static_asserts at the
// bottom pin the positions that matter.
//
// Header-only, C++ only, no <windows.h>. Builds with MinGW-w64 and MSVC, and natively on Linux so
// that code including it can be compiled into the pure layer.
#pragma once

#ifndef __cplusplus
#error "jvm/jni.h is a C++ header"
#endif

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>

// ---------------------------------------------------------------------------------------------
// Calling convention and linkage.
// On 32-bit Windows every JNI function and hook is __stdcall; on x64 there is one convention and
// the keyword is not needed.
#if defined(_WIN32)
#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#if defined(_M_IX86) || defined(__i386__)
#define JNICALL __stdcall
#else
#define JNICALL
#endif
#else
#define JNIEXPORT
#define JNIIMPORT
#define JNICALL
#endif

// ---------------------------------------------------------------------------------------------
// Primitive types.
typedef int32_t jint;
typedef int64_t jlong;
typedef int8_t jbyte;
typedef unsigned char jboolean;
typedef uint16_t jchar;  // one UTF-16 code unit: same size as char16_t and as wchar_t on Windows
typedef int16_t jshort;
typedef float jfloat;
typedef double jdouble;
typedef jint jsize;

// Reference types. They are opaque handles; the class hierarchy only lets C++ convert a more
// specific reference to a more general one without a cast.
namespace jnitypes {
struct Object {};
struct Class : Object {};
struct Throwable : Object {};
struct String : Object {};
struct Array : Object {};
struct BooleanArray : Array {};
struct ByteArray : Array {};
struct CharArray : Array {};
struct ShortArray : Array {};
struct IntArray : Array {};
struct LongArray : Array {};
struct FloatArray : Array {};
struct DoubleArray : Array {};
struct ObjectArray : Array {};
struct FieldId;
struct MethodId;
}  // namespace jnitypes

typedef jnitypes::Object* jobject;
typedef jnitypes::Class* jclass;
typedef jnitypes::Throwable* jthrowable;
typedef jnitypes::String* jstring;
typedef jnitypes::Array* jarray;
typedef jnitypes::BooleanArray* jbooleanArray;
typedef jnitypes::ByteArray* jbyteArray;
typedef jnitypes::CharArray* jcharArray;
typedef jnitypes::ShortArray* jshortArray;
typedef jnitypes::IntArray* jintArray;
typedef jnitypes::LongArray* jlongArray;
typedef jnitypes::FloatArray* jfloatArray;
typedef jnitypes::DoubleArray* jdoubleArray;
typedef jnitypes::ObjectArray* jobjectArray;
typedef jobject jweak;

typedef jnitypes::FieldId* jfieldID;
typedef jnitypes::MethodId* jmethodID;

typedef union jvalue {
    jboolean z;
    jbyte b;
    jchar c;
    jshort s;
    jint i;
    jlong j;
    jfloat f;
    jdouble d;
    jobject l;
} jvalue;

typedef enum jobjectRefType {
    JNIInvalidRefType = 0,
    JNILocalRefType = 1,
    JNIGlobalRefType = 2,
    JNIWeakGlobalRefType = 3
} jobjectRefType;

typedef struct JNINativeMethod {
    char* name;
    char* signature;
    void* fnPtr;
} JNINativeMethod;

// ---------------------------------------------------------------------------------------------
// Constants.
#define JNI_FALSE 0
#define JNI_TRUE 1

#define JNI_OK 0          // success
#define JNI_ERR (-1)      // unknown error
#define JNI_EDETACHED (-2)  // thread detached from the VM
#define JNI_EVERSION (-3)   // JNI version error
#define JNI_ENOMEM (-4)     // not enough memory
#define JNI_EEXIST (-5)     // VM already created
#define JNI_EINVAL (-6)     // invalid arguments

// Modes of the Release<Type>ArrayElements functions.
#define JNI_COMMIT 1
#define JNI_ABORT 2

#define JNI_VERSION_1_1 0x00010001
#define JNI_VERSION_1_2 0x00010002
#define JNI_VERSION_1_4 0x00010004
#define JNI_VERSION_1_6 0x00010006
#define JNI_VERSION_1_8 0x00010008
#define JNI_VERSION_9 0x00090000
#define JNI_VERSION_10 0x000a0000
#define JNI_VERSION_19 0x00130000
#define JNI_VERSION_20 0x00140000
#define JNI_VERSION_21 0x00150000
#define JNI_VERSION_24 0x00180000

struct JNIEnv_;
struct JavaVM_;
typedef JNIEnv_ JNIEnv;
typedef JavaVM_ JavaVM;

// ---------------------------------------------------------------------------------------------
// The JNI function table. Slot numbers (index in pointer-sized entries) are given in the
// comments; slots 0-3 are reserved and null.
struct JNINativeInterface_ {
    void* reserved0;  // 0
    void* reserved1;
    void* reserved2;
    void* reserved3;

    jint(JNICALL* GetVersion)(JNIEnv* env);  // 4

    jclass(JNICALL* DefineClass)(JNIEnv* env, const char* name, jobject loader, const jbyte* buf,
                                 jsize len);               // 5
    jclass(JNICALL* FindClass)(JNIEnv* env, const char* name);  // 6

    jmethodID(JNICALL* FromReflectedMethod)(JNIEnv* env, jobject method);  // 7
    jfieldID(JNICALL* FromReflectedField)(JNIEnv* env, jobject field);     // 8
    jobject(JNICALL* ToReflectedMethod)(JNIEnv* env, jclass cls, jmethodID methodID,
                                        jboolean isStatic);  // 9

    jclass(JNICALL* GetSuperclass)(JNIEnv* env, jclass sub);                       // 10
    jboolean(JNICALL* IsAssignableFrom)(JNIEnv* env, jclass sub, jclass sup);      // 11
    jobject(JNICALL* ToReflectedField)(JNIEnv* env, jclass cls, jfieldID fieldID,
                                       jboolean isStatic);  // 12

    jint(JNICALL* Throw)(JNIEnv* env, jthrowable obj);                         // 13
    jint(JNICALL* ThrowNew)(JNIEnv* env, jclass clazz, const char* message);  // 14
    jthrowable(JNICALL* ExceptionOccurred)(JNIEnv* env);                       // 15
    void(JNICALL* ExceptionDescribe)(JNIEnv* env);                             // 16
    void(JNICALL* ExceptionClear)(JNIEnv* env);                                // 17
    void(JNICALL* FatalError)(JNIEnv* env, const char* message);               // 18

    jint(JNICALL* PushLocalFrame)(JNIEnv* env, jint capacity);    // 19
    jobject(JNICALL* PopLocalFrame)(JNIEnv* env, jobject result);  // 20

    jobject(JNICALL* NewGlobalRef)(JNIEnv* env, jobject obj);                  // 21
    void(JNICALL* DeleteGlobalRef)(JNIEnv* env, jobject globalRef);            // 22
    void(JNICALL* DeleteLocalRef)(JNIEnv* env, jobject localRef);              // 23
    jboolean(JNICALL* IsSameObject)(JNIEnv* env, jobject ref1, jobject ref2);  // 24
    jobject(JNICALL* NewLocalRef)(JNIEnv* env, jobject ref);                   // 25
    jint(JNICALL* EnsureLocalCapacity)(JNIEnv* env, jint capacity);           // 26

    jobject(JNICALL* AllocObject)(JNIEnv* env, jclass clazz);                                  // 27
    jobject(JNICALL* NewObject)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);           // 28
    jobject(JNICALL* NewObjectV)(JNIEnv* env, jclass clazz, jmethodID methodID, va_list args);  // 29
    jobject(JNICALL* NewObjectA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                 const jvalue* args);  // 30

    jclass(JNICALL* GetObjectClass)(JNIEnv* env, jobject obj);                // 31
    jboolean(JNICALL* IsInstanceOf)(JNIEnv* env, jobject obj, jclass clazz);  // 32

    jmethodID(JNICALL* GetMethodID)(JNIEnv* env, jclass clazz, const char* name,
                                    const char* sig);  // 33

    // Call<Type>Method, -V, -A: slots 34-63.
    jobject(JNICALL* CallObjectMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 34
    jobject(JNICALL* CallObjectMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jobject(JNICALL* CallObjectMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                        const jvalue* args);
    jboolean(JNICALL* CallBooleanMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 37
    jboolean(JNICALL* CallBooleanMethodV)(JNIEnv* env, jobject obj, jmethodID methodID,
                                          va_list args);
    jboolean(JNICALL* CallBooleanMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                          const jvalue* args);
    jbyte(JNICALL* CallByteMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 40
    jbyte(JNICALL* CallByteMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jbyte(JNICALL* CallByteMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                    const jvalue* args);
    jchar(JNICALL* CallCharMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 43
    jchar(JNICALL* CallCharMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jchar(JNICALL* CallCharMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                    const jvalue* args);
    jshort(JNICALL* CallShortMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 46
    jshort(JNICALL* CallShortMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jshort(JNICALL* CallShortMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                      const jvalue* args);
    jint(JNICALL* CallIntMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 49
    jint(JNICALL* CallIntMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jint(JNICALL* CallIntMethodA)(JNIEnv* env, jobject obj, jmethodID methodID, const jvalue* args);
    jlong(JNICALL* CallLongMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 52
    jlong(JNICALL* CallLongMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jlong(JNICALL* CallLongMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                    const jvalue* args);
    jfloat(JNICALL* CallFloatMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 55
    jfloat(JNICALL* CallFloatMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jfloat(JNICALL* CallFloatMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                      const jvalue* args);
    jdouble(JNICALL* CallDoubleMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 58
    jdouble(JNICALL* CallDoubleMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    jdouble(JNICALL* CallDoubleMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                        const jvalue* args);
    void(JNICALL* CallVoidMethod)(JNIEnv* env, jobject obj, jmethodID methodID, ...);  // 61
    void(JNICALL* CallVoidMethodV)(JNIEnv* env, jobject obj, jmethodID methodID, va_list args);
    void(JNICALL* CallVoidMethodA)(JNIEnv* env, jobject obj, jmethodID methodID,
                                   const jvalue* args);  // 63

    // CallNonvirtual<Type>Method, -V, -A: slots 64-93.
    jobject(JNICALL* CallNonvirtualObjectMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                                 jmethodID methodID, ...);  // 64
    jobject(JNICALL* CallNonvirtualObjectMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                                  jmethodID methodID, va_list args);
    jobject(JNICALL* CallNonvirtualObjectMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                                  jmethodID methodID, const jvalue* args);
    jboolean(JNICALL* CallNonvirtualBooleanMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                                   jmethodID methodID, ...);  // 67
    jboolean(JNICALL* CallNonvirtualBooleanMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                                    jmethodID methodID, va_list args);
    jboolean(JNICALL* CallNonvirtualBooleanMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                                    jmethodID methodID, const jvalue* args);
    jbyte(JNICALL* CallNonvirtualByteMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                             jmethodID methodID, ...);  // 70
    jbyte(JNICALL* CallNonvirtualByteMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, va_list args);
    jbyte(JNICALL* CallNonvirtualByteMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, const jvalue* args);
    jchar(JNICALL* CallNonvirtualCharMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                             jmethodID methodID, ...);  // 73
    jchar(JNICALL* CallNonvirtualCharMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, va_list args);
    jchar(JNICALL* CallNonvirtualCharMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, const jvalue* args);
    jshort(JNICALL* CallNonvirtualShortMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                               jmethodID methodID, ...);  // 76
    jshort(JNICALL* CallNonvirtualShortMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                                jmethodID methodID, va_list args);
    jshort(JNICALL* CallNonvirtualShortMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                                jmethodID methodID, const jvalue* args);
    jint(JNICALL* CallNonvirtualIntMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                           jmethodID methodID, ...);  // 79
    jint(JNICALL* CallNonvirtualIntMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                            jmethodID methodID, va_list args);
    jint(JNICALL* CallNonvirtualIntMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                            jmethodID methodID, const jvalue* args);
    jlong(JNICALL* CallNonvirtualLongMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                             jmethodID methodID, ...);  // 82
    jlong(JNICALL* CallNonvirtualLongMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, va_list args);
    jlong(JNICALL* CallNonvirtualLongMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                              jmethodID methodID, const jvalue* args);
    jfloat(JNICALL* CallNonvirtualFloatMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                               jmethodID methodID, ...);  // 85
    jfloat(JNICALL* CallNonvirtualFloatMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                                jmethodID methodID, va_list args);
    jfloat(JNICALL* CallNonvirtualFloatMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                                jmethodID methodID, const jvalue* args);
    jdouble(JNICALL* CallNonvirtualDoubleMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                                 jmethodID methodID, ...);  // 88
    jdouble(JNICALL* CallNonvirtualDoubleMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                                  jmethodID methodID, va_list args);
    jdouble(JNICALL* CallNonvirtualDoubleMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                                  jmethodID methodID, const jvalue* args);
    void(JNICALL* CallNonvirtualVoidMethod)(JNIEnv* env, jobject obj, jclass clazz,
                                            jmethodID methodID, ...);  // 91
    void(JNICALL* CallNonvirtualVoidMethodV)(JNIEnv* env, jobject obj, jclass clazz,
                                             jmethodID methodID, va_list args);
    void(JNICALL* CallNonvirtualVoidMethodA)(JNIEnv* env, jobject obj, jclass clazz,
                                             jmethodID methodID, const jvalue* args);  // 93

    jfieldID(JNICALL* GetFieldID)(JNIEnv* env, jclass clazz, const char* name,
                                  const char* sig);  // 94

    // Get<Type>Field: slots 95-103.
    jobject(JNICALL* GetObjectField)(JNIEnv* env, jobject obj, jfieldID fieldID);  // 95
    jboolean(JNICALL* GetBooleanField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jbyte(JNICALL* GetByteField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jchar(JNICALL* GetCharField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jshort(JNICALL* GetShortField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jint(JNICALL* GetIntField)(JNIEnv* env, jobject obj, jfieldID fieldID);  // 100
    jlong(JNICALL* GetLongField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jfloat(JNICALL* GetFloatField)(JNIEnv* env, jobject obj, jfieldID fieldID);
    jdouble(JNICALL* GetDoubleField)(JNIEnv* env, jobject obj, jfieldID fieldID);  // 103

    // Set<Type>Field: slots 104-112.
    void(JNICALL* SetObjectField)(JNIEnv* env, jobject obj, jfieldID fieldID, jobject value);  // 104
    void(JNICALL* SetBooleanField)(JNIEnv* env, jobject obj, jfieldID fieldID, jboolean value);
    void(JNICALL* SetByteField)(JNIEnv* env, jobject obj, jfieldID fieldID, jbyte value);
    void(JNICALL* SetCharField)(JNIEnv* env, jobject obj, jfieldID fieldID, jchar value);
    void(JNICALL* SetShortField)(JNIEnv* env, jobject obj, jfieldID fieldID, jshort value);
    void(JNICALL* SetIntField)(JNIEnv* env, jobject obj, jfieldID fieldID, jint value);
    void(JNICALL* SetLongField)(JNIEnv* env, jobject obj, jfieldID fieldID, jlong value);  // 110
    void(JNICALL* SetFloatField)(JNIEnv* env, jobject obj, jfieldID fieldID, jfloat value);
    void(JNICALL* SetDoubleField)(JNIEnv* env, jobject obj, jfieldID fieldID, jdouble value);  // 112

    jmethodID(JNICALL* GetStaticMethodID)(JNIEnv* env, jclass clazz, const char* name,
                                          const char* sig);  // 113

    // CallStatic<Type>Method, -V, -A: slots 114-143.
    jobject(JNICALL* CallStaticObjectMethod)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                             ...);  // 114
    jobject(JNICALL* CallStaticObjectMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                              va_list args);
    jobject(JNICALL* CallStaticObjectMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                              const jvalue* args);
    jboolean(JNICALL* CallStaticBooleanMethod)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                               ...);  // 117
    jboolean(JNICALL* CallStaticBooleanMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                                va_list args);
    jboolean(JNICALL* CallStaticBooleanMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                                const jvalue* args);
    jbyte(JNICALL* CallStaticByteMethod)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);  // 120
    jbyte(JNICALL* CallStaticByteMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          va_list args);
    jbyte(JNICALL* CallStaticByteMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          const jvalue* args);
    jchar(JNICALL* CallStaticCharMethod)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);  // 123
    jchar(JNICALL* CallStaticCharMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          va_list args);
    jchar(JNICALL* CallStaticCharMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          const jvalue* args);
    jshort(JNICALL* CallStaticShortMethod)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                           ...);  // 126
    jshort(JNICALL* CallStaticShortMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                            va_list args);
    jshort(JNICALL* CallStaticShortMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                            const jvalue* args);
    jint(JNICALL* CallStaticIntMethod)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);  // 129
    jint(JNICALL* CallStaticIntMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                        va_list args);
    jint(JNICALL* CallStaticIntMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                        const jvalue* args);  // 131
    jlong(JNICALL* CallStaticLongMethod)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);  // 132
    jlong(JNICALL* CallStaticLongMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          va_list args);
    jlong(JNICALL* CallStaticLongMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                          const jvalue* args);
    jfloat(JNICALL* CallStaticFloatMethod)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                           ...);  // 135
    jfloat(JNICALL* CallStaticFloatMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                            va_list args);
    jfloat(JNICALL* CallStaticFloatMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                            const jvalue* args);
    jdouble(JNICALL* CallStaticDoubleMethod)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                             ...);  // 138
    jdouble(JNICALL* CallStaticDoubleMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                              va_list args);
    jdouble(JNICALL* CallStaticDoubleMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                              const jvalue* args);
    void(JNICALL* CallStaticVoidMethod)(JNIEnv* env, jclass clazz, jmethodID methodID, ...);  // 141
    void(JNICALL* CallStaticVoidMethodV)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                         va_list args);
    void(JNICALL* CallStaticVoidMethodA)(JNIEnv* env, jclass clazz, jmethodID methodID,
                                         const jvalue* args);  // 143

    jfieldID(JNICALL* GetStaticFieldID)(JNIEnv* env, jclass clazz, const char* name,
                                        const char* sig);  // 144

    // GetStatic<Type>Field: slots 145-153.
    jobject(JNICALL* GetStaticObjectField)(JNIEnv* env, jclass clazz, jfieldID fieldID);  // 145
    jboolean(JNICALL* GetStaticBooleanField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jbyte(JNICALL* GetStaticByteField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jchar(JNICALL* GetStaticCharField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jshort(JNICALL* GetStaticShortField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jint(JNICALL* GetStaticIntField)(JNIEnv* env, jclass clazz, jfieldID fieldID);  // 150
    jlong(JNICALL* GetStaticLongField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jfloat(JNICALL* GetStaticFloatField)(JNIEnv* env, jclass clazz, jfieldID fieldID);
    jdouble(JNICALL* GetStaticDoubleField)(JNIEnv* env, jclass clazz, jfieldID fieldID);  // 153

    // SetStatic<Type>Field: slots 154-162.
    void(JNICALL* SetStaticObjectField)(JNIEnv* env, jclass clazz, jfieldID fieldID,
                                        jobject value);  // 154
    void(JNICALL* SetStaticBooleanField)(JNIEnv* env, jclass clazz, jfieldID fieldID,
                                         jboolean value);
    void(JNICALL* SetStaticByteField)(JNIEnv* env, jclass clazz, jfieldID fieldID, jbyte value);
    void(JNICALL* SetStaticCharField)(JNIEnv* env, jclass clazz, jfieldID fieldID, jchar value);
    void(JNICALL* SetStaticShortField)(JNIEnv* env, jclass clazz, jfieldID fieldID, jshort value);
    void(JNICALL* SetStaticIntField)(JNIEnv* env, jclass clazz, jfieldID fieldID, jint value);
    void(JNICALL* SetStaticLongField)(JNIEnv* env, jclass clazz, jfieldID fieldID,
                                      jlong value);  // 160
    void(JNICALL* SetStaticFloatField)(JNIEnv* env, jclass clazz, jfieldID fieldID, jfloat value);
    void(JNICALL* SetStaticDoubleField)(JNIEnv* env, jclass clazz, jfieldID fieldID,
                                        jdouble value);  // 162

    jstring(JNICALL* NewString)(JNIEnv* env, const jchar* unicodeChars, jsize len);  // 163
    jsize(JNICALL* GetStringLength)(JNIEnv* env, jstring string);                    // 164
    const jchar*(JNICALL* GetStringChars)(JNIEnv* env, jstring string, jboolean* isCopy);  // 165
    void(JNICALL* ReleaseStringChars)(JNIEnv* env, jstring string, const jchar* chars);     // 166
    jstring(JNICALL* NewStringUTF)(JNIEnv* env, const char* bytes);                         // 167
    jsize(JNICALL* GetStringUTFLength)(JNIEnv* env, jstring string);                        // 168
    const char*(JNICALL* GetStringUTFChars)(JNIEnv* env, jstring string, jboolean* isCopy);  // 169
    void(JNICALL* ReleaseStringUTFChars)(JNIEnv* env, jstring string, const char* utf);    // 170

    jsize(JNICALL* GetArrayLength)(JNIEnv* env, jarray array);  // 171

    jobjectArray(JNICALL* NewObjectArray)(JNIEnv* env, jsize length, jclass elementClass,
                                          jobject initialElement);  // 172
    jobject(JNICALL* GetObjectArrayElement)(JNIEnv* env, jobjectArray array, jsize index);  // 173
    void(JNICALL* SetObjectArrayElement)(JNIEnv* env, jobjectArray array, jsize index,
                                         jobject value);  // 174

    // New<PrimitiveType>Array: slots 175-182.
    jbooleanArray(JNICALL* NewBooleanArray)(JNIEnv* env, jsize length);  // 175
    jbyteArray(JNICALL* NewByteArray)(JNIEnv* env, jsize length);
    jcharArray(JNICALL* NewCharArray)(JNIEnv* env, jsize length);  // 177
    jshortArray(JNICALL* NewShortArray)(JNIEnv* env, jsize length);
    jintArray(JNICALL* NewIntArray)(JNIEnv* env, jsize length);
    jlongArray(JNICALL* NewLongArray)(JNIEnv* env, jsize length);  // 180
    jfloatArray(JNICALL* NewFloatArray)(JNIEnv* env, jsize length);
    jdoubleArray(JNICALL* NewDoubleArray)(JNIEnv* env, jsize length);  // 182

    // Get<PrimitiveType>ArrayElements: slots 183-190.
    jboolean*(JNICALL* GetBooleanArrayElements)(JNIEnv* env, jbooleanArray array,
                                                jboolean* isCopy);  // 183
    jbyte*(JNICALL* GetByteArrayElements)(JNIEnv* env, jbyteArray array, jboolean* isCopy);
    jchar*(JNICALL* GetCharArrayElements)(JNIEnv* env, jcharArray array, jboolean* isCopy);
    jshort*(JNICALL* GetShortArrayElements)(JNIEnv* env, jshortArray array, jboolean* isCopy);
    jint*(JNICALL* GetIntArrayElements)(JNIEnv* env, jintArray array, jboolean* isCopy);
    jlong*(JNICALL* GetLongArrayElements)(JNIEnv* env, jlongArray array, jboolean* isCopy);
    jfloat*(JNICALL* GetFloatArrayElements)(JNIEnv* env, jfloatArray array, jboolean* isCopy);
    jdouble*(JNICALL* GetDoubleArrayElements)(JNIEnv* env, jdoubleArray array,
                                              jboolean* isCopy);  // 190

    // Release<PrimitiveType>ArrayElements: slots 191-198.
    void(JNICALL* ReleaseBooleanArrayElements)(JNIEnv* env, jbooleanArray array, jboolean* elems,
                                               jint mode);  // 191
    void(JNICALL* ReleaseByteArrayElements)(JNIEnv* env, jbyteArray array, jbyte* elems,
                                            jint mode);
    void(JNICALL* ReleaseCharArrayElements)(JNIEnv* env, jcharArray array, jchar* elems,
                                            jint mode);
    void(JNICALL* ReleaseShortArrayElements)(JNIEnv* env, jshortArray array, jshort* elems,
                                             jint mode);
    void(JNICALL* ReleaseIntArrayElements)(JNIEnv* env, jintArray array, jint* elems, jint mode);
    void(JNICALL* ReleaseLongArrayElements)(JNIEnv* env, jlongArray array, jlong* elems,
                                            jint mode);
    void(JNICALL* ReleaseFloatArrayElements)(JNIEnv* env, jfloatArray array, jfloat* elems,
                                             jint mode);
    void(JNICALL* ReleaseDoubleArrayElements)(JNIEnv* env, jdoubleArray array, jdouble* elems,
                                              jint mode);  // 198

    // Get<PrimitiveType>ArrayRegion: slots 199-206.
    void(JNICALL* GetBooleanArrayRegion)(JNIEnv* env, jbooleanArray array, jsize start, jsize len,
                                         jboolean* buf);  // 199
    void(JNICALL* GetByteArrayRegion)(JNIEnv* env, jbyteArray array, jsize start, jsize len,
                                      jbyte* buf);
    void(JNICALL* GetCharArrayRegion)(JNIEnv* env, jcharArray array, jsize start, jsize len,
                                      jchar* buf);
    void(JNICALL* GetShortArrayRegion)(JNIEnv* env, jshortArray array, jsize start, jsize len,
                                       jshort* buf);
    void(JNICALL* GetIntArrayRegion)(JNIEnv* env, jintArray array, jsize start, jsize len,
                                     jint* buf);
    void(JNICALL* GetLongArrayRegion)(JNIEnv* env, jlongArray array, jsize start, jsize len,
                                      jlong* buf);
    void(JNICALL* GetFloatArrayRegion)(JNIEnv* env, jfloatArray array, jsize start, jsize len,
                                       jfloat* buf);
    void(JNICALL* GetDoubleArrayRegion)(JNIEnv* env, jdoubleArray array, jsize start, jsize len,
                                        jdouble* buf);  // 206

    // Set<PrimitiveType>ArrayRegion: slots 207-214.
    void(JNICALL* SetBooleanArrayRegion)(JNIEnv* env, jbooleanArray array, jsize start, jsize len,
                                         const jboolean* buf);  // 207
    void(JNICALL* SetByteArrayRegion)(JNIEnv* env, jbyteArray array, jsize start, jsize len,
                                      const jbyte* buf);
    void(JNICALL* SetCharArrayRegion)(JNIEnv* env, jcharArray array, jsize start, jsize len,
                                      const jchar* buf);  // 209
    void(JNICALL* SetShortArrayRegion)(JNIEnv* env, jshortArray array, jsize start, jsize len,
                                       const jshort* buf);
    void(JNICALL* SetIntArrayRegion)(JNIEnv* env, jintArray array, jsize start, jsize len,
                                     const jint* buf);
    void(JNICALL* SetLongArrayRegion)(JNIEnv* env, jlongArray array, jsize start, jsize len,
                                      const jlong* buf);
    void(JNICALL* SetFloatArrayRegion)(JNIEnv* env, jfloatArray array, jsize start, jsize len,
                                       const jfloat* buf);
    void(JNICALL* SetDoubleArrayRegion)(JNIEnv* env, jdoubleArray array, jsize start, jsize len,
                                        const jdouble* buf);  // 214

    jint(JNICALL* RegisterNatives)(JNIEnv* env, jclass clazz, const JNINativeMethod* methods,
                                   jint nMethods);        // 215
    jint(JNICALL* UnregisterNatives)(JNIEnv* env, jclass clazz);  // 216

    jint(JNICALL* MonitorEnter)(JNIEnv* env, jobject obj);  // 217
    jint(JNICALL* MonitorExit)(JNIEnv* env, jobject obj);   // 218

    jint(JNICALL* GetJavaVM)(JNIEnv* env, JavaVM** vm);  // 219

    // JNI 1.2.
    void(JNICALL* GetStringRegion)(JNIEnv* env, jstring str, jsize start, jsize len,
                                   jchar* buf);  // 220
    void(JNICALL* GetStringUTFRegion)(JNIEnv* env, jstring str, jsize start, jsize len,
                                      char* buf);  // 221
    void*(JNICALL* GetPrimitiveArrayCritical)(JNIEnv* env, jarray array, jboolean* isCopy);  // 222
    void(JNICALL* ReleasePrimitiveArrayCritical)(JNIEnv* env, jarray array, void* carray,
                                                 jint mode);  // 223
    const jchar*(JNICALL* GetStringCritical)(JNIEnv* env, jstring string, jboolean* isCopy);  // 224
    void(JNICALL* ReleaseStringCritical)(JNIEnv* env, jstring string, const jchar* carray);  // 225
    jweak(JNICALL* NewWeakGlobalRef)(JNIEnv* env, jobject obj);  // 226
    void(JNICALL* DeleteWeakGlobalRef)(JNIEnv* env, jweak obj);  // 227
    jboolean(JNICALL* ExceptionCheck)(JNIEnv* env);              // 228

    // JNI 1.4.
    jobject(JNICALL* NewDirectByteBuffer)(JNIEnv* env, void* address, jlong capacity);  // 229
    void*(JNICALL* GetDirectBufferAddress)(JNIEnv* env, jobject buf);                  // 230
    jlong(JNICALL* GetDirectBufferCapacity)(JNIEnv* env, jobject buf);                 // 231

    // JNI 1.6.
    jobjectRefType(JNICALL* GetObjectRefType)(JNIEnv* env, jobject obj);  // 232

    // JNI 9.
    jobject(JNICALL* GetModule)(JNIEnv* env, jclass clazz);  // 233

    // JNI 21.
    jboolean(JNICALL* IsVirtualThread)(JNIEnv* env, jobject obj);  // 234

    // JNI 24. A virtual machine older than that has no such slot: check GetVersion first.
    jlong(JNICALL* GetStringUTFLengthAsLong)(JNIEnv* env, jstring string);  // 235
};

// ---------------------------------------------------------------------------------------------
// The invocation interface table (the JavaVM).
struct JNIInvokeInterface_ {
    void* reserved0;  // 0
    void* reserved1;
    void* reserved2;

    jint(JNICALL* DestroyJavaVM)(JavaVM* vm);                                   // 3
    jint(JNICALL* AttachCurrentThread)(JavaVM* vm, void** penv, void* args);    // 4
    jint(JNICALL* DetachCurrentThread)(JavaVM* vm);                             // 5
    jint(JNICALL* GetEnv)(JavaVM* vm, void** penv, jint version);               // 6
    jint(JNICALL* AttachCurrentThreadAsDaemon)(JavaVM* vm, void** penv, void* args);  // 7
};

// ---------------------------------------------------------------------------------------------
// The interface pointer of one thread. A JNIEnv* points at an object whose first (and, to the
// caller, only) member is the function table.
struct JNIEnv_ {
    const JNINativeInterface_* functions;

    jint GetVersion() { return functions->GetVersion(this); }

    jclass DefineClass(const char* name, jobject loader, const jbyte* buf, jsize len) {
        return functions->DefineClass(this, name, loader, buf, len);
    }
    jclass FindClass(const char* name) { return functions->FindClass(this, name); }
    jclass GetSuperclass(jclass sub) { return functions->GetSuperclass(this, sub); }
    jboolean IsAssignableFrom(jclass sub, jclass sup) {
        return functions->IsAssignableFrom(this, sub, sup);
    }

    jint Throw(jthrowable obj) { return functions->Throw(this, obj); }
    jint ThrowNew(jclass clazz, const char* message) {
        return functions->ThrowNew(this, clazz, message);
    }
    jthrowable ExceptionOccurred() { return functions->ExceptionOccurred(this); }
    void ExceptionDescribe() { functions->ExceptionDescribe(this); }
    void ExceptionClear() { functions->ExceptionClear(this); }
    jboolean ExceptionCheck() { return functions->ExceptionCheck(this); }
    void FatalError(const char* message) { functions->FatalError(this, message); }

    jint PushLocalFrame(jint capacity) { return functions->PushLocalFrame(this, capacity); }
    jobject PopLocalFrame(jobject result) { return functions->PopLocalFrame(this, result); }
    jobject NewGlobalRef(jobject obj) { return functions->NewGlobalRef(this, obj); }
    void DeleteGlobalRef(jobject globalRef) { functions->DeleteGlobalRef(this, globalRef); }
    void DeleteLocalRef(jobject localRef) { functions->DeleteLocalRef(this, localRef); }
    jboolean IsSameObject(jobject ref1, jobject ref2) {
        return functions->IsSameObject(this, ref1, ref2);
    }
    jobject NewLocalRef(jobject ref) { return functions->NewLocalRef(this, ref); }
    jint EnsureLocalCapacity(jint capacity) {
        return functions->EnsureLocalCapacity(this, capacity);
    }
    jweak NewWeakGlobalRef(jobject obj) { return functions->NewWeakGlobalRef(this, obj); }
    void DeleteWeakGlobalRef(jweak obj) { functions->DeleteWeakGlobalRef(this, obj); }
    jobjectRefType GetObjectRefType(jobject obj) { return functions->GetObjectRefType(this, obj); }

    jobject AllocObject(jclass clazz) { return functions->AllocObject(this, clazz); }
    jobject NewObject(jclass clazz, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        jobject result = functions->NewObjectV(this, clazz, methodID, args);
        va_end(args);
        return result;
    }
    jobject NewObjectV(jclass clazz, jmethodID methodID, va_list args) {
        return functions->NewObjectV(this, clazz, methodID, args);
    }
    jobject NewObjectA(jclass clazz, jmethodID methodID, const jvalue* args) {
        return functions->NewObjectA(this, clazz, methodID, args);
    }
    jclass GetObjectClass(jobject obj) { return functions->GetObjectClass(this, obj); }
    jboolean IsInstanceOf(jobject obj, jclass clazz) {
        return functions->IsInstanceOf(this, obj, clazz);
    }

    jmethodID GetMethodID(jclass clazz, const char* name, const char* sig) {
        return functions->GetMethodID(this, clazz, name, sig);
    }
    jobject CallObjectMethod(jobject obj, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        jobject result = functions->CallObjectMethodV(this, obj, methodID, args);
        va_end(args);
        return result;
    }
    jobject CallObjectMethodA(jobject obj, jmethodID methodID, const jvalue* args) {
        return functions->CallObjectMethodA(this, obj, methodID, args);
    }
    jboolean CallBooleanMethodA(jobject obj, jmethodID methodID, const jvalue* args) {
        return functions->CallBooleanMethodA(this, obj, methodID, args);
    }
    jint CallIntMethod(jobject obj, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        jint result = functions->CallIntMethodV(this, obj, methodID, args);
        va_end(args);
        return result;
    }
    jint CallIntMethodA(jobject obj, jmethodID methodID, const jvalue* args) {
        return functions->CallIntMethodA(this, obj, methodID, args);
    }
    void CallVoidMethod(jobject obj, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        functions->CallVoidMethodV(this, obj, methodID, args);
        va_end(args);
    }
    void CallVoidMethodA(jobject obj, jmethodID methodID, const jvalue* args) {
        functions->CallVoidMethodA(this, obj, methodID, args);
    }

    jfieldID GetFieldID(jclass clazz, const char* name, const char* sig) {
        return functions->GetFieldID(this, clazz, name, sig);
    }
    jobject GetObjectField(jobject obj, jfieldID fieldID) {
        return functions->GetObjectField(this, obj, fieldID);
    }
    jint GetIntField(jobject obj, jfieldID fieldID) {
        return functions->GetIntField(this, obj, fieldID);
    }

    jmethodID GetStaticMethodID(jclass clazz, const char* name, const char* sig) {
        return functions->GetStaticMethodID(this, clazz, name, sig);
    }
    jobject CallStaticObjectMethod(jclass clazz, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        jobject result = functions->CallStaticObjectMethodV(this, clazz, methodID, args);
        va_end(args);
        return result;
    }
    jobject CallStaticObjectMethodA(jclass clazz, jmethodID methodID, const jvalue* args) {
        return functions->CallStaticObjectMethodA(this, clazz, methodID, args);
    }
    jboolean CallStaticBooleanMethodA(jclass clazz, jmethodID methodID, const jvalue* args) {
        return functions->CallStaticBooleanMethodA(this, clazz, methodID, args);
    }
    jint CallStaticIntMethod(jclass clazz, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        jint result = functions->CallStaticIntMethodV(this, clazz, methodID, args);
        va_end(args);
        return result;
    }
    jint CallStaticIntMethodA(jclass clazz, jmethodID methodID, const jvalue* args) {
        return functions->CallStaticIntMethodA(this, clazz, methodID, args);
    }
    void CallStaticVoidMethod(jclass clazz, jmethodID methodID, ...) {
        va_list args;
        va_start(args, methodID);
        functions->CallStaticVoidMethodV(this, clazz, methodID, args);
        va_end(args);
    }
    void CallStaticVoidMethodV(jclass clazz, jmethodID methodID, va_list args) {
        functions->CallStaticVoidMethodV(this, clazz, methodID, args);
    }
    void CallStaticVoidMethodA(jclass clazz, jmethodID methodID, const jvalue* args) {
        functions->CallStaticVoidMethodA(this, clazz, methodID, args);
    }

    jfieldID GetStaticFieldID(jclass clazz, const char* name, const char* sig) {
        return functions->GetStaticFieldID(this, clazz, name, sig);
    }
    jobject GetStaticObjectField(jclass clazz, jfieldID fieldID) {
        return functions->GetStaticObjectField(this, clazz, fieldID);
    }
    jint GetStaticIntField(jclass clazz, jfieldID fieldID) {
        return functions->GetStaticIntField(this, clazz, fieldID);
    }
    void SetStaticObjectField(jclass clazz, jfieldID fieldID, jobject value) {
        functions->SetStaticObjectField(this, clazz, fieldID, value);
    }

    jstring NewString(const jchar* unicodeChars, jsize len) {
        return functions->NewString(this, unicodeChars, len);
    }
    jsize GetStringLength(jstring string) { return functions->GetStringLength(this, string); }
    const jchar* GetStringChars(jstring string, jboolean* isCopy) {
        return functions->GetStringChars(this, string, isCopy);
    }
    void ReleaseStringChars(jstring string, const jchar* chars) {
        functions->ReleaseStringChars(this, string, chars);
    }
    void GetStringRegion(jstring str, jsize start, jsize len, jchar* buf) {
        functions->GetStringRegion(this, str, start, len, buf);
    }
    jstring NewStringUTF(const char* bytes) { return functions->NewStringUTF(this, bytes); }
    jsize GetStringUTFLength(jstring string) {
        return functions->GetStringUTFLength(this, string);
    }
    const char* GetStringUTFChars(jstring string, jboolean* isCopy) {
        return functions->GetStringUTFChars(this, string, isCopy);
    }
    void ReleaseStringUTFChars(jstring string, const char* utf) {
        functions->ReleaseStringUTFChars(this, string, utf);
    }

    jsize GetArrayLength(jarray array) { return functions->GetArrayLength(this, array); }
    jobjectArray NewObjectArray(jsize length, jclass elementClass, jobject initialElement) {
        return functions->NewObjectArray(this, length, elementClass, initialElement);
    }
    jobject GetObjectArrayElement(jobjectArray array, jsize index) {
        return functions->GetObjectArrayElement(this, array, index);
    }
    void SetObjectArrayElement(jobjectArray array, jsize index, jobject value) {
        functions->SetObjectArrayElement(this, array, index, value);
    }
    jbyteArray NewByteArray(jsize length) { return functions->NewByteArray(this, length); }
    jcharArray NewCharArray(jsize length) { return functions->NewCharArray(this, length); }
    void GetByteArrayRegion(jbyteArray array, jsize start, jsize len, jbyte* buf) {
        functions->GetByteArrayRegion(this, array, start, len, buf);
    }
    void SetByteArrayRegion(jbyteArray array, jsize start, jsize len, const jbyte* buf) {
        functions->SetByteArrayRegion(this, array, start, len, buf);
    }
    void GetCharArrayRegion(jcharArray array, jsize start, jsize len, jchar* buf) {
        functions->GetCharArrayRegion(this, array, start, len, buf);
    }
    void SetCharArrayRegion(jcharArray array, jsize start, jsize len, const jchar* buf) {
        functions->SetCharArrayRegion(this, array, start, len, buf);
    }

    jint RegisterNatives(jclass clazz, const JNINativeMethod* methods, jint nMethods) {
        return functions->RegisterNatives(this, clazz, methods, nMethods);
    }
    jint MonitorEnter(jobject obj) { return functions->MonitorEnter(this, obj); }
    jint MonitorExit(jobject obj) { return functions->MonitorExit(this, obj); }
    jint GetJavaVM(JavaVM** vm) { return functions->GetJavaVM(this, vm); }

    jobject GetModule(jclass clazz) { return functions->GetModule(this, clazz); }
    jboolean IsVirtualThread(jobject obj) { return functions->IsVirtualThread(this, obj); }
};

// The virtual machine as the invocation API hands it out.
struct JavaVM_ {
    const JNIInvokeInterface_* functions;

    jint DestroyJavaVM() { return functions->DestroyJavaVM(this); }
    jint AttachCurrentThread(void** penv, void* args) {
        return functions->AttachCurrentThread(this, penv, args);
    }
    jint DetachCurrentThread() { return functions->DetachCurrentThread(this); }
    jint GetEnv(void** penv, jint version) { return functions->GetEnv(this, penv, version); }
    jint AttachCurrentThreadAsDaemon(void** penv, void* args) {
        return functions->AttachCurrentThreadAsDaemon(this, penv, args);
    }
};

// ---------------------------------------------------------------------------------------------
// Invocation records.

// One option of JNI_CreateJavaVM: a string in the platform's default encoding, plus extra
// information for the hook options "vfprintf", "exit" and "abort".
typedef struct JavaVMOption {
    char* optionString;
    void* extraInfo;
} JavaVMOption;

// The initialisation record of JNI 1.2 and later.
typedef struct JavaVMInitArgs {
    jint version;
    jint nOptions;
    JavaVMOption* options;
    jboolean ignoreUnrecognized;
} JavaVMInitArgs;

// The argument of AttachCurrentThread and AttachCurrentThreadAsDaemon.
typedef struct JavaVMAttachArgs {
    jint version;
    char* name;  // modified UTF-8, or null
    jobject group;
} JavaVMAttachArgs;

// The initialisation record of JNI 1.1. Virtual machines still answer
// JNI_GetDefaultJavaVMInitArgs for it with their default Java thread stack size.
typedef struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* fp, const char* format, va_list args);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)(void);
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
} JDK1_1InitArgs;

// Hooks passed as the extraInfo of the options "vfprintf", "exit" and "abort".
typedef jint(JNICALL* JavaVMVfprintfHook_t)(FILE* fp, const char* format, va_list args);
typedef void(JNICALL* JavaVMExitHook_t)(jint code);
typedef void(JNICALL* JavaVMAbortHook_t)(void);

// ---------------------------------------------------------------------------------------------
// Entry points of the virtual-machine library, resolved with GetProcAddress.
typedef jint(JNICALL* JNI_CreateJavaVM_t)(JavaVM** pvm, void** penv, void* args);
typedef jint(JNICALL* JNI_GetDefaultJavaVMInitArgs_t)(void* args);
typedef jint(JNICALL* JNI_GetCreatedJavaVMs_t)(JavaVM** vmBuf, jsize bufLen, jsize* nVMs);
// Not part of JNI proper: the HotSpot library's lookup of a class through the boot class loader.
// Optional; a library may lack it.
typedef jclass(JNICALL* JVM_FindClassFromBootLoader_t)(JNIEnv* env, const char* name);

// ---------------------------------------------------------------------------------------------
// Layout checks.
static_assert(sizeof(jint) == 4, "jint is 32 bits");
static_assert(sizeof(jlong) == 8, "jlong is 64 bits");
static_assert(sizeof(jchar) == 2, "jchar is one UTF-16 code unit");
static_assert(sizeof(jchar) == sizeof(char16_t), "jchar matches char16_t");
#if defined(_WIN32)
static_assert(sizeof(jchar) == sizeof(wchar_t), "jchar matches the Windows wchar_t");
#endif
static_assert(sizeof(jboolean) == 1 && sizeof(jbyte) == 1, "8-bit jboolean and jbyte");
static_assert(sizeof(jshort) == 2 && sizeof(jfloat) == 4 && sizeof(jdouble) == 8,
              "primitive sizes");
static_assert(sizeof(jvalue) == 8, "jvalue holds a jlong");
static_assert(sizeof(JNIEnv_) == sizeof(void*), "JNIEnv is one table pointer");
static_assert(sizeof(JavaVM_) == sizeof(void*), "JavaVM is one table pointer");

#define JNI_TABLE_SLOT(table, member) (offsetof(table, member) / sizeof(void*))
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetVersion) == 4, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, FindClass) == 6, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, ToReflectedField) == 12, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, ExceptionOccurred) == 15, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewGlobalRef) == 21, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, DeleteLocalRef) == 23, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewObject) == 28, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetObjectClass) == 31, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetMethodID) == 33, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallObjectMethod) == 34, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallIntMethod) == 49, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallVoidMethod) == 61, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallNonvirtualObjectMethod) == 64, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallNonvirtualVoidMethodA) == 93, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetFieldID) == 94, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetObjectField) == 95, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, SetObjectField) == 104, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStaticMethodID) == 113, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallStaticObjectMethod) == 114, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallStaticIntMethodA) == 131, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallStaticVoidMethod) == 141, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, CallStaticVoidMethodA) == 143, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStaticFieldID) == 144, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStaticObjectField) == 145, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, SetStaticObjectField) == 154, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewString) == 163, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewStringUTF) == 167, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStringUTFChars) == 169, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetArrayLength) == 171, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewObjectArray) == 172, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, SetObjectArrayElement) == 174, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewBooleanArray) == 175, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewCharArray) == 177, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetBooleanArrayElements) == 183, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, ReleaseBooleanArrayElements) == 191, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetBooleanArrayRegion) == 199, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, SetBooleanArrayRegion) == 207, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, SetCharArrayRegion) == 209, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, RegisterNatives) == 215, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetJavaVM) == 219, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStringRegion) == 220, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, ExceptionCheck) == 228, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, NewDirectByteBuffer) == 229, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetObjectRefType) == 232, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetModule) == 233, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, IsVirtualThread) == 234, "slot");
static_assert(JNI_TABLE_SLOT(JNINativeInterface_, GetStringUTFLengthAsLong) == 235, "slot");
static_assert(sizeof(JNINativeInterface_) == 236 * sizeof(void*), "JNI 24 table size");

static_assert(JNI_TABLE_SLOT(JNIInvokeInterface_, DestroyJavaVM) == 3, "slot");
static_assert(JNI_TABLE_SLOT(JNIInvokeInterface_, AttachCurrentThread) == 4, "slot");
static_assert(JNI_TABLE_SLOT(JNIInvokeInterface_, DetachCurrentThread) == 5, "slot");
static_assert(JNI_TABLE_SLOT(JNIInvokeInterface_, GetEnv) == 6, "slot");
static_assert(JNI_TABLE_SLOT(JNIInvokeInterface_, AttachCurrentThreadAsDaemon) == 7, "slot");
static_assert(sizeof(JNIInvokeInterface_) == 8 * sizeof(void*), "invocation table size");
#undef JNI_TABLE_SLOT
