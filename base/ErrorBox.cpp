#include "base/ErrorBox.h"

#include "base/BuildVariant.h"
#include "base/Resources.h"
#include "base/StandardError.h"

#include <atomic>

namespace {

std::atomic<HWND> errorBoxOwner{nullptr};

}  // namespace

void SetErrorBoxOwner(HWND owner) { errorBoxOwner.store(owner); }

HWND ErrorBoxOwner() {
    const HWND owner = errorBoxOwner.load();
    return owner != nullptr && IsWindow(owner) ? owner : nullptr;
}

int ShowErrorBox(HWND owner, const std::wstring& text) {
    if (IsConsoleBuild()) {
        WriteStandardErrorLine(text);  // no window in the console build: as if OK was pressed
        return IDOK;
    }
    return MessageBoxW(owner, text.c_str(), nullptr, MB_ICONERROR);
}

int ShowErrorBox(HWND owner, UINT textId) { return ShowErrorBox(owner, LoadResourceString(textId)); }

int ShowFormattedError(HWND owner, UINT templateId, const std::vector<ErrorArg>& args) {
    std::vector<ErrorArg> loaded;
    loaded.reserve(args.size());
    for (const ErrorArg& arg : args) {
        loaded.push_back(arg.kind == ErrorArg::Kind::StringId
                             ? ErrorArg(LoadResourceString(static_cast<UINT>(arg.number)))
                             : arg);
    }
    return ShowErrorBox(owner, FormatMessageTemplate(LoadResourceString(templateId), loaded));
}

int ShowErrorBox(UINT textId) { return ShowErrorBox(ErrorBoxOwner(), textId); }

int ShowFormattedError(UINT templateId, const std::vector<ErrorArg>& args) {
    return ShowFormattedError(ErrorBoxOwner(), templateId, args);
}
