// ComRef<T>: the one owner of a counted COM reference (Direct3D, D3DX, DirectShow interfaces).
//
// Copying adds a reference, destruction and reassignment release one. Adopt() takes over a
// reference that a creation call handed out; Share() adds one to a pointer owned elsewhere.
// Out() releases what is held and returns the address for a creation call to fill:
//     ComRef<IDirect3DTexture9> texture;
//     device->CreateTexture(..., texture.Out(), nullptr);
#pragma once

#include <unknwn.h>
#include <utility>

template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(std::nullptr_t) {}
    ComRef(const ComRef& other) : ptr_(other.ptr_) { AddRef(); }
    ComRef(ComRef&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ~ComRef() { Reset(); }

    ComRef& operator=(const ComRef& other)
    {
        if (ptr_ != other.ptr_) {
            T* previous = ptr_;
            ptr_ = other.ptr_;
            AddRef();
            if (previous)
                previous->Release();
        }
        return *this;
    }
    ComRef& operator=(ComRef&& other) noexcept
    {
        if (this != &other) {
            Reset();
            ptr_ = std::exchange(other.ptr_, nullptr);
        }
        return *this;
    }
    ComRef& operator=(std::nullptr_t)
    {
        Reset();
        return *this;
    }

    // Takes ownership of one reference that the caller already holds.
    static ComRef Adopt(T* p)
    {
        ComRef r;
        r.ptr_ = p;
        return r;
    }
    // Adds a reference to a pointer that stays owned elsewhere.
    static ComRef Share(T* p)
    {
        ComRef r;
        r.ptr_ = p;
        r.AddRef();
        return r;
    }

    void Reset()
    {
        if (T* p = std::exchange(ptr_, nullptr))
            p->Release();
    }
    // Hands the reference to the caller, who must release it.
    T* Detach() { return std::exchange(ptr_, nullptr); }

    T** Out()
    {
        Reset();
        return &ptr_;
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    bool operator==(const ComRef& other) const { return ptr_ == other.ptr_; }
    bool operator!=(const ComRef& other) const { return ptr_ != other.ptr_; }
    bool operator==(std::nullptr_t) const { return ptr_ == nullptr; }
    bool operator!=(std::nullptr_t) const { return ptr_ != nullptr; }

private:
    void AddRef()
    {
        if (ptr_)
            ptr_->AddRef();
    }

    T* ptr_ = nullptr;
};

// Releases a plain interface pointer and clears it. Returns what Release returned (0 for null).
template <class T>
inline ULONG ReleaseAndNull(T*& p)
{
    ULONG remaining = 0;
    if (p) {
        remaining = p->Release();
        p = nullptr;
    }
    return remaining;
}

template <class T>
inline ULONG ReleaseAndNull(ComRef<T>& p)
{
    T* held = p.Detach();
    return held ? held->Release() : 0;
}
