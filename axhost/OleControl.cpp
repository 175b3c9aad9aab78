// TOleControl2: creation, connection, property access by dispatch id, persistence and
// destruction. The site interfaces are in OleControlSite.cpp, the window in
// OleControlWindow.cpp, event delivery in EventDispatch.cpp.
#include "axhost/OleControl.h"

#include "axhost/EventDispatch.h"
#include "axhost/OleSupport.h"
#include "framework/Application.h"
#include "framework/Forms.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/ConnectionPoints.h"
#include "platform/com/GlobalMemory.h"
#include "platform/com/HGlobalStream.h"

#include <cstring>

namespace {

// Advises `sink` on the connection point `iid` of `source`; 0 when the control has none.
DWORD InterfaceConnect(IUnknown* source, REFIID iid, IUnknown* sink)
{
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(ComQuery(source, container)))
        return 0;
    ComPtr<IConnectionPoint> point;
    if (FAILED(container->FindConnectionPoint(iid, point.ReleaseAndGetAddressOf())))
        return 0;
    DWORD cookie = 0;
    if (FAILED(point->Advise(sink, &cookie)))
        return 0;
    return cookie;
}

void InterfaceDisconnect(IUnknown* source, REFIID iid, DWORD& cookie)
{
    if (cookie == 0)
        return;
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    if (SUCCEEDED(ComQuery(source, container)) &&
        SUCCEEDED(container->FindConnectionPoint(iid, point.ReleaseAndGetAddressOf())))
        point->Unadvise(cookie);
    cookie = 0;
}

} // namespace

const TClass& TOleControl2::StaticClass()
{
    static const TClass cls = TClassBuilder<TOleControl2>("TOleControl2", &TWinControl::StaticClass())
        .Binary("ControlData", &TOleControl2::ControlData, &TOleControl2::SetControlData)
        .StoredIf(&TOleControl2::HasControlObject)
        .Build();
    return cls;
}

TOleControl2::TOleControl2(TComponent* owner) : TWinControl(owner) {}

TOleControl2::~TOleControl2() { Teardown(); }

void TOleControl2::CreateControl()
{
    InitControlInfo();
    if (controlInfo_ == nullptr)
        throw EOleError("Aucune description de contrôle OLE pour " + ClassName());
    ++controlInfo_->InstanceCount;
    instanceCounted_ = true;
    for (std::size_t i = 0; i < controlInfo_->FontIDs.size(); ++i)
        fonts_.push_back(std::make_unique<TFont>());
    for (std::size_t i = 0; i < controlInfo_->PictureIDs.size(); ++i)
        pictures_.push_back(std::make_unique<TPicture>());
    eventDispatch_ = new TEventDispatch(this);
    CreateControlObject();
    BindControlInterface(oleObject_.Get());
    OleCheck(oleObject_->GetMiscStatus(DVASPECT_CONTENT, &miscStatus_));
    if ((controlInfo_->Reserved & crDeferClientSite) == 0 &&
        ((miscStatus_ & OLEMISC_SETCLIENTSITEFIRST) != 0 || (controlInfo_->Reserved & crSetClientSiteFirst) != 0))
        OleCheck(oleObject_->SetClientSite(this));
    OleCheck(oleObject_.As(persistStream_));
    if (InvisibleAtRuntime())
        SetVisible(false);
    // Mouse and key events come only as the control's standard events, never from the
    // window messages of the taken-over window.
    controlStyle_ = {csDoubleClicks, csNoStdEvents};
    if ((miscStatus_ & OLEMISC_SIMPLEFRAME) != 0)
        controlStyle_.Include(csAcceptsControls);
    if ((miscStatus_ & (OLEMISC_ACTSLIKELABEL | OLEMISC_NOUIACTIVATE)) == 0)
        SetTabStop(true);
    OleCheck(RequestNewObjectLayout());
}

