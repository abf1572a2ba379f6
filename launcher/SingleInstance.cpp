#include "launcher/SingleInstance.h"

#include "base/DecimalText.h"

#include <cstring>

#include "base/CatchAll.h"
#include "base/ErrorBox.h"
#include "base/FileIdentity.h"
#include "base/Thread.h"
#include "base/Trace.h"
#include "base/Win32Text.h"
#include "launcher/InstanceBlock.h"
#include "resources/resource.h"

namespace {

// A later start holds this mutex from writing the argument area until the first instance has
// copied the arguments out, so that starts at the same moment never overwrite each other.
const wchar_t kHandOverMutexSuffix[] = L"_upr_mtx";
// Followed by "_" and the later start's thread identifier: the event that the first instance's
// listener signals once it has copied that start's arguments. One event per start, so that a
// signal meant for a start that died after posting can never release the next one early.
const wchar_t kArgumentsTakenSuffix[] = L"_upr_ack";
// How long a later start waits for the first instance to take its arguments.
const DWORD kHandOverTimeoutMs = 30000;
// How often a later start looks at the first instance while it waits for its answer.
const DWORD kFirstInstanceTickMs = 100;
// A first instance writes its process at once after creating the block and its listener moments
// later; a block that stays without them this long is not a first instance's.
const DWORD kProcessWaitMs = 2000;
const DWORD kListenerWaitMs = 10000;

std::wstring ArgumentsTakenEventName(const std::wstring& instanceName, DWORD laterThreadId) {
    return instanceName + kArgumentsTakenSuffix + L"_" + DecimalText(laterThreadId);
}

// Any process may write the block at any time: each field is read once, as it is now.
uint32_t Peek(const uint32_t& field) { return *static_cast<const volatile uint32_t*>(&field); }

bool QueryTokenUser(HANDLE process, std::vector<BYTE>& buffer) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token)) return false;
    UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return false;
    buffer.assign(size, 0);
    return GetTokenInformation(token, TokenUser, buffer.data(), size, &size) != FALSE;
}

// The same user runs `process` as runs this one.
bool IsOwnUser(HANDLE process) {
    std::vector<BYTE> theirs, ours;
    if (!QueryTokenUser(process, theirs) || !QueryTokenUser(GetCurrentProcess(), ours)) return false;
    return EqualSid(reinterpret_cast<TOKEN_USER*>(theirs.data())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(ours.data())->User.Sid) != FALSE;
}

bool ProcessImagePath(HANDLE process, std::wstring& path) {
    return FillBuffer(path, MAX_PATH + 1, [process](wchar_t* buffer, size_t capacity) -> long long {
        DWORD size = static_cast<DWORD>(capacity);
        if (QueryFullProcessImageNameW(process, 0, buffer, &size)) return size;  // without the NUL
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? static_cast<long long>(capacity) : -1;
    });
}

}  // namespace

bool SingleInstance::Setup(const std::wstring& modulePath, const std::vector<std::wstring>& arguments,
                           Deliver deliver) {
    deliver_ = std::move(deliver);
    programKey_ = FileKey(modulePath);
    const std::wstring base = InstanceNameFromCanonicalPath(programKey_);
    // A first instance may run in any block: the ones before it were held by others when it came.
    for (unsigned slot = 0; slot < kInstanceSlots; ++slot) {
        if (JoinSlot(InstanceSlotName(base, slot)) == Claim::Later) return HandOver(arguments);
    }
    for (unsigned slot = 0; slot < kInstanceSlots; ++slot) {
        switch (ClaimSlot(InstanceSlotName(base, slot))) {
            case Claim::First: return true;
            case Claim::Later: return HandOver(arguments);
            case Claim::Alone: return true;
            case Claim::Passed: break;
        }
    }
    return true;  // every block is held by others: this start runs on its own
}

bool SingleInstance::MapBlock(UniqueHandle mapping, const std::wstring& name) {
    // A mapping smaller than a block (made by someone else) cannot be mapped whole: passed over.
    UniqueViewOfFile view(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceBlock)));
    if (!view) return false;
    mapping_ = std::move(mapping);
    view_ = std::move(view);
    block_ = static_cast<InstanceBlock*>(view_.get());
    name_ = name;
    return true;
}

void SingleInstance::ReleaseBlock() {
    view_.reset();
    block_ = nullptr;
    mapping_.reset();
    firstProcess_.reset();
}

