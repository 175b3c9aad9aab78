// The OLE embedding interfaces between a container and an embedded object: the object side
// (IOleObject, IOleInPlaceObject, IOleInPlaceActiveObject, IPersist*, IViewObject) and the
// container side (IOleClientSite, IOleInPlaceSite, IOleInPlaceUIWindow, IOleInPlaceFrame,
// IOleContainer), with the Windows method order, argument types and constants.
//
// Interfaces that only ever travel as null or opaque arguments here (monikers, data objects,
// advise sinks, verb and data enumerators, bind contexts) are declared but not defined: code
// can pass them along but not call them. MSG is the window message record of the user layer
// (platform/user/WinUser.h); it is only passed by pointer here.
#pragma once

#include "platform/com/Persist.h"
#include "platform/com/Storage.h"
#include "platform/com/Unknown.h"

struct MSG;
using LPMSG = MSG*;

struct IMoniker;
struct IDataObject;
struct IEnumOLEVERB;
struct IAdviseSink;
struct IEnumSTATDATA;
struct IBindCtx;
struct IEnumUnknown;
struct DVTARGETDEVICE;
struct LOGPALETTE;

using RECTL = RECT;
using LPRECTL = RECTL*;
using LPCRECTL = const RECTL*;
using POINTL = POINT;
using BORDERWIDTHS = RECT;
using LPBORDERWIDTHS = BORDERWIDTHS*;
using LPCBORDERWIDTHS = const BORDERWIDTHS*;
using HOLEMENU = HGLOBAL;

DEFINE_GUID(IID_IViewObject, 0x0000010D, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleObject, 0x00000112, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleInPlaceObject, 0x00000113, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleWindow, 0x00000114, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleInPlaceUIWindow, 0x00000115, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleInPlaceFrame, 0x00000116, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleInPlaceActiveObject, 0x00000117, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleClientSite, 0x00000118, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleInPlaceSite, 0x00000119, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IParseDisplayName, 0x0000011A, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IOleContainer, 0x0000011B, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersistStreamInit, 0x7FD52380, 0x4E07, 0x101B, 0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13);

// OLEMISC: how an object wants to be treated by its container (IOleObject::GetMiscStatus).
constexpr DWORD OLEMISC_RECOMPOSEONRESIZE = 0x1;
constexpr DWORD OLEMISC_ONLYICONIC = 0x2;
constexpr DWORD OLEMISC_INSERTNOTREPLACE = 0x4;
constexpr DWORD OLEMISC_STATIC = 0x8;
constexpr DWORD OLEMISC_CANTLINKINSIDE = 0x10;
constexpr DWORD OLEMISC_CANLINKBYOLE1 = 0x20;
constexpr DWORD OLEMISC_ISLINKOBJECT = 0x40;
constexpr DWORD OLEMISC_INSIDEOUT = 0x80;
constexpr DWORD OLEMISC_ACTIVATEWHENVISIBLE = 0x100;
constexpr DWORD OLEMISC_RENDERINGISDEVICEINDEPENDENT = 0x200;
constexpr DWORD OLEMISC_INVISIBLEATRUNTIME = 0x400;
constexpr DWORD OLEMISC_ALWAYSRUN = 0x800;
constexpr DWORD OLEMISC_ACTSLIKEBUTTON = 0x1000;
constexpr DWORD OLEMISC_ACTSLIKELABEL = 0x2000;
constexpr DWORD OLEMISC_NOUIACTIVATE = 0x4000;
constexpr DWORD OLEMISC_ALIGNABLE = 0x8000;
constexpr DWORD OLEMISC_SIMPLEFRAME = 0x10000;
constexpr DWORD OLEMISC_SETCLIENTSITEFIRST = 0x20000;
constexpr DWORD OLEMISC_IMEMODE = 0x40000;
constexpr DWORD OLEMISC_IGNOREACTIVATEWHENVISIBLE = 0x80000;
constexpr DWORD OLEMISC_WANTSTOMENUMERGE = 0x100000;
constexpr DWORD OLEMISC_SUPPORTSMULTILEVELUNDO = 0x200000;

constexpr LONG OLEIVERB_PRIMARY = 0;
constexpr LONG OLEIVERB_SHOW = -1;
constexpr LONG OLEIVERB_OPEN = -2;
constexpr LONG OLEIVERB_HIDE = -3;
constexpr LONG OLEIVERB_UIACTIVATE = -4;
constexpr LONG OLEIVERB_INPLACEACTIVATE = -5;
constexpr LONG OLEIVERB_DISCARDUNDOSTATE = -6;
constexpr LONG OLEIVERB_PROPERTIES = -7;

