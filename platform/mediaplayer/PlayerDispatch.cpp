// The player's properties through IDispatch: argument checks as automation does them, the
// live properties of the media (sizes, duration, position, states) and the stored ones.
#include "platform/mediaplayer/MediaPlayerControl.h"

#include "platform/user/WinUser.h"

#include <cmath>

namespace mediaplayer {
namespace {

bool IsReadOnly(DISPID id)
{
    switch (id) {
    case kDispImageSourceWidth:
    case kDispImageSourceHeight:
    case kDispDuration:
    case kDispOpenState:
    case kDispPlayState:
    case kDispReadyState:
        return true;
    default:
        return false;
    }
}

bool IsLive(DISPID id)
{
    return IsReadOnly(id) || id == kDispCurrentPosition;
}

void FillException(EXCEPINFO* exception, HRESULT code, const std::string& text)
{
    if (exception == nullptr)
        return;
    *exception = EXCEPINFO{};
    exception->bstrSource = SysAllocString(u"MediaPlayer");
    exception->bstrDescription = Utf8ToBstr(text);
    exception->scode = code;
}

}  // namespace

HRESULT MediaPlayerControl::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT MediaPlayerControl::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo)
{
    if (typeInfo == nullptr)
        return E_POINTER;
    *typeInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT MediaPlayerControl::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;  // callers of this control address its members by dispatch id
}

HRESULT MediaPlayerControl::Invoke(DISPID member, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError)
{
    if (iid != IID_NULL)
        return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr)
        return E_INVALIDARG;
    if (params->cArgs > 0 && params->rgvarg == nullptr)
        return E_INVALIDARG;
    if (!properties_.Has(member) && !IsLive(member))
        return DISP_E_MEMBERNOTFOUND;
    return ComBoundary([&]() -> HRESULT {
        if ((flags & DISPATCH_PROPERTYGET) != 0 && params->cNamedArgs == 0) {
            if (params->cArgs != 0)
                return DISP_E_BADPARAMCOUNT;
            if (result == nullptr)
                return E_INVALIDARG;
            VariantClear(result);
            return GetProperty(member, result);
        }
        if ((flags & DISPATCH_PROPERTYPUT) != 0) {
            if (IsReadOnly(member))
                return DISP_E_MEMBERNOTFOUND;
            if (params->cNamedArgs != 1 || params->rgdispidNamedArgs == nullptr ||
                params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
                return params->cArgs == 1 ? DISP_E_PARAMNOTOPTIONAL : DISP_E_BADPARAMCOUNT;
            if (params->cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            const HRESULT hr = PutProperty(member, params->rgvarg[0], exception);
            if (hr == DISP_E_TYPEMISMATCH && argumentError != nullptr)
                *argumentError = 0;
            return hr;
        }
        return DISP_E_MEMBERNOTFOUND;  // no methods and no put-by-reference here
    });
}

double MediaPlayerControl::PositionInUnits() const
{
    if (openState_ != kOpenOpen)
        return 0;
    if (properties_.Int(kDispDisplayMode) == 1)
        return static_cast<double>(graph_->PositionFrame());
    return graph_->PositionSeconds();
}

double MediaPlayerControl::DurationInUnits() const
{
    if (openState_ != kOpenOpen)
        return 0;
    const MediaInfo& info = graph_->Info();
    return properties_.Int(kDispDisplayMode) == 1 ? static_cast<double>(info.frameCount) : info.durationSeconds;
}

HRESULT MediaPlayerControl::GetProperty(DISPID id, VARIANT* result)
{
    const bool open = openState_ == kOpenOpen;
    switch (id) {
    case kDispImageSourceWidth:
        return InitVariantFromInt32(open ? graph_->Info().width : 0, result);
    case kDispImageSourceHeight:
        return InitVariantFromInt32(open ? graph_->Info().height : 0, result);
    case kDispDuration:
        return InitVariantFromDouble(DurationInUnits(), result);
    case kDispCurrentPosition:
        // A container that reads the position after the opening batch has seen the playback
        // go on: its pause is an ordinary one from now on.
        if (!openingBatch_)
            openingPosition_.reset();
        return InitVariantFromDouble(PositionInUnits(), result);
    case kDispOpenState:
        return InitVariantFromInt32(openState_, result);
    case kDispPlayState:
        return InitVariantFromInt32(playState_, result);
    case kDispReadyState:
        return InitVariantFromInt32(readyState_, result);
    default:
        return properties_.Get(id, result);
    }
}

HRESULT MediaPlayerControl::PutProperty(DISPID id, const VARIANT& value, EXCEPINFO* exception)
{
    if (id == kDispCurrentPosition) {
        ScopedVariant number;
        if (FAILED(VariantChangeType(number.Get(), &value, 0, VT_R8)))
            return DISP_E_TYPEMISMATCH;
        const double position = number->dblVal;
        if (!std::isfinite(position) || position < 0) {
            FillException(exception, E_INVALIDARG, "A position cannot be negative.");
            return exception != nullptr ? DISP_E_EXCEPTION : E_INVALIDARG;
        }
        // Without open media there is nothing to position; containers write 0 at creation.
        if (openState_ != kOpenOpen)
            return S_OK;
        const bool byFrame = properties_.Int(kDispDisplayMode) == 1;
        if (byFrame)
            graph_->SeekFrame(std::llround(position));
        else
            graph_->SeekSeconds(position);
        // Written while the container learns that the media opened: the first pause of the
        // playback we started returns there (see the header). Any later write is a seek.
        if (openingBatch_)
            openingPosition_ = OpeningPosition{byFrame, position};
        else
            openingPosition_.reset();
        if (window_ != nullptr)
            InvalidateRect(window_, nullptr, FALSE);
        return S_OK;
    }
    bool changed = false;
    std::string why;
    const HRESULT hr = properties_.Put(id, value, &changed, &why);
    if (hr == E_INVALIDARG) {
        FillException(exception, hr, why);
        return exception != nullptr ? DISP_E_EXCEPTION : hr;
    }
    if (FAILED(hr))
        return hr;
    if (changed) {
        dirty_ = true;
        PropertyChanged(id);
    }
    return S_OK;
}

void MediaPlayerControl::PropertyChanged(DISPID id)
{
    switch (id) {
    case kDispRate:
        graph_->SetRate(properties_.Double(kDispRate));
        break;
    case kDispDisplayMode:
        QueueEvent(kEventDisplayModeChange);
        break;
    case kDispEnabled:
        if (window_ != nullptr)
            EnableWindow(window_, properties_.Bool(kDispEnabled));
        break;
    case kDispDisplaySize:
    case kDispShowControls:
    case kDispShowTracker:
    case kDispShowPositionControls:
        Layout();
        break;
    default:
        break;
    }
    propertyNotifyPoint_.FireOnChanged(id);
}

}  // namespace mediaplayer
