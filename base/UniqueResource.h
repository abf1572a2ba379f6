// Move-only owners of Win32 handles. The invalid value belongs to the type, and closing keeps
// the thread's last-error value so that a failure can still be reported after cleanup.
#pragma once

#include <windows.h>

#include <utility>

// Handles whose invalid value is null.
template <typename T, typename Close>
struct NullHandleTraits {
    using Type = T;
    static T InvalidValue() { return nullptr; }
    static void Release(T value) { Close()(value); }
};

// Handles whose invalid value is INVALID_HANDLE_VALUE (files, find handles).
template <typename Close>
struct InvalidHandleTraits {
    using Type = HANDLE;
    static HANDLE InvalidValue() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE value) { Close()(value); }
};

template <typename Traits>
class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() : value_(Traits::InvalidValue()) {}
    explicit UniqueResource(Type value) : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Type get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::InvalidValue(); }

    // For out-parameters of Win32 functions; releases the current value first.
    Type* put() {
        reset();
        return &value_;
    }

    Type release() {
        Type value = value_;
        value_ = Traits::InvalidValue();
        return value;
    }

    void reset(Type value = Traits::InvalidValue()) {
        if (value_ != Traits::InvalidValue()) {
            const DWORD lastError = GetLastError();
            Traits::Release(value_);
            SetLastError(lastError);
        }
        value_ = value;
    }

private:
    Type value_;
};

struct CloseHandleFn { void operator()(HANDLE h) const { CloseHandle(h); } };
struct FindCloseFn { void operator()(HANDLE h) const { FindClose(h); } };
struct RegCloseKeyFn { void operator()(HKEY k) const { RegCloseKey(k); } };
struct FreeLibraryFn { void operator()(HMODULE m) const { FreeLibrary(m); } };
struct UnmapViewFn { void operator()(void* p) const { UnmapViewOfFile(p); } };
struct DeleteObjectFn { void operator()(HGDIOBJ o) const { DeleteObject(o); } };
struct DeleteDcFn { void operator()(HDC dc) const { DeleteDC(dc); } };
struct DestroyWindowFn { void operator()(HWND w) const { DestroyWindow(w); } };

using UniqueHandle = UniqueResource<NullHandleTraits<HANDLE, CloseHandleFn>>;
using UniqueFile = UniqueResource<InvalidHandleTraits<CloseHandleFn>>;
using UniqueFindHandle = UniqueResource<InvalidHandleTraits<FindCloseFn>>;
using UniqueHKey = UniqueResource<NullHandleTraits<HKEY, RegCloseKeyFn>>;
using UniqueModule = UniqueResource<NullHandleTraits<HMODULE, FreeLibraryFn>>;
using UniqueViewOfFile = UniqueResource<NullHandleTraits<void*, UnmapViewFn>>;
using UniqueGdiObject = UniqueResource<NullHandleTraits<HGDIOBJ, DeleteObjectFn>>;
using UniqueDc = UniqueResource<NullHandleTraits<HDC, DeleteDcFn>>;
using UniqueWindow = UniqueResource<NullHandleTraits<HWND, DestroyWindowFn>>;

// Runs a callable when the scope ends, for one-off restores.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};
