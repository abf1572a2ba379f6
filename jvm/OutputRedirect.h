// Redirecting System.out and System.err into the files that the INI file names.
#pragma once

#include <windows.h>

#include <string>

#include "jvm/JavaStart.h"
#include "jvm/jni.h"

// The timestamp picture of a path (from its first to its last "%") formatted with `time`.
void ExpandTimestamp(std::wstring& path, const SYSTEMTIME& time);
// Creates the missing folders of a file's path; 0, or the error of the folder that failed after
// removing the folders this call created (never one that existed before).
DWORD CreateParentFolders(const std::wstring& path);
// Applies the output and error files of `start` on the Java main thread, right after the VM exists.
void RedirectOutputs(JNIEnv* env, const JavaStart& start);
