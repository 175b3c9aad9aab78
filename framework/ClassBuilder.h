// TClassBuilder<T>: how a class describes its published members, in its StaticClass():
//
//   const TClass& TPanelLike::StaticClass()
//   {
//       static const TClass cls = TClassBuilder<TPanelLike>("TPanelLike", &TComponent::StaticClass())
//           .Integer("Width", &TPanelLike::Width, &TPanelLike::SetWidth, 0)
//           .Enum("Align", AlignInfo, &TPanelLike::Align, &TPanelLike::SetAlign, alNone)
//           .Nested("Font", &TPanelLike::Font)
//           .Event("OnClick", &TPanelLike::OnClick)
//           .Build();
//       return cls;
//   }
//
// Getters are const member functions returning the value or data members; setters are
// member functions taking the value (by value or const reference) or data members. The last
// argument of a value property is its default (omit it for "no default: always written").
// NotStored() and StoredIf() apply to the property declared just before. A component class
// with a public constructor taking its owner gets a factory, so layouts can create it.
#pragma once

#include "framework/Arithmetic.h"
#include "framework/Component.h"
#include "framework/Events.h"
#include "framework/Exceptions.h"

#include <concepts>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

template <class T>
class TClassBuilder {
public:
    TClassBuilder(std::string name, const TClass* parent) : cls_(std::move(name), parent)
    {
        if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> &&
                      !std::is_abstract_v<T>)
            cls_.factory_ = [](TComponent* owner) -> TComponent* { return new T(owner); };
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& Integer(std::string name, G get, S set, D def = std::nullopt)
    {
        using V = ValueOf<G>;
        static_assert(std::is_integral_v<V> && !std::is_same_v<V, bool>, "Integer needs an integer property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Integer);
        prop.Get = [get](const TObject& o) { return TPropValue(static_cast<long long>(Read(o, get))); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) {
            const long long value = Ordinal(v, n);
            if (!std::in_range<V>(value))
                throw EPropertyError("Valeur " + std::to_string(value) + " hors limites pour " + n);
            Write(o, set, static_cast<V>(value));
        };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<long long>(def));
        return *this;
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& Boolean(std::string name, G get, S set, D def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, bool>, "Boolean needs a bool property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Boolean);
        prop.Get = [get](const TObject& o) { return TPropValue(Read(o, get) ? 1LL : 0LL); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) { Write(o, set, Ordinal(v, n) != 0); };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<bool>(def) ? 1LL : 0LL);
        return *this;
    }

