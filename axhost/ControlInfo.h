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

// Writes a value back through a by-reference argument in the argument's own type: the
// integer kinds take its low bits, as a cast does; VT_BOOL true or false; the floating kinds,
// currency and dates the number; text its decimal text; a VT_VARIANT reference is written in
// the type the variant holds (VT_I4 or VT_R8 when it is empty). By-value arguments, null
// references and other kinds (objects, arrays) are left alone.
void StoreArgumentInteger(VARIANT& argument, LONGLONG value);
void StoreArgumentDouble(VARIANT& argument, double value);
// Bytes of storage of an integer kind (VT_I1..VT_UINT, VT_BOOL, VT_ERROR), else 0.
std::size_t IntegerKindBytes(VARTYPE vt);

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
// A by-reference argument reaches the handler as a pointer it can write through. When the
// argument is stored as P is (an integer of the same size, or the same floating type), that is
// the pointer to the caller's storage. Otherwise the handler gets a P holding the argument's
// value, and a changed value goes back in the argument's own type after the handler, so that
// a handler of another width never writes past the caller's storage nor fills half of it.
// A by-value argument gets a pointer to a copy: the change stays local.
template <class P>
struct ArgumentReader<P*> {
    static_assert(std::is_arithmetic_v<P>, "a by-reference event argument is a number");
    struct Storage {
        P* reference = nullptr;      // the caller's storage, of P's own type
        VARIANT* argument = nullptr; // a by-reference argument of another type
        P initial{};
        P local{};
    };
    static bool StoredAsP(VARTYPE vt)
    {
        const VARTYPE kind = vt & VT_TYPEMASK;
        if constexpr (std::is_floating_point_v<P>)
            return kind == (sizeof(P) == sizeof(float) ? VT_R4 : VT_R8) || (sizeof(P) == sizeof(double) && kind == VT_DATE);
        else if constexpr (std::is_same_v<P, bool>)
            return false;
        else
            return IntegerKindBytes(kind) == sizeof(P);
    }
    static Storage Read(VARIANT& value)
    {
        Storage s;
        const bool reference = (value.vt & VT_BYREF) != 0 && value.byref != nullptr;
        if (reference && StoredAsP(value.vt)) {
            s.reference = static_cast<P*>(value.byref);
            return s;
        }
        if constexpr (std::is_same_v<P, bool>)
            s.local = ArgumentInteger(value) != 0;
        else if constexpr (std::is_floating_point_v<P>)
            s.local = static_cast<P>(ArgumentDouble(value));
        else
            s.local = static_cast<P>(ArgumentInteger(value));
        s.initial = s.local;
        if (reference)
            s.argument = &value;
        return s;
    }
    static P* Pass(Storage& s) { return s.reference != nullptr ? s.reference : &s.local; }
    // An unchanged value is not written: a value P cannot hold stays as the control gave it.
    static void WriteBack(Storage& s)
    {
        if (s.argument == nullptr || s.local == s.initial)
            return;
        if constexpr (std::is_same_v<P, bool>)
            StoreArgumentInteger(*s.argument, s.local ? -1 : 0);
        else if constexpr (std::is_floating_point_v<P>)
            StoreArgumentDouble(*s.argument, static_cast<double>(s.local));
        else
            StoreArgumentInteger(*s.argument, static_cast<LONGLONG>(s.local));
    }
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
        // Changes to by-reference arguments go back even when the handler throws, as they
        // would through the caller's own storage.
        const auto writeBack = [&values] { (WriteBack<Args>(std::get<I>(values)), ...); };
        try {
            (*static_cast<TEvent<void(TObject*, Args...)>*>(slot))(
                sender, axhost_detail::ArgumentReader<Args>::Pass(std::get<I>(values))...);
        } catch (...) {
            writeBack();
            throw;
        }
        writeBack();
    }

    template <class A, class S>
    static void WriteBack(S& storage)
    {
        if constexpr (requires { axhost_detail::ArgumentReader<A>::WriteBack(storage); })
            axhost_detail::ArgumentReader<A>::WriteBack(storage);
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
