#include "platform/dshow/decode/DecodedPictureData.h"

namespace quellon::decode {

DecodedPicture::DecodedPicture() = default;
DecodedPicture::~DecodedPicture() = default;
DecodedPicture::DecodedPicture(DecodedPicture&&) noexcept = default;
DecodedPicture& DecodedPicture::operator=(DecodedPicture&&) noexcept = default;
DecodedPicture::DecodedPicture(std::unique_ptr<Data> data) : data_(std::move(data)) {}

void DecodedPicture::Reset()
{
    data_.reset();
}

}  // namespace quellon::decode
