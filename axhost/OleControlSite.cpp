// TOleControl2 as the control's container: the site interfaces and the ambient properties.
// Every method checks its pointers first, answers exactly as the control host does, and
// lets no exception out.
#include "axhost/OleControl.h"

#include "axhost/OleSupport.h"
#include "framework/Forms.h"
#include "platform/com/ComRuntime.h"
#include "platform/com/Ole.h"

#include <cmath>

namespace {

constexpr RECT kNoClip = {0, 0, 32767, 32767};

bool IsSiteInterface(REFIID iid)
{
    return iid == IID_IUnknown || iid == IID_IOleClientSite || iid == IID_IOleControlSite ||
           iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceFrame || iid == IID_IDispatch ||
           iid == IID_IPropertyNotifySink || iid == IID_ISimpleFrameSite;
}

// Runs a body that may throw; an OLE error is swallowed as `onOleError`.
template <class Body>
HRESULT SiteBoundary(Body&& body) noexcept
{
    try {
        return body();
    } catch (const EOleSysError& error) {
        return error.ErrorCode();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HWND TopLevelWindow(const TOleControl2& host)
{
    if (TCustomForm* form = GetParentForm(&host))
        return form->HandleOrNull();
    HWND parent = host.ParentWindowHandle();
    return parent != nullptr ? GetAncestor(parent, GA_ROOT) : nullptr;
}

} // namespace

// --- IUnknown -------------------------------------------------------------------------------

HRESULT TOleControl2::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (!IsSiteInterface(iid))
        return E_NOINTERFACE;
    return ComInterfaces::QueryInterface(iid, object);
}

ULONG TOleControl2::AddRef() { return ++refCount_; }
ULONG TOleControl2::Release() { return refCount_ > 0 ? --refCount_ : 0; }

// --- IOleClientSite -------------------------------------------------------------------------

HRESULT TOleControl2::SaveObject() { return S_OK; }

HRESULT TOleControl2::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker != nullptr)
        *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT TOleControl2::GetContainer(IOleContainer** container)
{
    if (container != nullptr)
        *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT TOleControl2::ShowObject()
{
    return SiteBoundary([&] {
        HookControlWindow();
        return S_OK;
    });
}

HRESULT TOleControl2::OnShowWindow(BOOL) { return S_OK; }

HRESULT TOleControl2::RequestNewObjectLayout()
{
    if (!oleObject_)
        return E_UNEXPECTED;
    SIZEL extent{};
    const HRESULT status = oleObject_->GetExtent(DVASPECT_CONTENT, &extent);
    if (FAILED(status))
        return status;
    return SiteBoundary([&] {
        int width = MulDiv(extent.cx, ScreenPixelsPerInch, 2540);
        int height = MulDiv(extent.cy, ScreenPixelsPerInch, 2540);
        if (InvisibleAtRuntime() && !Connected()) {
            width = std::min(width, 32);
            height = std::min(height, 32);
        }
        SetBounds(Left(), Top(), width, height);
        return S_OK;
    });
}

// --- IOleControlSite ------------------------------------------------------------------------

HRESULT TOleControl2::OnControlInfoChanged() { return E_NOTIMPL; }
HRESULT TOleControl2::LockInPlaceActive(BOOL) { return E_NOTIMPL; }

HRESULT TOleControl2::GetExtendedControl(IDispatch** control)
{
    if (control != nullptr)
        *control = nullptr;
    return E_NOTIMPL;
}

HRESULT TOleControl2::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags)
{
    if (himetric == nullptr || container == nullptr)
        return E_POINTER;
    if ((flags & XFORMCOORDS_HIMETRICTOCONTAINER) != 0) {
        container->x = static_cast<float>(MulDiv(himetric->x, ScreenPixelsPerInch, 2540));
        container->y = static_cast<float>(MulDiv(himetric->y, ScreenPixelsPerInch, 2540));
    } else {
        himetric->x = static_cast<LONG>(std::nearbyint(static_cast<double>(container->x) * 2540.0 / ScreenPixelsPerInch));
        himetric->y = static_cast<LONG>(std::nearbyint(static_cast<double>(container->y) * 2540.0 / ScreenPixelsPerInch));
    }
    return S_OK;
}

