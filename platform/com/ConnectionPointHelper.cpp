#include "platform/com/ConnectionPointHelper.h"

#include "platform/com/Enumerator.h"

#include <algorithm>

namespace {

struct ConnectionItem {
    ComPtr<IUnknown> sink;
    DWORD cookie;
};

struct ConnectionTraits {
    using OutItem = CONNECTDATA;
    static CONNECTDATA HandOut(const ConnectionItem& item)
    {
        item.sink->AddRef();
        return CONNECTDATA{item.sink.Get(), item.cookie};
    }
};

using ConnectionEnumerator = ComEnumerator<IEnumConnections, ConnectionItem, ConnectionTraits>;
using PointEnumerator = ComEnumerator<IEnumConnectionPoints, ComPtr<IConnectionPoint>, InterfaceItemTraits<IConnectionPoint>>;

} // namespace

ConnectionPoint::ConnectionPoint(IUnknown* container, REFIID iid) : container_(container), iid_(iid) {}

ConnectionPoint::~ConnectionPoint()
{
    for (Connection& connection : connections_)
        connection.sink->Release();
}

ULONG ConnectionPoint::AddRef() { return container_->AddRef(); }
ULONG ConnectionPoint::Release() { return container_->Release(); }

HRESULT ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (iid == nullptr)
        return E_POINTER;
    *iid = iid_;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (container == nullptr)
        return E_POINTER;
    *container = nullptr;
    return container_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (cookie != nullptr)
        *cookie = 0;
    if (sink == nullptr || cookie == nullptr)
        return E_POINTER;
    void* typed = nullptr;
    if (FAILED(sink->QueryInterface(iid_, &typed)) || typed == nullptr)
        return CONNECT_E_CANNOTCONNECT;
    auto* held = static_cast<IUnknown*>(typed);
    std::lock_guard lock(mutex_);
    try {
        connections_.push_back(Connection{nextCookie_, held});
    } catch (const std::bad_alloc&) {
        held->Release();
        return E_OUTOFMEMORY;
    }
    *cookie = nextCookie_++;
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    IUnknown* sink = nullptr;
    {
        std::lock_guard lock(mutex_);
        auto it = std::find_if(connections_.begin(), connections_.end(),
                               [cookie](const Connection& c) { return c.cookie == cookie; });
        if (it == connections_.end())
            return CONNECT_E_NOCONNECTION;
        sink = it->sink;
        connections_.erase(it);
    }
    // Released outside the lock: the sink's destruction may call back into this point.
    sink->Release();
    return S_OK;
}

HRESULT ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections == nullptr)
        return E_POINTER;
    *connections = nullptr;
    return ComBoundary([&] {
        std::vector<ConnectionItem> items;
        {
            std::lock_guard lock(mutex_);
            for (const Connection& c : connections_)
                items.push_back(ConnectionItem{ComPtr<IUnknown>::AddRefFrom(c.sink), c.cookie});
        }
        *connections = MakeComObject<ConnectionEnumerator>(MakeSnapshot(std::move(items))).Detach();
        return S_OK;
    });
}

std::size_t ConnectionPoint::ConnectionCount() const
{
    std::lock_guard lock(mutex_);
    return connections_.size();
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const
{
    std::vector<ComPtr<IUnknown>> sinks;
    std::lock_guard lock(mutex_);
    sinks.reserve(connections_.size());
    for (const Connection& c : connections_)
        sinks.push_back(ComPtr<IUnknown>::AddRefFrom(c.sink));
    return sinks;
}

void ConnectionPoint::FireDispatch(DISPID id, DISPPARAMS& params) const
{
    ForEachSink<IDispatch>([&](IDispatch* sink) {
        sink->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    });
}

void ConnectionPoint::FireOnChanged(DISPID property) const
{
    ForEachSink<IPropertyNotifySink>([&](IPropertyNotifySink* sink) { sink->OnChanged(property); });
}

ConnectionPoints::ConnectionPoints(IUnknown* container) : container_(container) {}

ConnectionPoint& ConnectionPoints::Add(REFIID iid)
{
    points_.push_back(std::make_unique<ConnectionPoint>(container_, iid));
    return *points_.back();
}

ConnectionPoint* ConnectionPoints::Find(REFIID iid) const
{
    for (const auto& point : points_)
        if (point->Iid() == iid)
            return point.get();
    return nullptr;
}

HRESULT ConnectionPoints::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (points == nullptr)
        return E_POINTER;
    *points = nullptr;
    return ComBoundary([&] {
        std::vector<ComPtr<IConnectionPoint>> items;
        for (const auto& point : points_)
            items.push_back(ComPtr<IConnectionPoint>::AddRefFrom(point.get()));
        *points = MakeComObject<PointEnumerator>(MakeSnapshot(std::move(items))).Detach();
        return S_OK;
    });
}

HRESULT ConnectionPoints::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (point == nullptr)
        return E_POINTER;
    *point = nullptr;
    ConnectionPoint* found = Find(iid);
    if (found == nullptr)
        return CONNECT_E_NOCONNECTION;
    found->AddRef();
    *point = found;
    return S_OK;
}
