#include "platform/dshow/MediaSample.h"

#include <algorithm>
#include <limits>

MediaSample::MediaSample(std::vector<std::uint8_t> bytes, std::shared_ptr<SampleBufferPool> pool)
    : bytes_(std::move(bytes)),
      pool_(std::move(pool)),
      actualLength_(static_cast<LONG>(std::min<std::size_t>(bytes_.size(), std::numeric_limits<LONG>::max())))
{
}

MediaSample::~MediaSample()
{
    if (pool_)
        pool_->Give(std::move(bytes_));
}

HRESULT MediaSample::GetPointer(BYTE** buffer)
{
    if (buffer == nullptr)
        return E_POINTER;
    *buffer = bytes_.data();
    return S_OK;
}

LONG MediaSample::GetSize()
{
    return static_cast<LONG>(std::min<std::size_t>(bytes_.size(), std::numeric_limits<LONG>::max()));
}

HRESULT MediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (start == nullptr || end == nullptr)
        return E_POINTER;
    if (!hasTime_)
        return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = start_;
    if (!hasStop_) {
        // As documented: only the start is valid; the end is start + 1.
        *end = start_ + 1;
        return VFW_S_NO_STOP_TIME;
    }
    *end = stop_;
    return S_OK;
}

HRESULT MediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    hasTime_ = start != nullptr;
    hasStop_ = start != nullptr && end != nullptr;
    start_ = start != nullptr ? *start : 0;
    stop_ = end != nullptr ? *end : 0;
    return S_OK;
}

HRESULT MediaSample::IsSyncPoint()
{
    return syncPoint_ ? S_OK : S_FALSE;
}

HRESULT MediaSample::SetSyncPoint(BOOL syncPoint)
{
    syncPoint_ = syncPoint != FALSE;
    return S_OK;
}

HRESULT MediaSample::IsPreroll()
{
    return preroll_ ? S_OK : S_FALSE;
}

HRESULT MediaSample::SetPreroll(BOOL preroll)
{
    preroll_ = preroll != FALSE;
    return S_OK;
}

LONG MediaSample::GetActualDataLength()
{
    return actualLength_;
}

HRESULT MediaSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > GetSize())
        return VFW_E_BUFFER_OVERFLOW;
    actualLength_ = length;
    return S_OK;
}

HRESULT MediaSample::GetMediaType(AM_MEDIA_TYPE** mediaType)
{
    if (mediaType == nullptr)
        return E_POINTER;
    // The type never changes within a stream here.
    *mediaType = nullptr;
    return S_FALSE;
}

HRESULT MediaSample::SetMediaType(AM_MEDIA_TYPE*)
{
    // Samples of this graph always carry the connection's type; a dynamic change is refused.
    return E_NOTIMPL;
}

HRESULT MediaSample::IsDiscontinuity()
{
    return discontinuity_ ? S_OK : S_FALSE;
}

HRESULT MediaSample::SetDiscontinuity(BOOL discontinuity)
{
    discontinuity_ = discontinuity != FALSE;
    return S_OK;
}

HRESULT MediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (start == nullptr || end == nullptr)
        return E_POINTER;
    if (!hasMediaTime_)
        return VFW_E_MEDIA_TIME_NOT_SET;
    *start = mediaStart_;
    *end = mediaStop_;
    return S_OK;
}

HRESULT MediaSample::SetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (start == nullptr) {
        hasMediaTime_ = false;
        return S_OK;
    }
    if (end == nullptr)
        return E_POINTER;
    hasMediaTime_ = true;
    mediaStart_ = *start;
    mediaStop_ = *end;
    return S_OK;
}
