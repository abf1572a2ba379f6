// The console build's last step of the JRE search: one line on standard error in place of the
// JRE Not Found dialog.
#pragma once

#include <string>

#include "jre/JreSearch.h"

class JreNotFoundReport : public JreFolderChooser {
public:
    // `iniPath`: the INI file named in the line as the place for "JRE Path".
    explicit JreNotFoundReport(std::wstring iniPath) : iniPath_(std::move(iniPath)) {}

    // Writes which Java the application needs and where "JRE Path" is set; false (nothing chosen).
    bool Choose(const JreSettings& settings, std::wstring& home, std::wstring& jvmLibrary) override;

private:
    std::wstring iniPath_;
};
