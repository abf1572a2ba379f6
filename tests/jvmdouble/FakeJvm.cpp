// A stand-in for a JRE's jvm.dll: the JNI invocation entry points (exported by Invocation.cpp) and
// the few JNIEnv and JavaVM functions that the launcher calls. A test chooses how it behaves and
// reads back what the launcher handed it. The function tables have the layout of jvm/jni.h, but
// their functions are declared with the double's own calling convention (FakeJvmCalls.h): a table
// slot of another convention does not compile.
//
// Variants (compile definitions) leave out an export:
//   FAKE_JVM_NO_CREATE       no JNI_CreateJavaVM
//   FAKE_JVM_NO_DEFAULTS     no JNI_GetDefaultJavaVMInitArgs
//   FAKE_JVM_NO_BOOT_LOADER  no JVM_FindClassFromBootLoader
//
// Behaviours: MARLWICK_FAKE_JVM holds "key=value" pairs separated by ";".
//   create=N              JNI_CreateJavaVM returns N (default 0, success)
//   stack=N               javaStackSize answered to JNI_GetDefaultJavaVMInitArgs for JNI 1.1
//   detach=fail           DetachCurrentThread returns JNI_ERR
//   helper=missing        the boot loader does not know sun/launcher/LauncherHelper
//   checkandload=null     checkAndLoadMain returns null
//   checkandload=exception  ... and leaves a ClassNotFoundException pending
//   mainclass=missing     the application's class is not found (checkAndLoadMain and FindClass)
//   nomain=exception      the main class has no main(String[]); the lookup throws NoSuchMethodError
//   nomain=box            the same without a pending exception
//   string=fail           FindClass("java/lang/String") fails
//   utf=fail              GetStringUTFChars fails (OutOfMemoryError pending)
//   array=fail            NewObjectArray fails (OutOfMemoryError pending)
//   main=throw            main ends with a RuntimeException pending
//   main=exit:N           main does what System.exit(N) does: calls the "exit" hook, ends the process
//   delay=N               JNI_CreateJavaVM waits N ms before it answers (a slow virtual machine)
//   linger=N              DestroyJavaVM waits N ms (non-daemon threads still running)
//   splash=record         record at main, DetachCurrentThread and DestroyJavaVM whether the
//                         process shows a visible "SplashScreenWindow"
//   heap=reserve          reserve the address space of the last -Xmx option in one piece, as a
//                         virtual machine reserves its heap, and record whether that worked
//
// Record: every line below is appended, UTF-8, to the file named by MARLWICK_FAKE_JVM_LOG.
//   GetDefaultJavaVMInitArgs version=0x00010001 thread=<role>
//   CreateJavaVM thread=<role> stack=<bytes reserved for the calling thread>
//   CreateJavaVM version=0x00010002 nOptions=N ignoreUnrecognized=0
//   option[i]=<option string, ANSI code page decoded>
//   option[i].extraInfo=set                       (only for options with extra information)
//   env <NAME>=<value>                             (VX_JVM_PATH, VX_JVM_HOME and Path at creation)
//   heap <bytes> reserved=<yes|no>                 (with heap=reserve)
//   FindClassFromBootLoader <name>
//   FindClass <name>
//   checkAndLoadMain printToStderr=Z mode=I name=<name>
//   ExceptionDescribe <exception class>
//   new FileOutputStream <path> append=Z
//   System.setOut <path> / System.setErr <path>
//   main class=<name> thread=<role> argc=N
//   main arg[i]=<argument>
//   exit hook returned
//   DetachCurrentThread thread=<role> pending=<exception class or none> result=N
//   DestroyJavaVM thread=<role>
//   splash at <main|detach|destroy>=<shown|none>  (with splash=record)
//   warning: <misuse of JNI that a real virtual machine would not forgive, or a local reference
//            that ExceptionOccurred handed out and the launcher did not delete>
//   unexpected call: <table> slot N                (then the process ends, see kUnexpectedExitBase)
// A thread's role is "loader" (the thread that loaded this library), "creator" (the thread that
// created the virtual machine) or "other".
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "jvm/jni.h"
#include "tests/jvmdouble/FakeJvmCalls.h"

namespace {

// An unimplemented JNIEnv slot N ends the process with 0x0BAD0000 + N, a JavaVM slot with
// 0x0BAD1000 + N.
const DWORD kUnexpectedExitBase = 0x0BAD0000;
const DWORD kUnexpectedVmExitBase = 0x0BAD1000;

// ---------------------------------------------------------------------------------------------
// Text

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size, nullptr, nullptr);
    return result;
}

std::string Utf8(const std::u16string& text) { return Utf8(std::wstring(text.begin(), text.end())); }

