// Single instance: a later start of the same executable hands its arguments to the first one's
// secondaryMain and exits with its answer.
#include <windows.h>

#include <memory>

#include "jvm/JavaMain.h"
#include "base/IniFile.h"
#include "launcher/InstanceBlock.h"
#include "launcher/Launcher.h"
#include "base/Win32Text.h"

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

std::wstring ArgumentsTakenEventName(const std::wstring& instanceName, DWORD laterThreadId) {
    return instanceName + kArgumentsTakenSuffix + L"_" + std::to_wstring(laterThreadId);
}

struct Listener {
    Launcher* launcher;
    std::wstring instanceName;
    HANDLE queueReady;  // set once the thread has its message queue; owned by the starting thread
};

struct Delivery {
    Launcher* launcher;
    DWORD laterThreadId;
    std::vector<std::wstring> arguments;
};

// Calls secondaryMain of the main class with a later start's arguments and posts the answer.
DWORD DeliverToJava(std::unique_ptr<Delivery> delivery) {
    Launcher& launcher = *delivery->launcher;
    WaitForSingleObject(launcher.startedEvent.get(), INFINITE);

    JNIEnv* env = nullptr;
    if (launcher.javaVM == nullptr ||
        launcher.javaVM->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return 0;
    }
    const UINT messageId = launcher.instanceBlock->messageId;
    jclass mainClass = env->FindClass(ToThreadAnsi(launcher.settings.mainClass).c_str());
    if (mainClass != nullptr) {
        bool returnsInt = false;
        jmethodID method = env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)V");
        if (env->ExceptionOccurred() != nullptr) env->ExceptionClear();
        if (method == nullptr) {
            method = env->GetStaticMethodID(mainClass, "secondaryMain", "([Ljava/lang/String;)I");
            returnsInt = true;
        }
        jobjectArray args = method != nullptr ? NewStringArray(env, delivery->arguments) : nullptr;
        if (args != nullptr) {
            if (returnsInt) {
                const jint answer = env->CallStaticIntMethod(mainClass, method, args);
                PostThreadMessageW(delivery->laterThreadId, messageId, static_cast<WPARAM>(static_cast<DWORD>(answer)), 0);
            } else {
                PostThreadMessageW(delivery->laterThreadId, messageId, 0, 0);
                env->CallStaticVoidMethod(mainClass, method, args);
            }
        }
    }
    if (env->ExceptionOccurred() != nullptr) env->ExceptionDescribe();
    if (!launcher.settings.ibmAllowed && !launcher.settings.ibmFavoured) launcher.javaVM->DetachCurrentThread();
    return 0;
}

DWORD WINAPI DeliverSecondaryLaunch(LPVOID parameter) {
    std::unique_ptr<Delivery> delivery(static_cast<Delivery*>(parameter));
    try {
        return DeliverToJava(std::move(delivery));
    } catch (...) {  // nothing may unwind into the system's thread start
        return 0;
    }
}

DWORD WINAPI ListenForLaunches(LPVOID parameter) {
    const std::unique_ptr<Listener> listener(static_cast<Listener*>(parameter));
    Launcher& launcher = *listener->launcher;
    const UINT messageId = launcher.instanceBlock->messageId;
    MSG message;
    // A post to a thread without a queue fails: make it before the thread is made known.
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(listener->queueReady);
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message != messageId) continue;
        // Copy the arguments out before the next start may write the area.
        const DWORD laterThreadId = static_cast<DWORD>(message.wParam & 0xffffffffu);
        // A start that died after posting has had its arguments overwritten by the next one:
        // nobody waits for its answer, and the next start's arguments are delivered once.
        const uint32_t writer = ForwardedArgumentsWriter(*launcher.instanceBlock);
        if (writer != 0 && writer != laterThreadId) continue;
        std::unique_ptr<Delivery> delivery;
        UniqueHandle taken;
        try {
            delivery.reset(new Delivery{&launcher, laterThreadId, ReadForwardedArguments(*launcher.instanceBlock)});
            taken.reset(OpenEventW(EVENT_MODIFY_STATE, FALSE,
                                   ArgumentsTakenEventName(listener->instanceName, laterThreadId).c_str()));
        } catch (...) {  // out of memory: this start gets no answer, the listener goes on
        }
        if (taken) SetEvent(taken.get());
        if (!delivery) continue;
        UniqueHandle thread(CreateThread(nullptr, 0, DeliverSecondaryLaunch, delivery.get(), 0, nullptr));
        if (thread) delivery.release();
    }
    return 0;
}

}  // namespace

