// The filter graph manager: membership, connections, building from a file, state changes.
#include "platform/dshow/FilterGraph.h"

#include "platform/dshow/ColorConverter.h"
#include "platform/dshow/Enumerators.h"
#include "platform/dshow/VideoRenderer.h"
#include "platform/dshow/VideoSourceFilter.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

namespace {

// The filters fed by `filter` through its connected output pins.
std::vector<ComPtr<IBaseFilter>> DownstreamOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IBaseFilter>> result;
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return result;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::TakeOver(pin);
        PIN_DIRECTION direction;
        ComPtr<IPin> peer;
        if (held->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT ||
            held->ConnectedTo(peer.ReleaseAndGetAddressOf()) != S_OK)
            continue;
        PIN_INFO info;
        if (peer->QueryPinInfo(&info) == S_OK && info.pFilter != nullptr)
            result.push_back(ComPtr<IBaseFilter>::TakeOver(info.pFilter));
    }
    return result;
}

// Counts a filter's connected input pins and all its output pins.
void CountPins(IBaseFilter* filter, int& connectedInputs, int& outputs)
{
    connectedInputs = outputs = 0;
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::TakeOver(pin);
        PIN_DIRECTION direction;
        if (held->QueryDirection(&direction) != S_OK)
            continue;
        ComPtr<IPin> peer;
        if (direction == PINDIR_OUTPUT)
            ++outputs;
        else if (held->ConnectedTo(peer.ReleaseAndGetAddressOf()) == S_OK)
            ++connectedInputs;
    }
}

std::vector<ComPtr<IPin>> PinsOf(IBaseFilter* filter)
{
    std::vector<ComPtr<IPin>> result;
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return result;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK)
        result.push_back(ComPtr<IPin>::TakeOver(pin));
    return result;
}

bool IsNegotiationFailure(HRESULT hr)
{
    return hr == VFW_E_NO_ACCEPTABLE_TYPES || hr == VFW_E_TYPE_NOT_ACCEPTED || hr == VFW_E_NO_TRANSPORT;
}

}  // namespace

FilterGraph::FilterGraph() = default;

FilterGraph::~FilterGraph()
{
    std::lock_guard drive(driveLock_);
    Stop();
    // Connections hold the filters of their peers: break them all before letting go.
    for (const Entry& entry : filters_)
        DisconnectAll(entry.filter.Get());
    for (const Entry& entry : filters_)
        entry.filter->JoinFilterGraph(nullptr, nullptr);
    std::vector<Entry> released;
    {
        std::lock_guard lock(filtersLock_);
        released.swap(filters_);
    }
}

bool FilterGraph::Contains(IBaseFilter* filter) const
{
    return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.filter.Get() == filter; });
}

bool FilterGraph::OwnsPin(IPin* pin) const
{
    PIN_INFO info;
    if (pin->QueryPinInfo(&info) != S_OK || info.pFilter == nullptr)
        return false;
    ComPtr<IBaseFilter> filter = ComPtr<IBaseFilter>::TakeOver(info.pFilter);
    return Contains(filter.Get());
}

void FilterGraph::DisconnectAll(IBaseFilter* filter)
{
    for (const ComPtr<IPin>& pin : PinsOf(filter)) {
        ComPtr<IPin> peer;
        if (pin->ConnectedTo(peer.ReleaseAndGetAddressOf()) == S_OK)
            peer->Disconnect();
        pin->Disconnect();
    }
}

std::vector<ComPtr<IBaseFilter>> FilterGraph::DownstreamFirst() const
{
    std::map<IBaseFilter*, int> depth;
    const int limit = static_cast<int>(filters_.size());
    std::function<int(IBaseFilter*, int)> depthOf = [&](IBaseFilter* filter, int level) -> int {
        if (const auto found = depth.find(filter); found != depth.end())
            return found->second;
        int deepest = 0;
        if (level < limit)
            for (const ComPtr<IBaseFilter>& next : DownstreamOf(filter))
                deepest = std::max(deepest, 1 + depthOf(next.Get(), level + 1));
        depth[filter] = deepest;
        return deepest;
    };
    std::vector<ComPtr<IBaseFilter>> ordered;
    for (const Entry& entry : filters_) {
        depthOf(entry.filter.Get(), 0);
        ordered.push_back(entry.filter);
    }
    std::stable_sort(ordered.begin(), ordered.end(), [&](const ComPtr<IBaseFilter>& a, const ComPtr<IBaseFilter>& b) {
        return depth[a.Get()] < depth[b.Get()];
    });
    return ordered;
}