[[maybe_unused]] std::string AnsiToUtf8(const char* text) {
    if (text == nullptr) return "(null)";
    const int size = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (size <= 1) return std::string();
    std::wstring wide(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], size);
    wide.resize(static_cast<size_t>(size - 1));
    return Utf8(wide);
}

// The modified UTF-8 of the JNI: every UTF-16 unit on its own, U+0000 as two bytes.
std::string ModifiedUtf8(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text) {
        const unsigned c = unit;
        if (c != 0 && c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring Environment(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return std::wstring();
    std::wstring value(size, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, &value[0], size);
    value.resize(length < size ? length : 0);
    return value;
}

std::string Format(const char* format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// ---------------------------------------------------------------------------------------------
// The record

CRITICAL_SECTION recordLock;
DWORD loaderThread = 0;
DWORD creatorThread = 0;

void Record(const std::string& line) {
    EnterCriticalSection(&recordLock);
    const std::wstring path = Environment(L"MARLWICK_FAKE_JVM_LOG");
    if (!path.empty()) {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string text;
            for (char c : line) {
                if (c == '\n') {
                    text += "\\n";
                } else if (c == '\r') {
                    text += "\\r";
                } else {
                    text += c;
                }
            }
            text += '\n';
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    LeaveCriticalSection(&recordLock);
}

const char* ThreadRole() {
    const DWORD self = GetCurrentThreadId();
    if (self == creatorThread) return "creator";
    if (self == loaderThread) return "loader";
    return "other";
}

// With splash=record: whether this process shows a visible splash window at `moment`.
BOOL CALLBACK FindVisibleSplash(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && std::wcscmp(name, L"SplashScreenWindow") == 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

void RecordSplash(const char* moment);

// The size of the calling thread's stack reservation (0 before Windows 8, which lacks the query).
[[maybe_unused]] size_t ThreadStackSize() {
    typedef VOID(WINAPI * StackLimits_t)(PULONG_PTR, PULONG_PTR);
    const auto limits = reinterpret_cast<StackLimits_t>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetCurrentThreadStackLimits")));
    if (limits == nullptr) return 0;
    ULONG_PTR low = 0, high = 0;
    limits(&low, &high);
    return static_cast<size_t>(high - low);
}

[[noreturn]] void Unexpected(const char* table, size_t slot, DWORD exitBase) {
    Record(Format("unexpected call: %s slot %u", table, static_cast<unsigned>(slot)));
    ExitProcess(exitBase + static_cast<DWORD>(slot));
}

// ---------------------------------------------------------------------------------------------
// Behaviours

struct Behaviour {
    jint create = JNI_OK;
    jint stack = 0;
    bool detachFails = false;
    bool helperMissing = false;
    std::string checkAndLoad;  // "", "null" or "exception"
    bool mainClassMissing = false;
    std::string noMain;  // "", "exception" or "box"
    bool stringFails = false;
    bool utfFails = false;
    bool arrayFails = false;
    std::string main;  // "", "throw" or "exit:N"
    DWORD delayMs = 0;
    DWORD lingerMs = 0;
    bool recordSplash = false;
    bool reserveHeap = false;
};

Behaviour ReadBehaviour() {
    Behaviour behaviour;
    const std::string text = Utf8(Environment(L"MARLWICK_FAKE_JVM"));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(';', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty()) continue;
        const size_t equals = item.find('=');
        const std::string key = item.substr(0, equals);
        const std::string value = equals == std::string::npos ? std::string() : item.substr(equals + 1);
        if (key == "create") {
            behaviour.create = static_cast<jint>(std::strtol(value.c_str(), nullptr, 0));
        } else if (key == "stack") {
            behaviour.stack = static_cast<jint>(std::strtol(value.c_str(), nullptr, 0));
        } else if (key == "detach" && value == "fail") {
            behaviour.detachFails = true;
        } else if (key == "helper" && value == "missing") {
            behaviour.helperMissing = true;
        } else if (key == "checkandload" && (value == "null" || value == "exception")) {
            behaviour.checkAndLoad = value;
        } else if (key == "mainclass" && value == "missing") {
            behaviour.mainClassMissing = true;
        } else if (key == "nomain" && (value == "exception" || value == "box")) {
            behaviour.noMain = value;
        } else if (key == "string" && value == "fail") {
            behaviour.stringFails = true;
        } else if (key == "utf" && value == "fail") {
            behaviour.utfFails = true;
        } else if (key == "array" && value == "fail") {
            behaviour.arrayFails = true;
        } else if (key == "main" && (value == "throw" || value.rfind("exit:", 0) == 0)) {
            behaviour.main = value;
        } else if (key == "delay") {
            behaviour.delayMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 0));
        } else if (key == "linger") {
            behaviour.lingerMs = static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 0));
        } else if (key == "splash" && value == "record") {
            behaviour.recordSplash = true;
        } else if (key == "heap" && value == "reserve") {
            behaviour.reserveHeap = true;
        } else {
            Record("warning: unknown behaviour " + item);
        }
    }
    return behaviour;
}

