// TEventDispatch: the sink on which a hosted control fires its events. The host advises it
// on the control's event interface; every Invoke is handed to the host: the standard click,
// key and mouse events (-607 to -600) to DispatchStandardEvent, all others to
// DispatchEvent. Invoke always answers S_OK: a listener's trouble is never the control's.
//
// Ownership: the host creates and frees it; its AddRef and Release count on the host, whose
// life the component tree decides. The back pointer to the host is not owned.
// Thread: the user-interface thread, inside the control's call.
#pragma once

#include "framework/Events.h"
#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

class TOleControl2;

class TEventDispatch final : public ComInterfaces<IDispatch> {
public:
    explicit TEventDispatch(TOleControl2* control) : control_(control) {}
    ~TEventDispatch() override = default;

    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

    // Its own interface, counted on the host.
    IDispatch* Interface() { return this; }

protected:
    // The control's event interface id is answered with this object's IDispatch.
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;

private:
    TOleControl2* control_; // the host owns us
};

// Shift states and buttons of the standard key and mouse events, indexed by the control's
// 3-bit masks: shift (1 shift, 2 ctrl, 4 alt) and buttons (1 left, 2 right, 4 middle).
extern const TShiftState ShiftMap[8];
extern const TShiftState MouseMap[8];
extern const TMouseButton ButtonMap[8];
