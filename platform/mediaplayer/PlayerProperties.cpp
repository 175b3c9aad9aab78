#include "platform/mediaplayer/PlayerProperties.h"

#include "platform/mediaplayer/MediaPlayerInterfaces.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace mediaplayer {
namespace {

struct Definition {
    DISPID id;
    PropertyKind kind;
    double defaultValue;  // booleans 0/1, integers, doubles
    double minimum;
    double maximum;
};

constexpr double kAny = 1e300;

// The defaults are those a freshly inserted player shows: controls and display on, the
// state events on, the input events off, its own auto-start on, full volume.
const Definition kDefinitions[] = {
    {kDispVolume, PropertyKind::Int, 0, -10000, 0},
    {kDispBalance, PropertyKind::Int, 0, -10000, 10000},
    {kDispShowDisplay, PropertyKind::Bool, 0, 0, 1},
    {kDispShowControls, PropertyKind::Bool, 1, 0, 1},
    {kDispShowPositionControls, PropertyKind::Bool, 1, 0, 1},
    {kDispShowTracker, PropertyKind::Bool, 1, 0, 1},
    {kDispEnablePositionControls, PropertyKind::Bool, 1, 0, 1},
    {kDispEnableTracker, PropertyKind::Bool, 1, 0, 1},
    {kDispDisplayMode, PropertyKind::Int, 0, 0, 1},
    {kDispSendKeyboardEvents, PropertyKind::Bool, 0, 0, 1},
    {kDispSendMouseClickEvents, PropertyKind::Bool, 0, 0, 1},
    {kDispSendMouseMoveEvents, PropertyKind::Bool, 0, 0, 1},
    {kDispAutoStart, PropertyKind::Bool, 1, 0, 1},
    {kDispAutoRewind, PropertyKind::Bool, 0, 0, 1},
    {kDispInvokeURLs, PropertyKind::Bool, 1, 0, 1},
    {kDispEnableContextMenu, PropertyKind::Bool, 1, 0, 1},
    {kDispClickToPlay, PropertyKind::Bool, 1, 0, 1},
    {kDispRate, PropertyKind::Double, 1.0, 0.0625, 16},
    {kDispPlayCount, PropertyKind::Int, 1, 0, 0x7FFFFFFF},
    {kDispDisplaySize, PropertyKind::Int, kSizeDefault, 0, 4},
    {kDispAllowScan, PropertyKind::Bool, 1, 0, 1},
    {kDispCursorType, PropertyKind::Int, 0, 0, 0x7FFFFFFF},
    {kDispAnimationAtStart, PropertyKind::Bool, 1, 0, 1},
    {kDispSendOpenStateChangeEvents, PropertyKind::Bool, 1, 0, 1},
    {kDispSendWarningEvents, PropertyKind::Bool, 1, 0, 1},
    {kDispSendErrorEvents, PropertyKind::Bool, 1, 0, 1},
    {kDispSendPlayStateChangeEvents, PropertyKind::Bool, 1, 0, 1},
    {kDispBaseURL, PropertyKind::Text, 0, 0, 0},
    {kDispDefaultFrame, PropertyKind::Text, 0, 0, 0},
    {kDispShowCaptioning, PropertyKind::Bool, 0, 0, 1},
    {kDispCaptioningID, PropertyKind::Text, 0, 0, 0},
    {kDispShowStatusBar, PropertyKind::Bool, 0, 0, 1},
    {kDispShowGotoBar, PropertyKind::Bool, 0, 0, 1},
    {kDispMute, PropertyKind::Bool, 0, 0, 1},
    {kDispLanguage, PropertyKind::Int, -1, -1, 0x7FFFFFFF},
    {kDispAudioStream, PropertyKind::Int, -1, -1, 0x7FFFFFFF},
    {kDispSAMIStyle, PropertyKind::Text, 0, 0, 0},
    {kDispSAMILang, PropertyKind::Text, 0, 0, 0},
    {kDispSAMIFileName, PropertyKind::Text, 0, 0, 0},
    {kDispVideoBorderWidth, PropertyKind::Int, 0, 0, 0x7FFFFFFF},
    {kDispVideoBorderColor, PropertyKind::Int, 0, -kAny, kAny},
    {kDispVideoBorder3D, PropertyKind::Bool, 0, 0, 1},
    {kDispShowAudioControls, PropertyKind::Bool, 1, 0, 1},
    {kDispEnableFullScreenControls, PropertyKind::Bool, 0, 0, 1},
    {kDispWindowlessVideo, PropertyKind::Bool, 0, 0, 1},
    {kDispAutoSize, PropertyKind::Bool, 1, 0, 1},
    {kDispEnabled, PropertyKind::Bool, 1, 0, 1},
};

const Definition* Find(DISPID id)
{
    for (const Definition& d : kDefinitions)
        if (d.id == id)
            return &d;
    return nullptr;
}

VARTYPE VarTypeOf(PropertyKind kind)
{
    switch (kind) {
    case PropertyKind::Bool:
        return VT_BOOL;
    case PropertyKind::Int:
        return VT_I4;
    case PropertyKind::Double:
        return VT_R8;
    case PropertyKind::Text:
        return VT_BSTR;
    }
    return VT_EMPTY;
}

PropertyValue DefaultOf(const Definition& d)
{
    PropertyValue v;
    v.kind = d.kind;
    v.boolean = d.defaultValue != 0;
    v.integer = static_cast<LONG>(d.defaultValue);
    v.real = d.defaultValue;
    return v;
}

bool InRange(const Definition& d, const PropertyValue& v, std::string* why)
{
    double number = 0;
    if (d.kind == PropertyKind::Int)
        number = v.integer;
    else if (d.kind == PropertyKind::Double)
        number = v.real;
    else
        return true;
    if (std::isfinite(number) && number >= d.minimum && number <= d.maximum)
        return true;
    if (why != nullptr) {
        char text[160];
        std::snprintf(text, sizeof text, "Property %ld accepts values from %g to %g.", static_cast<long>(d.id),
                      d.minimum, d.maximum);
        *why = text;
    }
    return false;
}

bool SameValue(const PropertyValue& a, const PropertyValue& b)
{
    switch (a.kind) {
    case PropertyKind::Bool:
        return a.boolean == b.boolean;
    case PropertyKind::Int:
        return a.integer == b.integer;
    case PropertyKind::Double:
        return a.real == b.real;
    case PropertyKind::Text:
        return a.text == b.text;
    }
    return false;
}

constexpr char kMagic[4] = {'Q', 'M', 'P', 'C'};
constexpr WORD kVersion = 1;

HRESULT WriteAll(IStream* stream, const void* data, ULONG bytes)
{
    ULONG written = 0;
    const HRESULT hr = stream->Write(data, bytes, &written);
    if (FAILED(hr))
        return hr;
    return written == bytes ? S_OK : STG_E_MEDIUMFULL;
}

HRESULT ReadAll(IStream* stream, void* data, ULONG bytes)
{
    ULONG read = 0;
    const HRESULT hr = stream->Read(data, bytes, &read);
    if (FAILED(hr))
        return hr;
    return read == bytes ? S_OK : STG_E_READFAULT;
}

}  // namespace