const Behaviour& Behave() {
    static const Behaviour behaviour = ReadBehaviour();
    return behaviour;
}

void RecordSplash(const char* moment) {
    if (!Behave().recordSplash) return;
    bool found = false;
    EnumWindows(FindVisibleSplash, reinterpret_cast<LPARAM>(&found));
    Record(std::string("splash at ") + moment + "=" + (found ? "shown" : "none"));
}

// ---------------------------------------------------------------------------------------------
// Objects. Every reference handed out is a FakeObject that lives until the process ends; a local
// reference that the launcher deleted is marked, and using it again is reported.

enum class Kind { Class, String, CharArray, ObjectArray, Throwable, Stream };

struct FakeObject {
    Kind kind;
    std::string name;  // Class: the class name; Throwable: its class; Stream: its class
    std::u16string chars;  // String, CharArray
    std::vector<FakeObject*> elements;  // ObjectArray
    std::wstring path;  // Stream: the file
    bool deleted = false;
};

struct FakeMethod {
    const char* className;
    const char* name;
    const char* signature;
    bool isStatic;
};

const FakeMethod kStringFromChars = {"java/lang/String", "<init>", "([C)V", false};
const FakeMethod kFileOutputStream = {"java/io/FileOutputStream", "<init>", "(Ljava/lang/String;Z)V", false};
const FakeMethod kPrintStream = {"java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false};
const FakeMethod kSetOut = {"java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true};
const FakeMethod kSetErr = {"java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true};
const FakeMethod kCheckAndLoadMain = {"sun/launcher/LauncherHelper", "checkAndLoadMain",
                                      "(ZILjava/lang/String;)Ljava/lang/Class;", true};
const FakeMethod kMain = {"", "main", "([Ljava/lang/String;)V", true};
const FakeMethod* const kKnownMethods[] = {&kStringFromChars, &kFileOutputStream, &kPrintStream,
                                           &kSetOut, &kSetErr, &kCheckAndLoadMain};

const char* const kSystemClasses[] = {"java/lang/String", "java/io/FileOutputStream", "java/io/PrintStream",
                                      "java/io/OutputStream", "java/lang/System", "sun/launcher/LauncherHelper"};

bool IsSystemClass(const std::string& name) {
    for (const char* known : kSystemClasses) {
        if (name == known) return true;
    }
    return false;
}

FakeObject* pending = nullptr;  // the pending exception
std::set<const char*> utfBuffers;

FakeObject* NewFake(Kind kind, const std::string& name) {
    FakeObject* object = new FakeObject();
    object->kind = kind;
    object->name = name;
    return object;
}

FakeObject* Obj(const void* reference) { return static_cast<FakeObject*>(const_cast<void*>(reference)); }

template <typename Ref>
Ref AsRef(FakeObject* object) {
    return reinterpret_cast<Ref>(object);
}

void Throw(const char* exceptionClass) { pending = NewFake(Kind::Throwable, exceptionClass); }

// A JNI function that may not run while an exception is pending, or with a deleted reference.
void Enter(const char* function) {
    if (pending != nullptr) Record(Format("warning: %s called with a pending exception", function));
}

bool Usable(const char* function, const void* reference, Kind kind) {
    const FakeObject* object = Obj(reference);
    if (object == nullptr) {
        Record(Format("warning: %s given a null reference", function));
        return false;
    }
    if (object->deleted) Record(Format("warning: %s given a deleted reference", function));
    if (object->kind != kind) {
        Record(Format("warning: %s given a reference of the wrong kind", function));
        return false;
    }
    return true;
}

// The arguments of a Call... or NewObject... function, read by the method's signature.
std::vector<jvalue> ReadArguments(const FakeMethod* method, va_list args) {
    std::vector<jvalue> values;
    const char* p = std::strchr(method->signature, '(') + 1;
    while (*p != ')' && *p != '\0') {
        jvalue value;
        std::memset(&value, 0, sizeof value);
        const char type = *p;
        while (*p == '[') ++p;
        if (*p == 'L') p = std::strchr(p, ';');
        ++p;
        switch (type) {
            case 'Z': value.z = static_cast<jboolean>(va_arg(args, int)); break;
            case 'B': value.b = static_cast<jbyte>(va_arg(args, int)); break;
            case 'C': value.c = static_cast<jchar>(va_arg(args, int)); break;
            case 'S': value.s = static_cast<jshort>(va_arg(args, int)); break;
            case 'I': value.i = va_arg(args, jint); break;
            case 'J': value.j = va_arg(args, jlong); break;
            case 'F': value.f = static_cast<jfloat>(va_arg(args, double)); break;
            case 'D': value.d = va_arg(args, double); break;
            default: value.l = va_arg(args, jobject); break;
        }
        values.push_back(value);
    }
    return values;
}

const FakeMethod* Method(jmethodID id) { return reinterpret_cast<const FakeMethod*>(id); }

// ---------------------------------------------------------------------------------------------
// The JavaVM and JNIEnv

JNINativeInterface_ envTable;
JNIInvokeInterface_ vmTable;
JNIEnv_ theEnv = {&envTable};
[[maybe_unused]] JavaVM_ theVm = {&vmTable};
[[maybe_unused]] bool vmCreated = false;
fakejvm::ExitHook exitHook = nullptr;

jclass FAKE_JNICALL FindClass(JNIEnv*, const char* name) {
    Enter("FindClass");
    const std::string className = name != nullptr ? name : "";
    Record("FindClass " + className);
    const Behaviour& behaviour = Behave();
    const bool missing = className.empty() || className.find('.') != std::string::npos ||
                         (className == "java/lang/String" && behaviour.stringFails) ||
                         (!IsSystemClass(className) && behaviour.mainClassMissing);
    if (missing) {
        Throw("java/lang/NoClassDefFoundError");
        return nullptr;
    }
    return AsRef<jclass>(NewFake(Kind::Class, className));
}

// As a real VM has it: each call hands out a local reference of its own, which the caller deletes.
std::vector<FakeObject*> occurredReferences;

jthrowable FAKE_JNICALL ExceptionOccurred(JNIEnv*) {
    if (pending == nullptr) return nullptr;
    FakeObject* reference = NewFake(Kind::Throwable, pending->name);
    occurredReferences.push_back(reference);
    return AsRef<jthrowable>(reference);
}

size_t UndeletedOccurredReferences() {
    size_t count = 0;
    for (const FakeObject* reference : occurredReferences) count += reference->deleted ? 0 : 1;
    return count;
}

jboolean FAKE_JNICALL ExceptionCheck(JNIEnv*) { return pending != nullptr ? JNI_TRUE : JNI_FALSE; }

void FAKE_JNICALL ExceptionDescribe(JNIEnv*) {
    if (pending == nullptr) {
        Record("ExceptionDescribe (none)");
        return;
    }
    Record("ExceptionDescribe " + pending->name);
    pending = nullptr;  // as the JNI has it: describing clears
}

void FAKE_JNICALL ExceptionClear(JNIEnv*) { pending = nullptr; }

void FAKE_JNICALL DeleteLocalRef(JNIEnv*, jobject reference) {
    if (reference == nullptr) return;
    FakeObject* object = Obj(reference);
    if (object->deleted) Record("warning: DeleteLocalRef of a deleted reference");
    object->deleted = true;
}

jmethodID FindMethod(jclass clazz, const char* name, const char* signature, bool isStatic, const char* function) {
    Enter(function);
    if (!Usable(function, clazz, Kind::Class) || name == nullptr || signature == nullptr) {
        Throw("java/lang/NoSuchMethodError");
        return nullptr;
    }
    const std::string& className = Obj(clazz)->name;
    for (const FakeMethod* method : kKnownMethods) {
        if (className == method->className && std::strcmp(name, method->name) == 0 &&
            std::strcmp(signature, method->signature) == 0 && isStatic == method->isStatic) {
            return reinterpret_cast<jmethodID>(const_cast<FakeMethod*>(method));
        }
    }
    if (!IsSystemClass(className) && isStatic && std::strcmp(name, kMain.name) == 0) {
        const std::string& noMain = Behave().noMain;
        if (noMain == "box") return nullptr;
        if (noMain.empty() && std::strcmp(signature, kMain.signature) == 0) {
            return reinterpret_cast<jmethodID>(const_cast<FakeMethod*>(&kMain));
        }
    }
    Throw("java/lang/NoSuchMethodError");
    return nullptr;
}

jmethodID FAKE_JNICALL GetMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
    return FindMethod(clazz, name, signature, false, "GetMethodID");
}

jmethodID FAKE_JNICALL GetStaticMethodID(JNIEnv*, jclass clazz, const char* name, const char* signature) {
    return FindMethod(clazz, name, signature, true, "GetStaticMethodID");
}

jobject NewObjectWith(jclass clazz, const FakeMethod* method, const jvalue* args) {
    Enter("NewObject");
    if (!Usable("NewObject", clazz, Kind::Class) || method == nullptr) return nullptr;
    if (Obj(clazz)->name != method->className || std::strcmp(method->name, "<init>") != 0) {
        Record("warning: NewObject with a method that is no constructor of the class");
        return nullptr;
    }
    if (method == &kStringFromChars) {
        if (!Usable("new String(char[])", args[0].l, Kind::CharArray)) return nullptr;
        FakeObject* text = NewFake(Kind::String, "java/lang/String");
        text->chars = Obj(args[0].l)->chars;
        return AsRef<jobject>(text);
    }
    if (method == &kFileOutputStream) {
        if (!Usable("new FileOutputStream", args[0].l, Kind::String)) return nullptr;
        FakeObject* stream = NewFake(Kind::Stream, method->className);
        const std::u16string& chars = Obj(args[0].l)->chars;
        stream->path.assign(chars.begin(), chars.end());
        Record("new FileOutputStream " + Utf8(stream->path) + Format(" append=%d", args[1].z));
        HANDLE file = CreateFileW(stream->path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  args[1].z ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Throw("java/io/FileNotFoundException");
            return nullptr;
        }
        CloseHandle(file);
        return AsRef<jobject>(stream);
    }
    if (method != &kPrintStream) {
        Record("warning: NewObject with an unknown constructor");
        return nullptr;
    }
    if (!Usable("new PrintStream", args[0].l, Kind::Stream)) return nullptr;
    FakeObject* stream = NewFake(Kind::Stream, method->className);
    stream->path = Obj(args[0].l)->path;
    return AsRef<jobject>(stream);
}

jobject FAKE_JNICALL NewObjectV(JNIEnv*, jclass clazz, jmethodID id, va_list args) {
    const FakeMethod* method = Method(id);
    if (method == nullptr) return NewObjectWith(clazz, nullptr, nullptr);
    const std::vector<jvalue> values = ReadArguments(method, args);
    return NewObjectWith(clazz, method, values.data());
}

jobject FAKE_JNICALL NewObjectA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* args) {
    return NewObjectWith(clazz, Method(id), args);
}

jobject CallStaticObject(jclass clazz, const FakeMethod* method, const jvalue* args) {
    Enter("CallStaticObjectMethod");
    if (!Usable("CallStaticObjectMethod", clazz, Kind::Class)) return nullptr;
    if (method != &kCheckAndLoadMain) {
        Record("warning: CallStaticObjectMethod of an unknown method");
        return nullptr;
    }
    std::string name = "(null)";
    if (Usable("checkAndLoadMain", args[2].l, Kind::String)) name = Utf8(Obj(args[2].l)->chars);
    Record(Format("checkAndLoadMain printToStderr=%d mode=%d name=", args[0].z, args[1].i) + name);
    const Behaviour& behaviour = Behave();
    if (behaviour.mainClassMissing) {
        Throw("java/lang/NoClassDefFoundError");
        return nullptr;
    }
    if (behaviour.checkAndLoad == "exception") Throw("java/lang/ClassNotFoundException");
    if (!behaviour.checkAndLoad.empty()) return nullptr;
    for (char& c : name) {
        if (c == '.') c = '/';
    }
    return AsRef<jobject>(NewFake(Kind::Class, name));
}

jobject FAKE_JNICALL CallStaticObjectMethodV(JNIEnv*, jclass clazz, jmethodID id, va_list args) {
    const FakeMethod* method = Method(id);
    if (method == nullptr) return CallStaticObject(clazz, nullptr, nullptr);
    const std::vector<jvalue> values = ReadArguments(method, args);
    return CallStaticObject(clazz, method, values.data());
}

jobject FAKE_JNICALL CallStaticObjectMethodA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* args) {
    return CallStaticObject(clazz, Method(id), args);
}

