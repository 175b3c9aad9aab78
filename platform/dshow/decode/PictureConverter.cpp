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

bool PictureConverter::Prepare(const DecodedPicture& picture, PixelFormat format, std::string& error)
{
    error.clear();
    const DecodedPicture::Data* data = picture.Get();
    if (data == nullptr) {
        error = "No picture to convert.";
        return false;
    }
    if (!converter_->Prepare(data->frame.get(), data->width, data->height, format)) {
        error = "Frame " + std::to_string(data->number) + " could not be converted to RGB.";
        return false;
    }
    return true;
}

bool PictureConverter::ConvertRows(const DecodedPicture& picture, PixelFormat format, int top, int count,
                                   std::uint8_t* rows, std::string& error)
{
    error.clear();
    const DecodedPicture::Data* data = picture.Get();
    if (data == nullptr) {
        error = "No picture to convert.";
        return false;
    }
    if (!converter_->ConvertRows(data->frame.get(), data->width, data->height, format, top, count, rows)) {
        error = "Rows " + std::to_string(top) + " to " + std::to_string(top + count - 1) + " of frame " +
                std::to_string(data->number) + " could not be converted to RGB.";
        return false;
    }
    return true;
}

int PictureConverter::Width(const DecodedPicture& picture)
{
    return picture.Get() != nullptr ? picture.Get()->width : 0;
}

int PictureConverter::Height(const DecodedPicture& picture)
{
    return picture.Get() != nullptr ? picture.Get()->height : 0;
}

}  // namespace quellon::decode