PlayerProperties::PlayerProperties()
{
    ResetToDefaults();
}

void PlayerProperties::ResetToDefaults()
{
    values_.clear();
    for (const Definition& d : kDefinitions)
        values_[d.id] = DefaultOf(d);
}

bool PlayerProperties::Has(DISPID id) const
{
    return Find(id) != nullptr;
}

PropertyKind PlayerProperties::KindOf(DISPID id) const
{
    return values_.at(id).kind;
}

HRESULT PlayerProperties::Get(DISPID id, VARIANT* result) const
{
    const auto found = values_.find(id);
    if (found == values_.end())
        return DISP_E_MEMBERNOTFOUND;
    const PropertyValue& v = found->second;
    switch (v.kind) {
    case PropertyKind::Bool:
        return InitVariantFromBoolean(v.boolean, result);
    case PropertyKind::Int:
        return InitVariantFromInt32(v.integer, result);
    case PropertyKind::Double:
        return InitVariantFromDouble(v.real, result);
    case PropertyKind::Text:
        // An empty text is handed out as a null string, as the host hands one in.
        if (v.text.empty()) {
            result->vt = VT_BSTR;
            result->bstrVal = nullptr;
            return S_OK;
        }
        return InitVariantFromString(v.text.c_str(), result);
    }
    return E_UNEXPECTED;
}

HRESULT PlayerProperties::Put(DISPID id, const VARIANT& value, bool* changed, std::string* why)
{
    if (changed != nullptr)
        *changed = false;
    const Definition* d = Find(id);
    if (d == nullptr)
        return DISP_E_MEMBERNOTFOUND;
    ScopedVariant converted;
    const HRESULT hr = VariantChangeType(converted.Get(), &value, 0, VarTypeOf(d->kind));
    if (FAILED(hr))
        return hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH;
    PropertyValue v;
    v.kind = d->kind;
    switch (d->kind) {
    case PropertyKind::Bool:
        v.boolean = converted->boolVal != VARIANT_FALSE;
        break;
    case PropertyKind::Int:
        v.integer = converted->lVal;
        break;
    case PropertyKind::Double:
        v.real = converted->dblVal;
        break;
    case PropertyKind::Text:
        v.text = std::u16string(BstrView(converted->bstrVal));
        break;
    }
    if (!InRange(*d, v, why))
        return E_INVALIDARG;
    PropertyValue& stored = values_[id];
    if (changed != nullptr)
        *changed = !SameValue(stored, v);
    stored = std::move(v);
    return S_OK;
}

