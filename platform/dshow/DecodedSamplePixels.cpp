#include "platform/dshow/DecodedSamplePixels.h"

#include <string>

using quellon::decode::DecodedPicture;
using quellon::decode::PictureConverter;
using quellon::decode::PixelFormat;

static_assert(kSampleRowBand % quellon::decode::kRowBandAlignment == 0);

DecodedSamplePixels::DecodedSamplePixels(DecodedPicture picture, PixelFormat format,
                                         std::shared_ptr<SharedPictureConverter> converter)
    : picture_(std::move(picture)), format_(format), converter_(std::move(converter))
{
}

LONG DecodedSamplePixels::Height() const
{
    return PictureConverter::Height(picture_);
}

std::size_t DecodedSamplePixels::Stride() const
{
    return quellon::decode::DibStrideBytes(PictureConverter::Width(picture_), format_);
}

bool DecodedSamplePixels::MakeAll(std::vector<std::uint8_t>& bytes)
{
    std::string error;
    std::lock_guard guard(converter_->lock);
    return converter_->converter.Convert(picture_, format_, bytes, error);
}

bool DecodedSamplePixels::MakeRows(LONG top, LONG count, BYTE* rows)
{
    std::string error;
    std::lock_guard guard(converter_->lock);
    return converter_->converter.ConvertRows(picture_, format_, top, count, rows, error);
}
