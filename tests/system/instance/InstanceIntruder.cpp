// Plays the odd parts around a single-instance launcher: a later start that dies half-way, a
// stranger that posts messages to the first instance's listener, a process that keeps the shared
// block alive, a fake first instance. It knows the shared block only by its byte offsets:
//   0 listener thread id, 4 process id, 8 message id, 12 argument area (1040 bytes),
//   1052 reserved (its first 4 bytes: the number of arguments).
//
//   InstanceIntruder die-holding  NAME           take the hand-over mutex, scribble over the
//                                                argument area, exit without posting or releasing
//   InstanceIntruder post-and-die NAME ARGUMENT  hand over ARGUMENT properly, exit before the
//                                                first instance has taken it
//   InstanceIntruder post-wrong   NAME           post messages with wrong identifiers
//   InstanceIntruder hold         NAME           keep the block open until the event
//                                                NAME_test_release is set (at most 120 s)
//   InstanceIntruder squat        NAME SIZE      create the block (SIZE bytes, zero-filled) before
//                                                any launcher and keep it until NAME_test_release
//                                                is set (at most 120 s)
//   InstanceIntruder squat-started NAME          create a mutex under the name a first instance
//                                                once gave its started event (NAME_upr_evt) and
//                                                keep it until NAME_test_release is set
//   InstanceIntruder fake-first   NAME PID ANSWER RECORD
//                                                create the block as a first instance with process
//                                                id PID ("self" for its own), take one hand-over,
//                                                write the raw argument area and the count to the
//                                                file RECORD, answer ANSWER ("none": no answer) and
//                                                exit with 5
// Readiness is signalled through the event NAME_test_ready. Exit code 0 on success, 2 when the
// block cannot be opened, 3 when it already exists (fake-first), 4 on a failed post.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>

namespace {

const size_t kBlockSize = 2092;
const size_t kAreaOffset = 12;
const size_t kAreaSize = 1040;
const size_t kCountOffset = 1052;

uint32_t ReadU32(const uint8_t* block, size_t offset) {
    uint32_t value;
    std::memcpy(&value, block + offset, 4);
    return value;
}

void WriteU32(uint8_t* block, size_t offset, uint32_t value) { std::memcpy(block + offset, &value, 4); }

void SignalReady(const std::wstring& name) {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_ready").c_str());
    SetEvent(ready);
    // The handle stays open until the process ends, so the event outlives this call.
}

uint8_t* OpenBlock(const std::wstring& name) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str());
    if (mapping == nullptr) return nullptr;
    return static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kBlockSize));
}

HANDLE TakeHandOverMutex(const std::wstring& name) {
    HANDLE mutex = CreateMutexW(nullptr, FALSE, (name + L"_upr_mtx").c_str());
    if (mutex != nullptr) WaitForSingleObject(mutex, 30000);
    return mutex;
}

int DieHolding(const std::wstring& name) {
    uint8_t* block = OpenBlock(name);
    if (block == nullptr) return 2;
    TakeHandOverMutex(name);
    std::memset(block + kAreaOffset, 0x5A, kAreaSize);  // no NUL anywhere
    WriteU32(block, kCountOffset, 0xFFFFFFFFu);
    SignalReady(name);
    ExitProcess(0);  // the mutex is abandoned, nothing is posted
}

int PostAndDie(const std::wstring& name, const std::wstring& argument) {
    uint8_t* block = OpenBlock(name);
    if (block == nullptr) return 2;
    TakeHandOverMutex(name);
    std::memset(block + kAreaOffset, 0, kAreaSize);
    std::memcpy(block + kAreaOffset, argument.data(), argument.size() * 2);
    WriteU32(block, kCountOffset, 1);
    WriteU32(block, kCountOffset + 4, GetCurrentThreadId());  // the writer, as the launcher records it
    if (!PostThreadMessageW(ReadU32(block, 0), ReadU32(block, 8), GetCurrentThreadId(), 0)) return 4;
    SignalReady(name);
    ExitProcess(0);  // gone before the first instance has answered or even taken the arguments
}

int PostWrong(const std::wstring& name) {
    uint8_t* block = OpenBlock(name);
    if (block == nullptr) return 2;
    const DWORD listener = ReadU32(block, 0);
    const UINT messageId = ReadU32(block, 8);
    const UINT wrong[] = {messageId + 1, messageId - 1, WM_NULL, WM_USER, WM_APP + 7, WM_TIMER, WM_COMMAND, 0xFFFF,
                          RegisterWindowMessageW((name + L"_other").c_str())};
    for (UINT message : wrong) {
        if (!PostThreadMessageW(listener, message, GetCurrentThreadId(), 0x5A5A5A5A)) return 4;
    }
    SignalReady(name);
    return 0;
}

