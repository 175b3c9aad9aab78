#include "platform/dshow/MediaTypes.h"

#include "platform/com/ComRuntime.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

void FreeMediaType(AM_MEDIA_TYPE& mediaType)
{
    if (mediaType.pbFormat != nullptr)
        CoTaskMemFree(mediaType.pbFormat);
    if (mediaType.pUnk != nullptr)
        mediaType.pUnk->Release();
    std::memset(&mediaType, 0, sizeof mediaType);
}

void DeleteMediaType(AM_MEDIA_TYPE* mediaType)
{
    if (mediaType == nullptr)
        return;
    FreeMediaType(*mediaType);
    CoTaskMemFree(mediaType);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source)
{
    if (target == nullptr || source == nullptr)
        return E_POINTER;
    AM_MEDIA_TYPE copy = *source;
    copy.pbFormat = nullptr;
    copy.cbFormat = 0;
    if (source->cbFormat != 0 && source->pbFormat != nullptr) {
        copy.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (copy.pbFormat == nullptr) {
            std::memset(target, 0, sizeof *target);
            return E_OUTOFMEMORY;
        }
        std::memcpy(copy.pbFormat, source->pbFormat, source->cbFormat);
        copy.cbFormat = source->cbFormat;
    }
    if (copy.pUnk != nullptr)
        copy.pUnk->AddRef();
    *target = copy;
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source)
{
    auto* record = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (record == nullptr)
        return nullptr;
    if (CopyMediaType(record, source) != S_OK) {
        CoTaskMemFree(record);
        return nullptr;
    }
    return record;
}

bool MediaTypeMatchesPartial(const AM_MEDIA_TYPE* candidate, const AM_MEDIA_TYPE* pattern)
{
    if (pattern == nullptr)
        return true;
    if (candidate == nullptr)
        return false;
    if (pattern->majortype != GUID_NULL && pattern->majortype != candidate->majortype)
        return false;
    if (pattern->subtype != GUID_NULL && pattern->subtype != candidate->subtype)
        return false;
    if (pattern->formattype != GUID_NULL && pattern->formattype != candidate->formattype)
        return false;
    return true;
}

bool MediaTypesEqual(const AM_MEDIA_TYPE& a, const AM_MEDIA_TYPE& b)
{
    if (a.majortype != b.majortype || a.subtype != b.subtype || a.formattype != b.formattype)
        return false;
    if (a.bFixedSizeSamples != b.bFixedSizeSamples || a.bTemporalCompression != b.bTemporalCompression ||
        a.lSampleSize != b.lSampleSize || a.cbFormat != b.cbFormat)
        return false;
    if (a.cbFormat == 0)
        return true;
    if (a.pbFormat == nullptr || b.pbFormat == nullptr)
        return a.pbFormat == b.pbFormat;
    return std::memcmp(a.pbFormat, b.pbFormat, a.cbFormat) == 0;
}

AM_MEDIA_TYPE MakeRgbVideoType(int width, int height, int bitsPerPixel, REFERENCE_TIME avgTimePerFrame)
{
    AM_MEDIA_TYPE type;
    std::memset(&type, 0, sizeof type);
    type.majortype = MEDIATYPE_Video;
    type.subtype = bitsPerPixel == 24 ? MEDIASUBTYPE_RGB24 : MEDIASUBTYPE_RGB32;
    type.formattype = FORMAT_VideoInfo;
    type.bFixedSizeSamples = TRUE;
    type.bTemporalCompression = FALSE;
    const DWORD imageBytes = static_cast<DWORD>(DibRowBytes(width, bitsPerPixel)) * static_cast<DWORD>(std::abs(height));
    type.lSampleSize = imageBytes;
    type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (type.pbFormat == nullptr)
        throw std::bad_alloc();
    type.cbFormat = sizeof(VIDEOINFOHEADER);
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = avgTimePerFrame;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = imageBytes;
    if (avgTimePerFrame > 0)
        info.dwBitRate = static_cast<DWORD>(
            std::min<double>(4294967295.0, imageBytes * 8.0 * kUnitsPerSecond / static_cast<double>(avgTimePerFrame)));
    std::memcpy(type.pbFormat, &info, sizeof info);
    return type;
}

const BITMAPINFOHEADER* VideoBitmapHeader(const AM_MEDIA_TYPE& mediaType)
{
    if (mediaType.pbFormat == nullptr)
        return nullptr;
    if (mediaType.formattype == FORMAT_VideoInfo && mediaType.cbFormat >= sizeof(VIDEOINFOHEADER))
        return &reinterpret_cast<const VIDEOINFOHEADER*>(mediaType.pbFormat)->bmiHeader;
    if (mediaType.formattype == FORMAT_VideoInfo2 && mediaType.cbFormat >= sizeof(VIDEOINFOHEADER2))
        return &reinterpret_cast<const VIDEOINFOHEADER2*>(mediaType.pbFormat)->bmiHeader;
    return nullptr;
}

MediaTypeHolder::MediaTypeHolder()
{
    std::memset(&type_, 0, sizeof type_);
}

MediaTypeHolder::~MediaTypeHolder()
{
    Clear();
}

HRESULT MediaTypeHolder::Assign(const AM_MEDIA_TYPE* source)
{
    Clear();
    if (source == nullptr)
        return S_OK;
    const HRESULT hr = CopyMediaType(&type_, source);
    empty_ = hr != S_OK;
    return hr;
}

void MediaTypeHolder::Adopt(AM_MEDIA_TYPE& source)
{
    Clear();
    type_ = source;
    std::memset(&source, 0, sizeof source);
    empty_ = false;
}

void MediaTypeHolder::Clear()
{
    if (!empty_)
        FreeMediaType(type_);
    std::memset(&type_, 0, sizeof type_);
    empty_ = true;
}
