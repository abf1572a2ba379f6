// The sections and keys of the launcher's INI files.
#pragma once

namespace ini {
inline const wchar_t kProductSection[] = L"Product Information";
inline const wchar_t kJreSection[] = L"Java Runtime Environment";
inline const wchar_t kApplicationSection[] = L"Application";
inline const wchar_t kClassPathSection[] = L"Class Path";
inline const wchar_t kDisplaySection[] = L"Display";

inline const wchar_t kProductCode[] = L"Product Code";
inline const wchar_t kProductName[] = L"Product Name";
inline const wchar_t kMinimumVersion[] = L"Minimum Version";
inline const wchar_t kMaximumVersion[] = L"Maximum Version";
inline const wchar_t kPreferredVersions[] = L"Preferred versions";
inline const wchar_t kJrePath[] = L"JRE Path";
inline const wchar_t kJvmType[] = L"JVM Type";
inline const wchar_t kJvmSource[] = L"JVM Source";
inline const wchar_t kVmProvider[] = L"VM Provider";
inline const wchar_t kMainClass[] = L"Main Class";
inline const wchar_t kMainModule[] = L"Main Module";
inline const wchar_t kSystemPath[] = L"System Path";
inline const wchar_t kLibraryPath[] = L"Library Path";
inline const wchar_t kVmParameters[] = L"Virtual Machine Parameters";
inline const wchar_t kStartupCache[] = L"Startup Cache";
inline const wchar_t kSearchJavaFolders[] = L"Search Java Folders";
inline const wchar_t kApplicationType[] = L"Application Type";
inline const wchar_t kOmitServiceName[] = L"Omit Service Name";
inline const wchar_t kSingleInstance[] = L"Single Instance";
inline const wchar_t kFailureCheck[] = L"Failure Check";
inline const wchar_t kOverrideWorkingDir[] = L"Override WorkingDir";
inline const wchar_t kPairProduct[] = L"Pair Product";
inline const wchar_t kPairReturnCode[] = L"Pair Return Code";
inline const wchar_t kEmbeddedJar[] = L"Embedded Jar";
inline const wchar_t kOutputFile[] = L"Output File";
inline const wchar_t kOutputAppend[] = L"Output Append";
inline const wchar_t kErrorFile[] = L"Error File";
inline const wchar_t kErrorAppend[] = L"Error Append";
inline const wchar_t kCmd[] = L"Cmd";
inline const wchar_t kClassPath[] = L"Class Path";
inline const wchar_t kModulePath[] = L"Module Path";
inline const wchar_t kSplashScreen[] = L"Splash Screen";
inline const wchar_t kSplashScreenShadow[] = L"Splash Screen Shadow";
inline const wchar_t kPreferNativeSplash[] = L"Preffer Native Splash Screen";
}  // namespace ini