HRESULT TOleControl2::TranslateAccelerator(MSG*, DWORD) { return E_NOTIMPL; }
HRESULT TOleControl2::OnFocus(BOOL) { return E_NOTIMPL; }
HRESULT TOleControl2::ShowPropertyFrame() { return E_NOTIMPL; }

// --- IOleInPlaceSite ------------------------------------------------------------------------

HRESULT TOleControl2::GetSiteWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = nullptr;
    if (Parent() == nullptr)
        return E_FAIL;
    return SiteBoundary([&] {
        *window = Parent()->Handle();
        return *window != nullptr ? S_OK : E_FAIL;
    });
}

HRESULT TOleControl2::ContextSensitiveHelp(BOOL) { return S_OK; }
HRESULT TOleControl2::CanInPlaceActivate() { return S_OK; }

HRESULT TOleControl2::OnInPlaceActivate()
{
    (void)oleObject_.As(inPlaceObject_);
    (void)oleObject_.As(inPlaceActiveObject_);
    return S_OK;
}

HRESULT TOleControl2::OnUIActivate()
{
    SetUIActive(true);
    return S_OK;
}

HRESULT TOleControl2::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
{
    if (frame != nullptr)
        *frame = nullptr;
    if (document != nullptr)
        *document = nullptr;
    if (frame == nullptr || document == nullptr || position == nullptr || clip == nullptr || frameInfo == nullptr)
        return E_POINTER;
    *frame = static_cast<InPlaceFrameWindow*>(this);
    AddRef();
    *position = BoundsRect().ToRECT();
    *clip = kNoClip;
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = TopLevelWindow(*this);
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

HRESULT TOleControl2::Scroll(SIZE) { return E_NOTIMPL; }

HRESULT TOleControl2::OnUIDeactivate(BOOL)
{
    SetMenu(nullptr, nullptr, nullptr);
    SetUIActive(false);
    return S_OK;
}

HRESULT TOleControl2::OnInPlaceDeactivate()
{
    inPlaceActiveObject_.Reset();
    inPlaceObject_.Reset();
    return S_OK;
}

HRESULT TOleControl2::DiscardUndoState() { return E_NOTIMPL; }

HRESULT TOleControl2::DeactivateAndUndo()
{
    if (inPlaceObject_)
        inPlaceObject_->UIDeactivate();
    return S_OK;
}

HRESULT TOleControl2::OnPosRectChange(LPCRECT position)
{
    if (position == nullptr)
        return E_POINTER;
    if (inPlaceObject_)
        inPlaceObject_->SetObjectRects(position, &kNoClip);
    return S_OK;
}

// --- IOleInPlaceFrame -----------------------------------------------------------------------
// The forms of this framework have no main menu, so there is never a menu to merge: the
// menu methods answer as a container without one does.

HRESULT TOleControl2::GetFrameWindow(HWND* window)
{
    if (window == nullptr)
        return E_POINTER;
    *window = TopLevelWindow(*this);
    return S_OK;
}

HRESULT TOleControl2::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TOleControl2::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }
HRESULT TOleControl2::SetBorderSpace(LPCBORDERWIDTHS) { return E_NOTIMPL; }
HRESULT TOleControl2::SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) { return S_OK; }
HRESULT TOleControl2::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return S_OK; }
HRESULT TOleControl2::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT TOleControl2::RemoveMenus(HMENU) { return S_OK; }
HRESULT TOleControl2::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT TOleControl2::EnableModeless(BOOL) { return S_OK; }
HRESULT TOleControl2::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// --- IDispatch: ambient properties ----------------------------------------------------------

HRESULT TOleControl2::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TOleControl2::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo != nullptr)
        *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TOleControl2::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

TFont* TOleControl2::AmbientFont() const
{
    if (Parent() != nullptr && ParentFont())
        return Parent()->Font();
    return Font();
}

