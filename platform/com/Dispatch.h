// IDispatch, the late-bound call interface through which properties are read and written and
// events are fired, with its argument block (DISPPARAMS), exception record (EXCEPINFO) and the
// standard dispatch ids.
//
// Argument order inside DISPPARAMS is the Windows one: rgvarg[cArgs - 1] is the first declared
// argument; named arguments (a property put's value is named DISPID_PROPERTYPUT) come first in
// rgvarg, matched by position with rgdispidNamedArgs.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

using DISPID = LONG;
using MEMBERID = DISPID;
using LCID = DWORD;

struct ITypeInfo; // never handed out here: GetTypeInfo answers E_NOTIMPL throughout

DEFINE_GUID(IID_IDispatch, 0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_ITypeInfo, 0x00020401, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

struct DISPPARAMS {
    VARIANTARG* rgvarg;
    DISPID* rgdispidNamedArgs;
    UINT cArgs;
    UINT cNamedArgs;
};

struct EXCEPINFO {
    WORD wCode;
    WORD wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    DWORD dwHelpContext;
    void* pvReserved;
    HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
    SCODE scode;
};
using LPEXCEPINFO = EXCEPINFO*;

constexpr WORD DISPATCH_METHOD = 0x1;
constexpr WORD DISPATCH_PROPERTYGET = 0x2;
constexpr WORD DISPATCH_PROPERTYPUT = 0x4;
constexpr WORD DISPATCH_PROPERTYPUTREF = 0x8;

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;
constexpr DISPID DISPID_EVALUATE = -5;
constexpr DISPID DISPID_CONSTRUCTOR = -6;
constexpr DISPID DISPID_DESTRUCTOR = -7;
constexpr DISPID DISPID_COLLECT = -8;

constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_NEUTRAL = 0x0000;

struct IDispatch : IUnknown {
    virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
    virtual HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) = 0;
    virtual HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* exception, UINT* argumentError) = 0;
};
COM_INTERFACE_TRAITS(IDispatch, IUnknown, IID_IDispatch);
using LPDISPATCH = IDispatch*;

// Reads the argument at `position` (0 = first declared) of an Invoke call, converted to vt,
// into *result (which the caller owns and clears). A named argument whose id equals position
// is preferred; otherwise the positional one. E_INVALIDARG for null blocks,
// DISP_E_PARAMNOTFOUND when absent, the conversion's status (and *argumentError = the index
// in rgvarg) when it cannot be converted.
HRESULT DispGetParam(DISPPARAMS* params, UINT position, VARTYPE vt, VARIANT* result, UINT* argumentError);

// Frees the strings of an exception record and zeroes it.
void ClearExcepInfo(EXCEPINFO* exception);
