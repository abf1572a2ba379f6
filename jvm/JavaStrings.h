// Java strings, string arrays and class look-ups from the launcher's wide strings.
#pragma once

#include <string>
#include <vector>

#include "jvm/jni.h"

// A java.lang.String made from the UTF-16 code units of `text`; null on failure.
jstring NewJavaString(JNIEnv* env, const std::wstring& text);
// A String[] of `items`; null on failure (a pending exception may say why).
jobjectArray NewStringArray(JNIEnv* env, const std::vector<std::wstring>& items);
// FindClass with the modified UTF-8 form of a slashed class name, whatever its characters;
// null on failure (a pending exception may say why).
jclass FindClassByName(JNIEnv* env, const std::wstring& slashedName);
