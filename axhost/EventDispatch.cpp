// TEventDispatch and the delivery of a control's events to the host's handler slots.
#include "axhost/EventDispatch.h"

#include "axhost/OleControl.h"
#include "framework/Application.h"
#include "platform/com/Variant.h"

#include <cmath>

const TShiftState ShiftMap[8] = {
    {}, {ssShift}, {ssCtrl}, {ssShift, ssCtrl}, {ssAlt}, {ssShift, ssAlt}, {ssCtrl, ssAlt}, {ssShift, ssCtrl, ssAlt},
};
const TShiftState MouseMap[8] = {
    {}, {ssLeft}, {ssRight}, {ssLeft, ssRight}, {ssMiddle}, {ssLeft, ssMiddle}, {ssRight, ssMiddle},
    {ssLeft, ssRight, ssMiddle},
};
const TMouseButton ButtonMap[8] = {mbLeft, mbLeft, mbRight, mbLeft, mbMiddle, mbLeft, mbRight, mbLeft};

namespace axhost_detail {

namespace {

// The variant a VT_VARIANT reference points at; one level only, so a chain cannot loop.
const VARIANT* ReferencedVariant(const VARIANT& value)
{
    if (value.vt != (VT_BYREF | VT_VARIANT) || value.pvarVal == nullptr || value.pvarVal->vt == (VT_BYREF | VT_VARIANT))
        return nullptr;
    return value.pvarVal;
}

// A number to write back, in the form it came in.
struct StoredValue {
    bool real = false;
    LONGLONG integer = 0;
    double number = 0;

    LONGLONG Integer() const
    {
        if (!real)
            return integer;
        const double r = std::nearbyint(number); // half to even, as conversions round
        if (!(r > -9.2e18 && r < 9.2e18))
            return 0;
        return static_cast<LONGLONG>(r);
    }
    double Number() const { return real ? number : static_cast<double>(integer); }
};

void Store(VARIANT& argument, const StoredValue& value)
{
    if ((argument.vt & VT_BYREF) == 0 || argument.byref == nullptr || (argument.vt & VT_ARRAY) != 0)
        return;
    void* p = argument.byref;
    switch (argument.vt & VT_TYPEMASK) {
    case VT_I1:
    case VT_UI1:
        *static_cast<BYTE*>(p) = static_cast<BYTE>(value.Integer());
        break;
    case VT_I2:
    case VT_UI2:
        *static_cast<USHORT*>(p) = static_cast<USHORT>(value.Integer());
        break;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        *static_cast<ULONG*>(p) = static_cast<ULONG>(value.Integer());
        break;
    case VT_I8:
    case VT_UI8:
        *static_cast<LONGLONG*>(p) = value.Integer();
        break;
    case VT_BOOL:
        *static_cast<VARIANT_BOOL*>(p) = value.Number() != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case VT_R4:
        *static_cast<float*>(p) = static_cast<float>(value.Number());
        break;
    case VT_R8:
    case VT_DATE:
        *static_cast<double*>(p) = value.Number();
        break;
    case VT_CY:
        static_cast<CY*>(p)->int64 = static_cast<LONGLONG>(std::nearbyint(value.Number() * 10000.0));
        break;
    case VT_BSTR: {
        ScopedVariant source;
        ScopedVariant text;
        if (value.real) {
            source->vt = VT_R8;
            source->dblVal = value.number;
        } else {
            source->vt = VT_I8;
            source->llVal = value.integer;
        }
        if (FAILED(VariantChangeType(text.Get(), source.Get(), 0, VT_BSTR)))
            break;
        BSTR* target = static_cast<BSTR*>(p);
        SysFreeString(*target);
        *target = text->bstrVal;
        text->vt = VT_EMPTY; // handed over
        break;
    }
    case VT_VARIANT: {
        VARIANT& inner = *static_cast<VARIANT*>(p);
        if (inner.vt == (VT_BYREF | VT_VARIANT) || (inner.vt & VT_ARRAY) != 0)
            break;
        if ((inner.vt & VT_BYREF) != 0) {
            Store(inner, value);
        } else if (inner.vt == VT_EMPTY) {
            if (value.real) {
                inner.vt = VT_R8;
                inner.dblVal = value.number;
            } else {
                inner.vt = VT_I4;
                inner.lVal = static_cast<LONG>(value.integer);
            }
        } else {
            // The held value seen as a reference to itself: every scalar starts the union.
            VARIANT view;
            VariantInit(&view);
            view.vt = static_cast<VARTYPE>(inner.vt | VT_BYREF);
            view.byref = &inner.llVal;
            Store(view, value);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

void StoreArgumentInteger(VARIANT& argument, LONGLONG value) { Store(argument, StoredValue{false, value, 0}); }

void StoreArgumentDouble(VARIANT& argument, double value) { Store(argument, StoredValue{true, 0, value}); }

std::size_t IntegerKindBytes(VARTYPE vt)
{
    switch (vt & VT_TYPEMASK) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return 4;
    case VT_I8:
    case VT_UI8:
        return 8;
    default:
        return 0;
    }
}

LONG ArgumentInteger(const VARIANT& value)
{
    if (const VARIANT* inner = ReferencedVariant(value))
        return ArgumentInteger(*inner);
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
    if (const VARIANT* inner = ReferencedVariant(value))
        return ArgumentDouble(*inner);
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
    if (const VARIANT* inner = ReferencedVariant(value))
        return ArgumentText(*inner);
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
            const WORD given = static_cast<WORD>(ArgumentInteger(args[1]));
            WORD key = given;
            const TShiftState shift = ShiftMap[ArgumentInteger(args[0]) & 7];
            if (id == DISPID_KEYDOWN)
                KeyDown(key, shift);
            else
                KeyUp(key, shift);
            // In the argument's own type; an unchanged key is left as the control gave it.
            if (key != given)
                axhost_detail::StoreArgumentInteger(args[1], key);
            break;
        }
        case DISPID_KEYPRESS: {
            if (count < 1)
                break;
            const char given = static_cast<char>(ArgumentInteger(args[0]));
            char key = given;
            KeyPress(key);
            if (key != given)
                axhost_detail::StoreArgumentInteger(args[0], static_cast<unsigned char>(key));
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
