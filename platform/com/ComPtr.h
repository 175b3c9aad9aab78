// ComPtr<T>: the one holder of interface references. Taking over a reference that the caller
// already owns and adding a reference of our own are two visibly different calls:
//
//   ComPtr<IStream>::TakeOver(raw)   adopts the reference that came with `raw` (no AddRef);
//   ComPtr<IStream>::AddRefFrom(raw) adds a reference of its own (AddRef).
//
// There is deliberately no constructor from a raw pointer. Copying adds a reference, moving
// transfers it, destruction releases it. Not thread-safe itself: one holder, one thread at a
// time (the object's own counting may be atomic).
#pragma once

#include "platform/com/Unknown.h"

#include <cstddef>
#include <utility>

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(const ComPtr<U>& other) : pointer_(other.Get())
    {
        AddRefHeld();
    }
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    ComPtr(ComPtr<U>&& other) noexcept : pointer_(other.Detach())
    {
    }
    ~ComPtr() { Reset(); }

    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr(other).Swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr(std::move(other)).Swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t)
    {
        Reset();
        return *this;
    }

    // Adopts a reference the caller owns; nothing is added.
    static ComPtr TakeOver(T* raw)
    {
        ComPtr result;
        result.pointer_ = raw;
        return result;
    }
    // Holds a new reference of its own to raw (AddRef when raw is not null).
    static ComPtr AddRefFrom(T* raw)
    {
        ComPtr result;
        result.pointer_ = raw;
        result.AddRefHeld();
        return result;
    }

    // Releases the held reference (if any) and adopts raw's reference.
    void Attach(T* raw)
    {
        T* old = std::exchange(pointer_, raw);
        if (old != nullptr)
            old->Release();
    }
    // Gives up the held reference to the caller without releasing it.
    [[nodiscard]] T* Detach() { return std::exchange(pointer_, nullptr); }
    void Reset()
    {
        if (T* old = std::exchange(pointer_, nullptr))
            old->Release();
    }
    void Swap(ComPtr& other) noexcept { std::swap(pointer_, other.pointer_); }

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    T& operator*() const { return *pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For out-parameters that hand out a reference: releases what is held, then gives the
    // address to write the new (already counted) pointer into.
    T** ReleaseAndGetAddressOf()
    {
        Reset();
        return &pointer_;
    }
    // Hands out a new reference through an out-parameter (AddRef), E_POINTER for null.
    HRESULT CopyTo(T** out) const
    {
        if (out == nullptr)
            return E_POINTER;
        *out = pointer_;
        if (pointer_ != nullptr)
            pointer_->AddRef();
        return S_OK;
    }

    // QueryInterface into another holder; the holder is emptied first and stays empty on
    // failure. E_POINTER when nothing is held.
    template <class U>
    HRESULT As(ComPtr<U>& out) const
    {
        out.Reset();
        if (pointer_ == nullptr)
            return E_POINTER;
        return pointer_->QueryInterface(IidOf<U>(), reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
    }
    HRESULT AsIid(REFIID iid, void** out) const
    {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (pointer_ == nullptr)
            return E_POINTER;
        return pointer_->QueryInterface(iid, out);
    }

private:
    void AddRefHeld()
    {
        if (pointer_ != nullptr)
            pointer_->AddRef();
    }

    T* pointer_ = nullptr;
};

template <class T, class U>
bool operator==(const ComPtr<T>& a, const ComPtr<U>& b)
{
    return a.Get() == b.Get();
}
template <class T>
bool operator==(const ComPtr<T>& a, std::nullptr_t)
{
    return a.Get() == nullptr;
}

// QueryInterface on any interface pointer into a holder; E_POINTER for a null source.
template <class U, class T>
HRESULT ComQuery(T* from, ComPtr<U>& out)
{
    out.Reset();
    if (from == nullptr)
        return E_POINTER;
    return from->QueryInterface(IidOf<U>(), reinterpret_cast<void**>(out.ReleaseAndGetAddressOf()));
}
