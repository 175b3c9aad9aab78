#include "platform/dshow/decode/PictureConverter.h"

#include "platform/dshow/decode/DecodedPictureData.h"
#include "platform/dshow/decode/DibConverter.h"

namespace quellon::decode {

PictureConverter::PictureConverter() : converter_(std::make_unique<DibConverter>()) {}
PictureConverter::~PictureConverter() = default;

bool PictureConverter::Convert(const DecodedPicture& picture, PixelFormat format, std::vector<std::uint8_t>& dib,
                               std::string& error)
{
    error.clear();
    const DecodedPicture::Data* data = picture.Get();
    if (data == nullptr) {
        dib.clear();
        error = "No picture to convert.";
        return false;
    }
    if (!converter_->Convert(data->frame.get(), data->width, data->height, format, dib)) {
        error = "Frame " + std::to_string(data->number) + " could not be converted to RGB.";
        return false;
    }
    return true;
}

}  // namespace quellon::decode