void TOleControl2::CreateControlObject()
{
    OleCheck(CoCreateInstance(controlInfo_->ClassID, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                              IID_IOleObject, reinterpret_cast<void**>(oleObject_.ReleaseAndGetAddressOf())));
}

void TOleControl2::BeforeDestruction()
{
    SetUIActive(false);
    // The window goes first: closing it needs the control object, which the teardown lets go.
    try {
        DestroyHandle();
    } catch (...) {
        Application->HandleException(this);
    }
    Teardown();
    TWinControl::BeforeDestruction();
}

void TOleControl2::Teardown() noexcept
{
    DisconnectControl();
    FreeControlState();
    persistStream_.Reset();
    inPlaceActiveObject_.Reset();
    inPlaceObject_.Reset();
    if (oleObject_) {
        oleObject_->SetClientSite(nullptr);
        oleObject_.Reset();
    }
    delete eventDispatch_;
    eventDispatch_ = nullptr;
    fonts_.clear();
    pictures_.clear();
    if (instanceCounted_) {
        --controlInfo_->InstanceCount;
        instanceCounted_ = false;
    }
}

// --- connection -------------------------------------------------------------------------

void TOleControl2::EnsureClientSite()
{
    IOleClientSite* site = nullptr;
    HRESULT status = E_FAIL;
    try {
        status = oleObject_->GetClientSite(&site);
    } catch (...) {
        status = E_FAIL;
    }
    ComPtr<IOleClientSite> held = ComPtr<IOleClientSite>::TakeOver(SUCCEEDED(status) ? site : nullptr);
    if (FAILED(status) || !held)
        OleCheck(oleObject_->SetClientSite(this));
}

void TOleControl2::EnsureControl()
{
    if (Connected() || !oleObject_)
        return;
    try {
        EnsureClientSite();
        if (savedState_ != nullptr) {
            ComPtr<IStream> stream;
            OleCheck(CreateStreamOnHGlobal(savedState_, FALSE, stream.ReleaseAndGetAddressOf()));
            OleCheck(persistStream_->Load(stream.Get()));
            stream.Reset();
            FreeControlState();
        } else {
            OleCheck(persistStream_->InitNew());
        }
        OleCheck(oleObject_.As(oleControl_));
        OleCheck(oleObject_.As(controlDispatch_));
        (void)oleObject_.As(propertyBrowsing_);
        propertyNotifyCookie_ =
            InterfaceConnect(oleObject_.Get(), IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(this));
        eventsCookie_ = InterfaceConnect(oleObject_.Get(), controlInfo_->EventIID, eventDispatch_->Interface());
        const DWORD flags = controlInfo_->Flags;
        if ((flags & cfBackColor) != 0)
            OnChanged(DISPID_BACKCOLOR);
        if ((flags & cfEnabled) != 0)
            OnChanged(DISPID_ENABLED);
        if ((flags & cfFont) != 0)
            OnChanged(DISPID_FONT);
        if ((flags & cfForeColor) != 0)
            OnChanged(DISPID_FORECOLOR);
        oleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
        RequestNewObjectLayout();
    } catch (...) {
        DisconnectControl();
        throw;
    }
}

void TOleControl2::DisconnectControl()
{
    if (oleObject_) {
        if (controlInfo_ != nullptr)
            InterfaceDisconnect(oleObject_.Get(), controlInfo_->EventIID, eventsCookie_);
        InterfaceDisconnect(oleObject_.Get(), IID_IPropertyNotifySink, propertyNotifyCookie_);
    }
    propertyBrowsing_.Reset();
    controlDispatch_.Reset();
    oleControl_.Reset();
}

ComPtr<IDispatch> TOleControl2::DefaultDispatch()
{
    EnsureControl();
    ComPtr<IDispatch> dispatch;
    if (FAILED(oleObject_.As(dispatch)))
        throw EIntfCastError();
    return dispatch;
}

// --- properties -------------------------------------------------------------------------