SingleInstance::Claim SingleInstance::JoinSlot(const std::wstring& name) {
    UniqueHandle mapping(OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str()));
    if (!mapping || !MapBlock(std::move(mapping), name)) return Claim::Passed;
    if (FirstInstanceIsGenuine()) return Claim::Later;
    ReleaseBlock();
    return Claim::Passed;
}

SingleInstance::Claim SingleInstance::ClaimSlot(const std::wstring& name) {
    UniqueHandle mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceBlock),
                                            name.c_str()));
    const DWORD error = GetLastError();
    if (!mapping || !MapBlock(std::move(mapping), name)) return Claim::Passed;
    if (error != ERROR_ALREADY_EXISTS) return SetupFirst();
    if (FirstInstanceIsGenuine()) return Claim::Later;
    ReleaseBlock();
    return Claim::Passed;
}

SingleInstance::Claim SingleInstance::SetupFirst() {
    // The process first: a later start that opens the block now knows whom to wait for.
    block_->processId = GetCurrentProcessId();
    // Only this process waits for them: no name, so that no one else can make, signal or block
    // them beforehand.
    startedEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    stopping_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!startedEvent_ || !stopping_) {
        // Without them a delivery could not wait for main: no single instance for this start.
        if (TraceOn()) TraceLine(L"instance: no event for the start of main (error " + DecimalText(GetLastError()) +
                                 L"): this start runs on its own");
        startedEvent_.reset();
        stopping_.reset();
        ReleaseBlock();
        return Claim::Alone;
    }
    messageId_ = RegisterWindowMessageW(name_.c_str());
    UniqueHandle queueReady(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (messageId_ != 0 && queueReady) {
        block_->messageId = messageId_;
        HANDLE ready = queueReady.get();
        listenerThread_ = StartThread([this, ready] { return Listen(ready); }, 0, 0, &listenerThreadId_);
    }
    if (!listenerThread_) {
        startedEvent_.reset();
        stopping_.reset();
        ReleaseBlock();
        return Claim::Alone;
    }
    // Later starts find the thread identifier only once the thread can take their posts.
    HANDLE readyOrEnded[] = {queueReady.get(), listenerThread_.get()};
    WaitForMultipleObjects(2, readyOrEnded, FALSE, INFINITE);
    block_->listenerThreadId = listenerThreadId_;
    isFirst_ = true;
    return Claim::First;
}

bool SingleInstance::FirstInstanceIsGenuine() {
    DWORD processId = 0;
    const ULONGLONG processDeadline = GetTickCount64() + kProcessWaitMs;
    while ((processId = Peek(block_->processId)) == 0) {
        if (GetTickCount64() >= processDeadline) return false;
        Sleep(10);
    }
    UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) process.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
    if (!process || WaitForSingleObject(process.get(), 0) != WAIT_TIMEOUT) return false;
    if (!IsThisProgram(process.get()) || !IsOwnUser(process.get())) return false;

    // The message is this executable's; the listener must be a thread of that process.
    const UINT messageId = RegisterWindowMessageW(name_.c_str());
    if (messageId == 0) return false;
    DWORD listenerId = 0;
    const ULONGLONG listenerDeadline = GetTickCount64() + kListenerWaitMs;
    while ((listenerId = Peek(block_->listenerThreadId)) == 0 || Peek(block_->messageId) != messageId) {
        if (GetTickCount64() >= listenerDeadline || WaitForSingleObject(process.get(), 10) != WAIT_TIMEOUT) {
            return false;
        }
    }
    UniqueHandle listener(OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, listenerId));
    if (!listener) listener.reset(OpenThread(THREAD_QUERY_INFORMATION, FALSE, listenerId));
    if (!listener || GetProcessIdOfThread(listener.get()) != processId) return false;
    listenerThreadId_ = listenerId;
    messageId_ = messageId;
    firstProcess_ = std::move(process);
    return true;
}

bool SingleInstance::IsThisProgram(HANDLE process) const {
    std::wstring image;
    return ProcessImagePath(process, image) && FileKey(image) == programKey_;
}

bool SingleInstance::HandOverFailed(DWORD error) {
    ShowFormattedError(IDS_INSTANCE_HAND_OVER_FAILED, {SystemErrorText(error) + L" (" + DecimalText(error) + L")"});
    return false;
}

