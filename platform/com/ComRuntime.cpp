#include "platform/com/ComRuntime.h"

#include "platform/com/ComPtr.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct ThreadState {
    ULONG comInits = 0;
    ULONG oleInits = 0;
    DWORD mode = COINIT_APARTMENTTHREADED;
};

thread_local ThreadState threadState;

struct ClassRegistry {
    std::mutex mutex;
    std::map<CLSID, IClassFactory*> factories;
};

// Never destroyed: objects destroyed at exit may still look classes up, and a factory still
// registered then keeps its reference (the process is ending).
ClassRegistry& Classes()
{
    static ClassRegistry* registry = new ClassRegistry;
    return *registry;
}

ComPtr<IClassFactory> FindFactory(REFCLSID clsid)
{
    ClassRegistry& registry = Classes();
    std::lock_guard lock(registry.mutex);
    auto it = registry.factories.find(clsid);
    if (it == registry.factories.end())
        return nullptr;
    return ComPtr<IClassFactory>::AddRefFrom(it->second);
}

} // namespace

HRESULT CoInitializeEx(LPVOID, DWORD mode)
{
    if (mode != COINIT_APARTMENTTHREADED && mode != COINIT_MULTITHREADED)
        return E_INVALIDARG;
    ThreadState& state = threadState;
    if (state.comInits != 0 && state.mode != mode)
        return RPC_E_CHANGED_MODE;
    state.mode = mode;
    return state.comInits++ == 0 ? S_OK : S_FALSE;
}

HRESULT CoInitialize(LPVOID reserved) { return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED); }

void CoUninitialize()
{
    ThreadState& state = threadState;
    if (state.comInits != 0)
        --state.comInits;
}

HRESULT OleInitialize(LPVOID)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(hr))
        return hr;
    return threadState.oleInits++ == 0 ? S_OK : S_FALSE;
}

void OleUninitialize()
{
    ThreadState& state = threadState;
    if (state.oleInits == 0)
        return;
    --state.oleInits;
    CoUninitialize();
}

HRESULT RegisterClassFactory(REFCLSID clsid, IClassFactory* factory)
{
    if (factory == nullptr)
        return E_POINTER;
    ClassRegistry& registry = Classes();
    std::lock_guard lock(registry.mutex);
    if (registry.factories.count(clsid) != 0)
        return CO_E_OBJISREG;
    try {
        registry.factories.emplace(clsid, factory);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    factory->AddRef();
    return S_OK;
}

HRESULT UnregisterClassFactory(REFCLSID clsid)
{
    IClassFactory* factory = nullptr;
    {
        ClassRegistry& registry = Classes();
        std::lock_guard lock(registry.mutex);
        auto it = registry.factories.find(clsid);
        if (it == registry.factories.end())
            return CO_E_OBJNOTREG;
        factory = it->second;
        registry.factories.erase(it);
    }
    // Released outside the lock: the factory's destructor may call back into the registry.
    factory->Release();
    return S_OK;
}

HRESULT CoGetClassObject(REFCLSID clsid, DWORD context, LPVOID, REFIID iid, LPVOID* object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (threadState.comInits == 0)
        return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    ComPtr<IClassFactory> factory = FindFactory(clsid);
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    return factory->QueryInterface(iid, object);
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, LPVOID* object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (threadState.comInits == 0)
        return CO_E_NOTINITIALIZED;
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    ComPtr<IClassFactory> factory = FindFactory(clsid);
    if (!factory)
        return REGDB_E_CLASSNOTREG;
    HRESULT hr = factory->CreateInstance(outer, iid, object);
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

LPVOID CoTaskMemAlloc(SIZE_T bytes) { return std::malloc(bytes == 0 ? 1 : bytes); }
LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes) { return std::realloc(memory, bytes == 0 ? 1 : bytes); }
void CoTaskMemFree(LPVOID memory) { std::free(memory); }

LCID GetUserDefaultLCID()
{
    const char* name = nullptr;
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != 0) {
            name = value;
            break;
        }
    }
    if (name == nullptr)
        return 0x0409;
    std::string locale(name);
    locale = locale.substr(0, locale.find_first_of(".@"));
    static const struct {
        const char* prefix;
        LCID lcid;
    } known[] = {
        {"en_GB", 0x0809}, {"en_CA", 0x1009}, {"en_AU", 0x0C09}, {"en", 0x0409},
        {"fr_BE", 0x080C}, {"fr_CA", 0x0C0C}, {"fr_CH", 0x100C}, {"fr", 0x040C},
        {"de_AT", 0x0C07}, {"de_CH", 0x0807}, {"de", 0x0407},
        {"es", 0x0C0A}, {"it", 0x0410}, {"nl", 0x0413}, {"pt_BR", 0x0416}, {"pt", 0x0816},
        {"sv", 0x041D}, {"da", 0x0406}, {"nb", 0x0414}, {"fi", 0x040B}, {"pl", 0x0415},
        {"cs", 0x0405}, {"hu", 0x040E}, {"ru", 0x0419}, {"ja", 0x0411}, {"zh_TW", 0x0404},
        {"zh", 0x0804}, {"ko", 0x0412},
    };
    for (const auto& entry : known) {
        std::size_t n = std::strlen(entry.prefix);
        if (locale.compare(0, n, entry.prefix) == 0 && (locale.size() == n || locale[n] == '_'))
            return entry.lcid;
    }
    return 0x0409;
}

int MulDiv(int number, int numerator, int denominator)
{
    if (denominator == 0)
        return -1;
    long long product = static_cast<long long>(number) * numerator;
    long long divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    long long half = divisor / 2;
    long long result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > INT32_MAX || result < INT32_MIN)
        return -1;
    return static_cast<int>(result);
}