ULONGLONG PlayerProperties::SaveSize() const
{
    ULONGLONG size = sizeof kMagic + 2 * sizeof(WORD);
    for (const auto& [id, v] : values_)
        size += sizeof(LONG) + 1 + 8 + (v.kind == PropertyKind::Text ? 4 + 2 * v.text.size() : 0);
    return size;
}

HRESULT PlayerProperties::Save(IStream* stream) const
{
    if (stream == nullptr)
        return E_POINTER;
    HRESULT hr = WriteAll(stream, kMagic, sizeof kMagic);
    const WORD header[2] = {kVersion, static_cast<WORD>(values_.size())};
    if (SUCCEEDED(hr))
        hr = WriteAll(stream, header, sizeof header);
    for (const auto& [id, v] : values_) {
        if (FAILED(hr))
            return hr;
        const LONG storedId = id;
        const BYTE kind = static_cast<BYTE>(v.kind);
        hr = WriteAll(stream, &storedId, sizeof storedId);
        if (SUCCEEDED(hr))
            hr = WriteAll(stream, &kind, 1);
        if (FAILED(hr))
            return hr;
        switch (v.kind) {
        case PropertyKind::Bool: {
            const BYTE b = v.boolean ? 1 : 0;
            hr = WriteAll(stream, &b, 1);
            break;
        }
        case PropertyKind::Int:
            hr = WriteAll(stream, &v.integer, sizeof v.integer);
            break;
        case PropertyKind::Double:
            hr = WriteAll(stream, &v.real, sizeof v.real);
            break;
        case PropertyKind::Text: {
            const DWORD units = static_cast<DWORD>(v.text.size());
            hr = WriteAll(stream, &units, sizeof units);
            if (SUCCEEDED(hr) && units > 0)
                hr = WriteAll(stream, v.text.data(), units * 2);
            break;
        }
        }
    }
    return hr;
}

HRESULT PlayerProperties::Load(IStream* stream)
{
    if (stream == nullptr)
        return E_POINTER;
    char magic[4];
    WORD header[2];
    HRESULT hr = ReadAll(stream, magic, sizeof magic);
    if (SUCCEEDED(hr))
        hr = ReadAll(stream, header, sizeof header);
    if (FAILED(hr))
        return hr;
    if (std::memcmp(magic, kMagic, sizeof magic) != 0 || header[0] != kVersion)
        return E_FAIL;
    std::map<DISPID, PropertyValue> loaded = values_;
    for (WORD n = 0; n < header[1]; ++n) {
        LONG id;
        BYTE kind;
        hr = ReadAll(stream, &id, sizeof id);
        if (SUCCEEDED(hr))
            hr = ReadAll(stream, &kind, 1);
        if (FAILED(hr))
            return hr;
        PropertyValue v;
        v.kind = static_cast<PropertyKind>(kind);
        switch (v.kind) {
        case PropertyKind::Bool: {
            BYTE b = 0;
            hr = ReadAll(stream, &b, 1);
            v.boolean = b != 0;
            break;
        }
        case PropertyKind::Int:
            hr = ReadAll(stream, &v.integer, sizeof v.integer);
            break;
        case PropertyKind::Double:
            hr = ReadAll(stream, &v.real, sizeof v.real);
            break;
        case PropertyKind::Text: {
            DWORD units = 0;
            hr = ReadAll(stream, &units, sizeof units);
            if (SUCCEEDED(hr) && units > 0x100000)
                return E_FAIL;  // no property text is anywhere near a megabyte
            if (SUCCEEDED(hr)) {
                v.text.resize(units);
                if (units > 0)
                    hr = ReadAll(stream, v.text.data(), units * 2);
            }
            break;
        }
        default:
            return E_FAIL;
        }
        if (FAILED(hr))
            return hr;
        const Definition* d = Find(id);
        if (d == nullptr)
            continue;  // written by a later version: not ours to interpret
        if (d->kind != v.kind || !InRange(*d, v, nullptr))
            return E_FAIL;
        loaded[id] = std::move(v);
    }
    values_ = std::move(loaded);
    return S_OK;
}

}  // namespace mediaplayer
