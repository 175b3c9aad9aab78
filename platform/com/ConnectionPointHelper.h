// The source side of connection points, for objects that fire events:
//
//   class Control : public ComObject<IOleObject, IConnectionPointContainer, ...> {
//       ConnectionPoints points_{this};          // IUnknown of the object, not held
//       ConnectionPoint& events_ = points_.Add(DIID_Events);
//       HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** p) override
//       { return points_.FindConnectionPoint(iid, p); }
//       ...
//       events_.FireDispatch(3011, params);       // to every advised sink
//   };
//
// A connection point lives inside its container object: its AddRef and Release count on the
// container, so a client holding a point keeps the whole object alive. Advise queries the sink
// for the point's interface and holds that reference until Unadvise or the container's
// destruction. Cookies start at 1 and are never reused within a point.
//
// Firing works on a snapshot of the sinks taken under a lock, so a sink may Unadvise (or
// another sink be advised) while an event is being delivered. Advise and firing may come from
// different threads; each sink is called on the firing thread.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoints.h"

#include <memory>
#include <mutex>
#include <vector>

class ConnectionPoint final : public ComInterfaces<IConnectionPoint> {
public:
    // container: the IUnknown of the object that owns this point (not held).
    ConnectionPoint(IUnknown* container, REFIID iid);
    ~ConnectionPoint() override;

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // E_POINTER for a null sink or cookie; CONNECT_E_CANNOTCONNECT when the sink does not
    // implement the point's interface. *cookie is 0 on failure.
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION for an unknown cookie.
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** connections) override;

    const IID& Iid() const { return iid_; }
    std::size_t ConnectionCount() const;

    // The advised sinks, each as a counted reference to the point's interface. The caller
    // may static_cast the pointers to that interface.
    std::vector<ComPtr<IUnknown>> Sinks() const;

    // Calls f(Interface*) for each sink; Interface must be the point's interface.
    template <class Interface, class F>
    void ForEachSink(F&& f) const
    {
        for (const ComPtr<IUnknown>& sink : Sinks())
            f(static_cast<Interface*>(static_cast<void*>(sink.Get())));
    }

    // For dispatch event interfaces: Invoke(id, DISPATCH_METHOD, params) on every sink. The
    // sinks' statuses are not reported, as a control does not depend on its listeners.
    void FireDispatch(DISPID id, DISPPARAMS& params) const;
    // For IPropertyNotifySink points.
    void FireOnChanged(DISPID property) const;

private:
    struct Connection {
        DWORD cookie;
        IUnknown* sink;
    };

    IUnknown* container_;
    IID iid_;
    mutable std::mutex mutex_;
    std::vector<Connection> connections_;
    DWORD nextCookie_ = 1;
};

class ConnectionPoints {
public:
    // container: the IUnknown of the owning object (not held).
    explicit ConnectionPoints(IUnknown* container);
    ConnectionPoints(const ConnectionPoints&) = delete;
    ConnectionPoints& operator=(const ConnectionPoints&) = delete;

    // Adds a point for an outgoing interface; the reference stays valid as long as this
    // object. Throws std::bad_alloc (call at construction, outside interface methods).
    ConnectionPoint& Add(REFIID iid);
    ConnectionPoint* Find(REFIID iid) const;

    // The bodies of IConnectionPointContainer's methods.
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points);
    // E_POINTER for a null out-parameter, CONNECT_E_NOCONNECTION for an unknown interface.
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point);

private:
    IUnknown* container_;
    std::vector<std::unique_ptr<ConnectionPoint>> points_;
};
