#include "launcher/SingleInstance.h"

#include "base/Thread.h"
#include "launcher/InstanceBlock.h"

namespace {

// A later start holds this mutex from writing the argument area until the first instance has
// copied the arguments out, so that starts at the same moment never overwrite each other.
const wchar_t kHandOverMutexSuffix[] = L"_upr_mtx";
// Followed by "_" and the later start's thread identifier: the event that the first instance's
// listener signals once it has copied that start's arguments. One event per start, so that a
// signal meant for a start that died after posting can never release the next one early.
const wchar_t kArgumentsTakenSuffix[] = L"_upr_ack";
const wchar_t kStartedEventSuffix[] = L"_upr_evt";
// How long a later start waits for the first instance to take its arguments.
const DWORD kHandOverTimeoutMs = 30000;
// How often a later start looks at the first instance while it waits for its answer.
const DWORD kFirstInstanceTickMs = 100;

std::wstring ArgumentsTakenEventName(const std::wstring& instanceName, DWORD laterThreadId) {
    return instanceName + kArgumentsTakenSuffix + L"_" + std::to_wstring(laterThreadId);
}

}  // namespace

bool SingleInstance::Setup(const std::wstring& modulePath, const std::vector<std::wstring>& arguments,
                           Deliver deliver) {
    name_ = InstanceNameFromPath(modulePath);
    deliver_ = std::move(deliver);
    mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceBlock),
                                      name_.c_str()));
    const DWORD mappingError = GetLastError();
    if (mapping_) view_.reset(MapViewOfFile(mapping_.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceBlock)));
    if (!view_) {
        mapping_.reset();
        return true;  // no single instance for this start
    }
    block_ = static_cast<InstanceBlock*>(view_.get());
    if (mappingError == 0) return SetupFirst(name_);
    isLater_ = true;
    return HandOver(name_, arguments);
}

bool SingleInstance::SetupFirst(const std::wstring& name) {
    startedEvent_.reset(CreateEventW(nullptr, TRUE, FALSE, (name + kStartedEventSuffix).c_str()));
    messageId_ = RegisterWindowMessageW(name.c_str());
    if (messageId_ == 0) return true;
    block_->messageId = messageId_;
    block_->processId = GetCurrentProcessId();
    UniqueHandle queueReady(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!queueReady) return true;
    HANDLE ready = queueReady.get();
    listenerThread_ = StartThread([this, ready] { return Listen(ready); }, 0, 0, &listenerThreadId_);
    if (!listenerThread_) return true;
    // Later starts find the thread identifier only once the thread can take their posts.
    HANDLE readyOrEnded[] = {queueReady.get(), listenerThread_.get()};
    WaitForMultipleObjects(2, readyOrEnded, FALSE, INFINITE);
    block_->listenerThreadId = listenerThreadId_;
    isFirst_ = true;
    return true;
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
        try {
            arguments = ReadForwardedArguments(*block_);
            copied = true;
        } catch (...) {  // out of memory: this start gets no answer, the listener goes on
        }
        UniqueHandle taken(OpenEventW(EVENT_MODIFY_STATE, FALSE, ArgumentsTakenEventName(name_, laterThreadId).c_str()));
        if (taken) SetEvent(taken.get());
        if (!copied) continue;
        const UINT messageId = messageId_;
        HANDLE started = startedEvent_.get();
        const Deliver& deliver = deliver_;
        StartThread([&deliver, started, messageId, laterThreadId, arguments = std::move(arguments)] {
            WaitForSingleObject(started, INFINITE);
            deliver(arguments, [messageId, laterThreadId](int32_t answer) {
                PostThreadMessageW(laterThreadId, messageId, static_cast<WPARAM>(static_cast<DWORD>(answer)), 0);
            });
            return 0;
        });
    }
    return 0;
}

bool SingleInstance::HandOver(const std::wstring& name, const std::vector<std::wstring>& arguments) {
    // The answer is posted to this thread, which therefore needs a queue now.
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    UniqueHandle handOver(CreateMutexW(nullptr, FALSE, (name + kHandOverMutexSuffix).c_str()));
    UniqueHandle argumentsTaken(
        CreateEventW(nullptr, FALSE, FALSE, ArgumentsTakenEventName(name, GetCurrentThreadId()).c_str()));
    if (handOver) {
        const DWORD wait = WaitForSingleObject(handOver.get(), kHandOverTimeoutMs);
        if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) handOver.reset();  // go on unserialised
    }
    ScopeExit release([&handOver] {
        if (handOver) ReleaseMutex(handOver.get());
    });
    firstProcessId_ = block_->processId;
    messageId_ = block_->messageId;
    if (!WriteForwardedArguments(arguments, GetCurrentThreadId(), *block_)) return false;
    if (!PostThreadMessageW(block_->listenerThreadId, messageId_, GetCurrentThreadId(), 0)) return false;
    if (argumentsTaken) WaitForSingleObject(argumentsTaken.get(), kHandOverTimeoutMs);
    return true;
}

void SingleInstance::MainStarted() {
    if (startedEvent_) SetEvent(startedEvent_.get());
}

int32_t SingleInstance::WaitForFirstInstance() {
    // SYNCHRONIZE to wait on the process; without it every wait fails at once and the loop spins.
    UniqueHandle first(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, firstProcessId_));
    if (!first) first.reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, firstProcessId_));
    if (!first) return 0;
    const UINT messageId = messageId_;
    HANDLE process = first.get();
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
    startedEvent_.reset();
    view_.reset();
    block_ = nullptr;
    mapping_.reset();
}
