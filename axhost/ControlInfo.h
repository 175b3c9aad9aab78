// TControlInfo: the static description of one ActiveX control class that a TOleControl2
// subclass supplies (one record per class, shared by all its hosts), and TOleEventSlot, a
// handler slot of the subclass seen without its signature, so the host can deliver an event
// with the arguments it received.
//
// Thread: the user-interface thread (the instance count is a plain counter).
#pragma once

#include "framework/Arithmetic.h"
#include "framework/Events.h"
#include "framework/WideString.h"
#include "platform/com/Dispatch.h"

#include <cstddef>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

class TOleControl2;

// Control properties that follow the host (flags of TControlInfo).
constexpr DWORD cfBackColor = 0x01; // -501 follows the host's colour
constexpr DWORD cfForeColor = 0x02; // -513 follows the host font's colour
constexpr DWORD cfFont = 0x04;      // -512 follows the host's font
constexpr DWORD cfEnabled = 0x08;   // -514 follows the host's enabled state
constexpr DWORD cfCaption = 0x10;   // -518 follows the component name
constexpr DWORD cfText = 0x20;      // -517 follows the component name

// Reserved bits: when to hand the control its client site.
constexpr DWORD crSetClientSiteFirst = 0x01;
constexpr DWORD crDeferClientSite = 0x02;

namespace axhost_detail {

// The 32-bit value of an integer-like argument, read through a reference.
LONG ArgumentInteger(const VARIANT& value);
double ArgumentDouble(const VARIANT& value);
WideString ArgumentText(const VARIANT& value);

template <class A>
struct ArgumentReader;

template <class A>
    requires(std::is_integral_v<A> && !std::is_same_v<A, bool>)
struct ArgumentReader<A> {
    using Storage = A;
    static Storage Read(VARIANT& value) { return static_cast<A>(ArgumentInteger(value)); }
    static A Pass(Storage& s) { return s; }
};
template <>
struct ArgumentReader<bool> {
    using Storage = bool;
    static Storage Read(VARIANT& value) { return ArgumentInteger(value) != 0; }
    static bool Pass(Storage& s) { return s; }
};
template <class A>
    requires std::is_floating_point_v<A>
struct ArgumentReader<A> {
    using Storage = A;
    static Storage Read(VARIANT& value) { return static_cast<A>(ArgumentDouble(value)); }
    static A Pass(Storage& s) { return s; }
};
template <>
struct ArgumentReader<WideString> {
    using Storage = WideString;
    static Storage Read(VARIANT& value) { return ArgumentText(value); }
    static WideString Pass(Storage& s) { return s; }
};
template <>
struct ArgumentReader<const WideString&> {
    using Storage = WideString;
    static Storage Read(VARIANT& value) { return ArgumentText(value); }
    static const WideString& Pass(Storage& s) { return s; }
};
// A by-reference argument reaches the handler as the pointer to the caller's storage, so
// the handler can change it. A by-value argument gets a pointer to a copy: the change stays
// local instead of writing through a value that is not an address.
template <class P>
struct ArgumentReader<P*> {
    static_assert(sizeof(P) <= 8, "a by-reference event argument is a scalar");
    struct Storage {
        P* reference = nullptr;
        alignas(8) unsigned char local[8] = {};
    };
    static Storage Read(VARIANT& value)
    {
        Storage s;
        if ((value.vt & VT_BYREF) != 0)
            s.reference = static_cast<P*>(value.byref);
        else
            std::memcpy(s.local, &value.llVal, sizeof s.local);
        return s;
    }
    static P* Pass(Storage& s) { return s.reference != nullptr ? s.reference : reinterpret_cast<P*>(s.local); }
};
// An array (or any) argument as a reference to its variant.
template <>
struct ArgumentReader<VARIANT&> {
    using Storage = VARIANT*;
    static Storage Read(VARIANT& value) { return &value; }
    static VARIANT& Pass(Storage& s) { return *s; }
};

} // namespace axhost_detail

// A handler slot of a control's event. It refers to a TEvent<void(TObject* Sender, Args...)>
// member of the host's subclass (not owned); the host must outlive it.
class TOleEventSlot {
public:
    TOleEventSlot() = default;
    template <class... Args>
    explicit TOleEventSlot(TEvent<void(TObject*, Args...)>& slot)
        : slot_(&slot), arity_(sizeof...(Args)), assigned_(&IsAssigned<TObject*, Args...>),
          invoke_(&InvokeSlot<Args...>)
    {
    }

    bool Assigned() const { return slot_ != nullptr && assigned_(slot_); }
    std::size_t Arity() const noexcept { return arity_; }
    // Calls the handler with the sender and arguments[0..Arity) in declared order; the
    // handler's exceptions go on. The caller checks that enough arguments are there.
    void Invoke(TObject* sender, VARIANT* const* arguments) const { invoke_(slot_, sender, arguments); }

private:
    template <class... All>
    static bool IsAssigned(const void* slot)
    {
        return static_cast<const TEvent<void(All...)>*>(slot)->Assigned();
    }

    template <class... Args>
    static void InvokeSlot(void* slot, TObject* sender, VARIANT* const* arguments)
    {
        InvokeIndexed<Args...>(slot, sender, arguments, std::index_sequence_for<Args...>{});
    }
    template <class... Args, std::size_t... I>
    static void InvokeIndexed(void* slot, TObject* sender, VARIANT* const* arguments, std::index_sequence<I...>)
    {
        std::tuple<typename axhost_detail::ArgumentReader<Args>::Storage...> values{
            axhost_detail::ArgumentReader<Args>::Read(*arguments[I])...};
        (*static_cast<TEvent<void(TObject*, Args...)>*>(slot))(
            sender, axhost_detail::ArgumentReader<Args>::Pass(std::get<I>(values))...);
    }

    void* slot_ = nullptr;
    std::size_t arity_ = 0;
    bool (*assigned_)(const void*) = nullptr;
    void (*invoke_)(void*, TObject*, VARIANT* const*) = nullptr;
};

struct TControlInfo {
    CLSID ClassID;
    IID EventIID;
    // Event dispatch ids; position i is handler slot i.
    std::vector<DISPID> EventDispIDs;
    DWORD Flags = 0;
    DWORD Version = 0;
    std::vector<DISPID> FontIDs;
    std::vector<DISPID> PictureIDs;
    DWORD Reserved = 0;
    // Live hosts of this class.
    int InstanceCount = 0;
    // Where the host's handler slots begin: the subclass's InitControlInfo writes it. With a
    // version of 400 or below, or none written, the host's own slots (none) are used.
    const TOleEventSlot* (*FirstEventSlot)(const TOleControl2& host) = nullptr;
};
