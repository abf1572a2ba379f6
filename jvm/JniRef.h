// Owners of JNI local references, in the manner of the handle owners: the reference is deleted
// when its owner goes, so that helpers called in loops or failing half-way leak nothing.
#pragma once

#include <utility>

#include "jvm/jni.h"

template <typename T>
class LocalRef {
public:
    LocalRef() = default;
    LocalRef(JNIEnv* env, T ref) : env_(env), ref_(ref) {}
    ~LocalRef() { reset(); }
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    LocalRef(LocalRef&& other) noexcept : env_(other.env_), ref_(other.release()) {}
    LocalRef& operator=(LocalRef&& other) noexcept {
        if (this != &other) {
            reset();
            env_ = other.env_;
            ref_ = other.release();
        }
        return *this;
    }

    T get() const { return ref_; }
    explicit operator bool() const { return ref_ != nullptr; }
    // Hands the reference to the caller, who deletes it (or returns it to Java).
    T release() {
        T ref = ref_;
        ref_ = nullptr;
        return ref;
    }
    void reset() {
        if (ref_ != nullptr && env_ != nullptr) env_->DeleteLocalRef(ref_);
        ref_ = nullptr;
    }

private:
    JNIEnv* env_ = nullptr;
    T ref_ = nullptr;
};
