// A modular start as the runtime's own java.exe describes it to the virtual machine: the main
// module and its class, and the module options whose value java.exe takes as a separate argument.
// No <windows.h>.
#pragma once

#include <string>
#include <vector>

// "Main Module" as `java -m` takes it: a module name, optionally "/" and a class name.
struct MainModuleName {
    std::wstring module;     // "com.example.app"
    std::wstring mainClass;  // "com.example.app.Main" (dots), empty: the module's ModuleMainClass
};

// True for a dotted sequence of Java identifiers ("com.example.app"): each part starts with a
// letter, "_" or "$" and goes on with those or digits (characters beyond ASCII count as letters).
bool IsQualifiedJavaName(const std::wstring& text);

// False for anything but "module" or "module/class" with qualified names on both sides: a slash
// without a class, a second slash, spaces, a name that is no Java identifier.
bool ParseMainModule(const std::wstring& text, MainModuleName& out);

// What "Main Module" gives java.exe's -m: "module" or "module/class".
std::wstring MainModuleText(const MainModuleName& name);

// java.exe takes these options with their value as the next argument and hands the VM one option
// "--name=value"; the VM itself only knows that form. Joins such pairs in the tokens of "Virtual
// Machine Parameters" ("-p" becomes "--module-path="). An option last in the list stays alone, and
// the VM refuses it as java.exe would.
void JoinModuleOptionValues(std::vector<std::wstring>& tokens);

// The VM options of the main module that java.exe adds after the user's: "--module-path=" (only
// with a module path) and "-Djdk.module.main=<module>".
std::vector<std::wstring> MainModuleOptions(const std::wstring& module, const std::wstring& modulePath);