    // 16-bit boolean: reads give -1 or 0, any non-zero value written is stored as -1.
    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& WordBoolean(std::string name, G get, S set, D def = std::nullopt)
    {
        static_assert(std::is_same_v<ValueOf<G>, WordBool>, "WordBoolean needs a WordBool property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::WordBool);
        prop.Get = [get](const TObject& o) { return TPropValue(Read(o, get) != 0 ? -1LL : 0LL); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) {
            Write(o, set, ToWordBool(Ordinal(v, n) != 0));
        };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<bool>(def) ? -1LL : 0LL);
        return *this;
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& Float(std::string name, G get, S set, D def = std::nullopt)
    {
        using V = ValueOf<G>;
        static_assert(std::is_floating_point_v<V>, "Float needs a floating-point property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Float);
        prop.Get = [get](const TObject& o) { return TPropValue(static_cast<double>(Read(o, get))); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) {
            if (const double* d = std::get_if<double>(&v))
                Write(o, set, static_cast<V>(*d));
            else
                Write(o, set, static_cast<V>(Ordinal(v, n)));
        };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<double>(def));
        return *this;
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& String(std::string name, G get, S set, D def = std::nullopt)
    {
        static_assert(std::is_convertible_v<ValueOf<G>, std::string>, "String needs a std::string property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::String);
        prop.Get = [get](const TObject& o) { return TPropValue(std::string(Read(o, get))); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) { Write(o, set, Alternative<std::string>(v, n)); };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(std::string(def));
        return *this;
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& Enum(std::string name, const TEnumInfo& info, G get, S set, D def = std::nullopt)
    {
        using V = ValueOf<G>;
        static_assert(std::is_enum_v<V>, "Enum needs an enumeration property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Enumeration);
        prop.Enum = &info;
        prop.Get = [get](const TObject& o) { return TPropValue(static_cast<long long>(Read(o, get))); };
        prop.Set = [set, n = prop.Name, &info](TObject& o, const TPropValue& v) {
            const long long value = Ordinal(v, n);
            if (info.NameOf(value) == nullptr)
                throw EPropertyError("Valeur " + std::to_string(value) + " hors de " + info.TypeName + " pour " + n);
            Write(o, set, static_cast<V>(value));
        };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<long long>(def));
        return *this;
    }

    template <class G, class S, class D = std::nullopt_t>
    TClassBuilder& Set(std::string name, const TEnumInfo& info, G get, S set, D def = std::nullopt)
    {
        using V = ValueOf<G>;
        TPropInfo& prop = Add(std::move(name), TTypeKind::Set);
        prop.Enum = &info;
        prop.Get = [get](const TObject& o) { return TPropValue(static_cast<long long>(Read(o, get).Bits())); };
        prop.Set = [set, n = prop.Name, &info](TObject& o, const TPropValue& v) {
            const long long bits = Ordinal(v, n);
            const long long all = (1LL << info.Names.size()) - 1;
            if (bits < 0 || (bits & ~all) != 0)
                throw EPropertyError("Ensemble hors de " + info.TypeName + " pour " + n);
            Write(o, set, V::FromBits(static_cast<std::uint32_t>(bits)));
        };
        if constexpr (!std::is_same_v<D, std::nullopt_t>)
            prop.Default = TPropValue(static_cast<long long>(V(def).Bits()));
        return *this;
    }

    // A persistent object owned by the holder (its getter returns a pointer to it); its own
    // published properties are read and written as a sub-block or with dotted names.
    template <class G>
    TClassBuilder& Nested(std::string name, G get)
    {
        using P = std::remove_pointer_t<ValueOf<G>>;
        static_assert(std::is_base_of_v<TPersistent, P>, "Nested needs a pointer to a persistent object");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Nested);
        prop.ClassOf = &P::StaticClass;
        prop.Get = [get](const TObject& o) {
            return TPropValue(static_cast<TObject*>(const_cast<std::remove_const_t<P>*>(Read(o, get))));
        };
        return *this;
    }

    // A reference to another component, written by its name.
    template <class G, class S>
    TClassBuilder& Reference(std::string name, G get, S set)
    {
        using C = std::remove_pointer_t<ValueOf<G>>;
        static_assert(std::is_base_of_v<TComponent, C>, "Reference needs a pointer to a component");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Reference);
        prop.ClassOf = &C::StaticClass;
        prop.Get = [get](const TObject& o) { return TPropValue(static_cast<TObject*>(Read(o, get))); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) {
            TObject* target = Alternative<TObject*>(v, n);
            C* typed = dynamic_cast<C*>(target);
            if (target != nullptr && typed == nullptr)
                throw EPropertyError(n + " n'accepte pas un " + target->ClassName());
            Write(o, set, typed);
        };
        prop.Default = TPropValue(static_cast<TObject*>(nullptr));
        return *this;
    }

    template <class G, class S>
    TClassBuilder& Binary(std::string name, G get, S set)
    {
        static_assert(std::is_same_v<ValueOf<G>, std::vector<BYTE>>, "Binary needs a std::vector<BYTE> property");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Binary);
        prop.Get = [get](const TObject& o) { return TPropValue(Read(o, get)); };
        prop.Set = [set, n = prop.Name](TObject& o, const TPropValue& v) {
            Write(o, set, Alternative<std::vector<BYTE>>(v, n));
        };
        return *this;
    }

    // An event slot; its handler is written by the name of a published method of the root.
    template <class C, class Sig>
    TClassBuilder& Event(std::string name, TEvent<Sig> C::*slot)
    {
        static_assert(std::is_base_of_v<C, T>, "the slot must be a member of the class or a base");
        TPropInfo& prop = Add(std::move(name), TTypeKind::Method);
        prop.Signature = SignatureTag<Sig>();
        prop.Slot = [slot](TObject& o) -> void* { return &(static_cast<T&>(o).*slot); };
        prop.IsAssigned = [](const void* s) { return static_cast<const TEvent<Sig>*>(s)->Assigned(); };
        prop.ClearSlot = [](void* s) { static_cast<TEvent<Sig>*>(s)->Clear(); };
        return *this;
    }

    // A handler method that layouts can assign to event slots of the same signature.
    template <class C, class... Args>
    TClassBuilder& Handler(std::string name, void (C::*method)(Args...))
    {
        static_assert(std::is_base_of_v<C, T>, "the handler must be a method of the class or a base");
        using Slot = TEvent<void(Args...)>;
        TMethodInfo info;
        info.Name = std::move(name);
        info.Signature = SignatureTag<void(Args...)>();
        info.AssignTo = [method](void* slot, TObject& object) {
            static_cast<Slot*>(slot)->Assign(static_cast<T*>(&object), method);
        };
        info.IsBoundTo = [method](const void* slot, const TObject& object) {
            const auto* s = static_cast<const Slot*>(slot);
            return s->Object() == &object && s->Method() == static_cast<typename Slot::MethodPointer>(method);
        };
        cls_.methods_.push_back(std::move(info));
        return *this;
    }

    // A component field that follows the owner's component of the same name.
    template <class C, class H>
    TClassBuilder& Field(std::string name, C* H::*field)
    {
        static_assert(std::is_base_of_v<H, T>, "the field must be a member of the class or a base");
        static_assert(std::is_base_of_v<TComponent, C>, "Field needs a pointer to a component");
        TFieldInfo info;
        info.Name = std::move(name);
        info.ClassOf = &C::StaticClass;
        info.Accepts = [](const TComponent* c) { return c == nullptr || dynamic_cast<const C*>(c) != nullptr; };
        info.Set = [field](TObject& o, TComponent* c) { static_cast<T&>(o).*field = dynamic_cast<C*>(c); };
        info.Get = [field](const TObject& o) -> TComponent* { return static_cast<const T&>(o).*field; };
        cls_.fields_.push_back(std::move(info));
        return *this;
    }

    TClassBuilder& NotStored()
    {
        Last().IsStored = [](const TObject&) { return false; };
        return *this;
    }

    TClassBuilder& StoredIf(bool (T::*predicate)() const)
    {
        Last().IsStored = [predicate](const TObject& o) { return (static_cast<const T&>(o).*predicate)(); };
        return *this;
    }

    TClass Build() { return std::move(cls_); }

private:
    template <class G>
    using ValueOf = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;

    template <class G>
    static decltype(auto) Read(const TObject& o, G get)
    {
        return std::invoke(get, static_cast<const T&>(o));
    }

    template <class S, class V>
    static void Write(TObject& o, S set, V&& value)
    {
        if constexpr (std::is_member_object_pointer_v<S>)
            static_cast<T&>(o).*set = std::forward<V>(value);
        else
            std::invoke(set, static_cast<T&>(o), std::forward<V>(value));
    }

    template <class A>
    static const A& Alternative(const TPropValue& v, const std::string& name)
    {
        if (const A* a = std::get_if<A>(&v))
            return *a;
        throw EPropertyError("Type de valeur incorrect pour " + name);
    }

    static long long Ordinal(const TPropValue& v, const std::string& name) { return Alternative<long long>(v, name); }

    TPropInfo& Add(std::string name, TTypeKind kind)
    {
        TPropInfo& prop = cls_.properties_.emplace_back();
        prop.Name = std::move(name);
        prop.Kind = kind;
        return prop;
    }

    TPropInfo& Last()
    {
        if (cls_.properties_.empty())
            throw EInvalidOperation("NotStored/StoredIf sans propriété");
        return cls_.properties_.back();
    }

    TClass cls_;
};
