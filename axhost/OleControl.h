// TOleControl2: a windowed control that embeds one ActiveX control in the program's window
// tree, and TControlInfo, the static description of one control class that a subclass
// supplies.
//
// The host creates the control object from the class id at its own creation, serves as the
// object's container site (client site, control site, in-place site and frame, ambient
// properties, property-change sink, simple-frame site), activates it in place when the
// framework asks for the host's window, and takes the control's window over as its own.
// Properties are read and written by dispatch id; events arrive through the owned
// TEventDispatch (EventDispatch.h) and reach the handler slots the subclass lists.
//
// Ownership: the host belongs to its owner component. It holds counted references to the
// control's interfaces and releases them at destruction. Its own COM reference count only
// counts: the component tree, not Release, ends the host's life, so a control must not
// outlive its host with references to it (the host clears the client site at destruction).
//
// Failures: a failed COM status at a checked step raises EOleSysError carrying the status;
// a failed property read or write raises the dispatch error (EOleException with the
// control's own description when it sent one, else EOleSysError); activation failures raise
// EOleError. No exception crosses one of the host's interface methods.
//
// Thread: the user-interface thread, with COM and OLE initialised for it.
#pragma once

#include "axhost/ControlInfo.h"
#include "framework/Controls.h"
#include "framework/Picture.h"
#include "framework/WideString.h"
#include "platform/com/ComObject.h"
#include "platform/com/InPlaceWindowShims.h"
#include "platform/com/OleControls.h"

#include <cstdint>
#include <memory>
#include <vector>

class TEventDispatch;

class TOleControl2 : public TWinControl,
                     public ComInterfaces<IOleClientSite, IOleControlSite, InPlaceSiteWindow, InPlaceFrameWindow,
                                          IDispatch, IPropertyNotifySink, ISimpleFrameSite> {
    QUELLON_CLASS()

public:
    explicit TOleControl2(TComponent* owner);
    ~TOleControl2() override;
    void BeforeDestruction() override;

    // Fired once the control's window exists (sender = this host).
    TNotifyEvent OnWindowCreated;

    const TControlInfo* ControlInfo() const noexcept { return controlInfo_; }

    // Connects the control once: client site, persisted or new state, its IOleControl and
    // IDispatch, the two connection points, the bound properties and all ambients. On any
    // failure the control is disconnected again and the exception goes on.
    void EnsureControl();
    bool Connected() const noexcept { return controlDispatch_ != nullptr; }

    // EnsureControl, then a new reference to the control object's IDispatch (EIntfCastError
    // when it has none).
    ComPtr<IDispatch> DefaultDispatch();

    // Property access by dispatch id (EnsureControl first). ReadProperty empties `value`
    // before asking; the caller owns what it receives.
    void ReadProperty(DISPID id, VARIANT& value);
    // VT_DISPATCH values are put by reference, all others by value.
    void WriteProperty(DISPID id, const VARIANT& value);

    // Typed forms. Integer reads take the result's 32-bit value and boolean reads its 16-bit
    // value, as the control returns them: the caller's type must match the property's.
    LONG GetIntegerProp(DISPID id);
    WordBool GetWordBoolProp(DISPID id);
    WideString GetWideStringProp(DISPID id);
    double GetDoubleProp(DISPID id);
    void GetVariantProp(DISPID id, VARIANT& value) { ReadProperty(id, value); }
    // Integers and colours as VT_I4; booleans as VT_BOOL -1 or 0; text as VT_BSTR, an empty
    // text as a null string (controls treat both alike, and nothing is allocated for it).
    void SetIntegerProp(DISPID id, LONG value);
    void SetColorProp(DISPID id, TColor value) { SetIntegerProp(id, value); }
    void SetWordBoolProp(DISPID id, bool value);
    void SetWideStringProp(DISPID id, const WideString& value);
    void SetDoubleProp(DISPID id, double value);
    void SetDispatchProp(DISPID id, IDispatch* value);
    void SetVariantProp(DISPID id, const VARIANT& value) { WriteProperty(id, value); }

    // The streamed state of the control ("ControlData"): the saved block when there is one,
    // else the control's state saved now. Setting it replaces the saved block; the next
    // connection loads the control from it. A block that cannot be made is ignored.
    std::vector<BYTE> ControlData() const;
    void SetControlData(const std::vector<BYTE>& data);
    bool HasControlObject() const noexcept { return oleObject_ != nullptr; }
    HGLOBAL SavedState() const noexcept { return savedState_; }

    DWORD MiscStatus() const noexcept { return miscStatus_; }
    // The control's interfaces, or null (the in-place ones only while in-place active).
    IOleObject* OleObject() const noexcept { return oleObject_.Get(); }
    IOleInPlaceObject* InPlaceObject() const noexcept { return inPlaceObject_.Get(); }
    IOleInPlaceActiveObject* InPlaceActiveObject() const noexcept { return inPlaceActiveObject_.Get(); }
    ULONG RefCount() const noexcept { return refCount_; }
    static int InstanceCount(const TControlInfo& info) noexcept { return info.InstanceCount; }

    void SetBounds(int left, int top, int width, int height) override;
    void SetName(const std::string& newName) override;
    void SetParent(TWinControl* parent) override;

    // --- IUnknown: the eight site interfaces only; AddRef and Release only count ----------
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // --- IOleClientSite ------------------------------------------------------------------
    HRESULT SaveObject() override;
    HRESULT GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    HRESULT GetContainer(IOleContainer** container) override;
    HRESULT ShowObject() override;
    HRESULT OnShowWindow(BOOL show) override;
    HRESULT RequestNewObjectLayout() override;

    // --- IOleControlSite -----------------------------------------------------------------
    HRESULT OnControlInfoChanged() override;
    HRESULT LockInPlaceActive(BOOL lock) override;
    HRESULT GetExtendedControl(IDispatch** control) override;
    HRESULT TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    HRESULT TranslateAccelerator(MSG* message, DWORD modifiers) override;
    HRESULT OnFocus(BOOL gotFocus) override;
    HRESULT ShowPropertyFrame() override;

    // --- IOleInPlaceSite (GetWindow: the parent's window) --------------------------------
    HRESULT GetSiteWindow(HWND* window) override;
    HRESULT ContextSensitiveHelp(BOOL enterMode) override;
    HRESULT CanInPlaceActivate() override;
    HRESULT OnInPlaceActivate() override;
    HRESULT OnUIActivate() override;
    HRESULT GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                             LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override;
    HRESULT Scroll(SIZE extent) override;
    HRESULT OnUIDeactivate(BOOL undoable) override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT DiscardUndoState() override;
    HRESULT DeactivateAndUndo() override;
    HRESULT OnPosRectChange(LPCRECT position) override;

    // --- IOleInPlaceFrame (GetWindow: the top-level window) ------------------------------
    HRESULT GetFrameWindow(HWND* window) override;
    HRESULT GetBorder(LPRECT border) override;
    HRESULT RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    HRESULT SetBorderSpace(LPCBORDERWIDTHS widths) override;
    HRESULT SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    HRESULT InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    HRESULT SetMenu(HMENU shared, HOLEMENU descriptor, HWND objectWindow) override;
    HRESULT RemoveMenus(HMENU shared) override;
    HRESULT SetStatusText(LPCOLESTR text) override;
    HRESULT EnableModeless(BOOL enable) override;
    HRESULT TranslateAccelerator(LPMSG message, WORD id) override;

    // --- IDispatch: the ambient properties -----------------------------------------------
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID locale, ITypeInfo** typeInfo) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT nameCount, LCID locale, DISPID* ids) override;
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exception, UINT* argumentError) override;

    // --- IPropertyNotifySink: the control reports a changed property ---------------------
    HRESULT OnChanged(DISPID property) override;
    HRESULT OnRequestEdit(DISPID property) override;

    // --- ISimpleFrameSite ----------------------------------------------------------------
    HRESULT PreMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                             DWORD* cookie) override;
    HRESULT PostMessageFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                              DWORD cookie) override;

    // Event delivery (EventDispatch.cpp). Both run on the control's call, hand exceptions of
    // handlers to the application's exception display, and never throw.
    virtual void DispatchStandardEvent(DISPID id, const DISPPARAMS& params);
    virtual void DispatchEvent(DISPID id, const DISPPARAMS& params);

    void Dispatch(TMessage& message) override;
    // A dialog character the control takes as a mnemonic (its accelerator table); true when taken.
    bool HandleMnemonic(TMessage& message);
    void DefaultHandler(TMessage& message) override;