DWORD SingleInstance::Listen(HANDLE queueReady) {
    MSG message;
    // A post to a thread without a queue fails: make it before the thread is made known.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(queueReady);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != messageId_) continue;
        // Copy the arguments out before the next start may write the area.
        const DWORD laterThreadId = static_cast<DWORD>(message.wParam & 0xffffffffu);
        // A start that died after posting has had its arguments overwritten by the next one:
        // nobody waits for its answer, and the next start's arguments are delivered once.
        const uint32_t writer = ForwardedArgumentsWriter(*block_);
        if (writer != 0 && writer != laterThreadId) continue;
        std::vector<std::wstring> arguments;
        bool copied = false;
        MARLWICK_TRY {
            copied = TakeArguments(laterThreadId, arguments);
        } MARLWICK_CATCH_ALL {  // out of memory: this start gets no answer, the listener goes on
        }
        // Only arguments really taken are acknowledged: otherwise the start reports its failure.
        if (!copied) continue;
        UniqueHandle taken(OpenEventW(EVENT_MODIFY_STATE, FALSE, ArgumentsTakenEventName(name_, laterThreadId).c_str()));
        if (taken) SetEvent(taken.get());
        const UINT messageId = messageId_;
        HANDLE startedOrStopping[] = {startedEvent_.get(), stopping_.get()};
        const Deliver& deliver = deliver_;
        // Stop joins every delivery before the events and `deliver_` go.
        UniqueHandle delivery = StartThread([&deliver, startedOrStopping, messageId, laterThreadId,
                                             arguments = std::move(arguments)] {
            if (WaitForMultipleObjects(2, startedOrStopping, FALSE, INFINITE) != WAIT_OBJECT_0) return 0;
            deliver(arguments, [messageId, laterThreadId](int32_t answer) {
                PostThreadMessageW(laterThreadId, messageId, static_cast<WPARAM>(static_cast<DWORD>(answer)), 0);
            });
            return 0;
        });
        ForgetEndedDeliveries();
        if (delivery) deliveries_.push_back(std::move(delivery));
    }
    return 0;
}

void SingleInstance::ForgetEndedDeliveries() {
    size_t kept = 0;
    for (size_t i = 0; i < deliveries_.size(); ++i) {
        if (WaitForSingleObject(deliveries_[i].get(), 0) == WAIT_TIMEOUT) deliveries_[kept++] = std::move(deliveries_[i]);
    }
    deliveries_.resize(kept);
}

bool SingleInstance::TakeArguments(DWORD writerThreadId, std::vector<std::wstring>& arguments) const {
    const uint32_t size = ArgumentsElsewhereSize(*block_);
    if (size == 0) {
        arguments = ReadForwardedArguments(*block_);
        return true;
    }
    if (size > kMaxArgumentBytes) return false;
    UniqueHandle mapping(
        OpenFileMappingW(FILE_MAP_READ, FALSE, ArgumentsMappingName(name_, writerThreadId).c_str()));
    if (!mapping) return false;
    // Fails when the mapping is smaller than it is said to be.
    UniqueViewOfFile view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, size));
    if (!view) return false;
    arguments = DecodeArguments(static_cast<const uint8_t*>(view.get()), size, ForwardedArgumentCount(*block_));
    return true;
}