// --- IFilterGraph ------------------------------------------------------------------------

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name)
{
    if (filter == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        if (Contains(filter))
            return E_INVALIDARG;
        const std::u16string wanted = name != nullptr ? std::u16string(name) : std::u16string();
        std::u16string chosen = wanted;
        auto taken = [&](const std::u16string& candidate) {
            return std::any_of(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.name == candidate; });
        };
        // As the real manager does: a taken name gets a number, and the caller is told.
        for (int suffix = 1; taken(chosen); ++suffix) {
            if (suffix > 9999)
                return VFW_E_DUPLICATE_NAME;
            char digits[8];
            std::snprintf(digits, sizeof digits, " %04d", suffix);
            chosen = wanted + std::u16string(digits, digits + 5);
        }
        const HRESULT hr = filter->JoinFilterGraph(static_cast<IGraphBuilder*>(this), chosen.c_str());
        if (FAILED(hr))
            return hr;
        {
            std::lock_guard lock(filtersLock_);
            filters_.push_back(Entry{ComPtr<IBaseFilter>::AddRefFrom(filter), chosen});
        }
        ComPtr<IVideoOwner> video;
        if (videoOwner_ != nullptr && ComQuery(filter, video) == S_OK)
            video->put_Owner(videoOwner_);
        return chosen == wanted ? S_OK : VFW_S_DUPLICATE_NAME;
    });
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter)
{
    if (filter == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        const auto found =
            std::find_if(filters_.begin(), filters_.end(), [&](const Entry& e) { return e.filter.Get() == filter; });
        if (found == filters_.end())
            return VFW_E_NOT_FOUND;
        if (state_.load() != State_Stopped)
            return VFW_E_NOT_STOPPED;
        const ComPtr<IBaseFilter> keep = found->filter;
        DisconnectAll(filter);
        filter->JoinFilterGraph(nullptr, nullptr);
        std::lock_guard lock(filtersLock_);
        filters_.erase(found);
        return S_OK;
    });
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** filters)
{
    if (filters == nullptr)
        return E_POINTER;
    *filters = nullptr;
    return ComBoundary([&] {
        std::vector<ComPtr<IBaseFilter>> list;
        std::lock_guard lock(filtersLock_);
        for (const Entry& entry : filters_)
            list.push_back(entry.filter);
        return CreateFilterEnumerator(list, filters);
    });
}

HRESULT FilterGraph::FindFilterByName(LPCWSTR name, IBaseFilter** filter)
{
    if (name == nullptr || filter == nullptr)
        return E_POINTER;
    *filter = nullptr;
    std::lock_guard lock(filtersLock_);
    for (const Entry& entry : filters_)
        if (entry.name == name)
            return entry.filter.CopyTo(filter);
    return VFW_E_NOT_FOUND;
}

HRESULT FilterGraph::ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* mediaType)
{
    if (output == nullptr || input == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        if (!OwnsPin(output) || !OwnsPin(input))
            return VFW_E_NOT_IN_GRAPH;
        if (state_.load() != State_Stopped)
            return VFW_E_NOT_STOPPED;
        PIN_DIRECTION direction;
        if (output->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT)
            return VFW_E_INVALID_DIRECTION;
        return output->Connect(input, mediaType);
    });
}

HRESULT FilterGraph::Reconnect(IPin* pin)
{
    if (pin == nullptr)
        return E_POINTER;
    // Formats never change within a stream of this graph, so nothing asks for this.
    return E_NOTIMPL;
}

HRESULT FilterGraph::Disconnect(IPin* pin)
{
    if (pin == nullptr)
        return E_POINTER;
    std::lock_guard drive(driveLock_);
    return pin->Disconnect();
}

HRESULT FilterGraph::SetDefaultSyncSource()
{
    return S_OK;  // every filter already paces itself on the steady clock
}

// --- IGraphBuilder -----------------------------------------------------------------------

