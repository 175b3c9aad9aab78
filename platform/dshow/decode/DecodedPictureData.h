// What a DecodedPicture holds. Internal to the decoding library.
#pragma once

#include "platform/dshow/decode/DecodedPicture.h"
#include "platform/dshow/decode/FfmpegHandles.h"

#include <cstdint>

namespace quellon::decode {

struct DecodedPicture::Data {
    FramePtr frame;          // a reference to the decoder's picture
    int width = 0;           // the size of the DIB it becomes: the stream's size at open
    int height = 0;
    std::int64_t number = 0; // the frame number, for messages
};

}  // namespace quellon::decode
