// TEventDispatch and the delivery of a control's events to the host's handler slots.
#include "axhost/EventDispatch.h"

#include "axhost/OleControl.h"
#include "framework/Application.h"

const TShiftState ShiftMap[8] = {
    {}, {ssShift}, {ssCtrl}, {ssShift, ssCtrl}, {ssAlt}, {ssShift, ssAlt}, {ssCtrl, ssAlt}, {ssShift, ssCtrl, ssAlt},
};
const TShiftState MouseMap[8] = {
    {}, {ssLeft}, {ssRight}, {ssLeft, ssRight}, {ssMiddle}, {ssLeft, ssMiddle}, {ssRight, ssMiddle},
    {ssLeft, ssRight, ssMiddle},
};
const TMouseButton ButtonMap[8] = {mbLeft, mbLeft, mbRight, mbLeft, mbMiddle, mbLeft, mbRight, mbLeft};

namespace axhost_detail {

LONG ArgumentInteger(const VARIANT& value)
{
    const bool byRef = (value.vt & VT_BYREF) != 0;
    const void* p = byRef ? value.byref : &value.llVal;
    if (p == nullptr)
        return 0;
    switch (value.vt & VT_TYPEMASK) {
    case VT_I1:
        return *static_cast<const signed char*>(p);
    case VT_UI1:
        return *static_cast<const BYTE*>(p);
    case VT_I2:
    case VT_BOOL:
        return *static_cast<const SHORT*>(p);
    case VT_UI2:
        return *static_cast<const USHORT*>(p);
    case VT_R4:
        return static_cast<LONG>(*static_cast<const float*>(p));
    case VT_R8:
    case VT_DATE:
        return static_cast<LONG>(*static_cast<const double*>(p));
    default:
        // Integers, text and objects: their 32-bit value, as the control passed it.
        return *static_cast<const LONG*>(p);
    }
}

double ArgumentDouble(const VARIANT& value)
{
    const bool byRef = (value.vt & VT_BYREF) != 0;
    const void* p = byRef ? value.byref : &value.llVal;
    if (p == nullptr)
        return 0.0;
    switch (value.vt & VT_TYPEMASK) {
    case VT_R8:
    case VT_DATE:
        return *static_cast<const double*>(p);
    case VT_R4:
        return *static_cast<const float*>(p);
    case VT_CY:
        return static_cast<double>(static_cast<const CY*>(p)->int64) / 10000.0;
    default:
        return ArgumentInteger(value);
    }
}

WideString ArgumentText(const VARIANT& value)
{
    if ((value.vt & VT_TYPEMASK) != VT_BSTR)
        return {};
    const BSTR text = (value.vt & VT_BYREF) != 0 ? (value.pbstrVal != nullptr ? *value.pbstrVal : nullptr) : value.bstrVal;
    return WideString(BstrView(text));
}

} // namespace axhost_detail

// --- TEventDispatch ---------------------------------------------------------------------------

ULONG TEventDispatch::AddRef() { return control_->AddRef(); }
ULONG TEventDispatch::Release() { return control_->Release(); }

HRESULT TEventDispatch::QueryOtherInterface(REFIID iid, void** object)
{
    const TControlInfo* info = control_->ControlInfo();
    if (info == nullptr || iid != info->EventIID)
        return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IDispatch*>(this);
    return S_OK;
}

HRESULT TEventDispatch::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TEventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo != nullptr)
        *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT TEventDispatch::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TEventDispatch::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    const DISPPARAMS& arguments = params != nullptr && (params->cArgs == 0 || params->rgvarg != nullptr) ? *params : none;
    if (member >= DISPID_MOUSEUP && member <= DISPID_CLICK)
        control_->DispatchStandardEvent(member, arguments);
    else
        control_->DispatchEvent(member, arguments);
    return S_OK;
}

// --- delivery ---------------------------------------------------------------------------------

void TOleControl2::DispatchEvent(DISPID id, const DISPPARAMS& params)
{
    if (controlInfo_ == nullptr)
        return;
    const std::vector<DISPID>& ids = controlInfo_->EventDispIDs;
    std::size_t index = 0;
    while (index < ids.size() && ids[index] != id)
        ++index;
    if (index == ids.size())
        return;
    // Hosts of an old description keep no slots of their own here.
    if (controlInfo_->Version <= 400 || controlInfo_->FirstEventSlot == nullptr)
        return;
    const TOleEventSlot& slot = controlInfo_->FirstEventSlot(*this)[index];
    if (!slot.Assigned())
        return;
    // A control that sends fewer arguments than the event declares would have the handler
    // read past the block: such a call is dropped.
    if (params.cArgs < slot.Arity())
        return;
    try {
        // The block holds the arguments last-first: element cArgs - 1 is the first declared.
        std::vector<VARIANT*> declared(slot.Arity());
        for (std::size_t i = 0; i < declared.size(); ++i)
            declared[i] = &params.rgvarg[params.cArgs - 1 - i];
        slot.Invoke(this, declared.data());
    } catch (...) {
        Application->HandleException(this);
    }
}

void TOleControl2::DispatchStandardEvent(DISPID id, const DISPPARAMS& params)
{
    using axhost_detail::ArgumentInteger;
    const UINT count = params.cArgs;
    VARIANT* args = params.rgvarg; // args[0] is the last argument
    try {
        switch (id) {
        case DISPID_CLICK:
            Click();
            break;
        case DISPID_DBLCLICK:
            DblClick();
            break;
        case DISPID_KEYDOWN:
        case DISPID_KEYUP: {
            if (count < 2)
                break;
            WORD key = static_cast<WORD>(ArgumentInteger(args[1]));
            const TShiftState shift = ShiftMap[ArgumentInteger(args[0]) & 7];
            if (id == DISPID_KEYDOWN)
                KeyDown(key, shift);
            else
                KeyUp(key, shift);
            if ((args[1].vt & VT_BYREF) != 0 && args[1].byref != nullptr)
                *static_cast<SHORT*>(args[1].byref) = static_cast<SHORT>(key);
            break;
        }
        case DISPID_KEYPRESS: {
            if (count < 1)
                break;
            char key = static_cast<char>(ArgumentInteger(args[0]));
            KeyPress(key);
            if ((args[0].vt & VT_BYREF) != 0 && args[0].byref != nullptr)
                *static_cast<SHORT*>(args[0].byref) = static_cast<SHORT>(static_cast<unsigned char>(key));
            break;
        }
        case DISPID_MOUSEDOWN:
        case DISPID_MOUSEMOVE:
        case DISPID_MOUSEUP: {
            if (count < 4)
                break;
            const int buttons = ArgumentInteger(args[3]) & 7;
            TShiftState shift = ShiftMap[ArgumentInteger(args[2]) & 7];
            shift = shift + MouseMap[buttons];
            const int x = ArgumentInteger(args[1]);
            const int y = ArgumentInteger(args[0]);
            if (id == DISPID_MOUSEDOWN)
                MouseDown(ButtonMap[buttons], shift, x, y);
            else if (id == DISPID_MOUSEUP)
                MouseUp(ButtonMap[buttons], shift, x, y);
            else
                MouseMove(shift, x, y);
            break;
        }
        default:
            break;
        }
    } catch (...) {
        Application->HandleException(this);
    }
}
