// Single instance: the first start of an executable listens for later starts; a later start hands
// its arguments to the first one's application and ends with its answer.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/UniqueResource.h"

struct InstanceBlock;

class SingleInstance {
public:
    // Gives a later start's arguments to the application; `answer` takes that start's exit code.
    // Called on a thread of its own, once the application's main has started.
    using Deliver = std::function<void(const std::vector<std::wstring>& arguments,
                                       const std::function<void(int32_t)>& answer)>;

    SingleInstance() = default;
    ~SingleInstance() { Stop(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Claims or joins the executable's instance. A first instance starts listening; a later start
    // hands over `arguments`. When the shared objects cannot be had the start runs on its own
    // (neither first nor later). False only when a later start could not hand over.
    bool Setup(const std::wstring& modulePath, const std::vector<std::wstring>& arguments, Deliver deliver);

    bool IsFirst() const { return isFirst_; }
    bool IsLater() const { return isLater_; }

    // The first instance's application has reached main: later starts may be delivered.
    void MainStarted();

    // A later start: waits for the first instance's answer or end. Its exit code.
    int32_t WaitForFirstInstance();

    // Ends the listener and lets go of the shared objects.
    void Stop();

private:
    bool SetupFirst(const std::wstring& name);
    bool HandOver(const std::wstring& name, const std::vector<std::wstring>& arguments);
    DWORD Listen(HANDLE queueReady);

    bool isFirst_ = false;
    bool isLater_ = false;
    std::wstring name_;
    UniqueHandle mapping_;
    UniqueViewOfFile view_;
    InstanceBlock* block_ = nullptr;
    UniqueHandle startedEvent_;
    UniqueHandle listenerThread_;
    // The first instance's own copies: the shared block can be written by any process.
    DWORD listenerThreadId_ = 0;
    UINT messageId_ = 0;
    DWORD firstProcessId_ = 0;
    Deliver deliver_;
};
