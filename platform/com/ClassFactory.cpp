#include "platform/com/ClassFactory.h"

#include <atomic>

namespace {
std::atomic<LONG> serverLocks{0};
}

ClassFactory::ClassFactory(CreateFunction create) : create_(std::move(create)) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (outer != nullptr)
        return CLASS_E_NOAGGREGATION;
    if (!create_)
        return E_UNEXPECTED;
    HRESULT hr = ComBoundary([&] { return create_(iid, object); });
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

HRESULT ClassFactory::LockServer(BOOL lock)
{
    if (lock)
        ++serverLocks;
    else
        --serverLocks;
    return S_OK;
}

LONG ClassFactory::ServerLocks() { return serverLocks.load(); }
