// Turns DecodedPictures into DIB pixels, exactly as VideoDecoder::DecodeFrame does, so that
// the conversion of one picture can run while the decoder makes the next. One owner thread
// at a time; independent of the decoder that made the pictures.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "platform/dshow/decode/DecodedPicture.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quellon::decode {

class DibConverter;

class PictureConverter {
public:
    PictureConverter();
    ~PictureConverter();
    PictureConverter(const PictureConverter&) = delete;
    PictureConverter& operator=(const PictureConverter&) = delete;

    // Fills `dib` as DecodeFrame does (a reused buffer keeps its memory; none of its old
    // bytes remain). Returns false with `dib` empty and `error` set when the picture is
    // empty or cannot be converted.
    bool Convert(const DecodedPicture& picture, PixelFormat format, std::vector<std::uint8_t>& dib, std::string& error);

private:
    std::unique_ptr<DibConverter> converter_;
};

}  // namespace quellon::decode
