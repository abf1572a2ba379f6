// Starting a thread whose routine owns its parameter: the callable moves into the new thread and
// is destroyed there, or here when the thread cannot be started. No raw new/release pairs.
#pragma once

#include <windows.h>

#include <memory>
#include <utility>

#include "base/CatchAll.h"
#include "base/UniqueResource.h"

namespace thread_detail {

template <typename Work>
DWORD WINAPI Routine(LPVOID parameter) {
    std::unique_ptr<Work> work(static_cast<Work*>(parameter));
    MARLWICK_TRY {
        return static_cast<DWORD>((*work)());
    } MARLWICK_CATCH_ALL {  // nothing may unwind into the system's thread start
        return 1;
    }
}

}  // namespace thread_detail

// Runs `work()` (returning something convertible to DWORD, the thread's exit code) on a new
// thread. Null (GetLastError set) when the thread could not be created; `work` is then destroyed.
template <typename Work>
UniqueHandle StartThread(Work work, SIZE_T stackSize = 0, DWORD flags = 0, DWORD* threadId = nullptr) {
    std::unique_ptr<Work> owned;
    MARLWICK_TRY {
        owned.reset(new Work(std::move(work)));
    } MARLWICK_CATCH_ALL {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return UniqueHandle();
    }
    UniqueHandle thread(CreateThread(nullptr, stackSize, &thread_detail::Routine<Work>, owned.get(), flags, threadId));
    if (thread) owned.release();  // the new thread owns it now
    return thread;
}
