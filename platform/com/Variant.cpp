#include "platform/com/Variant.h"

#include "platform/com/Dispatch.h"

#include <cstring>

namespace {

bool IsKnownScalar(VARTYPE t)
{
    switch (t) {
    case VT_EMPTY: case VT_NULL: case VT_I2: case VT_I4: case VT_R4: case VT_R8: case VT_CY:
    case VT_DATE: case VT_BSTR: case VT_DISPATCH: case VT_ERROR: case VT_BOOL: case VT_UNKNOWN:
    case VT_I1: case VT_UI1: case VT_UI2: case VT_UI4: case VT_I8: case VT_UI8: case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

// Types a VARIANT may legally carry: the scalars, any of them by reference or as an array,
// and VT_VARIANT only by reference or as an array.
bool IsValidType(VARTYPE vt)
{
    VARTYPE base = vt & VT_TYPEMASK;
    VARTYPE extra = vt & ~VT_TYPEMASK;
    if (extra != 0 && extra != VT_BYREF && extra != VT_ARRAY && extra != (VT_BYREF | VT_ARRAY))
        return false;
    if (base == VT_VARIANT)
        return extra != 0;
    if (extra != 0 && (base == VT_EMPTY || base == VT_NULL))
        return false;
    return IsKnownScalar(base);
}

// A copy of what source holds in place (not by reference).
HRESULT CopyValue(VARIANT* dest, const VARIANT& source)
{
    std::memcpy(static_cast<void*>(dest), &source, sizeof(VARIANT));
    if (source.vt & VT_BYREF)
        return S_OK;
    if (source.vt & VT_ARRAY) {
        SAFEARRAY* copy = nullptr;
        HRESULT hr = SafeArrayCopy(source.parray, &copy);
        if (FAILED(hr)) {
            dest->vt = VT_EMPTY;
            return hr;
        }
        dest->parray = copy;
        return S_OK;
    }
    switch (source.vt) {
    case VT_BSTR:
        if (source.bstrVal != nullptr) {
            dest->bstrVal = SysAllocStringLen(source.bstrVal, SysStringLen(source.bstrVal));
            if (dest->bstrVal == nullptr) {
                dest->vt = VT_EMPTY;
                return E_OUTOFMEMORY;
            }
        }
        break;
    case VT_UNKNOWN:
        if (source.punkVal != nullptr)
            source.punkVal->AddRef();
        break;
    case VT_DISPATCH:
        if (source.pdispVal != nullptr)
            source.pdispVal->AddRef();
        break;
    default:
        break;
    }
    return S_OK;
}

// The value a by-reference VARIANT points at, as an owning copy in dest.
HRESULT CopyReferenced(VARIANT* dest, const VARIANT& source)
{
    VARTYPE base = source.vt & ~VT_BYREF;
    if (source.byref == nullptr)
        return E_INVALIDARG;
    if (base == VT_VARIANT) {
        const VARIANT& inner = *source.pvarVal;
        // A variant may not refer to another by-reference variant.
        if (inner.vt == (VT_VARIANT | VT_BYREF))
            return E_INVALIDARG;
        if (inner.vt & VT_BYREF)
            return CopyReferenced(dest, inner);
        return CopyValue(dest, inner);
    }
    VARIANT value;
    VariantInit(&value);
    value.vt = base;
    if (base & VT_ARRAY) {
        value.parray = *source.pparray;
    } else {
        switch (base) {
        case VT_I1: case VT_UI1: value.bVal = *source.pbVal; break;
        case VT_I2: case VT_UI2: case VT_BOOL: value.iVal = *source.piVal; break;
        case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_ERROR: value.lVal = *source.plVal; break;
        case VT_R4: value.fltVal = *source.pfltVal; break;
        case VT_R8: case VT_DATE: value.dblVal = *source.pdblVal; break;
        case VT_I8: case VT_UI8: case VT_CY: value.llVal = *source.pllVal; break;
        case VT_BSTR: value.bstrVal = *source.pbstrVal; break;
        case VT_UNKNOWN: value.punkVal = *source.ppunkVal; break;
        case VT_DISPATCH: value.pdispVal = *source.ppdispVal; break;
        default: return DISP_E_BADVARTYPE;
        }
    }
    // `value` borrows; CopyValue makes the owning copy.
    return CopyValue(dest, value);
}

} // namespace

void VariantInit(VARIANT* value)
{
    if (value == nullptr)
        return;
    value->vt = VT_EMPTY;
    value->wReserved1 = value->wReserved2 = value->wReserved3 = 0;
    value->brecVal = {nullptr, nullptr};
}

HRESULT VariantClear(VARIANT* value)
{
    if (value == nullptr)
        return E_INVALIDARG;
    if (!IsValidType(value->vt) && value->vt != VT_EMPTY && value->vt != VT_NULL)
        return DISP_E_BADVARTYPE;
    if (!(value->vt & VT_BYREF)) {
        if (value->vt & VT_ARRAY) {
            HRESULT hr = SafeArrayDestroy(value->parray);
            if (FAILED(hr))
                return hr;
        } else if (value->vt == VT_BSTR) {
            SysFreeString(value->bstrVal);
        } else if (value->vt == VT_UNKNOWN && value->punkVal != nullptr) {
            value->punkVal->Release();
        } else if (value->vt == VT_DISPATCH && value->pdispVal != nullptr) {
            value->pdispVal->Release();
        }
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source)
{
    if (dest == nullptr || source == nullptr)
        return E_INVALIDARG;
    if (dest == source)
        return S_OK;
    if (!IsValidType(source->vt) && source->vt != VT_EMPTY && source->vt != VT_NULL)
        return DISP_E_BADVARTYPE;
    HRESULT hr = VariantClear(dest);
    if (FAILED(hr))
        return hr;
    return CopyValue(dest, *source);
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source)
{
    if (dest == nullptr || source == nullptr)
        return E_INVALIDARG;
    if (!(source->vt & VT_BYREF))
        return VariantCopy(dest, source);
    if (!IsValidType(source->vt))
        return DISP_E_BADVARTYPE;
    // Copy first: dest may be the by-reference variant itself.
    VARIANT copy;
    VariantInit(&copy);
    HRESULT hr = CopyReferenced(&copy, *source);
    if (FAILED(hr))
        return hr;
    if (dest != source) {
        hr = VariantClear(dest);
        if (FAILED(hr)) {
            VariantClear(&copy);
            return hr;
        }
    }
    *dest = copy;
    return S_OK;
}

HRESULT InitVariantFromInt32(LONG value, VARIANT* variant)
{
    if (variant == nullptr)
        return E_INVALIDARG;
    VariantInit(variant);
    variant->vt = VT_I4;
    variant->lVal = value;
    return S_OK;
}

HRESULT InitVariantFromBoolean(BOOL value, VARIANT* variant)
{
    if (variant == nullptr)
        return E_INVALIDARG;
    VariantInit(variant);
    variant->vt = VT_BOOL;
    variant->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT InitVariantFromDouble(double value, VARIANT* variant)
{
    if (variant == nullptr)
        return E_INVALIDARG;
    VariantInit(variant);
    variant->vt = VT_R8;
    variant->dblVal = value;
    return S_OK;
}

HRESULT InitVariantFromString(LPCOLESTR text, VARIANT* variant)
{
    if (variant == nullptr)
        return E_INVALIDARG;
    VariantInit(variant);
    BSTR copy = nullptr;
    if (text != nullptr) {
        copy = SysAllocString(text);
        if (copy == nullptr)
            return E_OUTOFMEMORY;
    }
    variant->vt = VT_BSTR;
    variant->bstrVal = copy;
    return S_OK;
}