void CallMain(const FakeObject* mainClass, const jvalue* args) {
    std::vector<std::string> arguments;
    const FakeObject* array = Obj(args[0].l);
    if (Usable("main", array, Kind::ObjectArray)) {
        for (const FakeObject* item : array->elements) {
            if (item == nullptr) {
                arguments.push_back("(null)");
            } else {
                if (item->deleted) Record("warning: main argument array holds a deleted reference");
                arguments.push_back(Utf8(item->chars));
            }
        }
    }
    Record("main class=" + mainClass->name + " thread=" + ThreadRole() +
           Format(" argc=%u", static_cast<unsigned>(arguments.size())));
    for (size_t i = 0; i < arguments.size(); ++i) {
        Record(Format("main arg[%u]=", static_cast<unsigned>(i)) + arguments[i]);
    }
    RecordSplash("main");
    const std::string& behaviour = Behave().main;
    if (behaviour == "throw") {
        Throw("java/lang/RuntimeException");
    } else if (behaviour.rfind("exit:", 0) == 0) {
        const jint code = static_cast<jint>(std::strtol(behaviour.c_str() + 5, nullptr, 0));
        if (exitHook != nullptr) {
            exitHook(code);
            Record("exit hook returned");
        }
        ExitProcess(static_cast<UINT>(code));
    }
}

