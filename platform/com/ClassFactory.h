// A class factory for in-process classes: checks its arguments as COM does, refuses
// aggregation, and creates objects through a creation function. MakeClassFactory<T>() gives
// one for any default-constructible ComObject class.
//
// Thread: CreateInstance may be called from any thread; the creation function decides whether
// the object it creates is usable there.
#pragma once

#include "platform/com/ComObject.h"

#include <functional>

class ClassFactory final : public ComObject<IClassFactory> {
public:
    // Creates an object and queries it for iid; writes the interface to *object on success.
    using CreateFunction = std::function<HRESULT(REFIID iid, void** object)>;

    explicit ClassFactory(CreateFunction create);

    // E_POINTER for a null out-parameter, CLASS_E_NOAGGREGATION for any outer object,
    // otherwise the creation function's status (exceptions mapped by ComBoundary).
    HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    // Counted per process; nothing is ever unloaded here, so the count is informational.
    HRESULT LockServer(BOOL lock) override;

    static LONG ServerLocks();

private:
    CreateFunction create_;
};

template <class T>
ComPtr<IClassFactory> MakeClassFactory()
{
    return MakeComObject<ClassFactory>([](REFIID iid, void** object) -> HRESULT {
        ComPtr<T> instance = MakeComObject<T>();
        return instance->QueryInterface(iid, object);
    });
}