bool Launcher::SetupSingleInstance() {
    std::wstring iniPath;
    if (!GetIniPath(iniPath)) return true;
    {
        LayeredIniFile ini(iniPath);
        if (ini.GetString(ini::kApplicationSection, ini::kApplicationType) == L"service") return true;
        settings.singleInstance = ini.GetString(ini::kApplicationSection, ini::kSingleInstance) == L"yes";
    }
    if (!settings.singleInstance) return true;

    std::wstring modulePath;
    if (!GetModulePath(modulePath)) {
        settings.singleInstance = false;
        return true;
    }
    const std::wstring name = InstanceNameFromPath(modulePath);
    instanceMapping.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             sizeof(InstanceBlock), name.c_str()));
    const DWORD mappingError = GetLastError();
    isFirstInstance = instanceMapping && mappingError == 0;
    if (instanceMapping) {
        instanceView.reset(MapViewOfFile(instanceMapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceBlock)));
    }
    if (!instanceView) {
        settings.singleInstance = false;
        isFirstInstance = false;
        instanceMapping.reset();
        return true;
    }
    instanceBlock = static_cast<InstanceBlock*>(instanceView.get());

    if (isFirstInstance) {
        startedEvent.reset(CreateEventW(nullptr, TRUE, FALSE, (name + kStartedEventSuffix).c_str()));
        const UINT messageId = RegisterWindowMessageW(name.c_str());
        if (messageId == 0) {
            settings.singleInstance = false;
            return true;
        }
        instanceBlock->messageId = messageId;
        instanceBlock->processId = GetCurrentProcessId();
        DWORD threadId = 0;
        UniqueHandle queueReady(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        auto* listener = new Listener{this, name, queueReady.get()};
        if (queueReady) listenerThread.reset(CreateThread(nullptr, 0, ListenForLaunches, listener, 0, &threadId));
        if (!listenerThread) {
            delete listener;
            settings.singleInstance = false;
            return true;
        }
        // Later starts find the thread identifier only once the thread can take their posts.
        HANDLE readyOrEnded[] = {queueReady.get(), listenerThread.get()};
        WaitForMultipleObjects(2, readyOrEnded, FALSE, INFINITE);
        instanceBlock->listenerThreadId = threadId;
        return true;
    }

    // A later start. Its answer is posted to this thread, which therefore needs a queue now.
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
    if (!WriteForwardedArguments(arguments, GetCurrentThreadId(), *instanceBlock)) return false;
    if (!PostThreadMessageW(instanceBlock->listenerThreadId, instanceBlock->messageId, GetCurrentThreadId(), 0)) {
        return false;
    }
    if (argumentsTaken) WaitForSingleObject(argumentsTaken.get(), kHandOverTimeoutMs);
    return true;
}

int32_t Launcher::WaitForFirstInstance() {
    UniqueHandle first(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, instanceBlock->processId));
    if (!first) return 0;
    const UINT messageId = instanceBlock->messageId;
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
        // Wake for the answer at once, or for the first instance's end, or after 100 ms.
        MsgWaitForMultipleObjects(1, &process, FALSE, 100, QS_POSTMESSAGE);
    }
}

void Launcher::StopListener() {
    if (settings.singleInstance && isFirstInstance && listenerThread) {
        // Post until the thread has ended: a post before its queue exists is lost.
        while (WaitForSingleObject(listenerThread.get(), 0) == WAIT_TIMEOUT) {
            PostThreadMessageW(instanceBlock->listenerThreadId, WM_QUIT, 0, 0);
            WaitForSingleObject(listenerThread.get(), 50);
        }
    }
    if (settings.singleInstance) {
        instanceView.reset();
        instanceBlock = nullptr;
        instanceMapping.reset();
    }
}