constexpr DWORD OLECLOSE_SAVEIFDIRTY = 0;
constexpr DWORD OLECLOSE_NOSAVE = 1;
constexpr DWORD OLECLOSE_PROMPTSAVE = 2;

constexpr DWORD DVASPECT_CONTENT = 1;
constexpr DWORD DVASPECT_THUMBNAIL = 2;
constexpr DWORD DVASPECT_ICON = 4;
constexpr DWORD DVASPECT_DOCPRINT = 8;

constexpr DWORD OLEGETMONIKER_ONLYIFTHERE = 1;
constexpr DWORD OLEGETMONIKER_FORCEASSIGN = 2;
constexpr DWORD OLEGETMONIKER_UNASSIGN = 3;
constexpr DWORD OLEGETMONIKER_TEMPFORUSER = 4;
constexpr DWORD OLEWHICHMK_CONTAINER = 1;
constexpr DWORD OLEWHICHMK_OBJREL = 2;
constexpr DWORD OLEWHICHMK_OBJFULL = 3;

constexpr DWORD USERCLASSTYPE_FULL = 1;
constexpr DWORD USERCLASSTYPE_SHORT = 2;
constexpr DWORD USERCLASSTYPE_APPNAME = 3;

struct OLEINPLACEFRAMEINFO {
    UINT cb;
    BOOL fMDIApp;
    HWND hwndFrame;
    HACCEL haccel;
    UINT cAccelEntries;
};
using LPOLEINPLACEFRAMEINFO = OLEINPLACEFRAMEINFO*;

// Menu groups of a shared menu: file, edit, container, object, window, help.
struct OLEMENUGROUPWIDTHS {
    LONG width[6];
};
using LPOLEMENUGROUPWIDTHS = OLEMENUGROUPWIDTHS*;

struct IPersistStreamInit : IPersist {
    virtual HRESULT IsDirty() = 0;
    virtual HRESULT Load(LPSTREAM stream) = 0;
    virtual HRESULT Save(LPSTREAM stream, BOOL clearDirty) = 0;
    virtual HRESULT GetSizeMax(ULARGE_INTEGER* size) = 0;
    virtual HRESULT InitNew() = 0;
};
COM_INTERFACE_TRAITS(IPersistStreamInit, IPersist, IID_IPersistStreamInit);

struct IOleWindow : IUnknown {
    virtual HRESULT GetWindow(HWND* window) = 0;
    virtual HRESULT ContextSensitiveHelp(BOOL enterMode) = 0;
};
COM_INTERFACE_TRAITS(IOleWindow, IUnknown, IID_IOleWindow);

struct IOleInPlaceObject : IOleWindow {
    virtual HRESULT InPlaceDeactivate() = 0;
    virtual HRESULT UIDeactivate() = 0;
    virtual HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
    virtual HRESULT ReactivateAndUndo() = 0;
};
COM_INTERFACE_TRAITS(IOleInPlaceObject, IOleWindow, IID_IOleInPlaceObject);

struct IOleInPlaceUIWindow;

struct IOleInPlaceActiveObject : IOleWindow {
    // S_OK when the object handled the message, S_FALSE when the container should.
    virtual HRESULT TranslateAccelerator(LPMSG message) = 0;
    virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
    virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
    virtual HRESULT ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
};
COM_INTERFACE_TRAITS(IOleInPlaceActiveObject, IOleWindow, IID_IOleInPlaceActiveObject);

struct IOleInPlaceUIWindow : IOleWindow {
    virtual HRESULT GetBorder(LPRECT border) = 0;
    virtual HRESULT RequestBorderSpace(LPCBORDERWIDTHS widths) = 0;
    virtual HRESULT SetBorderSpace(LPCBORDERWIDTHS widths) = 0;
    virtual HRESULT SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) = 0;
};
COM_INTERFACE_TRAITS(IOleInPlaceUIWindow, IOleWindow, IID_IOleInPlaceUIWindow);

struct IOleInPlaceFrame : IOleInPlaceUIWindow {
    virtual HRESULT InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) = 0;
    virtual HRESULT SetMenu(HMENU shared, HOLEMENU descriptor, HWND objectWindow) = 0;
    virtual HRESULT RemoveMenus(HMENU shared) = 0;
    virtual HRESULT SetStatusText(LPCOLESTR text) = 0;
    virtual HRESULT EnableModeless(BOOL enable) = 0;
    virtual HRESULT TranslateAccelerator(LPMSG message, WORD id) = 0;
};
COM_INTERFACE_TRAITS(IOleInPlaceFrame, IOleInPlaceUIWindow, IID_IOleInPlaceFrame);
using LPOLEINPLACEFRAME = IOleInPlaceFrame*;
using LPOLEINPLACEACTIVEOBJECT = IOleInPlaceActiveObject*;

