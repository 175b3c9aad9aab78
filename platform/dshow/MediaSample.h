// One media sample: a buffer of pixels with its presentation times, as an output pin sends it
// downstream. The sample owns its bytes, and gives them back to the sender's pool (if any)
// when its last reference goes; a receiver that keeps the data after Receive returns copies
// it or holds a reference to the sample. Fields are written by the sender before
// delivery and only read afterwards, so a sample may be read from several threads.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/SampleBufferPool.h"

#include <cstdint>
#include <memory>
#include <vector>

class MediaSample final : public ComObject<IMediaSample> {
public:
    explicit MediaSample(std::vector<std::uint8_t> bytes, std::shared_ptr<SampleBufferPool> pool = nullptr);
    ~MediaSample() override;

    HRESULT GetPointer(BYTE** buffer) override;
    LONG GetSize() override;
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(BOOL syncPoint) override;
    HRESULT IsPreroll() override;
    HRESULT SetPreroll(BOOL preroll) override;
    LONG GetActualDataLength() override;
    HRESULT SetActualDataLength(LONG length) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** mediaType) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* mediaType) override;
    HRESULT IsDiscontinuity() override;
    HRESULT SetDiscontinuity(BOOL discontinuity) override;
    HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) override;
    HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) override;

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    const std::shared_ptr<SampleBufferPool> pool_;
    LONG actualLength_;
    bool hasTime_ = false;
    bool hasStop_ = false;
    REFERENCE_TIME start_ = 0;
    REFERENCE_TIME stop_ = 0;
    bool hasMediaTime_ = false;
    LONGLONG mediaStart_ = 0;
    LONGLONG mediaStop_ = 0;
    bool syncPoint_ = true;  // every uncompressed picture stands on its own
    bool preroll_ = false;
    bool discontinuity_ = false;
};