bool SingleInstance::HandOver(const std::vector<std::wstring>& arguments) {
    isLater_ = true;
    // The answer is posted to this thread, which therefore needs a queue now.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const DWORD self = GetCurrentThreadId();
    UniqueHandle handOver(CreateMutexW(nullptr, FALSE, (name_ + kHandOverMutexSuffix).c_str()));
    UniqueHandle argumentsTaken(CreateEventW(nullptr, FALSE, FALSE, ArgumentsTakenEventName(name_, self).c_str()));
    if (!argumentsTaken) return HandOverFailed(GetLastError());
    // One made beforehand by someone else could be signalled by them: this start would take its
    // arguments for delivered.
    if (GetLastError() == ERROR_ALREADY_EXISTS) return HandOverFailed(ERROR_ALREADY_EXISTS);
    if (handOver) {
        const DWORD wait = WaitForSingleObject(handOver.get(), kHandOverTimeoutMs);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) handOver.reset();  // go on unserialised
    }
    ScopeExit release([&handOver] {
        if (handOver) ReleaseMutex(handOver.get());
    });
    // A list too long for the block travels in a mapping of this start's own, named after its
    // thread, which lives until the first instance has taken the list.
    UniqueHandle besideMapping;
    UniqueViewOfFile besideView;
    if (!WriteForwardedArguments(arguments, self, *block_)) {
        std::vector<uint8_t> bytes;
        MARLWICK_TRY {
            bytes = EncodeArguments(arguments);
        } MARLWICK_CATCH_ALL {
            return HandOverFailed(ERROR_NOT_ENOUGH_MEMORY);
        }
        if (bytes.size() > kMaxArgumentBytes) return HandOverFailed(ERROR_FILENAME_EXCED_RANGE);
        const auto size = static_cast<DWORD>(bytes.size());
        HANDLE made = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size,
                                         ArgumentsMappingName(name_, self).c_str());
        const DWORD error = GetLastError();
        besideMapping.reset(made);
        if (!besideMapping) return HandOverFailed(error);
        // One made beforehand by someone else is not this start's to fill.
        if (error == ERROR_ALREADY_EXISTS) return HandOverFailed(error);
        besideView.reset(MapViewOfFile(besideMapping.get(), FILE_MAP_WRITE, 0, 0, size));
        if (!besideView) return HandOverFailed(GetLastError());
        std::memcpy(besideView.get(), bytes.data(), size);
        WriteArgumentsElsewhere(static_cast<uint32_t>(arguments.size()), size, self, *block_);
    }
    if (!PostThreadMessageW(listenerThreadId_, messageId_, self, 0)) return HandOverFailed(GetLastError());
    // Wait for the arguments to be taken, or for the first instance to end before it took them.
    HANDLE takenOrEnded[] = {argumentsTaken.get(), firstProcess_.get()};
    const DWORD taken = WaitForMultipleObjects(2, takenOrEnded, FALSE, kHandOverTimeoutMs);
    if (taken == WAIT_OBJECT_0) return true;
    return HandOverFailed(taken == WAIT_OBJECT_0 + 1 ? ERROR_PROCESS_ABORTED : ERROR_TIMEOUT);
}

void SingleInstance::MainStarted() {
    if (startedEvent_) SetEvent(startedEvent_.get());
}

int32_t SingleInstance::WaitForFirstInstance() {
    if (!firstProcess_) return -1;
    const UINT messageId = messageId_;
    HANDLE process = firstProcess_.get();
    auto takeAnswer = [messageId](int32_t& answer) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == messageId) {
                answer = static_cast<int32_t>(static_cast<DWORD>(message.wParam & 0xffffffffu));
                return true;
            }
        }
        return false;
    };
    for (;;) {
        int32_t answer = 0;
        if (takeAnswer(answer)) return answer;
        DWORD exitCode = 0;
        // When the first instance's state cannot be read, no answer can be waited for: -1.
        if (!GetExitCodeProcess(process, &exitCode)) return -1;
        if (exitCode != STILL_ACTIVE) {
            // It may have answered just before it ended.
            return takeAnswer(answer) ? answer : static_cast<int32_t>(exitCode);
        }
        // Wake for the answer at once, or for the first instance's end, or at the tick. A wait
        // that fails still takes its tick, so that nothing here turns into a busy loop.
        if (MsgWaitForMultipleObjects(1, &process, FALSE, kFirstInstanceTickMs, QS_POSTMESSAGE) == WAIT_FAILED) {
            Sleep(kFirstInstanceTickMs);
        }
    }
}

void SingleInstance::Stop() {
    if (listenerThread_) {
        // Post until the thread has ended: a post before its queue exists is lost.
        while (WaitForSingleObject(listenerThread_.get(), 0) == WAIT_TIMEOUT) {
            PostThreadMessageW(listenerThreadId_, WM_QUIT, 0, 0);
            if (WaitForSingleObject(listenerThread_.get(), 50) == WAIT_FAILED) break;
        }
        listenerThread_.reset();
    }
    // The listener has ended: no delivery starts any more. Those still waiting for main give up;
    // those in the application have been waited for when the VM stopped taking them.
    if (stopping_) SetEvent(stopping_.get());
    for (UniqueHandle& delivery : deliveries_) WaitForSingleObject(delivery.get(), INFINITE);
    deliveries_.clear();
    startedEvent_.reset();
    stopping_.reset();
    ReleaseBlock();
}
