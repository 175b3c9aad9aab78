// The stored properties of the media player control: their dispatch ids, types, defaults and
// accepted values, kept in one table so that Invoke, persistence and the control's behaviour
// read the same values.
//
// A put converts the argument to the property's type first (as VariantChangeType does, so a
// boolean put to an integer property is accepted) and then checks the range; the store is
// changed only when both succeed. Persistence writes every stored property as (id, kind,
// value) records behind a small header, so a stream written by this version loads back to
// exactly the same values, and records of unknown ids are skipped.
//
// Thread: the user-interface thread (the control's own thread); no locking.
#pragma once

#include "platform/com/Storage.h"
#include "platform/com/Variant.h"
#include "platform/com/Dispatch.h"

#include <map>
#include <string>

namespace mediaplayer {

enum class PropertyKind : BYTE { Bool = 1, Int = 2, Double = 3, Text = 4 };

struct PropertyValue {
    PropertyKind kind = PropertyKind::Int;
    bool boolean = false;
    LONG integer = 0;
    double real = 0;
    std::u16string text;
};

class PlayerProperties {
public:
    // All properties at their defaults.
    PlayerProperties();

    // Whether the id is one of the stored properties.
    bool Has(DISPID id) const;
    PropertyKind KindOf(DISPID id) const;

    // A stored property as a VARIANT (VT_BOOL, VT_I4, VT_R8 or VT_BSTR); *result must be
    // empty. E_OUTOFMEMORY when a string cannot be made; DISP_E_MEMBERNOTFOUND for other ids.
    HRESULT Get(DISPID id, VARIANT* result) const;
    // Converts and checks a new value: DISP_E_TYPEMISMATCH when it cannot be converted,
    // E_INVALIDARG when it lies outside the accepted values (with *why telling the range).
    // The store changes only on S_OK; *changed says whether the value differs from before.
    HRESULT Put(DISPID id, const VARIANT& value, bool* changed, std::string* why);

    bool Bool(DISPID id) const { return values_.at(id).boolean; }
    LONG Int(DISPID id) const { return values_.at(id).integer; }
    double Double(DISPID id) const { return values_.at(id).real; }

    void ResetToDefaults();

    // Serialised state; Load accepts only what Save writes (STG_E_READFAULT for a short
    // stream, E_FAIL for a foreign header or a value out of range). A failed Load leaves
    // every property as it was.
    HRESULT Save(IStream* stream) const;
    HRESULT Load(IStream* stream);
    // Upper bound of what Save writes now.
    ULONGLONG SaveSize() const;

private:
    std::map<DISPID, PropertyValue> values_;
};

}  // namespace mediaplayer