void TOleControl2::InvokeControl(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result)
{
    EXCEPINFO info{};
    UINT argumentError = 0;
    const HRESULT status = controlDispatch_->Invoke(id, IID_NULL, 0, flags, &params, result, &info, &argumentError);
    if (FAILED(status))
        RaiseDispatchError(status, info);
    ClearExcepInfo(&info);
}

void TOleControl2::ReadProperty(DISPID id, VARIANT& value)
{
    EnsureControl();
    VariantClear(&value);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    InvokeControl(id, DISPATCH_PROPERTYGET, none, &value);
}

void TOleControl2::WriteProperty(DISPID id, const VARIANT& value)
{
    EnsureControl();
    VARIANT argument = value; // borrowed: the caller keeps what it owns
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    InvokeControl(id, value.vt == VT_DISPATCH ? DISPATCH_PROPERTYPUTREF : DISPATCH_PROPERTYPUT, params, nullptr);
}

LONG TOleControl2::GetIntegerProp(DISPID id)
{
    ScopedVariant value;
    ReadProperty(id, *value.Get());
    return value->lVal;
}

WordBool TOleControl2::GetWordBoolProp(DISPID id)
{
    ScopedVariant value;
    ReadProperty(id, *value.Get());
    return value->boolVal;
}

double TOleControl2::GetDoubleProp(DISPID id)
{
    ScopedVariant value;
    ReadProperty(id, *value.Get());
    return value->dblVal;
}

WideString TOleControl2::GetWideStringProp(DISPID id)
{
    ScopedVariant value;
    ReadProperty(id, *value.Get());
    // Anything but text would be read as a string pointer it is not: convert it instead.
    if (value->vt != VT_BSTR)
        OleCheck(VariantChangeType(value.Get(), value.Get(), 0, VT_BSTR));
    return WideString(BstrView(value->bstrVal));
}

void TOleControl2::SetIntegerProp(DISPID id, LONG value)
{
    ScopedVariant v;
    InitVariantFromInt32(value, v.Get());
    WriteProperty(id, *v.Get());
}

void TOleControl2::SetWordBoolProp(DISPID id, bool value)
{
    ScopedVariant v;
    v->vt = VT_BOOL;
    v->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    WriteProperty(id, *v.Get());
}

void TOleControl2::SetDoubleProp(DISPID id, double value)
{
    ScopedVariant v;
    InitVariantFromDouble(value, v.Get());
    WriteProperty(id, *v.Get());
}

void TOleControl2::SetWideStringProp(DISPID id, const WideString& value)
{
    ScopedVariant v;
    v->vt = VT_BSTR;
    v->bstrVal = nullptr;
    if (!value.empty()) {
        v->bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        if (v->bstrVal == nullptr)
            throw EOutOfMemory();
    }
    WriteProperty(id, *v.Get());
}

void TOleControl2::SetDispatchProp(DISPID id, IDispatch* value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = value; // borrowed for the call
    WriteProperty(id, v);
}

// --- persistence --------------------------------------------------------------------------

void TOleControl2::SaveControlState()
{
    EnsureControl();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (block == nullptr)
        throw EOutOfMemory();
    ComPtr<IStream> stream;
    HRESULT status = CreateStreamOnHGlobal(block, FALSE, stream.ReleaseAndGetAddressOf());
    if (SUCCEEDED(status))
        status = persistStream_->Save(stream.Get(), TRUE);
    stream.Reset();
    if (FAILED(status)) {
        GlobalFree(block);
        OleCheck(status);
    }
    FreeControlState();
    savedState_ = block;
}

void TOleControl2::FreeControlState()
{
    if (savedState_ != nullptr)
        GlobalFree(savedState_);
    savedState_ = nullptr;
}

