// The pixels of a decoded picture that a source sends in a sample: converted to DIB rows only
// when a receiver asks for them, whole or a band of rows at a time, with the converter that
// the source's samples share.
#pragma once

#include "platform/dshow/MediaSample.h"
#include "platform/dshow/decode/DecodeTypes.h"
#include "platform/dshow/decode/DecodedPicture.h"
#include "platform/dshow/decode/PictureConverter.h"

#include <memory>
#include <mutex>

// One converter for all the samples of a source, whichever thread makes their pixels: the
// source checks each picture with it before sending, receivers convert with it later.
struct SharedPictureConverter {
    std::mutex lock;
    quellon::decode::PictureConverter converter;
};

class DecodedSamplePixels final : public SamplePixelMaker {
public:
    DecodedSamplePixels(quellon::decode::DecodedPicture picture, quellon::decode::PixelFormat format,
                        std::shared_ptr<SharedPictureConverter> converter);

    LONG Height() const override;
    std::size_t Stride() const override;
    bool MakeAll(std::vector<std::uint8_t>& bytes) override;
    bool MakeRows(LONG top, LONG count, BYTE* rows) override;

private:
    const quellon::decode::DecodedPicture picture_;
    const quellon::decode::PixelFormat format_;
    const std::shared_ptr<SharedPictureConverter> converter_;
};
