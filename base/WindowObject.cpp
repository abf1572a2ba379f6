#include "base/WindowObject.h"

namespace {

CRITICAL_SECTION windowLock;

BOOL CALLBACK InitializeWindowLock(PINIT_ONCE, PVOID, PVOID*) {
    InitializeCriticalSection(&windowLock);
    return TRUE;
}

// Initialised on first use by whichever thread comes first: the one-time initialisation is itself
// thread-safe.
CRITICAL_SECTION* WindowLock() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, InitializeWindowLock, nullptr, nullptr);
    return &windowLock;
}

class LockGuard {
public:
    LockGuard() : lock_(WindowLock()) { EnterCriticalSection(lock_); }
    ~LockGuard() { LeaveCriticalSection(lock_); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    CRITICAL_SECTION* lock_;
};

}  // namespace

ATOM RegisterWindowClassOnce(const WNDCLASSEXW& windowClass) {
    LockGuard guard;
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    const ATOM atom = static_cast<ATOM>(GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing));
    if (atom != 0) return atom;
    return RegisterClassExW(&windowClass);
}

void BindWindowObject(HWND window, void* object) {
    LockGuard guard;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
}

// No lock: a window's messages come to the thread that created it, which bound its object before
// its first message and forgets it at its last, and the pointer-sized read is whole.
void* BoundWindowObject(HWND window) {
    return reinterpret_cast<void*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