std::vector<BYTE> TOleControl2::ControlData() const
{
    // Writing a layout reads the property through a const object; saving the control's
    // state on the way is not a change anyone can see.
    auto* self = const_cast<TOleControl2*>(this);
    bool temporary = false;
    try {
        if (savedState_ == nullptr) {
            self->SaveControlState();
            temporary = true;
        }
        std::vector<BYTE> bytes(GlobalSize(savedState_));
        if (!bytes.empty()) {
            const void* data = GlobalLock(savedState_);
            if (data == nullptr)
                throw EOutOfMemory();
            std::memcpy(bytes.data(), data, bytes.size());
            GlobalUnlock(savedState_);
        }
        if (temporary)
            self->FreeControlState();
        return bytes;
    } catch (const std::exception& error) {
        if (temporary)
            self->FreeControlState();
        if (SuppressStreamError(error))
            return {};
        throw;
    }
}

void TOleControl2::SetControlData(const std::vector<BYTE>& data)
{
    FreeControlState();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, data.size());
    if (block == nullptr)
        return;
    if (!data.empty()) {
        void* target = GlobalLock(block);
        if (target == nullptr) {
            GlobalFree(block);
            return;
        }
        std::memcpy(target, data.data(), data.size());
        GlobalUnlock(block);
    }
    savedState_ = block;
}

bool TOleControl2::SuppressStreamError(const std::exception& error) const
{
    return dynamic_cast<const EOleSysError*>(&error) != nullptr && Designing();
}

// --- host changes pushed to the control ---------------------------------------------------

void TOleControl2::ColorChanged()
{
    TWinControl::ColorChanged();
    if (!HandleAllocated() || updatingColor_ || controlInfo_ == nullptr || (controlInfo_->Flags & cfBackColor) == 0)
        return;
    updatingColor_ = true;
    try {
        SetIntegerProp(DISPID_BACKCOLOR, Color());
    } catch (...) {
        updatingColor_ = false;
        throw;
    }
    updatingColor_ = false;
}

void TOleControl2::EnabledChanged()
{
    TWinControl::EnabledChanged();
    if (!HandleAllocated() || updatingEnabled_ || controlInfo_ == nullptr || (controlInfo_->Flags & cfEnabled) == 0)
        return;
    updatingEnabled_ = true;
    try {
        SetWordBoolProp(DISPID_ENABLED, Enabled());
    } catch (...) {
        updatingEnabled_ = false;
        throw;
    }
    updatingEnabled_ = false;
}

void TOleControl2::FontChanged()
{
    TWinControl::FontChanged();
    if (!HandleAllocated() || updatingFont_ || controlInfo_ == nullptr ||
        (controlInfo_->Flags & (cfForeColor | cfFont)) == 0)
        return;
    updatingFont_ = true;
    try {
        if ((controlInfo_->Flags & cfForeColor) != 0)
            SetIntegerProp(DISPID_FORECOLOR, Font()->Color());
        if ((controlInfo_->Flags & cfFont) != 0) {
            ComPtr<IDispatch> font = MakeOleFont(*Font());
            SetDispatchProp(DISPID_FONT, font.Get());
        }
    } catch (...) {
        updatingFont_ = false;
        throw;
    }
    updatingFont_ = false;
}

void TOleControl2::SetName(const std::string& newName)
{
    const std::string oldName = Name();
    TWinControl::SetName(newName);
    if (!Connected() || oldName == Name())
        return;
    oleControl_->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYNAME);
    const DWORD flags = controlInfo_->Flags;
    if ((flags & (cfCaption | cfText)) == 0)
        return;
    const DISPID id = (flags & cfCaption) != 0 ? DISPID_CAPTION : DISPID_TEXT;
    if (GetWideStringProp(id) == ToWideString(oldName))
        SetWideStringProp(id, ToWideString(Name()));
}

void TOleControl2::SetParent(TWinControl* parent)
{
    TWinControl::SetParent(parent);
    if (parent == nullptr || !oleObject_)
        return;
    EnsureClientSite();
    if (Connected())
        oleControl_->OnAmbientPropertyChange(DISPID_UNKNOWN);
}
