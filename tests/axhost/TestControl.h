// A small ActiveX-style control for the host tests: a COM class with the OLE embedding
// interfaces, properties by dispatch id, a window made inside its container's window at
// in-place activation, a property-change and an event connection point, and a persisted
// state. Every call the host makes is recorded in order in the script, and any recorded
// step can be made to fail with a chosen status.
//
// One control at a time: the script describes the next control created and points at the
// live one. Thread: the user-interface thread.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPointHelper.h"
#include "platform/com/OleControls.h"

#include <map>
#include <string>
#include <vector>

DEFINE_GUID(CLSID_TestControl, 0x5E1F3A20, 0x6B7C, 0x4D8E, 0x9F, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD);
DEFINE_GUID(DIID_TestControlEvents, 0x5E1F3A21, 0x6B7C, 0x4D8E, 0x9F, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD);

class TestControl;

struct TestControlScript {
    // Calls in order, e.g. "GetMiscStatus", "SetClientSite(site)", "Invoke(-501,get)",
    // "Invoke(7,put,I4:5)", "DoVerb(-5)", "OnAmbientPropertyChange(-702)".
    std::vector<std::string> calls;
    // Method name (as in `calls`, without arguments) -> status it returns instead.
    std::map<std::string, HRESULT> failures;
    // Dispatch id -> description sent with DISP_E_EXCEPTION when that property is invoked.
    std::map<DISPID, std::string> invokeExceptions;
    DWORD miscStatus = 0;
    SIZEL extent{2540, 1270}; // 96 x 48 pixels
    IID eventIid = DIID_TestControlEvents;
    bool activates = true;    // DoVerb(-5) calls OnInPlaceActivate
    bool makesWindow = true;  // ... and creates a window
    HRESULT translateAccelerator = S_FALSE;
    HACCEL accelerators = nullptr; // GetControlInfo's table (the script owns it)
    USHORT acceleratorCount = 0;
    std::vector<UINT> windowMessages; // messages that reached the control's own window procedure
    TestControl* instance = nullptr;  // the live control, if any

    std::vector<std::string> TakeCalls();
    bool Called(const std::string& call) const;
};

TestControlScript& Script();
// Clears the script for the next test.
void ResetScript();

// Installs the test control under `clsid` (class factory and registry key), or removes it.
void RegisterTestControl(REFCLSID clsid);
void UnregisterTestControl(REFCLSID clsid);

// A short text of a value for the call record: "I4:5", "BOOL:-1", "BSTR:null", "BSTR:abc",
// "R8:1.5", "DISPATCH".
std::string DescribeValue(const VARIANT& value);

class TestControl final : public ComObject<IOleObject, IOleControl, IOleInPlaceObject, IOleInPlaceActiveObject,
                                            IPersistStreamInit, IDispatch, IConnectionPointContainer> {
public:
    TestControl();
    ~TestControl() override;

    // Fires an event on the event point; arguments in declared order (copied, then cleared).
    void FireEvent(DISPID id, std::vector<VARIANT> arguments);
    // Fires with a block the caller builds (element 0 = last argument).
    void FireEventBlock(DISPID id, DISPPARAMS& params);
    void FireChanged(DISPID id);
    // Sets a property without a call record.
    void SetProperty(DISPID id, const VARIANT& value);
    // The first sink advised on the event point (the host's event dispatch), or null.
    ComPtr<IDispatch> EventSink() const;
    std::size_t PropertySinkCount() const { return propertyPoint_.ConnectionCount(); }
    std::size_t EventSinkCount() const { return eventPoint_.ConnectionCount(); }
    HWND Window() const { return window_; }
    IOleClientSite* Site() const { return site_.Get(); }

    // IOleObject
    HRESULT SetClientSite(IOleClientSite* site) override;
    HRESULT GetClientSite(IOleClientSite** site) override;
    HRESULT SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    HRESULT Close(DWORD saveOption) override;
    HRESULT SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    HRESULT GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    HRESULT DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent, LPCRECT position) override;
    HRESULT EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    HRESULT Update() override { return S_OK; }
    HRESULT IsUpToDate() override { return S_OK; }
    HRESULT GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
    HRESULT Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT Unadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;
    HRESULT SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleControl
    HRESULT GetControlInfo(CONTROLINFO* info) override;
    HRESULT OnMnemonic(MSG* message) override;
    HRESULT OnAmbientPropertyChange(DISPID property) override;
    HRESULT FreezeEvents(BOOL) override { return S_OK; }

    // IOleWindow (both in-place interfaces)
    HRESULT GetWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    // IOleInPlaceObject
    HRESULT InPlaceDeactivate() override;
    HRESULT UIDeactivate() override;
    HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
    HRESULT ReactivateAndUndo() override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject
    HRESULT TranslateAccelerator(LPMSG message) override;
    HRESULT OnFrameWindowActivate(BOOL) override { return S_OK; }
    HRESULT OnDocWindowActivate(BOOL) override { return S_OK; }
    HRESULT ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }

    // IPersistStreamInit
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override { return S_OK; }
    HRESULT Load(LPSTREAM stream) override;
    HRESULT Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT InitNew() override;

    // IDispatch: properties by id
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

    // IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

private:
    HRESULT Record(const std::string& name, const std::string& arguments = {});
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT position);

    ComPtr<IOleClientSite> site_;
    ComPtr<IOleInPlaceSite> inPlaceSite_;
    HWND window_ = nullptr;
    bool inPlaceActive_ = false;
    std::map<DISPID, VARIANT> properties_;
    ConnectionPoints points_;
    ConnectionPoint& propertyPoint_;
    ConnectionPoint& eventPoint_;
};
