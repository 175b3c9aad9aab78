#include "platform/dshow/decode/DibConverter.h"

#include <cstddef>
#include <cstring>
#include <new>

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

bool DibConverter::Describe(const AVFrame* frame, int width, int height, PixelFormat format, Settings& settings)
{
    if (width <= 0 || height <= 0 || frame->width <= 0 || frame->height <= 0)
        return false;
    bool fullRange = RawValue(frame->color_range) == AVCOL_RANGE_JPEG;
    const AVPixelFormat source = SourceFormatWithoutRangeAlias(static_cast<AVPixelFormat>(frame->format), fullRange);
    const AVPixelFormat target = format == PixelFormat::Rgb32 ? AV_PIX_FMT_BGR0 : AV_PIX_FMT_BGR24;
    const int matrix = RawValue(frame->colorspace) == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    settings = Settings{frame->width, frame->height, source, width, height, target, matrix, fullRange};
    return true;
}

SwsContext* DibConverter::ContextFor(const Settings& wanted, Context& context)
{
    // Our own check instead of sws_getCachedContext: that one may hand back a new context at
    // the old address, which would hide that the colour details must be set again.
    if (!context.sws || !(wanted == context.settings)) {
        context.sws.reset(sws_getContext(wanted.sourceWidth, wanted.sourceHeight, wanted.sourceFormat, wanted.width,
                                         wanted.height, wanted.format, SWS_BILINEAR, nullptr, nullptr, nullptr));
        if (!context.sws)
            return nullptr;
        sws_setColorspaceDetails(context.sws.get(), sws_getCoefficients(wanted.matrix), wanted.fullRange ? 1 : 0,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
        context.settings = wanted;
    }
    return context.sws.get();
}

bool DibConverter::WritesInPlace(const Settings& settings)
{
    return settings.sourceFormat == AV_PIX_FMT_YUV420P && settings.sourceWidth == settings.width &&
           settings.sourceHeight == settings.height && settings.width % 16 == 0 && settings.height % 2 == 0;
}

bool DibConverter::Prepare(const AVFrame* frame, int width, int height, PixelFormat format)
{
    Settings wanted;
    return Describe(frame, width, height, format, wanted) && ContextFor(wanted, whole_) != nullptr;
}

bool DibConverter::Convert(const AVFrame* frame, int width, int height, PixelFormat format, std::vector<std::uint8_t>& dib)
{
    Settings wanted;
    SwsContext* sws = Describe(frame, width, height, format, wanted) ? ContextFor(wanted, whole_) : nullptr;
    if (sws == nullptr) {
        dib.clear();
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (format == PixelFormat::Rgb32 ? 4 : 3);
    const std::size_t stride = DibStrideBytes(width, format);
    if (WritesInPlace(wanted)) {
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
        if (sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides) > 0)
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
    const int rows = sws_scale(sws, frame->data, frame->linesize, 0, frame->height, planes, strides);
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

bool DibConverter::ConvertRows(const AVFrame* frame, int width, int height, PixelFormat format, int top, int count,
                               std::uint8_t* rows)
{
    if (top < 0 || count <= 0 || top >= height || count > height - top || top % kRowBandAlignment != 0 ||
        (count % kRowBandAlignment != 0 && top + count != height))
        return false;
    Settings wanted;
    SwsContext* sws = Describe(frame, width, height, format, wanted) ? ContextFor(wanted, band_) : nullptr;
    if (sws == nullptr)
        return false;
    const unsigned alignment = sws_receive_slice_alignment(sws);
    if (alignment == 0 || kRowBandAlignment % alignment != 0)
        return false;
    if (!bandTarget_) {
        bandTarget_.reset(av_frame_alloc());
        if (!bandTarget_)
            throw std::bad_alloc();
    }

    // libswscale writes the rows of a band where they lie in the whole output picture, so the
    // picture it is given starts where row 0 would be if the band's memory were part of one.
    // As in Convert: the common case goes straight into `rows`, bottom row first; others
    // through roomy scratch rows.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * (format == PixelFormat::Rgb32 ? 4 : 3);
    const std::size_t stride = DibStrideBytes(width, format);
    const bool direct = WritesInPlace(wanted);
    const std::size_t scratchStride = (rowBytes + 64 + 63) & ~std::size_t{63};
    if (!direct)
        scratch_.resize(scratchStride * static_cast<std::size_t>(count) + 64);
    std::uint8_t* rowZero;
    int lineSize;
    if (direct) {
        rowZero = rows + (static_cast<std::ptrdiff_t>(top) + count - 1) * static_cast<std::ptrdiff_t>(stride);
        lineSize = -static_cast<int>(stride);
    } else {
        rowZero = scratch_.data() - static_cast<std::ptrdiff_t>(top) * static_cast<std::ptrdiff_t>(scratchStride);
        lineSize = static_cast<int>(scratchStride);
    }
    AVFrame& target = *bandTarget_;
    av_frame_unref(&target);
    target.format = wanted.format;
    target.width = width;
    target.height = height;
    // A view of memory we own: FFmpeg's reference to it frees nothing.
    target.buf[0] = av_buffer_create(direct ? rows : scratch_.data(), 1, [](void*, std::uint8_t*) {}, nullptr, 0);
    if (target.buf[0] == nullptr)
        throw std::bad_alloc();
    target.data[0] = rowZero;
    target.linesize[0] = lineSize;

    int result = sws_frame_start(sws, &target, frame);
    if (result >= 0)
        result = sws_send_slice(sws, 0, static_cast<unsigned>(frame->height));
    if (result >= 0)
        result = sws_receive_slice(sws, static_cast<unsigned>(top), static_cast<unsigned>(count));
    sws_frame_end(sws);
    av_frame_unref(&target);
    if (result < 0)
        return false;
    if (!direct) {
        std::uint8_t* out = rows;
        for (int y = top + count; y-- > top;) {
            const std::uint8_t* row = scratch_.data() + static_cast<std::size_t>(y - top) * scratchStride;
            std::memcpy(out, row, rowBytes);
            std::memset(out + rowBytes, 0, stride - rowBytes);
            out += stride;
        }
    }
    return true;
}

}  // namespace quellon::decode