void CallStaticVoid(jclass clazz, const FakeMethod* method, const jvalue* args) {
    Enter("CallStaticVoidMethod");
    if (!Usable("CallStaticVoidMethod", clazz, Kind::Class)) return;
    if (method == &kMain) {
        CallMain(Obj(clazz), args);
    } else if (method == &kSetOut || method == &kSetErr) {
        if (!Usable(method->name, args[0].l, Kind::Stream)) return;
        Record(std::string("System.") + method->name + " " + Utf8(Obj(args[0].l)->path));
    } else {
        Record("warning: CallStaticVoidMethod of an unknown method");
    }
}

void FAKE_JNICALL CallStaticVoidMethodV(JNIEnv*, jclass clazz, jmethodID id, va_list args) {
    const FakeMethod* method = Method(id);
    if (method == nullptr) {
        Record("warning: CallStaticVoidMethod of a null method");
        return;
    }
    const std::vector<jvalue> values = ReadArguments(method, args);
    CallStaticVoid(clazz, method, values.data());
}

void FAKE_JNICALL CallStaticVoidMethodA(JNIEnv*, jclass clazz, jmethodID id, const jvalue* args) {
    if (id == nullptr) {
        Record("warning: CallStaticVoidMethod of a null method");
        return;
    }
    CallStaticVoid(clazz, Method(id), args);
}

