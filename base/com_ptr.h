// The one owner of a COM interface pointer: releases it exactly once.
#pragma once
#include <utility>

namespace mt {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }
    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // For a function that hands out a new reference: releases the one held first.
    T** put() noexcept {
        reset();
        return &p_;
    }
    void reset(T* p = nullptr) noexcept {
        if (p_) p_->Release();
        p_ = p;
    }
private:
    T* p_ = nullptr;
};

}  // namespace mt
