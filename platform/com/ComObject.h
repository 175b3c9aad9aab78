// Helpers that keep the implementation of an interface short:
//
//   class Stream final : public ComObject<IStream> { ... only the IStream methods ... };
//   ComPtr<Stream> s = MakeComObject<Stream>(args);
//
// ComInterfaces<I...> answers QueryInterface for every listed interface and for each interface
// they extend (IOleInPlaceSite also answers IOleWindow); IUnknown is always the first listed
// interface's, so identity comparisons work. A class that also answers ids it cannot list
// overrides QueryOtherInterface. AddRef and Release are left to the class: ComObject<I...>
// counts atomically and deletes the object when the count reaches zero; an object owned
// elsewhere (for example by a component tree) derives from ComInterfaces and counts itself.
//
// A new ComObject starts with one reference, owned by whoever called new; MakeComObject hands
// that reference to a ComPtr.
//
// No C++ exception may cross an interface method: wrap bodies that can throw in ComBoundary,
// which maps std::bad_alloc to E_OUTOFMEMORY and anything else to E_FAIL.
#pragma once

#include "platform/com/ComPtr.h"

#include <atomic>
#include <new>
#include <type_traits>
#include <utility>

namespace com_detail {

// Walks Current, its base interface, its base... (stopping before IUnknown) looking for iid.
template <class Leaf, class Current, class Object>
bool FindInChain(Object* self, REFIID iid, IUnknown*& found)
{
    if constexpr (std::is_same_v<Current, IUnknown>) {
        return false;
    } else {
        if (iid == IidOf<Current>()) {
            found = static_cast<Current*>(static_cast<Leaf*>(self));
            return true;
        }
        return FindInChain<Leaf, typename InterfaceTraits<Current>::Base>(self, iid, found);
    }
}

template <class First, class... Rest>
struct FirstOf {
    using Type = First;
};

} // namespace com_detail

template <class... Interfaces>
class ComInterfaces : public Interfaces... {
    static_assert(sizeof...(Interfaces) > 0, "list at least one interface");
    using FirstInterface = typename com_detail::FirstOf<Interfaces...>::Type;

public:
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        IUnknown* found = nullptr;
        if (iid == IID_IUnknown)
            found = CanonicalUnknown();
        else
            (com_detail::FindInChain<Interfaces, Interfaces>(this, iid, found) || ...);
        if (found == nullptr)
            return QueryOtherInterface(iid, object);
        found->AddRef();
        *object = found;
        return S_OK;
    }

protected:
    ComInterfaces() = default;
    ComInterfaces(const ComInterfaces&) = delete;
    ComInterfaces& operator=(const ComInterfaces&) = delete;
    virtual ~ComInterfaces() = default;

    // The object's identity: the IUnknown of the first listed interface.
    IUnknown* CanonicalUnknown() { return static_cast<FirstInterface*>(this); }

    // Hook for ids the interface list cannot express. *object is already null; an override
    // that answers must AddRef what it hands out.
    virtual HRESULT QueryOtherInterface(REFIID iid, void** object) { return E_NOINTERFACE; }
};

template <class... Interfaces>
class ComObject : public ComInterfaces<Interfaces...> {
public:
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        ULONG remaining = --references_;
        if (remaining == 0)
            delete this;
        return remaining;
    }

protected:
    ComObject() = default;

private:
    std::atomic<ULONG> references_{1};
};

// Creates a ComObject and hands its initial reference to the returned holder. Throws what the
// constructor throws (std::bad_alloc included); call it inside ComBoundary from interface code.
template <class T, class... Args>
ComPtr<T> MakeComObject(Args&&... args)
{
    return ComPtr<T>::TakeOver(new T(std::forward<Args>(args)...));
}

// Runs an interface method body, turning any escaping exception into a status.
template <class Body>
HRESULT ComBoundary(Body&& body) noexcept
{
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}
