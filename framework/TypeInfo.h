// Run-time type information of the framework's classes: a TClass per class, with its name,
// its base class, a factory for component classes, and the published members the class
// registers: properties, event handler methods and component fields.
//
// Classes describe themselves once, in their StaticClass() function, with TClassBuilder
// (ClassBuilder.h). A TClass lives for the whole process and is read-only after it has been
// built, so it may be read from any thread. Member names are matched without regard to
// ASCII case.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

class TObject;
class TComponent;
class TClass;

// Case-insensitive comparison of ASCII letters (other bytes compare exactly).
bool SameText(std::string_view a, std::string_view b) noexcept;

// Enumeration types whose values are published by name; the ordinal of Names[i] is i.
struct TEnumInfo {
    std::string TypeName;
    std::vector<std::string> Names;

    // Ordinal of the name, or -1.
    int ValueOf(std::string_view name) const noexcept;
    // Name of the ordinal, or nullptr when out of range.
    const std::string* NameOf(long long ordinal) const noexcept;
};

enum class TTypeKind {
    Integer,
    Boolean,
    WordBool,     // 16-bit boolean, True = -1
    Float,
    String,       // UTF-8
    Enumeration,
    Set,          // set of an enumeration, as a bit mask
    Nested,       // persistent object owned by its holder (Font, Constraints): read-only pointer
    Reference,    // another component, written by name
    Binary,       // bytes
    Method,       // event handler slot
};

// A property value as the run-time property access passes it:
// - long long: Integer, Boolean (0/1), WordBool (-1/0), Enumeration (ordinal), Set (bits)
// - double: Float; std::string: String; std::vector<BYTE>: Binary
// - TObject*: Nested and Reference (nullptr allowed for references)
// Method properties are not values; see SetMethodProp in Properties.h.
using TPropValue = std::variant<std::monostate, long long, double, std::string, std::vector<BYTE>, TObject*>;

struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::Integer;
    const TEnumInfo* Enum = nullptr;       // Enumeration, Set: the (element) enumeration
    // Nested, Reference: the class of the value (a function, because a class may refer to
    // itself while its own description is being built).
    const TClass& (*ClassOf)() = nullptr;
    const void* Signature = nullptr;       // Method: identity of the handler signature

    std::function<TPropValue(const TObject&)> Get;       // all but Method
    std::function<void(TObject&, const TPropValue&)> Set; // empty: read-only (never written)
    std::function<void*(TObject&)> Slot;                  // Method: the TEvent<...> object
    std::function<bool(const void* slot)> IsAssigned;     // Method
    std::function<void(void* slot)> ClearSlot;            // Method
    std::function<bool(const TObject&)> IsStored;         // empty: always stored
    std::optional<TPropValue> Default;                    // none: written whenever stored

    bool Stored(const TObject& object) const { return !IsStored || IsStored(object); }
};

// A published handler method, e.g. TForm1::Button1Click, that layouts assign by name.
struct TMethodInfo {
    std::string Name;
    const void* Signature = nullptr;
    // Points the slot (a TEvent<...> of the same signature) at this method of `object`.
    std::function<void(void* slot, TObject& object)> AssignTo;
    // True when the slot calls this method of `object`.
    std::function<bool(const void* slot, const TObject& object)> IsBoundTo;
};

// A published component field, e.g. TForm1::Button1: set when the owner gets a component of
// that name and cleared when the component leaves the owner.
struct TFieldInfo {
    std::string Name;
    const TClass& (*ClassOf)() = nullptr;
    std::function<bool(const TComponent*)> Accepts;
    std::function<void(TObject&, TComponent*)> Set;
    std::function<TComponent*(const TObject&)> Get;
};

class TClass {
public:
    using Factory = TComponent* (*)(TComponent* owner);

    TClass(std::string name, const TClass* parent);

    const std::string& Name() const noexcept { return name_; }
    const TClass* Parent() const noexcept { return parent_; }
    bool InheritsFrom(const TClass& other) const noexcept;

    // Component classes with a public constructor taking the owner can be created by class.
    bool CanCreate() const noexcept { return factory_ != nullptr; }
    // The new component belongs to `owner` (when given). EInvalidOperation when the class
    // cannot be created.
    TComponent* Create(TComponent* owner) const;

    // Published properties of this class and its bases, base first; a property that a
    // class publishes again under the same name replaces the base's one in place.
    std::vector<const TPropInfo*> Properties() const;
    const TPropInfo* FindProperty(std::string_view name) const noexcept;

    const TMethodInfo* FindMethod(std::string_view name) const noexcept;
    // The published method of this class (or a base) that `slot` is bound to on `object`.
    const TMethodInfo* FindMethodBoundTo(const void* slot, const void* signature, const TObject& object) const;

    const TFieldInfo* FindField(std::string_view name) const noexcept;

private:
    template <class T>
    friend class TClassBuilder;

    std::string name_;
    const TClass* parent_;
    Factory factory_ = nullptr;
    std::vector<TPropInfo> properties_;
    std::vector<TMethodInfo> methods_;
    std::vector<TFieldInfo> fields_;
};

// Identity of an event handler signature (one per distinct function type).
template <class Signature>
const void* SignatureTag() noexcept
{
    static const char tag = 0;
    return &tag;
}