struct IOleInPlaceSite : IOleWindow {
    virtual HRESULT CanInPlaceActivate() = 0;
    virtual HRESULT OnInPlaceActivate() = 0;
    virtual HRESULT OnUIActivate() = 0;
    virtual HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                     LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) = 0;
    virtual HRESULT Scroll(SIZE extent) = 0;
    virtual HRESULT OnUIDeactivate(BOOL undoable) = 0;
    virtual HRESULT OnInPlaceDeactivate() = 0;
    virtual HRESULT DiscardUndoState() = 0;
    virtual HRESULT DeactivateAndUndo() = 0;
    virtual HRESULT OnPosRectChange(LPCRECT position) = 0;
};
COM_INTERFACE_TRAITS(IOleInPlaceSite, IOleWindow, IID_IOleInPlaceSite);

struct IParseDisplayName : IUnknown {
    virtual HRESULT ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten, IMoniker** moniker) = 0;
};
COM_INTERFACE_TRAITS(IParseDisplayName, IUnknown, IID_IParseDisplayName);

struct IOleContainer : IParseDisplayName {
    virtual HRESULT EnumObjects(DWORD flags, IEnumUnknown** objects) = 0;
    virtual HRESULT LockContainer(BOOL lock) = 0;
};
COM_INTERFACE_TRAITS(IOleContainer, IParseDisplayName, IID_IOleContainer);

struct IOleClientSite : IUnknown {
    virtual HRESULT SaveObject() = 0;
    virtual HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT GetContainer(IOleContainer** container) = 0;
    virtual HRESULT ShowObject() = 0;
    virtual HRESULT OnShowWindow(BOOL show) = 0;
    virtual HRESULT RequestNewObjectLayout() = 0;
};
COM_INTERFACE_TRAITS(IOleClientSite, IUnknown, IID_IOleClientSite);
using LPOLECLIENTSITE = IOleClientSite*;

struct IOleObject : IUnknown {
    virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
    virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
    virtual HRESULT SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) = 0;
    virtual HRESULT Close(DWORD saveOption) = 0;
    virtual HRESULT SetMoniker(DWORD which, IMoniker* moniker) = 0;
    virtual HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) = 0;
    virtual HRESULT InitFromData(IDataObject* data, BOOL creation, DWORD reserved) = 0;
    virtual HRESULT GetClipboardData(DWORD reserved, IDataObject** data) = 0;
    virtual HRESULT DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                           LPCRECT position) = 0;
    virtual HRESULT EnumVerbs(IEnumOLEVERB** verbs) = 0;
    virtual HRESULT Update() = 0;
    virtual HRESULT IsUpToDate() = 0;
    virtual HRESULT GetUserClassID(CLSID* clsid) = 0;
    virtual HRESULT GetUserType(DWORD form, LPOLESTR* userType) = 0;
    // Sizes are in HIMETRIC units (0.01 mm).
    virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
    virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
    virtual HRESULT Unadvise(DWORD connection) = 0;
    virtual HRESULT EnumAdvise(IEnumSTATDATA** advises) = 0;
    virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
    virtual HRESULT SetColorScheme(LOGPALETTE* palette) = 0;
};
COM_INTERFACE_TRAITS(IOleObject, IUnknown, IID_IOleObject);
using LPOLEOBJECT = IOleObject*;

struct IViewObject : IUnknown {
    // Draws the object into hdcDraw within bounds; continueDrawing may be null.
    virtual HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target, HDC targetDevice,
                         HDC hdcDraw, LPCRECTL bounds, LPCRECTL windowBounds,
                         BOOL (*continueDrawing)(ULONG_PTR), ULONG_PTR continueValue) = 0;
    virtual HRESULT GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                                HDC targetDevice, LOGPALETTE** colorSet) = 0;
    virtual HRESULT Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) = 0;
    virtual HRESULT Unfreeze(DWORD freeze) = 0;
    virtual HRESULT SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) = 0;
    virtual HRESULT GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) = 0;
};
COM_INTERFACE_TRAITS(IViewObject, IUnknown, IID_IViewObject);
