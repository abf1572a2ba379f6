// Single instance: the first start of an executable listens for later starts; a later start hands
// its arguments to the first one's application and ends with its answer.
//
// What counts as the same executable: the same file, by its canonical long path compared as
// Windows compares file names. A later start hands over only to a live process of that file, run
// by the same user, whose listener thread is its own; a block that anyone else holds is passed
// over for the next of kInstanceSlots blocks, so that nobody can capture or block the start.
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
    // Called on a thread of its own, once the application's main has started; Stop waits for it.
    using Deliver = std::function<void(const std::vector<std::wstring>& arguments,
                                       const std::function<void(int32_t)>& answer)>;

    SingleInstance() = default;
    ~SingleInstance() { Stop(); }
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Claims or joins the executable's instance. A first instance starts listening; a later start
    // hands over `arguments`, however many. When the shared objects cannot be had the start runs
    // on its own (neither first nor later). False only when a later start could not hand over;
    // the user has then been told.
    bool Setup(const std::wstring& modulePath, const std::vector<std::wstring>& arguments, Deliver deliver);

    bool IsLater() const { return isLater_; }

    // The first instance's application has reached main: later starts may be delivered.
    void MainStarted();

    // A later start: waits for the first instance's answer or end. Its exit code.
    int32_t WaitForFirstInstance();

    // Ends the listener, waits for the delivery threads (those still waiting for main give up) and
    // lets go of the shared objects. Call once the VM takes no more deliveries.
    void Stop();

private:
    enum class Claim { First, Later, Passed, Alone };

    bool MapBlock(UniqueHandle mapping, const std::wstring& name);
    void ReleaseBlock();
    Claim JoinSlot(const std::wstring& name);
    Claim ClaimSlot(const std::wstring& name);
    Claim SetupFirst();
    bool FirstInstanceIsGenuine();
    bool IsThisProgram(HANDLE process) const;
    bool HandOver(const std::vector<std::wstring>& arguments);
    bool HandOverFailed(DWORD error);
    bool TakeArguments(DWORD writerThreadId, std::vector<std::wstring>& arguments) const;
    DWORD Listen(HANDLE queueReady);
    void ForgetEndedDeliveries();

    bool isFirst_ = false;
    bool isLater_ = false;
    std::wstring programKey_;  // this executable's canonical path, folded
    std::wstring name_;        // the block's name, the base of its companion objects' names
    UniqueHandle mapping_;
    UniqueViewOfFile view_;
    InstanceBlock* block_ = nullptr;
    UniqueHandle startedEvent_;
    UniqueHandle stopping_;  // set by Stop: deliveries that still wait for main give up
    UniqueHandle listenerThread_;
    std::vector<UniqueHandle> deliveries_;  // the listener's delivery threads, joined by Stop
    // The first instance's own copies: the shared block can be written by any process.
    DWORD listenerThreadId_ = 0;
    UINT messageId_ = 0;
    // A later start: the first instance as checked, held from the check on.
    UniqueHandle firstProcess_;
    Deliver deliver_;
};