HRESULT FilterGraph::Connect(IPin* output, IPin* input)
{
    if (output == nullptr || input == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        PIN_DIRECTION outDirection;
        PIN_DIRECTION inDirection;
        if (output->QueryDirection(&outDirection) != S_OK || input->QueryDirection(&inDirection) != S_OK ||
            outDirection != PINDIR_OUTPUT || inDirection != PINDIR_INPUT)
            return VFW_E_INVALID_DIRECTION;
        const HRESULT hr = ConnectDirect(output, input, nullptr);
        if (!IsNegotiationFailure(hr))
            return hr;
        return ConnectThroughConverter(output, input) == S_OK ? S_OK : VFW_E_CANNOT_CONNECT;
    });
}

HRESULT FilterGraph::ConnectThroughConverter(IPin* output, IPin* input)
{
    ComPtr<ColorConverter> converter = ColorConverter::Create();
    if (AddFilter(converter.Get(), u"Color Space Converter") != S_OK &&
        !Contains(converter.Get()))
        return E_FAIL;
    ComPtr<IPin> converterIn;
    ComPtr<IPin> converterOut;
    converter->FindPin(u"Input", converterIn.ReleaseAndGetAddressOf());
    converter->FindPin(u"Output", converterOut.ReleaseAndGetAddressOf());
    if (ConnectDirect(output, converterIn.Get(), nullptr) == S_OK &&
        ConnectDirect(converterOut.Get(), input, nullptr) == S_OK)
        return S_OK;
    RemoveFilter(converter.Get());
    return VFW_E_CANNOT_CONNECT;
}

HRESULT FilterGraph::Render(IPin* output)
{
    if (output == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        PIN_DIRECTION direction;
        if (output->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT)
            return VFW_E_INVALID_DIRECTION;
        ComPtr<IPin> peer;
        if (output->ConnectedTo(peer.ReleaseAndGetAddressOf()) == S_OK)
            return VFW_E_ALREADY_CONNECTED;
        ComPtr<VideoRenderer> renderer = VideoRenderer::Create();
        if (FAILED(AddFilter(renderer.Get(), u"Video Renderer")))
            return VFW_E_CANNOT_RENDER;
        ComPtr<IPin> input;
        renderer->FindPin(u"Input", input.ReleaseAndGetAddressOf());
        if (Connect(output, input.Get()) != S_OK) {
            RemoveFilter(renderer.Get());
            return VFW_E_CANNOT_RENDER;
        }
        return S_OK;
    });
}

HRESULT FilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter)
{
    if (file == nullptr || filter == nullptr)
        return E_POINTER;
    *filter = nullptr;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        ComPtr<VideoSourceFilter> source;
        std::string message;
        const HRESULT hr = VideoSourceFilter::Open(Utf16ToUtf8(file), source, message);
        if (hr != S_OK) {
            std::lock_guard lock(eventLock_);
            buildError_ = message;
            return hr;
        }
        const HRESULT added = AddFilter(source.Get(), filterName != nullptr ? filterName : file);
        if (FAILED(added))
            return added;
        {
            std::lock_guard lock(eventLock_);
            buildError_.clear();
            streamFailed_ = false;
        }
        *filter = source.Detach();
        return S_OK;
    });
}

HRESULT FilterGraph::RenderFile(LPCWSTR file, LPCWSTR)
{
    if (file == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        ComPtr<IBaseFilter> source;
        HRESULT hr = AddSourceFilter(file, file, source.ReleaseAndGetAddressOf());
        if (hr != S_OK)
            return hr;
        for (const ComPtr<IPin>& pin : PinsOf(source.Get())) {
            PIN_DIRECTION direction;
            if (pin->QueryDirection(&direction) == S_OK && direction == PINDIR_OUTPUT) {
                hr = Render(pin.Get());
                if (hr != S_OK)
                    break;
            }
        }
        if (hr != S_OK) {
            RemoveFilter(source.Get());
            std::lock_guard lock(eventLock_);
            buildError_ = "The video of " + Utf16ToUtf8(file) + " cannot be shown.";
        }
        return hr;
    });
}

HRESULT FilterGraph::SetLogFile(DWORD_PTR)
{
    return S_OK;  // nothing to log: graph building here has no search to trace
}

HRESULT FilterGraph::Abort()
{
    return S_OK;  // building never waits, so there is nothing to interrupt
}

HRESULT FilterGraph::ShouldOperationContinue()
{
    return S_OK;
}

