#include "runtime/JvmProbe.h"

namespace {

const JvmProbeStep kServerSteps[] = {
    {L"bin\\server\\jvm.dll", true},
};

// The server library first, then the default order (whose server step repeats the first one).
const JvmProbeStep kFavorServerSteps[] = {
    {L"bin\\server\\jvm.dll", true},   {L"bin\\client\\jvm.dll", false}, {L"bin\\classic\\jvm.dll", false},
    {L"bin\\hotspot\\jvm.dll", false}, {L"bin\\server\\jvm.dll", true},  {L"bin\\jrockit\\jvm.dll", false},
};

const JvmProbeStep* const kDefaultSteps = kFavorServerSteps + 1;
constexpr size_t kDefaultStepCount = sizeof kFavorServerSteps / sizeof kFavorServerSteps[0] - 1;

}  // namespace

const JvmProbeStep* JvmProbeSteps(JvmType type, size_t& count) {
    switch (type) {
    case JvmType::Server:
        count = sizeof kServerSteps / sizeof kServerSteps[0];
        return kServerSteps;
    case JvmType::FavorServer:
        count = sizeof kFavorServerSteps / sizeof kFavorServerSteps[0];
        return kFavorServerSteps;
    case JvmType::Default:
        break;
    }
    count = kDefaultStepCount;
    return kDefaultSteps;
}

JvmProbeResult ProbeJvmLibrary(RuntimeFiles& files, const std::wstring& home, JvmType type) {
    size_t count = 0;
    const JvmProbeStep* steps = JvmProbeSteps(type, count);
    JvmProbeResult result;
    for (size_t i = 0; i < count; ++i) {
        std::wstring path = home + steps[i].subPath;
        if (files.FileExists(path)) {
            result.library = std::move(path);
            result.server = steps[i].server;
            break;
        }
    }
    return result;
}

bool HasJavaLibrary(RuntimeFiles& files, const std::wstring& home) {
    return files.FileExists(home + L"bin\\java.dll");
}

std::wstring WithTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path;
    return path + L'\\';
}