int Hold(const std::wstring& name) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) return 2;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str());
    SignalReady(name);
    WaitForSingleObject(release, 120000);
    CloseHandle(mapping);
    return 0;
}

int Squat(const std::wstring& name, const std::wstring& size) {
    const auto bytes = static_cast<DWORD>(std::wcstoul(size.c_str(), nullptr, 0));
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, bytes, name.c_str());
    if (mapping == nullptr) return 2;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 3;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str());
    SignalReady(name);
    WaitForSingleObject(release, 120000);
    CloseHandle(mapping);
    return 0;
}

int SquatStarted(const std::wstring& name) {
    HANDLE squat = CreateMutexW(nullptr, FALSE, (name + L"_upr_evt").c_str());
    if (squat == nullptr) return 2;
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, (name + L"_test_release").c_str());
    SignalReady(name);
    WaitForSingleObject(release, 120000);
    CloseHandle(squat);
    return 0;
}

// Overwrites the first instance's listener thread and message in the block with values of its own.
int Scribble(const std::wstring& name) {
    HANDLE mapping = OpenFileMappingW(FILE_MAP_WRITE, FALSE, name.c_str());
    if (mapping == nullptr) return 2;
    auto* block = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kBlockSize));
    if (block == nullptr) return 2;
    WriteU32(block, 0, GetCurrentThreadId());
    WriteU32(block, 8, RegisterWindowMessageW((name + L"_other").c_str()));
    UnmapViewOfFile(block);
    CloseHandle(mapping);
    return 0;
}

int FakeFirst(const std::wstring& name, const std::wstring& pid, const std::wstring& answer,
              const std::wstring& recordPath) {
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, name.c_str());
    if (mapping == nullptr) return 2;
    if (GetLastError() == ERROR_ALREADY_EXISTS) return 3;
    auto* block = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kBlockSize));
    if (block == nullptr) return 2;
    const UINT messageId = RegisterWindowMessageW(name.c_str());
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // this thread's queue
    WriteU32(block, 0, GetCurrentThreadId());
    WriteU32(block, 4, pid == L"self" ? GetCurrentProcessId() : static_cast<uint32_t>(std::wcstoul(pid.c_str(), nullptr, 0)));
    WriteU32(block, 8, messageId);
    SignalReady(name);

    const ULONGLONG deadline = GetTickCount64() + 60000;
    while (GetTickCount64() < deadline) {
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLPOSTMESSAGE);
            continue;
        }
        if (message.message != messageId) continue;
        HANDLE record = CreateFileW(recordPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(record, block + kAreaOffset, static_cast<DWORD>(kAreaSize), &written, nullptr);
        WriteFile(record, block + kCountOffset, 4, &written, nullptr);
        CloseHandle(record);
        const DWORD later = static_cast<DWORD>(message.wParam);
        // The later start waits on its own event for its arguments to be taken.
        HANDLE taken = OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"_upr_ack_" + std::to_wstring(later)).c_str());
        if (taken != nullptr) SetEvent(taken);
        if (answer != L"none") {
            PostThreadMessageW(later, WM_USER + 1, 5, 0);  // not the answer: to be ignored
            PostThreadMessageW(later, messageId, static_cast<WPARAM>(std::wcstoul(answer.c_str(), nullptr, 0)), 0);
        }
        Sleep(200);
        return 5;
    }
    return 6;
}

}  // namespace

int wmain() {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr || count < 3) return 1;
    const std::wstring command = argv[1];
    const std::wstring name = argv[2];
    if (command == L"die-holding") return DieHolding(name);
    if (command == L"post-and-die" && count >= 4) return PostAndDie(name, argv[3]);
    if (command == L"post-wrong") return PostWrong(name);
    if (command == L"hold") return Hold(name);
    if (command == L"squat" && count >= 4) return Squat(name, argv[3]);
    if (command == L"scribble") return Scribble(name);
    if (command == L"squat-started") return SquatStarted(name);
    if (command == L"fake-first" && count >= 6) return FakeFirst(name, argv[3], argv[4], argv[5]);
    return 1;
}
