// The ActiveX control interfaces: IOleControl and IOleControlSite (keyboard mnemonics,
// ambient properties, coordinate transforms), IPerPropertyBrowsing, ISimpleFrameSite, the OLE
// font object's IFont and IFontDisp, and the standard dispatch ids of control properties,
// events and the container's ambient properties.
#pragma once

#include "platform/com/ConnectionPoints.h"
#include "platform/com/Dispatch.h"
#include "platform/com/OleInterfaces.h"

DEFINE_GUID(IID_IOleControl, 0xB196B288, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_IOleControlSite, 0xB196B289, 0xBAB4, 0x101A, 0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07);
DEFINE_GUID(IID_ISimpleFrameSite, 0x742B0E01, 0x14E6, 0x101B, 0x91, 0x4E, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);
DEFINE_GUID(IID_IPerPropertyBrowsing, 0x376BD3AA, 0x3845, 0x101B, 0x84, 0xED, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13);
DEFINE_GUID(IID_IFont, 0xBEF6E002, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);
DEFINE_GUID(IID_IFontDisp, 0xBEF6E003, 0xA874, 0x101A, 0x8B, 0xBA, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB);
DEFINE_GUID(CLSID_StdFont, 0x0BE35203, 0x8F91, 0x11CE, 0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51);

// Standard control properties.
constexpr DISPID DISPID_AUTOSIZE = -500;
constexpr DISPID DISPID_BACKCOLOR = -501;
constexpr DISPID DISPID_BACKSTYLE = -502;
constexpr DISPID DISPID_BORDERCOLOR = -503;
constexpr DISPID DISPID_BORDERSTYLE = -504;
constexpr DISPID DISPID_BORDERWIDTH = -505;
constexpr DISPID DISPID_DRAWMODE = -507;
constexpr DISPID DISPID_DRAWSTYLE = -508;
constexpr DISPID DISPID_DRAWWIDTH = -509;
constexpr DISPID DISPID_FILLCOLOR = -510;
constexpr DISPID DISPID_FILLSTYLE = -511;
constexpr DISPID DISPID_FONT = -512;
constexpr DISPID DISPID_FORECOLOR = -513;
constexpr DISPID DISPID_ENABLED = -514;
constexpr DISPID DISPID_HWND = -515;
constexpr DISPID DISPID_TABSTOP = -516;
constexpr DISPID DISPID_TEXT = -517;
constexpr DISPID DISPID_CAPTION = -518;
constexpr DISPID DISPID_BORDERVISIBLE = -519;
constexpr DISPID DISPID_APPEARANCE = -520;
constexpr DISPID DISPID_MOUSEPOINTER = -521;
constexpr DISPID DISPID_MOUSEICON = -522;
constexpr DISPID DISPID_PICTURE = -523;
constexpr DISPID DISPID_VALID = -524;
constexpr DISPID DISPID_READYSTATE = -525;
// Standard methods.
constexpr DISPID DISPID_REFRESH = -550;
constexpr DISPID DISPID_DOCLICK = -551;
constexpr DISPID DISPID_ABOUTBOX = -552;
// Standard events.
constexpr DISPID DISPID_CLICK = -600;
constexpr DISPID DISPID_DBLCLICK = -601;
constexpr DISPID DISPID_KEYDOWN = -602;
constexpr DISPID DISPID_KEYPRESS = -603;
constexpr DISPID DISPID_KEYUP = -604;
constexpr DISPID DISPID_MOUSEDOWN = -605;
constexpr DISPID DISPID_MOUSEMOVE = -606;
constexpr DISPID DISPID_MOUSEUP = -607;
constexpr DISPID DISPID_ERROREVENT = -608;
constexpr DISPID DISPID_READYSTATECHANGE = -609;
// Ambient properties a container answers through its site's IDispatch.
constexpr DISPID DISPID_AMBIENT_BACKCOLOR = -701;
constexpr DISPID DISPID_AMBIENT_DISPLAYNAME = -702;
constexpr DISPID DISPID_AMBIENT_FONT = -703;
constexpr DISPID DISPID_AMBIENT_FORECOLOR = -704;
constexpr DISPID DISPID_AMBIENT_LOCALEID = -705;
constexpr DISPID DISPID_AMBIENT_MESSAGEREFLECT = -706;
constexpr DISPID DISPID_AMBIENT_SCALEUNITS = -707;
constexpr DISPID DISPID_AMBIENT_TEXTALIGN = -708;
constexpr DISPID DISPID_AMBIENT_USERMODE = -709;
constexpr DISPID DISPID_AMBIENT_UIDEAD = -710;
constexpr DISPID DISPID_AMBIENT_SHOWGRABHANDLES = -711;
constexpr DISPID DISPID_AMBIENT_SHOWHATCHING = -712;
constexpr DISPID DISPID_AMBIENT_DISPLAYASDEFAULT = -713;
constexpr DISPID DISPID_AMBIENT_SUPPORTSMNEMONICS = -714;
constexpr DISPID DISPID_AMBIENT_AUTOCLIP = -715;
constexpr DISPID DISPID_AMBIENT_APPEARANCE = -716;
constexpr DISPID DISPID_AMBIENT_CODEPAGE = -725;
constexpr DISPID DISPID_AMBIENT_PALETTE = -726;
constexpr DISPID DISPID_AMBIENT_CHARSET = -727;
// Properties of the font object (IFontDisp).
constexpr DISPID DISPID_FONT_NAME = 0;
constexpr DISPID DISPID_FONT_SIZE = 2;
constexpr DISPID DISPID_FONT_BOLD = 3;
constexpr DISPID DISPID_FONT_ITALIC = 4;
constexpr DISPID DISPID_FONT_UNDER = 5;
constexpr DISPID DISPID_FONT_STRIKE = 6;
constexpr DISPID DISPID_FONT_WEIGHT = 7;
constexpr DISPID DISPID_FONT_CHARSET = 8;
constexpr DISPID DISPID_FONT_CHANGED = 9;