protected:
    // Runs the creation steps: InitControlInfo, the event sink, the control object, its misc
    // status, client site, persistence interface, styles and first layout. The most derived
    // constructor calls it (a base constructor cannot reach the subclass's InitControlInfo).
    // Any failure raises; the host must then not be used (its constructor fails).
    void CreateControl();

    // Points controlInfo_ at the subclass's ControlInfo and fills in its event slots.
    virtual void InitControlInfo() = 0;
    // Hook for a subclass that keeps a typed interface of the control object.
    virtual void BindControlInterface(IOleObject* control) {}
    // Whether an exception while the ControlData property is written may be dropped: only
    // an OLE system error while the host is being designed.
    virtual bool SuppressStreamError(const std::exception& error) const;

    void CreateWnd() override;
    void DestroyWindowHandle() override;
    void ColorChanged() override;
    void FontChanged() override;
    void EnabledChanged() override;

    TControlInfo* controlInfo_ = nullptr; // static record of the subclass; not owned

private:
    void CreateControlObject();
    void Teardown() noexcept;
    void DisconnectControl();
    void EnsureClientSite();
    void HookControlWindow();
    void SaveControlState();
    void FreeControlState();
    bool InvisibleAtRuntime() const noexcept { return (miscStatus_ & OLEMISC_INVISIBLEATRUNTIME) != 0; }
    bool Designing() const noexcept { return ComponentState().Contains(csDesigning); }
    void SetUIActive(bool active);
    void InvokeControl(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result);
    void AmbientChanged(DISPID id);
    void WMPaint(TMessage& message);
    TFont* AmbientFont() const;

    ULONG refCount_ = 0;
    TEventDispatch* eventDispatch_ = nullptr; // owned
    HGLOBAL savedState_ = nullptr;            // owned movable block, or null
    ComPtr<IOleObject> oleObject_;
    ComPtr<IPersistStreamInit> persistStream_;
    ComPtr<IOleControl> oleControl_;
    ComPtr<IDispatch> controlDispatch_;
    ComPtr<IPerPropertyBrowsing> propertyBrowsing_;
    ComPtr<IOleInPlaceObject> inPlaceObject_;
    ComPtr<IOleInPlaceActiveObject> inPlaceActiveObject_;
    DWORD propertyNotifyCookie_ = 0;
    DWORD eventsCookie_ = 0;
    DWORD miscStatus_ = 0;
    std::vector<std::unique_ptr<TFont>> fonts_;       // one per font property id
    std::vector<std::unique_ptr<TPicture>> pictures_; // one per picture property id
    bool instanceCounted_ = false;
    bool updatingPictures_ = false;
    bool updatingColor_ = false;
    bool updatingFont_ = false;
    bool updatingEnabled_ = false;
};