HRESULT TOleControl2::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                             UINT*)
{
    if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    auto boolean = [result](bool value) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    };
    return SiteBoundary([&]() -> HRESULT {
        switch (member) {
        case DISPID_AMBIENT_BACKCOLOR:
            return InitVariantFromInt32(Color(), result);
        case DISPID_AMBIENT_DISPLAYNAME: {
            const std::u16string name = Utf8ToUtf16(Name());
            return InitVariantFromString(name.c_str(), result);
        }
        case DISPID_AMBIENT_FONT: {
            ComPtr<IDispatch> font = MakeOleFont(*AmbientFont());
            result->vt = VT_DISPATCH;
            result->pdispVal = font.Detach();
            return S_OK;
        }
        case DISPID_AMBIENT_FORECOLOR:
            return InitVariantFromInt32(Font()->Color(), result);
        case DISPID_AMBIENT_LOCALEID:
            return InitVariantFromInt32(static_cast<LONG>(GetUserDefaultLCID()), result);
        case DISPID_AMBIENT_MESSAGEREFLECT:
            return boolean(true);
        case DISPID_AMBIENT_USERMODE:
            return boolean(!Designing());
        case DISPID_AMBIENT_UIDEAD:
            return boolean(Designing());
        case DISPID_AMBIENT_SHOWGRABHANDLES:
        case DISPID_AMBIENT_SHOWHATCHING:
            return boolean(false);
        case DISPID_AMBIENT_SUPPORTSMNEMONICS:
        case DISPID_AMBIENT_AUTOCLIP:
            return boolean(true);
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    });
}

// --- IPropertyNotifySink --------------------------------------------------------------------

HRESULT TOleControl2::OnChanged(DISPID property)
{
    // Each change is applied under its guard, so that the host's own change notification
    // does not write the value straight back to the control.
    auto guarded = [this](bool& guard, auto&& apply) -> HRESULT {
        if (guard)
            return S_OK;
        guard = true;
        HRESULT status = S_OK;
        try {
            apply();
        } catch (const EOleError&) {
            status = S_OK;
        } catch (const std::bad_alloc&) {
            status = E_OUTOFMEMORY;
        } catch (...) {
            status = E_FAIL;
        }
        guard = false;
        return status;
    };
    switch (property) {
    case DISPID_ENABLED:
        return guarded(updatingEnabled_, [this] { SetEnabled(GetWordBoolProp(DISPID_ENABLED) != 0); });
    case DISPID_FORECOLOR:
        return guarded(updatingFont_, [this] { Font()->SetColor(GetIntegerProp(DISPID_FORECOLOR)); });
    case DISPID_FONT:
        return guarded(updatingFont_, [this] {
            ScopedVariant value;
            ReadProperty(DISPID_FONT, *value.Get());
            if (value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN)
                AssignOleFont(*Font(), value->punkVal);
        });
    case DISPID_BACKCOLOR:
        return guarded(updatingColor_, [this] { SetColor(GetIntegerProp(DISPID_BACKCOLOR)); });
    default:
        return S_OK;
    }
}

HRESULT TOleControl2::OnRequestEdit(DISPID) { return S_OK; }

// --- ISimpleFrameSite -----------------------------------------------------------------------

HRESULT TOleControl2::PreMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD*) { return S_OK; }
HRESULT TOleControl2::PostMessageFilter(HWND, UINT, WPARAM, LPARAM, LRESULT*, DWORD) { return S_OK; }

// --- UI activation --------------------------------------------------------------------------

void TOleControl2::SetUIActive(bool active)
{
    TCustomForm* form = GetParentForm(this);
    if (form == nullptr)
        return;
    if (active) {
        TWinControl* other = form->ActiveOleControl();
        if (other != nullptr && other != this)
            other->Perform(CM_UIDEACTIVATE, 0, 0);
        form->SetActiveOleControl(this);
    } else if (form->ActiveOleControl() == this) {
        form->SetActiveOleControl(nullptr);
    }
}
