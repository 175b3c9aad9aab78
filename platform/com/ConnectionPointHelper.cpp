#include "platform/com/ConnectionPointHelper.h"

#include <algorithm>

namespace {

// Next/Skip/Reset/Clone over a fixed snapshot of counted references. Hands out a new
// reference with every item; the snapshot keeps its own until the enumerator goes away.
template <class Enum, class Item, class Traits>
class SnapshotEnumerator final : public ComObject<Enum> {
public:
    SnapshotEnumerator(std::shared_ptr<const std::vector<Item>> items, std::size_t position)
        : items_(std::move(items)), position_(position)
    {
    }

    HRESULT Next(ULONG count, typename Traits::OutItem* out, ULONG* fetched) override
    {
        if (fetched != nullptr)
            *fetched = 0;
        if (out == nullptr)
            return E_POINTER;
        if (count > 1 && fetched == nullptr)
            return E_INVALIDARG;
        ULONG n = 0;
        while (n < count && position_ < items_->size()) {
            out[n] = Traits::HandOut((*items_)[position_]);
            ++n;
            ++position_;
        }
        if (fetched != nullptr)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }

    HRESULT Skip(ULONG count) override
    {
        std::size_t left = items_->size() - position_;
        position_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }

    HRESULT Reset() override
    {
        position_ = 0;
        return S_OK;
    }

    HRESULT Clone(Enum** copy) override
    {
        if (copy == nullptr)
            return E_POINTER;
        *copy = nullptr;
        return ComBoundary([&] {
            *copy = MakeComObject<SnapshotEnumerator>(items_, position_).Detach();
            return S_OK;
        });
    }

private:
    std::shared_ptr<const std::vector<Item>> items_;
    std::size_t position_;
};

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

struct PointTraits {
    using OutItem = IConnectionPoint*;
    static IConnectionPoint* HandOut(const ComPtr<IConnectionPoint>& item)
    {
        item->AddRef();
        return item.Get();
    }
};

using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, ConnectionItem, ConnectionTraits>;
using PointEnumerator = SnapshotEnumerator<IEnumConnectionPoints, ComPtr<IConnectionPoint>, PointTraits>;

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
        auto items = std::make_shared<std::vector<ConnectionItem>>();
        {
            std::lock_guard lock(mutex_);
            for (const Connection& c : connections_)
                items->push_back(ConnectionItem{ComPtr<IUnknown>::AddRefFrom(c.sink), c.cookie});
        }
        *connections = MakeComObject<ConnectionEnumerator>(std::move(items), 0).Detach();
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
        auto items = std::make_shared<std::vector<ComPtr<IConnectionPoint>>>();
        for (const auto& point : points_)
            items->push_back(ComPtr<IConnectionPoint>::AddRefFrom(point.get()));
        *points = MakeComObject<PointEnumerator>(std::move(items), 0).Detach();
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
