#pragma once

#include <utility>

// Owns one reference to a COM object and releases it when dropped or reset.
template <typename T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ComRef(ComRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComRef& operator=(ComRef&& other) noexcept {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For calls that take an array of one interface pointer.
    T* const* Address() const { return &object_; }

    // Drops the held reference and returns the slot a creating call fills.
    T** Put() {
        Reset();
        return &object_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    // Takes over a reference the caller owns.
    void Attach(T* object) {
        Reset();
        object_ = object;
    }

    void Reset() {
        if (object_ != nullptr) {
            object_->Release();
            object_ = nullptr;
        }
    }

private:
    T* object_ = nullptr;
};