jcharArray FAKE_JNICALL NewCharArray(JNIEnv*, jsize length) {
    Enter("NewCharArray");
    if (length < 0) {
        Throw("java/lang/NegativeArraySizeException");
        return nullptr;
    }
    FakeObject* array = NewFake(Kind::CharArray, "[C");
    array->chars.assign(static_cast<size_t>(length), u'\0');
    return AsRef<jcharArray>(array);
}

void FAKE_JNICALL SetCharArrayRegion(JNIEnv*, jcharArray array, jsize start, jsize length, const jchar* buffer) {
    Enter("SetCharArrayRegion");
    if (!Usable("SetCharArrayRegion", array, Kind::CharArray)) return;
    FakeObject* object = Obj(array);
    if (start < 0 || length < 0 || static_cast<size_t>(start) + static_cast<size_t>(length) > object->chars.size()) {
        Throw("java/lang/ArrayIndexOutOfBoundsException");
        return;
    }
    if (length > 0 && buffer == nullptr) {
        Record("warning: SetCharArrayRegion from a null buffer");
        return;
    }
    for (jsize i = 0; i < length; ++i) object->chars[static_cast<size_t>(start + i)] = static_cast<char16_t>(buffer[i]);
}

jobjectArray FAKE_JNICALL NewObjectArray(JNIEnv*, jsize length, jclass elementClass, jobject initial) {
    Enter("NewObjectArray");
    if (!Usable("NewObjectArray", elementClass, Kind::Class)) return nullptr;
    if (Behave().arrayFails) {
        Throw("java/lang/OutOfMemoryError");
        return nullptr;
    }
    if (length < 0) {
        Throw("java/lang/NegativeArraySizeException");
        return nullptr;
    }
    FakeObject* array = NewFake(Kind::ObjectArray, "[L" + Obj(elementClass)->name + ";");
    array->elements.assign(static_cast<size_t>(length), Obj(initial));
    return AsRef<jobjectArray>(array);
}

void FAKE_JNICALL SetObjectArrayElement(JNIEnv*, jobjectArray array, jsize index, jobject value) {
    Enter("SetObjectArrayElement");
    if (!Usable("SetObjectArrayElement", array, Kind::ObjectArray)) return;
    FakeObject* object = Obj(array);
    if (index < 0 || static_cast<size_t>(index) >= object->elements.size()) {
        Throw("java/lang/ArrayIndexOutOfBoundsException");
        return;
    }
    if (value != nullptr && object->name == "[Ljava/lang/String;") Usable("SetObjectArrayElement", value, Kind::String);
    // The array holds the object itself; the caller's local reference may go.
    FakeObject* element = Obj(value);
    if (element != nullptr) {
        FakeObject* copy = new FakeObject(*element);
        copy->deleted = false;
        element = copy;
    }
    object->elements[static_cast<size_t>(index)] = element;
}

const char* FAKE_JNICALL GetStringUTFChars(JNIEnv*, jstring text, jboolean* isCopy) {
    Enter("GetStringUTFChars");
    if (!Usable("GetStringUTFChars", text, Kind::String)) return nullptr;
    if (Behave().utfFails) {
        Throw("java/lang/OutOfMemoryError");
        return nullptr;
    }
    const std::string bytes = ModifiedUtf8(Obj(text)->chars);
    char* buffer = static_cast<char*>(std::malloc(bytes.size() + 1));
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    utfBuffers.insert(buffer);
    if (isCopy != nullptr) *isCopy = JNI_TRUE;
    return buffer;
}

