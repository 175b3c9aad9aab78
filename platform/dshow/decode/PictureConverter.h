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

    // Makes ready what converting the picture needs, without converting it: a picture that
    // passes converts later unless memory runs out. False with `error` set as Convert would.
    bool Prepare(const DecodedPicture& picture, PixelFormat format, std::string& error);

    // Rows top .. top + count - 1 of the DIB that Convert makes (counted from the top; `top`
    // and `count` as kRowBandAlignment says), the same bytes, into `rows`: the lowest row
    // first, each DibStrideBytes long. Returns false with `error` set for an empty picture,
    // a band outside it or misaligned, or a picture that cannot be converted.
    bool ConvertRows(const DecodedPicture& picture, PixelFormat format, int top, int count, std::uint8_t* rows,
                     std::string& error);

    // The size of the DIB the picture becomes, 0 x 0 for an empty one.
    static int Width(const DecodedPicture& picture);
    static int Height(const DecodedPicture& picture);

private:
    std::unique_ptr<DibConverter> converter_;
};

}  // namespace quellon::decode
