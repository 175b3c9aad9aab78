#include "platform/dshow/MediaSample.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

LONG ClampedSize(std::size_t bytes)
{
    return static_cast<LONG>(std::min<std::size_t>(bytes, std::numeric_limits<LONG>::max()));
}

}  // namespace

MediaSample::MediaSample(std::vector<std::uint8_t> bytes, std::shared_ptr<SampleBufferPool> pool)
    : bytes_(std::move(bytes)), pool_(std::move(pool)), height_(0), stride_(0), size_(ClampedSize(bytes_.size())),
      actualLength_(size_)
{
}

MediaSample::MediaSample(std::unique_ptr<SamplePixelMaker> maker, std::shared_ptr<SampleBufferPool> pool)
    : maker_(std::move(maker)), pool_(std::move(pool)), height_(maker_->Height()), stride_(maker_->Stride()),
      size_(ClampedSize(stride_ * static_cast<std::size_t>(height_))), actualLength_(size_)
{
}

MediaSample::~MediaSample()
{
    if (pool_)
        pool_->Give(std::move(bytes_));
}

HRESULT MediaSample::MakeBytesLocked()
{
    if (!maker_)
        return S_OK;
    return ComBoundary([&] {
        std::vector<std::uint8_t> bytes = pool_ ? pool_->Take() : std::vector<std::uint8_t>{};
        if (!maker_->MakeAll(bytes) || bytes.size() != static_cast<std::size_t>(size_)) {
            if (pool_)
                pool_->Give(std::move(bytes));
            return E_FAIL;
        }
        bytes_ = std::move(bytes);
        maker_.reset(); // the picture is not needed any more
        return S_OK;
    });
}

HRESULT MediaSample::GetPointer(BYTE** buffer)
{
    if (buffer == nullptr)
        return E_POINTER;
    *buffer = nullptr;
    std::lock_guard guard(lock_);
    const HRESULT hr = MakeBytesLocked();
    if (hr == S_OK)
        *buffer = bytes_.data();
    return hr;
}

HRESULT MediaSample::CopyRows(LONG top, LONG count, BYTE* rows)
{
    if (rows == nullptr)
        return E_POINTER;
    if (stride_ == 0)
        return E_NOTIMPL;
    if (top < 0 || count <= 0 || top >= height_ || count > height_ - top)
        return E_INVALIDARG;
    std::lock_guard guard(lock_);
    if (maker_)
        return ComBoundary([&] { return maker_->MakeRows(top, count, rows) ? S_OK : E_FAIL; });
    // Made whole already: the band's lowest row is scan line height - top - count.
    const std::size_t lowest = static_cast<std::size_t>(height_ - top - count);
    std::memcpy(rows, bytes_.data() + lowest * stride_, static_cast<std::size_t>(count) * stride_);
    return S_OK;
}

LONG MediaSample::GetSize()
{
    return size_;
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