void FAKE_JNICALL ReleaseStringUTFChars(JNIEnv*, jstring, const char* bytes) {
    if (utfBuffers.erase(bytes) == 0) {
        Record("warning: ReleaseStringUTFChars of a buffer not handed out");
        return;
    }
    std::free(const_cast<char*>(bytes));
}

jclass BootLoaderLookup(JNIEnv* env, const char* name) {
    const std::string className = name != nullptr ? name : "";
    Record("FindClassFromBootLoader " + className);
    if (env != &theEnv) Record("warning: JVM_FindClassFromBootLoader given a foreign JNIEnv");
    if (className != "sun/launcher/LauncherHelper" || Behave().helperMissing) return nullptr;
    return AsRef<jclass>(NewFake(Kind::Class, className));
}

// Set once DestroyJavaVM has begun: a real VM past its wait for the non-daemon threads takes no new
// thread any more.
volatile bool destroying = false;

jint FAKE_JNICALL DestroyJavaVM(JavaVM*) {
    destroying = true;
    Record(std::string("DestroyJavaVM thread=") + ThreadRole());
    RecordSplash("destroy");
    if (Behave().lingerMs != 0) Sleep(Behave().lingerMs);
    return JNI_OK;
}

jint FAKE_JNICALL AttachCurrentThread(JavaVM*, void** penv, void*) {
    Record(std::string("AttachCurrentThread thread=") + ThreadRole());
    if (destroying) Record("warning: AttachCurrentThread while the VM is being destroyed");
    if (penv != nullptr) *penv = &theEnv;
    return JNI_OK;
}

jint FAKE_JNICALL DetachCurrentThread(JavaVM*) {
    RecordSplash("detach");
    if (UndeletedOccurredReferences() != 0) {
        Record(Format("warning: %u local references from ExceptionOccurred not deleted",
                      static_cast<unsigned>(UndeletedOccurredReferences())));
    }
    const jint result = Behave().detachFails ? JNI_ERR : JNI_OK;
    Record(std::string("DetachCurrentThread thread=") + ThreadRole() +
           " pending=" + (pending != nullptr ? pending->name : std::string("none")) + Format(" result=%d", result));
    // A pending exception belongs to its thread: it goes when the thread detaches.
    if (result == JNI_OK) pending = nullptr;
    return result;
}

jint FAKE_JNICALL GetEnv(JavaVM*, void** penv, jint) {
    if (penv != nullptr) *penv = &theEnv;
    return JNI_OK;
}

// Unimplemented slots: each one its own function, so that the record names the slot.
template <size_t Slot>
void FAKE_JNICALL UnexpectedEnvCall() {
    Unexpected("JNIEnv", Slot, kUnexpectedExitBase);
}

template <size_t Slot>
void FAKE_JNICALL UnexpectedVmCall() {
    Unexpected("JavaVM", Slot, kUnexpectedVmExitBase);
}

template <size_t... Slot>
void FillEnvSlots(void** slots, std::index_sequence<Slot...>) {
    ((slots[Slot] = reinterpret_cast<void*>(&UnexpectedEnvCall<Slot>)), ...);
}

template <size_t... Slot>
void FillVmSlots(void** slots, std::index_sequence<Slot...>) {
    ((slots[Slot] = reinterpret_cast<void*>(&UnexpectedVmCall<Slot>)), ...);
}

void BuildTables() {
    constexpr size_t envSlots = sizeof(JNINativeInterface_) / sizeof(void*);
    void* slots[envSlots];
    FillEnvSlots(slots, std::make_index_sequence<envSlots>());
    for (size_t i = 0; i < 4; ++i) slots[i] = nullptr;
    std::memcpy(&envTable, slots, sizeof envTable);
    envTable.FindClass = FindClass;
    envTable.ExceptionOccurred = ExceptionOccurred;
    envTable.ExceptionDescribe = ExceptionDescribe;
    envTable.ExceptionClear = ExceptionClear;
    envTable.ExceptionCheck = ExceptionCheck;
    envTable.DeleteLocalRef = DeleteLocalRef;
    envTable.NewObjectV = NewObjectV;
    envTable.NewObjectA = NewObjectA;
    envTable.GetMethodID = GetMethodID;
    envTable.GetStaticMethodID = GetStaticMethodID;
    envTable.CallStaticObjectMethodV = CallStaticObjectMethodV;
    envTable.CallStaticObjectMethodA = CallStaticObjectMethodA;
    envTable.CallStaticVoidMethodV = CallStaticVoidMethodV;
    envTable.CallStaticVoidMethodA = CallStaticVoidMethodA;
    envTable.NewCharArray = NewCharArray;
    envTable.SetCharArrayRegion = SetCharArrayRegion;
    envTable.NewObjectArray = NewObjectArray;
    envTable.SetObjectArrayElement = SetObjectArrayElement;
    envTable.GetStringUTFChars = GetStringUTFChars;
    envTable.ReleaseStringUTFChars = ReleaseStringUTFChars;

    constexpr size_t vmSlots = sizeof(JNIInvokeInterface_) / sizeof(void*);
    void* invoke[vmSlots];
    FillVmSlots(invoke, std::make_index_sequence<vmSlots>());
    for (size_t i = 0; i < 3; ++i) invoke[i] = nullptr;
    std::memcpy(&vmTable, invoke, sizeof vmTable);
    vmTable.DestroyJavaVM = DestroyJavaVM;
    vmTable.AttachCurrentThread = AttachCurrentThread;
    vmTable.DetachCurrentThread = DetachCurrentThread;
    vmTable.GetEnv = GetEnv;
}

}  // namespace

