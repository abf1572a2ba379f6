// Redirecting System.out and System.err into the files that the INI file names.
#include <windows.h>

#include "jvm/JavaMain.h"
#include "jvm/OutputPaths.h"
#include "base/PathText.h"
#include "launcher/Launcher.h"

namespace {

// GetTimeFormatW/GetDateFormatW into a buffer as large as they ask for; the picture unchanged
// when formatting fails, so that the file name never silently loses its text.
template <typename Format>
std::wstring FormatPicture(const std::wstring& picture, Format format) {
    const int size = format(nullptr, 0);
    if (size <= 0) return picture;
    std::wstring result(static_cast<size_t>(size), L'\0');
    const int written = format(&result[0], size);
    if (written <= 0) return picture;
    result.resize(static_cast<size_t>(written - 1));
    return result;
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
    for (size_t i = 0; i < folders.size(); ++i) {
        if (CreateDirectoryW(folders[i].c_str(), nullptr)) continue;
        const DWORD error = GetLastError();
        if (error == ERROR_ALREADY_EXISTS) continue;
        // Leave no empty folder of ours behind: the parent goes when nothing else is in it.
        if (i > 0) RemoveDirectoryW(folders[i - 1].c_str());
        return error;
    }
    return 0;
}

bool Launcher::RedirectStream(const std::wstring& path, bool append, bool standardError) {
    JNIEnv* env = jniEnv;
    CreateParentFolders(path);
    jstring name = NewJavaString(env, path);
    if (name == nullptr) return false;
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    if (fileClass == nullptr) return false;
    jmethodID fileConstructor = env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V");
    if (fileConstructor == nullptr) return false;
    jobject file = env->NewObject(fileClass, fileConstructor, name, append ? JNI_TRUE : JNI_FALSE);
    if (file == nullptr) return false;
    jclass printClass = env->FindClass("java/io/PrintStream");
    if (printClass == nullptr) return false;
    jmethodID printConstructor = env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V");
    if (printConstructor == nullptr) return false;
    jobject stream = env->NewObject(printClass, printConstructor, file);
    if (stream == nullptr) return false;
    jclass systemClass = env->FindClass("java/lang/System");
    if (systemClass == nullptr) return false;
    jmethodID setter = env->GetStaticMethodID(systemClass, standardError ? "setErr" : "setOut", "(Ljava/io/PrintStream;)V");
    if (setter == nullptr) return false;
    env->CallStaticVoidMethod(systemClass, setter, stream);
    if (env->ExceptionOccurred() != nullptr) {
        env->ExceptionDescribe();
        return false;
    }
    return true;
}

void Launcher::RedirectOutputs() {
    if (outputFile.find(L'%') != std::wstring::npos || errorFile.find(L'%') != std::wstring::npos) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        ExpandTimestamp(outputFile, now);
        ExpandTimestamp(errorFile, now);
    }
    JNIEnv* env = jniEnv;
    if (!outputFile.empty() && !RedirectStream(outputFile, outputAppend, false)) {
        if (env->ExceptionOccurred() != nullptr) env->ExceptionDescribe();
    }
    if (!errorFile.empty() && !RedirectStream(errorFile, errorAppend, true)) {
        if (env->ExceptionOccurred() != nullptr) env->ExceptionDescribe();
    }
}
