// Showing an exception that ended the Java main method, and ending the application on request.
#pragma once

#include <string>

#include "jvm/jni.h"

// The stack trace that printStackTrace writes for the throwable. When the application's code makes
// that fail (a toString that throws), the throwable's class name and what the failure threw; empty
// only for a null throwable. Call with no exception pending.
std::wstring GetExceptionText(JNIEnv* env, jthrowable throwable);

// java.lang.System.exit(-1). Returns only when System.exit cannot be reached or throws.
void CallSystemExit(JNIEnv* env);

// On the Java main thread after main has returned with an exception pending: shows its stack trace
// in the Java Exception dialog. Ignore leaves the exception pending again, so that the virtual
// machine reports it as uncaught; Stop ends the application with exit code -1. Nothing happens when
// no exception is pending.
void ReportUncaughtException(JNIEnv* env);
