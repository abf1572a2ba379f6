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
    const int answer = MessageBoxW(owner, text.c_str(), nullptr, MB_ICONERROR);
    // The owner can be destroyed between the caller's look at it and the box (the splash window
    // closed from outside): the box then fails (0; Wine 8 answers -1), and is shown without one.
    if (answer <= 0 && owner != nullptr) return MessageBoxW(nullptr, text.c_str(), nullptr, MB_ICONERROR);
    return answer;
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