// With heap=reserve: reserves the heap that the last -Xmx option asks for, as a virtual machine
// does at creation (one piece of address space), and records whether the process had room for it.
void ReserveHeap(const fakejvm::Option* options, int32_t optionCount) {
    unsigned long long bytes = 0;
    for (int32_t i = 0; i < optionCount; ++i) {
        const char* text = options[i].text;
        if (text == nullptr || std::strncmp(text, "-Xmx", 4) != 0) continue;
        char* end = nullptr;
        bytes = std::strtoull(text + 4, &end, 10);
        const char unit = end != nullptr ? *end : '\0';
        bytes <<= unit == 'K' || unit == 'k' ? 10 : unit == 'M' || unit == 'm' ? 20 : unit == 'G' || unit == 'g' ? 30 : 0;
    }
    void* heap = bytes == 0 || bytes > SIZE_MAX ? nullptr
                                                : VirtualAlloc(nullptr, static_cast<SIZE_T>(bytes), MEM_RESERVE, PAGE_NOACCESS);
    Record(Format("heap %llu reserved=%s", bytes, heap != nullptr ? "yes" : "no"));
    if (heap != nullptr) VirtualFree(heap, 0, MEM_RELEASE);
}

// ---------------------------------------------------------------------------------------------
// The invocation functions behind the exports (Invocation.cpp)

namespace fakejvm {

int32_t DefaultInitArgs(int32_t version, int32_t& javaStackSize) {
    Record(Format("GetDefaultJavaVMInitArgs version=0x%08x thread=%s", static_cast<unsigned>(version), ThreadRole()));
    if (version != kVersion1_1) return kVersionError;
    if (Behave().stack > 0) javaStackSize = Behave().stack;
    return kOk;
}

int32_t CreateVm(void** pvm, void** penv, int32_t version, const Option* options, int32_t optionCount,
                 bool ignoreUnrecognized, bool haveRecord) {
    Record(Format("CreateJavaVM thread=%s stack=%llu", ThreadRole(), static_cast<unsigned long long>(ThreadStackSize())));
    if (!haveRecord) {
        Record("warning: CreateJavaVM without arguments");
        return kInvalid;
    }
    Record(Format("CreateJavaVM version=0x%08x nOptions=%d ignoreUnrecognized=%d", static_cast<unsigned>(version),
                  optionCount, ignoreUnrecognized ? 1 : 0));
    for (int32_t i = 0; i < optionCount; ++i) {
        const Option& option = options[i];
        Record(Format("option[%d]=", i) + AnsiToUtf8(option.text));
        if (option.extraInfo != nullptr) Record(Format("option[%d].extraInfo=set", i));
        if (option.text != nullptr && std::strcmp(option.text, "exit") == 0) {
            exitHook = reinterpret_cast<ExitHook>(option.extraInfo);
        }
    }
    for (const wchar_t* name : {L"VX_JVM_PATH", L"VX_JVM_HOME", L"Path"}) {
        Record("env " + Utf8(std::wstring(name)) + "=" + Utf8(Environment(name)));
    }
    if (Behave().reserveHeap) ReserveHeap(options, optionCount);
    if (Behave().delayMs != 0) Sleep(Behave().delayMs);
    if (vmCreated) {
        Record("warning: CreateJavaVM called twice");
        return kAlreadyCreated;
    }
    const int32_t result = Behave().create;
    if (result != kOk) return result;
    vmCreated = true;
    creatorThread = GetCurrentThreadId();
    *pvm = &theVm;
    *penv = &theEnv;
    return kOk;
}

void* FindClassFromBootLoader(void* env, const char* name) {
    return BootLoaderLookup(static_cast<JNIEnv*>(env), name);
}

}  // namespace fakejvm

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&recordLock);
        loaderThread = GetCurrentThreadId();
        BuildTables();
    }
    return TRUE;
}