constexpr DWORD CTRLINFO_EATS_RETURN = 1;
constexpr DWORD CTRLINFO_EATS_ESCAPE = 2;

constexpr DWORD XFORMCOORDS_POSITION = 0x1;
constexpr DWORD XFORMCOORDS_SIZE = 0x2;
constexpr DWORD XFORMCOORDS_HIMETRICTOCONTAINER = 0x4;
constexpr DWORD XFORMCOORDS_CONTAINERTOHIMETRIC = 0x8;
constexpr DWORD XFORMCOORDS_EVENTCOMPAT = 0x10;

constexpr DWORD KEYMOD_SHIFT = 0x1;
constexpr DWORD KEYMOD_CONTROL = 0x2;
constexpr DWORD KEYMOD_ALT = 0x4;

constexpr SHORT FW_NORMAL = 400;
constexpr SHORT FW_BOLD = 700;

// Keyboard mnemonics of a control. cb is set by the caller to the size it passes.
struct CONTROLINFO {
    ULONG cb;
    HACCEL hAccel;
    USHORT cAccel;
    DWORD dwFlags;
};
using LPCONTROLINFO = CONTROLINFO*;

struct POINTF {
    float x;
    float y;
};

struct CALPOLESTR {
    ULONG cElems;
    LPOLESTR* pElems;
};
struct CADWORD {
    ULONG cElems;
    DWORD* pElems;
};

struct IOleControl : IUnknown {
    virtual HRESULT GetControlInfo(CONTROLINFO* info) = 0;
    virtual HRESULT OnMnemonic(MSG* message) = 0;
    virtual HRESULT OnAmbientPropertyChange(DISPID property) = 0;
    virtual HRESULT FreezeEvents(BOOL freeze) = 0;
};
COM_INTERFACE_TRAITS(IOleControl, IUnknown, IID_IOleControl);

