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

    // Makes ready what Convert and ConvertRows need for such a frame; false when libswscale
    // cannot convert it (as Convert would find).
    bool Prepare(const AVFrame* frame, int width, int height, PixelFormat format);

    // Rows top .. top + count - 1 (counted from the top) of the DIB that Convert makes, the
    // same bytes, into `rows`, laid out as those rows lie in the DIB: the lowest row first,
    // each padded to 4 bytes. `top` and `count` are multiples of kRowBandAlignment, or the
    // band ends at the bottom row. False for a band outside the picture or misaligned, or a
    // frame that cannot be converted.
    bool ConvertRows(const AVFrame* frame, int width, int height, PixelFormat format, int top, int count,
                     std::uint8_t* rows);

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
    struct Context {
        SwsPtr sws;
        Settings settings;
    };
    static bool Describe(const AVFrame* frame, int width, int height, PixelFormat format, Settings& settings);
    static SwsContext* ContextFor(const Settings& wanted, Context& context);
    // The common case, written straight into the DIB (see Convert).
    static bool WritesInPlace(const Settings& settings);

    Context whole_;
    // Bands go through a context of their own, driven through libswscale's slice interface.
    Context band_;
    FramePtr bandTarget_;
    std::vector<std::uint8_t> scratch_;
};

}  // namespace quellon::decode
