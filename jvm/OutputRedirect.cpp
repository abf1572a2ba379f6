#include "jvm/OutputRedirect.h"

#include "base/PathText.h"
#include "base/UniqueResource.h"
#include "base/Win32Text.h"
#include "jvm/JavaStrings.h"
#include "jvm/JniRef.h"
#include "jvm/OutputPaths.h"

namespace {

// GetTimeFormatW/GetDateFormatW into a buffer as large as they need; the picture unchanged when
// formatting fails, so that the file name never silently loses its text.
template <typename Format>
std::wstring FormatPicture(const std::wstring& picture, Format format) {
    std::wstring result;
    const bool done = FillBuffer(result, picture.size() + 64, [&format](wchar_t* buffer, size_t capacity) -> long long {
        const int size = format(buffer, static_cast<int>(capacity));  // the NUL included
        if (size > 0) return size - 1;
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? static_cast<long long>(capacity) : -1;
    });
    return done ? result : picture;
}

}  // namespace

void ExpandTimestamp(std::wstring& path, const SYSTEMTIME& time) {
    size_t first = 0, last = 0;
    if (!FindTimestampPicture(path, first, last)) return;
    std::wstring picture = last > first ? path.substr(first + 1, last - first - 1) : std::wstring();
    picture = ReplaceMilliseconds(picture, time.wMilliseconds);
    if (!picture.empty()) {
        picture = FormatPicture(picture, [&](wchar_t* buffer, int size) {
            return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), buffer, size);
        });
        picture = FormatPicture(picture, [&](wchar_t* buffer, int size) {
            return GetDateFormatW(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), buffer, size);
        });
    }
    path = path.substr(0, first) + picture + path.substr(last + 1);
}

DWORD CreateParentFolders(const std::wstring& path) {
    if (IsAbsolutePath(path)) {
        WIN32_FIND_DATAW found;
        UniqueFindHandle existing(FindFirstFileW(path.c_str(), &found));
        if (existing) return 0;
    }
    const std::vector<std::wstring> folders = ParentFoldersToCreate(path);
    std::vector<const std::wstring*> created;
    for (const std::wstring& folder : folders) {
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            created.push_back(&folder);
            continue;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS) continue;
        // Leave no empty folder of ours behind, and touch none that was there before.
        for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW((*it)->c_str());
        return error;
    }
    return 0;
}

namespace {

// System.out or System.err into a new PrintStream on the file; false when any step fails (a
// pending exception may say why).
bool RedirectStream(JNIEnv* env, const std::wstring& path, bool append, bool standardError) {
    CreateParentFolders(path);
    LocalRef<jstring> name(env, NewJavaString(env, path));
    if (!name) return false;
    LocalRef<jclass> fileClass(env, env->FindClass("java/io/FileOutputStream"));
    if (!fileClass) return false;
    jmethodID fileConstructor = env->GetMethodID(fileClass.get(), "<init>", "(Ljava/lang/String;Z)V");
    if (fileConstructor == nullptr) return false;
    LocalRef<jobject> file(env, env->NewObject(fileClass.get(), fileConstructor, name.get(), append ? JNI_TRUE : JNI_FALSE));
    if (!file) return false;
    LocalRef<jclass> printClass(env, env->FindClass("java/io/PrintStream"));
    if (!printClass) return false;
    jmethodID printConstructor = env->GetMethodID(printClass.get(), "<init>", "(Ljava/io/OutputStream;)V");
    if (printConstructor == nullptr) return false;
    LocalRef<jobject> stream(env, env->NewObject(printClass.get(), printConstructor, file.get()));
    if (!stream) return false;
    LocalRef<jclass> systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass) return false;
    jmethodID setter = env->GetStaticMethodID(systemClass.get(), standardError ? "setErr" : "setOut", "(Ljava/io/PrintStream;)V");
    if (setter == nullptr) return false;
    env->CallStaticVoidMethod(systemClass.get(), setter, stream.get());
    if (env->ExceptionCheck() == JNI_TRUE) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

}  // namespace

void RedirectOutputs(JNIEnv* env, const JavaStart& start) {
    std::wstring outputFile = start.outputFile;
    std::wstring errorFile = start.errorFile;
    if (outputFile.find(L'%') != std::wstring::npos || errorFile.find(L'%') != std::wstring::npos) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        ExpandTimestamp(outputFile, now);
        ExpandTimestamp(errorFile, now);
    }
    if (!outputFile.empty() && !RedirectStream(env, outputFile, start.outputAppend, false)) {
        if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionDescribe();
    }
    if (!errorFile.empty() && !RedirectStream(env, errorFile, start.errorAppend, true)) {
        if (env->ExceptionCheck() == JNI_TRUE) env->ExceptionDescribe();
    }
}
