// One media sample: a buffer of pixels with its presentation times, as an output pin sends it
// downstream. The sample owns its bytes, and gives them back to the sender's pool (if any)
// when its last reference goes; a receiver that keeps the data after Receive returns copies
// it or holds a reference to the sample. Fields are written by the sender before
// delivery and only read afterwards, so a sample may be read from several threads.
//
// A sample of a source that decodes may carry its picture instead of its pixels: the pixels
// are made on the first GetPointer (a picture of 8K is 130 MB of RGB, so one that nobody asks
// for whole is never made), and a receiver can read its rows a band at a time through
// ISampleRows without the whole picture being made.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/SampleBufferPool.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// Ours, between the filters of this graph.
DEFINE_GUID(IID_ISampleRows, 0x3E9A41C7, 0x52D0, 0x4B8E, 0xA1, 0x6F, 0x0C, 0x93, 0x7B, 0x24, 0xE5, 0x58);

// The rows of a sample whose bytes are a bottom-up DIB, read a band at a time.
struct ISampleRows : IUnknown {
    // Rows top .. top + count - 1 of the picture (counted from the top) into `rows`, laid out
    // as they lie in the sample's bytes: the lowest row first. `top` and `count` are multiples
    // of kSampleRowBand, or the band ends at the bottom row; a sample that cannot make such a
    // band by itself fails (E_FAIL) and the whole picture is then read through GetPointer.
    // E_NOTIMPL for a sample that does not know the layout of its rows, E_INVALIDARG for rows
    // outside the picture.
    virtual HRESULT CopyRows(LONG top, LONG count, BYTE* rows) = 0;
};
COM_INTERFACE_TRAITS(ISampleRows, IUnknown, IID_ISampleRows);

inline constexpr LONG kSampleRowBand = 16;

// What makes the pixels of a sample that carries a picture. Called under the sample's lock, so
// by one thread at a time.
class SamplePixelMaker {
public:
    virtual ~SamplePixelMaker() = default;
    // The picture's rows, and the bytes of each row in the DIB.
    virtual LONG Height() const = 0;
    virtual std::size_t Stride() const = 0;
    // The whole DIB into `bytes` (a buffer given back by an earlier sample is written over).
    // False on failure.
    virtual bool MakeAll(std::vector<std::uint8_t>& bytes) = 0;
    // As ISampleRows::CopyRows; false when it cannot.
    virtual bool MakeRows(LONG top, LONG count, BYTE* rows) = 0;
};

class MediaSample final : public ComObject<IMediaSample, ISampleRows> {
public:
    explicit MediaSample(std::vector<std::uint8_t> bytes, std::shared_ptr<SampleBufferPool> pool = nullptr);
    // Pixels made when asked for, into a buffer of the pool when it has one spare.
    MediaSample(std::unique_ptr<SamplePixelMaker> maker, std::shared_ptr<SampleBufferPool> pool);
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

    HRESULT CopyRows(LONG top, LONG count, BYTE* rows) override;

private:
    // Under lock_: makes the whole picture if it is not made yet.
    HRESULT MakeBytesLocked();

    std::mutex lock_; // bytes_ and maker_, once the sample may be read from several threads
    std::vector<std::uint8_t> bytes_;
    std::unique_ptr<SamplePixelMaker> maker_; // until the pixels are made
    const std::shared_ptr<SampleBufferPool> pool_;
    const LONG height_;         // rows of a picture sample; 0 for a sample made of bytes
    const std::size_t stride_;
    const LONG size_;
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
