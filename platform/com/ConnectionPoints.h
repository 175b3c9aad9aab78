// Outgoing interfaces: an object that fires events or change notifications exposes one
// connection point per outgoing interface through IConnectionPointContainer; a client hands
// its sink to Advise and gets a cookie back for Unadvise. IPropertyNotifySink is the outgoing
// interface for property changes.
#pragma once

#include "platform/com/Dispatch.h"
#include "platform/com/Unknown.h"

DEFINE_GUID(IID_IConnectionPointContainer, 0xB196B284, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IEnumConnectionPoints, 0xB196B285, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IConnectionPoint, 0xB196B286, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IEnumConnections, 0xB196B287, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IPropertyNotifySink, 0x9BFBBC02, 0xEFF1, 0x101A, 0x84, 0xED, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);

struct IConnectionPoint;
struct IConnectionPointContainer;

struct CONNECTDATA {
    IUnknown* pUnk;
    DWORD dwCookie;
};
using LPCONNECTDATA = CONNECTDATA*;

struct IEnumConnections : IUnknown {
    // Items handed out carry a reference to their sink that the caller releases.
    virtual HRESULT Next(ULONG count, CONNECTDATA* items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnections** copy) = 0;
};
COM_INTERFACE_TRAITS(IEnumConnections, IUnknown, IID_IEnumConnections);

struct IConnectionPoint : IUnknown {
    virtual HRESULT GetConnectionInterface(IID* iid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;
    virtual HRESULT EnumConnections(IEnumConnections** connections) = 0;
};
COM_INTERFACE_TRAITS(IConnectionPoint, IUnknown, IID_IConnectionPoint);
using LPCONNECTIONPOINT = IConnectionPoint*;

struct IEnumConnectionPoints : IUnknown {
    virtual HRESULT Next(ULONG count, IConnectionPoint** items, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
    virtual HRESULT Clone(IEnumConnectionPoints** copy) = 0;
};
COM_INTERFACE_TRAITS(IEnumConnectionPoints, IUnknown, IID_IEnumConnectionPoints);

struct IConnectionPointContainer : IUnknown {
    virtual HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) = 0;
    virtual HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) = 0;
};
COM_INTERFACE_TRAITS(IConnectionPointContainer, IUnknown, IID_IConnectionPointContainer);
using LPCONNECTIONPOINTCONTAINER = IConnectionPointContainer*;

struct IPropertyNotifySink : IUnknown {
    virtual HRESULT OnChanged(DISPID property) = 0;
    virtual HRESULT OnRequestEdit(DISPID property) = 0;
};
COM_INTERFACE_TRAITS(IPropertyNotifySink, IUnknown, IID_IPropertyNotifySink);
