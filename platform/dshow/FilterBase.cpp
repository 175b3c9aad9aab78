#include "platform/dshow/FilterBase.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/Enumerators.h"
#include "platform/dshow/PinBase.h"

#include <algorithm>
#include <cstring>
#include <vector>

void CopyWideName(const std::u16string& text, WCHAR* target, int capacity)
{
    const std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(capacity - 1));
    std::memcpy(target, text.data(), count * sizeof(WCHAR));
    target[count] = 0;
}

HRESULT CoTaskMemString(const std::u16string& text, LPWSTR* target)
{
    if (target == nullptr)
        return E_POINTER;
    *target = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(WCHAR)));
    if (*target == nullptr)
        return E_OUTOFMEMORY;
    std::memcpy(*target, text.c_str(), (text.size() + 1) * sizeof(WCHAR));
    return S_OK;
}

FilterBase::FilterBase(const CLSID& clsid) : clsid_(clsid) {}

FilterBase::~FilterBase() = default;

ULONG FilterBase::AddRef()
{
    return ++references_;
}

ULONG FilterBase::Release()
{
    const ULONG remaining = --references_;
    if (remaining == 0)
        delete this;
    return remaining;
}

HRESULT FilterBase::GetClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = clsid_;
    return S_OK;
}

HRESULT FilterBase::OnStateChange(FILTER_STATE, FILTER_STATE, REFERENCE_TIME)
{
    return S_OK;
}

HRESULT FilterBase::ChangeState(FILTER_STATE to, REFERENCE_TIME start)
{
    return ComBoundary([&] {
        std::lock_guard lock(stateLock_);
        const FILTER_STATE from = state_.load();
        if (from == to)
            return S_OK;
        const HRESULT hr = OnStateChange(from, to, start);
        if (FAILED(hr))
            return hr;
        state_.store(to);
        return S_OK;
    });
}

HRESULT FilterBase::Stop()
{
    return ChangeState(State_Stopped, 0);
}

HRESULT FilterBase::Pause()
{
    return ChangeState(State_Paused, 0);
}

HRESULT FilterBase::Run(REFERENCE_TIME start)
{
    // Running always passes through paused, as the graph and a renderer expect.
    if (state_.load() == State_Stopped) {
        const HRESULT hr = ChangeState(State_Paused, 0);
        if (FAILED(hr))
            return hr;
    }
    return ChangeState(State_Running, start);
}

HRESULT FilterBase::GetState(DWORD, FILTER_STATE* state)
{
    if (state == nullptr)
        return E_POINTER;
    *state = state_.load();
    return S_OK;
}

HRESULT FilterBase::SetSyncSource(IReferenceClock* clock)
{
    std::lock_guard lock(stateLock_);
    clock_ = ComPtr<IReferenceClock>::AddRefFrom(clock);
    return S_OK;
}

HRESULT FilterBase::GetSyncSource(IReferenceClock** clock)
{
    if (clock == nullptr)
        return E_POINTER;
    std::lock_guard lock(stateLock_);
    return clock_.CopyTo(clock);
}

HRESULT FilterBase::EnumPins(IEnumPins** pins)
{
    if (pins == nullptr)
        return E_POINTER;
    *pins = nullptr;
    return ComBoundary([&] {
        std::vector<ComPtr<IPin>> list;
        for (int i = 0; i < PinCount(); ++i)
            list.push_back(ComPtr<IPin>::AddRefFrom(PinAt(i)));
        return CreatePinEnumerator(list, pins);
    });
}

HRESULT FilterBase::FindPin(LPCWSTR id, IPin** pin)
{
    if (id == nullptr || pin == nullptr)
        return E_POINTER;
    *pin = nullptr;
    return ComBoundary([&] {
        const std::u16string wanted(id);
        for (int i = 0; i < PinCount(); ++i) {
            PinBase* candidate = PinAt(i);
            if (candidate->Name() == wanted) {
                *pin = candidate;
                candidate->AddRef();
                return S_OK;
            }
        }
        return VFW_E_NOT_FOUND;
    });
}

HRESULT FilterBase::QueryFilterInfo(FILTER_INFO* info)
{
    if (info == nullptr)
        return E_POINTER;
    std::lock_guard lock(graphLock_);
    CopyWideName(name_, info->achName, MAX_FILTER_NAME);
    info->pGraph = graph_;
    if (graph_ != nullptr)
        graph_->AddRef();
    return S_OK;
}

HRESULT FilterBase::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    return ComBoundary([&] {
        std::lock_guard lock(graphLock_);
        graph_ = graph;
        eventSink_ = nullptr;
        if (graph != nullptr) {
            ComPtr<IMediaEventSink> sink;
            if (ComQuery(graph, sink) == S_OK)
                eventSink_ = sink.Get();  // not held: the graph outlives our membership
        }
        name_ = graph != nullptr && name != nullptr ? std::u16string(name) : std::u16string();
        if (name_.size() >= MAX_FILTER_NAME)
            name_.resize(MAX_FILTER_NAME - 1);
        return S_OK;
    });
}

HRESULT FilterBase::QueryVendorInfo(LPWSTR* vendorInfo)
{
    if (vendorInfo == nullptr)
        return E_POINTER;
    *vendorInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT FilterBase::NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2)
{
    std::lock_guard lock(graphLock_);
    if (eventSink_ == nullptr)
        return S_FALSE;
    return eventSink_->Notify(code, param1, param2);
}
