// VARIANT: the tagged value of automation (dispatch arguments, results, events), with the
// Windows type codes and union members, and the functions that manage its ownership.
//
// Ownership: a VARIANT of type VT_BSTR owns its string, VT_UNKNOWN/VT_DISPATCH own one
// reference, VT_ARRAY owns its SAFEARRAY; VT_BYREF never owns what it points at.
// VariantClear releases what is owned; VariantCopy duplicates it (new string, AddRef, array
// copy). Status results, never exceptions. A VARIANT is used by one thread at a time.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"

struct IUnknown;
struct IDispatch;

using VARIANT_BOOL = SHORT;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
using DATE = double;

// Currency: a 64-bit integer counting ten-thousandths.
union CY {
    struct {
        ULONG Lo;
        LONG Hi;
    } s;
    LONGLONG int64;
};
using CURRENCY = CY;

enum VARENUM : VARTYPE {
    VT_EMPTY = 0,
    VT_NULL = 1,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_R4 = 4,
    VT_R8 = 5,
    VT_CY = 6,
    VT_DATE = 7,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_DECIMAL = 14,
    VT_I1 = 16,
    VT_UI1 = 17,
    VT_UI2 = 18,
    VT_UI4 = 19,
    VT_I8 = 20,
    VT_UI8 = 21,
    VT_INT = 22,
    VT_UINT = 23,
    VT_VOID = 24,
    VT_HRESULT = 25,
    VT_ARRAY = 0x2000,
    VT_BYREF = 0x4000,
    VT_RESERVED = 0x8000,
    VT_TYPEMASK = 0x0FFF,
};

struct VARIANT {
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        CY cyVal;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        SAFEARRAY* parray;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        CY* pcyVal;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        IDispatch** ppdispVal;
        SAFEARRAY** pparray;
        VARIANT* pvarVal;
        void* byref;
        char cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        char* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        INT* pintVal;
        UINT* puintVal;
        struct {
            void* pvRecord;
            void* pRecInfo;
        } brecVal;
    };
};
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;
using LPVARIANTARG = VARIANT*;

// The accessor macros of automation code.
#define V_VT(X) ((X)->vt)
#define V_ISBYREF(X) (V_VT(X) & VT_BYREF)
#define V_ISARRAY(X) (V_VT(X) & VT_ARRAY)
#define V_I2(X) ((X)->iVal)
#define V_I4(X) ((X)->lVal)
#define V_R4(X) ((X)->fltVal)
#define V_R8(X) ((X)->dblVal)
#define V_BOOL(X) ((X)->boolVal)
#define V_BSTR(X) ((X)->bstrVal)
#define V_UNKNOWN(X) ((X)->punkVal)
#define V_DISPATCH(X) ((X)->pdispVal)
#define V_ARRAY(X) ((X)->parray)
#define V_BYREF(X) ((X)->byref)
#define V_VARIANTREF(X) ((X)->pvarVal)

// Flags of VariantChangeType.
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

void VariantInit(VARIANT* value);
// Releases what the value owns and leaves it VT_EMPTY. E_INVALIDARG for null,
// DISP_E_BADVARTYPE for an unknown type (the value is left as it is),
// DISP_E_ARRAYISLOCKED for a locked array.
HRESULT VariantClear(VARIANT* value);
// Clears dest, then makes it an owning copy of source (a by-reference source is copied as the
// same reference). dest == source is a no-op. On failure dest is VT_EMPTY.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
// As VariantCopy, but a by-reference source is copied as the value it refers to.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source);

// Converts source to type vt into dest (dest may be source). Handles the scalar kinds
// (VT_EMPTY, VT_I1..VT_UINT, VT_R4, VT_R8, VT_CY, VT_DATE, VT_BOOL, VT_BSTR) among themselves,
// and VT_UNKNOWN <-> VT_DISPATCH by QueryInterface; a by-reference source is read through.
// Integers from floating point round half to even, as Windows does; a value out of the
// target's range gives DISP_E_OVERFLOW; impossible pairs (VT_NULL, arrays, dates to and from
// text) give DISP_E_TYPEMISMATCH. Text is read and written in the "C" number format ('.' as
// the decimal point); booleans as text are "-1"/"0", or "True"/"False" with VARIANT_ALPHABOOL,
// and "True"/"False" are read in any letter case. dest is unchanged on failure.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE vt);

// Fill an uninitialised VARIANT (nothing in it is released). InitVariantFromString copies the
// text into a new BSTR (a null text gives a null BSTR) and fails with E_OUTOFMEMORY, leaving
// the VARIANT VT_EMPTY.
HRESULT InitVariantFromInt32(LONG value, VARIANT* variant);
HRESULT InitVariantFromBoolean(BOOL value, VARIANT* variant);
HRESULT InitVariantFromDouble(double value, VARIANT* variant);
HRESULT InitVariantFromString(LPCOLESTR text, VARIANT* variant);

// Owns one VARIANT for the length of a scope: VariantInit on construction, VariantClear on
// destruction.
class ScopedVariant {
public:
    ScopedVariant() { VariantInit(&value_); }
    ~ScopedVariant() { VariantClear(&value_); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;

    VARIANT* Get() { return &value_; }
    const VARIANT* Get() const { return &value_; }
    VARIANT* operator->() { return &value_; }
    const VARIANT* operator->() const { return &value_; }

private:
    VARIANT value_;
};
