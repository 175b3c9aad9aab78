// Converts decoded pictures into bottom-up Windows DIB pixels (rows padded to 4 bytes) of a
// fixed output size, with libswscale. A picture whose size differs from the output size (a
// stream that changes resolution) is scaled to it. Internal to the decoding library; one
// owner thread at a time.
#pragma once

#include "platform/dshow/decode/DecodeTypes.h"
#include "platform/dshow/decode/FfmpegHandles.h"

#include <cstdint>
#include <vector>

namespace quellon::decode {

class DibConverter {
public:
    // Fills `dib` with DibSizeBytes(width, height, format) bytes, every one written; a buffer
    // of that size already is written over in place. Returns false (and leaves
    // `dib` empty) when libswscale cannot convert from the frame's pixel format or size.
    bool Convert(const AVFrame* frame, int width, int height, PixelFormat format, std::vector<std::uint8_t>& dib);

private:
    struct Settings {
        int sourceWidth = 0;
        int sourceHeight = 0;
        AVPixelFormat sourceFormat = AV_PIX_FMT_NONE;
        int width = 0;
        int height = 0;
        AVPixelFormat format = AV_PIX_FMT_NONE;
        int matrix = 0;
        bool fullRange = false;
        bool operator==(const Settings&) const = default;
    };
    SwsPtr sws_;
    Settings settings_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace quellon::decode