struct IOleControlSite : IUnknown {
    virtual HRESULT OnControlInfoChanged() = 0;
    virtual HRESULT LockInPlaceActive(BOOL lock) = 0;
    virtual HRESULT GetExtendedControl(IDispatch** control) = 0;
    virtual HRESULT TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) = 0;
    virtual HRESULT TranslateAccelerator(MSG* message, DWORD modifiers) = 0;
    virtual HRESULT OnFocus(BOOL gotFocus) = 0;
    virtual HRESULT ShowPropertyFrame() = 0;
};
COM_INTERFACE_TRAITS(IOleControlSite, IUnknown, IID_IOleControlSite);

struct IPerPropertyBrowsing : IUnknown {
    virtual HRESULT GetDisplayString(DISPID property, BSTR* text) = 0;
    virtual HRESULT MapPropertyToPage(DISPID property, CLSID* page) = 0;
    virtual HRESULT GetPredefinedStrings(DISPID property, CALPOLESTR* strings, CADWORD* cookies) = 0;
    virtual HRESULT GetPredefinedValue(DISPID property, DWORD cookie, VARIANT* value) = 0;
};
COM_INTERFACE_TRAITS(IPerPropertyBrowsing, IUnknown, IID_IPerPropertyBrowsing);

struct ISimpleFrameSite : IUnknown {
    virtual HRESULT PreMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                                     DWORD* cookie) = 0;
    virtual HRESULT PostMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                                      DWORD cookie) = 0;
};
COM_INTERFACE_TRAITS(ISimpleFrameSite, IUnknown, IID_ISimpleFrameSite);

struct tagTEXTMETRICW;
using TEXTMETRICOLE = tagTEXTMETRICW;

// The OLE font object. Size is in points as currency (12 pt = 120000). Bold is a weight above
// 550; setting it sets the weight to 700 or 400.
struct IFont : IUnknown {
    virtual HRESULT get_Name(BSTR* name) = 0;
    virtual HRESULT put_Name(BSTR name) = 0;
    virtual HRESULT get_Size(CY* size) = 0;
    virtual HRESULT put_Size(CY size) = 0;
    virtual HRESULT get_Bold(BOOL* bold) = 0;
    virtual HRESULT put_Bold(BOOL bold) = 0;
    virtual HRESULT get_Italic(BOOL* italic) = 0;
    virtual HRESULT put_Italic(BOOL italic) = 0;
    virtual HRESULT get_Underline(BOOL* underline) = 0;
    virtual HRESULT put_Underline(BOOL underline) = 0;
    virtual HRESULT get_Strikethrough(BOOL* strikethrough) = 0;
    virtual HRESULT put_Strikethrough(BOOL strikethrough) = 0;
    virtual HRESULT get_Weight(SHORT* weight) = 0;
    virtual HRESULT put_Weight(SHORT weight) = 0;
    virtual HRESULT get_Charset(SHORT* charset) = 0;
    virtual HRESULT put_Charset(SHORT charset) = 0;
    virtual HRESULT get_hFont(HFONT* font) = 0;
    virtual HRESULT Clone(IFont** copy) = 0;
    virtual HRESULT IsEqual(IFont* other) = 0;
    virtual HRESULT SetRatio(LONG logical, LONG himetric) = 0;
    virtual HRESULT QueryTextMetrics(TEXTMETRICOLE* metrics) = 0;
    virtual HRESULT AddRefHfont(HFONT font) = 0;
    virtual HRESULT ReleaseHfont(HFONT font) = 0;
    virtual HRESULT SetHdc(HDC dc) = 0;
};
COM_INTERFACE_TRAITS(IFont, IUnknown, IID_IFont);

// The font object's dispatch interface: properties DISPID_FONT_NAME ... DISPID_FONT_CHARSET.
struct IFontDisp : IDispatch {};
COM_INTERFACE_TRAITS(IFontDisp, IDispatch, IID_IFontDisp);

struct FONTDESC {
    UINT cbSizeofstruct;
    LPOLESTR lpstrName;
    CY cySize;
    SHORT sWeight;
    SHORT sCharset;
    BOOL fItalic;
    BOOL fUnderline;
    BOOL fStrikethrough;
};
using LPFONTDESC = FONTDESC*;
