// The root of every interface: IUnknown, the class factory interface, and the compile-time
// link from an interface type to its interface id that QueryInterface helpers use.
//
// Interfaces are abstract structs of plain virtual functions with the Windows method names,
// argument order and types. An object is never deleted through an interface pointer: its
// lifetime ends in its own Release.
#pragma once

#include "platform/com/Guid.h"
#include "platform/com/HResults.h"

#include <type_traits>

// Defines a GUID constant from its fields, as the Windows macro of the same name does.
#define DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

// Links an interface type to its id and to the interface it extends (void for IUnknown).
// Every interface gets one COM_INTERFACE_TRAITS line, at global scope, after its declaration.
template <class Interface>
struct InterfaceTraits;

#define COM_INTERFACE_TRAITS(Interface, BaseInterface, iidConstant) \
    template <>                                                     \
    struct InterfaceTraits<Interface> {                             \
        static constexpr const IID& iid = iidConstant;              \
        using Base = BaseInterface;                                 \
    }

template <class Interface>
constexpr const IID& IidOf()
{
    return InterfaceTraits<Interface>::iid;
}

DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct IUnknown {
    // Hands out a new reference to the requested interface, or sets *object to null and
    // returns E_NOINTERFACE. E_POINTER when object is null.
    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
};
COM_INTERFACE_TRAITS(IUnknown, void, IID_IUnknown);
using LPUNKNOWN = IUnknown*;

struct IClassFactory : IUnknown {
    virtual HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) = 0;
    virtual HRESULT LockServer(BOOL lock) = 0;
};
COM_INTERFACE_TRAITS(IClassFactory, IUnknown, IID_IClassFactory);
using LPCLASSFACTORY = IClassFactory*;

// The interface id and the void** out-parameter for a typed pointer, as the Windows macro:
//   factory->CreateInstance(nullptr, IID_PPV_ARGS(&oleObject));
template <class Interface>
void** IidPpvArgsHelper(Interface** pointer)
{
    static_assert(std::is_base_of_v<IUnknown, Interface>, "IID_PPV_ARGS needs an interface pointer");
    return reinterpret_cast<void**>(pointer);
}
#define IID_PPV_ARGS(pointer) IidOf<std::remove_pointer_t<std::remove_pointer_t<decltype(pointer)>>>(), IidPpvArgsHelper(pointer)