// --- IDispatch ---------------------------------------------------------------------------

HRESULT FilterGraph::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT FilterGraph::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo == nullptr)
        return E_POINTER;
    *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT FilterGraph::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT FilterGraph::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

// --- IMediaControl -----------------------------------------------------------------------

void FilterGraph::PrepareCompletion()
{
    int renderers = 0;
    for (const Entry& entry : filters_) {
        int inputs;
        int outputs;
        CountPins(entry.filter.Get(), inputs, outputs);
        if (inputs > 0 && outputs == 0)
            ++renderers;
    }
    std::lock_guard lock(eventLock_);
    completesNeeded_ = std::max(renderers, 1);
    completesSeen_ = 0;
}

HRESULT FilterGraph::Run()
{
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        if (state_.load() == State_Running)
            return S_OK;
        if (state_.load() == State_Stopped) {
            const HRESULT hr = Pause();
            if (FAILED(hr))
                return hr;
        }
        PrepareCompletion();
        HRESULT result = S_OK;
        for (const ComPtr<IBaseFilter>& filter : DownstreamFirst()) {
            const HRESULT hr = filter->Run(0);
            if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
        state_.store(State_Running);
        return result;
    });
}

HRESULT FilterGraph::Pause()
{
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        HRESULT result = S_OK;
        for (const ComPtr<IBaseFilter>& filter : DownstreamFirst()) {
            const HRESULT hr = filter->Pause();
            if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
        state_.store(State_Paused);
        return result;
    });
}

HRESULT FilterGraph::Stop()
{
    return ComBoundary([&]() -> HRESULT {
        std::lock_guard drive(driveLock_);
        std::vector<ComPtr<IBaseFilter>> order = DownstreamFirst();
        std::reverse(order.begin(), order.end());  // sources first: the stream ends before its receivers
        HRESULT result = S_OK;
        for (const ComPtr<IBaseFilter>& filter : order) {
            const HRESULT hr = filter->Stop();
            if (FAILED(hr) && SUCCEEDED(result))
                result = hr;
        }
        state_.store(State_Stopped);
        return result;
    });
}

HRESULT FilterGraph::GetState(LONG, OAFilterState* state)
{
    if (state == nullptr)
        return E_POINTER;
    *state = state_.load();
    return S_OK;
}

HRESULT FilterGraph::RenderFile(BSTR file)
{
    return RenderFile(static_cast<LPCWSTR>(file), nullptr);
}

HRESULT FilterGraph::AddSourceFilter(BSTR, IDispatch** filter)
{
    if (filter == nullptr)
        return E_POINTER;
    *filter = nullptr;
    return E_NOTIMPL;  // the automation filter collections are not offered
}

HRESULT FilterGraph::get_FilterCollection(IDispatch** collection)
{
    if (collection == nullptr)
        return E_POINTER;
    *collection = nullptr;
    return E_NOTIMPL;
}

HRESULT FilterGraph::get_RegFilterCollection(IDispatch** collection)
{
    if (collection == nullptr)
        return E_POINTER;
    *collection = nullptr;
    return E_NOTIMPL;
}

HRESULT FilterGraph::StopWhenReady()
{
    std::lock_guard drive(driveLock_);
    // Pausing delivers the current frame before it returns, so the graph is ready at once.
    const HRESULT hr = Pause();
    const HRESULT stopped = Stop();
    return FAILED(hr) ? hr : stopped;
}

// --- IGraphLock --------------------------------------------------------------------------

void FilterGraph::DriveLock::lock()
{
    std::unique_lock guard(lock_);
    const std::thread::id me = std::this_thread::get_id();
    if (depth_ > 0 && owner_ == me) {
        ++depth_;
        return;
    }
    free_.wait(guard, [&] { return depth_ == 0; });
    owner_ = me;
    depth_ = 1;
}

bool FilterGraph::DriveLock::unlock()
{
    std::lock_guard guard(lock_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id())
        return false;
    if (--depth_ == 0) {
        owner_ = std::thread::id();
        free_.notify_one();
    }
    return true;
}

HRESULT FilterGraph::Lock()
{
    driveLock_.lock();
    return S_OK;
}

HRESULT FilterGraph::Unlock()
{
    return driveLock_.unlock() ? S_OK : S_FALSE;
}
