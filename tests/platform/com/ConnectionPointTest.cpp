#include "platform/com/ConnectionPointHelper.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr IID EventsIid = {0x2D3A4C40, 0xE711, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};

// A source object with an event point and a property-notify point.
class Source final : public ComObject<IConnectionPointContainer> {
public:
    ConnectionPoints points{CanonicalUnknown()};
    ConnectionPoint& events = points.Add(EventsIid);
    ConnectionPoint& notify = points.Add(IID_IPropertyNotifySink);

    HRESULT EnumConnectionPoints(IEnumConnectionPoints** out) override { return points.EnumConnectionPoints(out); }
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** out) override
    {
        return points.FindConnectionPoint(iid, out);
    }
};

// An event sink that answers the event interface id with its IDispatch, as an event sink does.
class EventSink final : public ComObject<IDispatch> {
public:
    std::vector<DISPID> received;
    std::function<void()> onEvent;

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        received.push_back(id);
        if (onEvent)
            onEvent();
        return S_OK;
    }

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** object) override
    {
        if (iid != EventsIid)
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IDispatch*>(this);
        return S_OK;
    }
};

TEST(ConnectionPoint, FindAdviseFireUnadvise)
{
    ComPtr<Source> source = MakeComObject<Source>();
    ComPtr<EventSink> sink = MakeComObject<EventSink>();

    IConnectionPoint* point = reinterpret_cast<IConnectionPoint*>(Sentinel());
    EXPECT_EQ(source->FindConnectionPoint(IID_IDispatch, &point), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point, nullptr);
    ASSERT_EQ(source->FindConnectionPoint(EventsIid, &point), S_OK);
    EXPECT_EQ(RefCount(source.Get()), 2u) << "a point holds its container";

    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, EventsIid);
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(point->GetConnectionPointContainer(&container), S_OK);
    EXPECT_EQ(container, static_cast<IConnectionPointContainer*>(source.Get()));
    container->Release();

    DWORD cookie = 99;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(cookie, 0u);
    ComPtr<RecordingNotifySink> wrongKind = MakeComObject<RecordingNotifySink>();
    cookie = 99;
    EXPECT_EQ(point->Advise(wrongKind.Get(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(cookie, 0u);
    EXPECT_EQ(RefCount(wrongKind.Get()), 1u);

    DWORD first = 0, second = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &first), S_OK);
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &second), S_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(RefCount(sink.Get()), 3u) << "one reference per connection";

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    source->events.FireDispatch(3011, none);
    EXPECT_EQ(sink->received, (std::vector<DISPID>{3011, 3011}));

    EXPECT_EQ(point->Unadvise(first), S_OK);
    EXPECT_EQ(point->Unadvise(first), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(RefCount(sink.Get()), 2u);
    source->events.FireDispatch(2, none);
    EXPECT_EQ(sink->received.size(), 3u);

    DWORD third = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(sink.Get()), &third), S_OK);
    EXPECT_NE(third, first) << "cookies are not reused";
    point->Unadvise(second);
    point->Unadvise(third);
    EXPECT_EQ(RefCount(sink.Get()), 1u);
    point->Release();
    EXPECT_EQ(RefCount(source.Get()), 1u);
}

TEST(ConnectionPoint, SinkMayUnadviseWhileBeingCalled)
{
    ComPtr<Source> source = MakeComObject<Source>();
    ComPtr<EventSink> a = MakeComObject<EventSink>();
    ComPtr<EventSink> b = MakeComObject<EventSink>();
    DWORD cookieA = 0, cookieB = 0;
    source->events.Advise(static_cast<IDispatch*>(a.Get()), &cookieA);
    source->events.Advise(static_cast<IDispatch*>(b.Get()), &cookieB);
    a->onEvent = [&] { source->events.Unadvise(cookieA); };
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    source->events.FireDispatch(1, none);
    EXPECT_EQ(a->received.size(), 1u);
    EXPECT_EQ(b->received.size(), 1u) << "the snapshot still reaches later sinks";
    EXPECT_EQ(source->events.ConnectionCount(), 1u);
    EXPECT_EQ(RefCount(a.Get()), 1u);
}

TEST(ConnectionPoint, PropertyNotifyAndDestructionReleaseSinks)
{
    ComPtr<RecordingNotifySink> sink = MakeComObject<RecordingNotifySink>();
    {
        ComPtr<Source> source = MakeComObject<Source>();
        DWORD cookie = 0;
        ASSERT_EQ(source->notify.Advise(sink.Get(), &cookie), S_OK);
        source->notify.FireOnChanged(-514);
        EXPECT_EQ(sink->changed, std::vector<DISPID>{-514});
        EXPECT_EQ(RefCount(sink.Get()), 2u);
    }
    EXPECT_EQ(RefCount(sink.Get()), 1u) << "a dying source lets go of its sinks";
}

TEST(ConnectionPoint, Enumerators)
{
    ComPtr<Source> source = MakeComObject<Source>();
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(source->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* items[3] = {};
    ULONG fetched = 0;
    EXPECT_EQ(points->Next(3, items, nullptr), E_INVALIDARG) << "more than one needs a fetched count";
    EXPECT_EQ(points->Next(3, items, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 2u);
    IID iid{};
    items[1]->GetConnectionInterface(&iid);
    EXPECT_EQ(iid, IID_IPropertyNotifySink);
    items[0]->Release();
    items[1]->Release();
    EXPECT_EQ(points->Reset(), S_OK);
    EXPECT_EQ(points->Skip(1), S_OK);
    EXPECT_EQ(points->Skip(5), S_FALSE);
    points->Release();

    ComPtr<RecordingNotifySink> sink = MakeComObject<RecordingNotifySink>();
    DWORD cookie = 0;
    source->notify.Advise(sink.Get(), &cookie);
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(source->notify.EnumConnections(&connections), S_OK);
    IEnumConnections* clone = nullptr;
    ASSERT_EQ(connections->Clone(&clone), S_OK);
    CONNECTDATA data{};
    ASSERT_EQ(clone->Next(1, &data, nullptr), S_OK);
    EXPECT_EQ(data.dwCookie, cookie);
    EXPECT_EQ(data.pUnk, static_cast<IUnknown*>(sink.Get()));
    data.pUnk->Release();
    EXPECT_EQ(clone->Next(1, &data, nullptr), S_FALSE);
    clone->Release();
    connections->Release();
    EXPECT_EQ(RefCount(sink.Get()), 2u);
    EXPECT_EQ(RefCount(source.Get()), 1u);
}

} // namespace
