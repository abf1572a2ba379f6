// A settings store that writes every value it hands out to the launch trace, with the name of the
// layer it came from. Wrapped around the INI stores only while the trace is on.
#pragma once

#include <string>

#include "base/SettingsStore.h"
#include "base/Trace.h"

class TracingStore : public SettingsStore {
public:
    TracingStore(SettingsStore& inner, const wchar_t* layer) : inner_(inner), layer_(layer) {}

    std::wstring GetString(const std::wstring& section, const std::wstring& key) override {
        std::wstring value = inner_.GetString(section, key);
        if (!value.empty()) {
            TraceLine(L"setting [" + section + L"] " + key + L" = \"" + value + L"\" from the " + layer_);
        }
        return value;
    }
    bool SetString(const std::wstring& section, const std::wstring& key, const std::wstring& value) override {
        return inner_.SetString(section, key, value);
    }

private:
    SettingsStore& inner_;
    const wchar_t* layer_;
};
