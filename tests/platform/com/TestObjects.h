// Small COM objects for the tests: their reference counts are observable, and they record
// what was called on them.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"

#include <vector>

// The count an object has right now: AddRef then Release, reading the value Release returns.
template <class T>
ULONG RefCount(T* object)
{
    object->AddRef();
    return object->Release();
}

// A sentinel for out-parameters: a non-null address that no call may leave in place on
// failure, nor dereference.
inline void* Sentinel() { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(0xDEADBEEF)); }

// A dispatch sink that records every Invoke (id and the arguments as given).
class RecordingDispatch final : public ComObject<IDispatch> {
public:
    struct Call {
        DISPID id;
        WORD flags;
        std::vector<LONG> i4Args; // VT_I4 arguments in rgvarg order
    };
    std::vector<Call> calls;

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        Call call{id, flags, {}};
        for (UINT i = 0; i < params->cArgs; ++i)
            if (params->rgvarg[i].vt == VT_I4)
                call.i4Args.push_back(params->rgvarg[i].lVal);
        calls.push_back(call);
        return S_OK;
    }
};

// A property-notify sink recording the ids it is told about.
class RecordingNotifySink final : public ComObject<IPropertyNotifySink> {
public:
    std::vector<DISPID> changed;
    HRESULT OnChanged(DISPID id) override
    {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) override { return S_OK; }
};
