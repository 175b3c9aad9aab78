#include "platform/dshow/decode/DibConverter.h"

#include <cstring>

namespace quellon::decode {

namespace {

// The number held in an FFmpeg enumeration field. Decoders copy some of these (the colour
// matrix, the range) straight from the stream, so a damaged file can leave a number that no
// enumerator names there, which must not be read as the enumeration type.
template <typename Enum>
int RawValue(const Enum& field)
{
    static_assert(sizeof(Enum) == sizeof(int));
    int value = 0;
    std::memcpy(&value, &field, sizeof value);
    return value;
}

AVPixelFormat SourceFormatWithoutRangeAlias(AVPixelFormat format, bool& fullRange)
{
    // The old "J" formats are the plain ones in full range; libswscale warns about them.
    switch (format) {
    case AV_PIX_FMT_YUVJ420P: fullRange = true; return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: fullRange = true; return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: fullRange = true; return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: fullRange = true; return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: fullRange = true; return AV_PIX_FMT_YUV411P;
    default: return format;
    }
}

}  // namespace

std::size_t DibStrideBytes(int width, PixelFormat format)
{
    const std::size_t bytesPerPixel = format == PixelFormat::Rgb32 ? 4 : 3;
    return (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
}

std::size_t DibSizeBytes(int width, int height, PixelFormat format)
{
    return DibStrideBytes(width, format) * static_cast<std::size_t>(height);
}

bool DibConverter::Convert(const AVFrame* frame, int width, int height, PixelFormat format, std::vector<std::uint8_t>& dib)
{
    if (width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0) {
        dib.clear();
        return false;
    }
    bool fullRange = RawValue(frame->color_range) == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = SourceFormatWithoutRangeAlias(static_cast<AVPixelFormat>(frame->format), fullRange);
    const AVPixelFormat target = format == PixelFormat::Rgb32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    const int matrix = RawValue(frame->colorspace) == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    const Settings wanted{frame->width, frame->height, source, width, height, target, matrix, fullRange};
    // Our own check instead of sws_getCachedContext: that one may hand back a new context at
    // the old address, which would hide that the colour details must be set again.
    if (!sws_ || !(wanted == settings_)) {
        sws_.reset(sws_getContext(frame->width, frame->height, source, width, height, target, SWS_BILINEAR, nullptr,
                                  nullptr, nullptr));
        if (!sws_) {
            dib.clear();
            return false;
        }
        sws_setColorspaceDetails(sws_.get(), sws_getCoefficients(matrix), fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        settings_ = wanted;
    }

    const std::size_t rowBytes = static_cast<std::size_t>(width) * (format == PixelFormat::Rgb32 ? 4 : 3);
    const std::size_t stride = DibStrideBytes(width, format);
    if (source == AV_PIX_FMT_YUV420P && frame->width == width && frame->height == height && width % 16 == 0 &&
        height % 2 == 0) {
        // The common case: an unscaled 4:2:0 picture whose rows are whole blocks of 16 pixels.
        // libswscale's vector code converts 16 pixels at a time (a row of 8 mod 16 pixels gets
        // 8 more, 24 or 32 bytes past its end: over the row converted before it, and past the
        // end of the DIB for the last one), so only rows of whole blocks are written into the
        // DIB itself, bottom row first, with nothing to spill over. Such rows need no padding
        // in either format. Every byte is written, so a reused buffer of the right size is not
        // cleared first (a pass over the whole picture, a few per cent of a fast run).
        const std::size_t size = stride * static_cast<std::size_t>(height);
        if (dib.size() != size) {
            dib.clear();
            dib.resize(size);
        }
        std::uint8_t* planes[4] = {dib.data() + (static_cast<std::size_t>(height) - 1) * stride, nullptr, nullptr, nullptr};
        int strides[4] = {-static_cast<int>(stride), 0, 0, 0};
        if (sws_scale(sws_.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) > 0)
            return true;
        dib.clear();
        return false;
    }

    // libswscale's vector code writes whole blocks of pixels past the end of a row, so it
    // converts into a scratch picture with roomy rows; the rows are then copied into the
    // DIB bottom row first, with zero padding.
    const std::size_t scratchStride = (rowBytes + 64 + 63) & ~std::size_t{63};
    scratch_.resize(scratchStride * static_cast<std::size_t>(height) + 64);
    std::uint8_t* planes[4] = {scratch_.data(), nullptr, nullptr, nullptr};
    int strides[4] = {static_cast<int>(scratchStride), 0, 0, 0};
    const int rows = sws_scale(sws_.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
    dib.clear();
    if (rows <= 0)
        return false;
    // Appended bottom row first, each row once: no pass to clear the DIB beforehand.
    dib.reserve(stride * static_cast<std::size_t>(height));
    for (std::size_t y = static_cast<std::size_t>(height); y-- > 0;) {
        const std::uint8_t* row = scratch_.data() + y * scratchStride;
        dib.insert(dib.end(), row, row + rowBytes);
        dib.insert(dib.end(), stride - rowBytes, 0);
    }
    return true;
}

}  // namespace quellon::decode
