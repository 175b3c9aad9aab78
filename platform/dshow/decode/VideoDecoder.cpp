#include "platform/dshow/decode/VideoDecoderImpl.h"

#include "platform/dshow/decode/DecodedPictureData.h"
#include "platform/dshow/decode/PresentationOrder.h"

#include <algorithm>
#include <mutex>

namespace quellon::decode {

namespace {

void QuietFfmpegLog()
{
    // Damaged input makes the decoders report every broken slice on stderr; failures reach
    // the caller through our own results instead.
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_FATAL); });
}

}  // namespace

const char* DecodeErrorName(DecodeError error)
{
    switch (error) {
    case DecodeError::None: return "no error";
    case DecodeError::FileNotFound: return "file not found";
    case DecodeError::NotMedia: return "not a media file";
    case DecodeError::NoVideoStream: return "no video stream";
    case DecodeError::Corrupt: return "damaged or truncated file";
    case DecodeError::Unsupported: return "unsupported video format";
    case DecodeError::TooLarge: return "pictures too large";
    case DecodeError::OutOfRange: return "frame number out of range";
    case DecodeError::DecodeFailed: return "frame could not be decoded";
    }
    return "unknown error";
}

std::unique_ptr<VideoDecoder> VideoDecoder::Open(const std::string& path, OpenFailure* failure, const DecoderOptions& options)
{
    QuietFfmpegLog();
    OpenFailure local;
    OpenFailure& report = failure ? *failure : local;
    report = OpenFailure{};
    auto impl = std::make_unique<Impl>(path, options);
    if (!impl->OpenFile(report))
        return nullptr;
    return std::unique_ptr<VideoDecoder>(new VideoDecoder(std::move(impl)));
}

VideoDecoder::VideoDecoder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
VideoDecoder::~VideoDecoder() = default;

int VideoDecoder::Width() const { return impl_->width; }
int VideoDecoder::Height() const { return impl_->height; }
std::int64_t VideoDecoder::FrameCount() const { return static_cast<std::int64_t>(impl_->frames.size()); }
double VideoDecoder::NominalFrameRate() const { return impl_->frameRate; }
double VideoDecoder::DurationSeconds() const { return impl_->durationSeconds; }

double VideoDecoder::FrameTime(std::int64_t n) const
{
    const auto last = static_cast<std::int64_t>(impl_->times.size()) - 1;
    return impl_->times[static_cast<std::size_t>(std::clamp<std::int64_t>(n, 0, last))];
}

std::int64_t VideoDecoder::FrameAtTime(double seconds) const
{
    const std::vector<double>& times = impl_->times;
    if (!(seconds > 0))
        return 0;
    // A time computed from FrameTime may come back a rounding step early; frames are
    // further apart than that by construction (kMinTimeStep).
    const double tolerance = 1e-12 * std::max(1.0, seconds);
    const auto after = std::upper_bound(times.begin(), times.end(), seconds + tolerance);
    return std::max<std::int64_t>(0, (after - times.begin()) - 1);
}

bool VideoDecoder::DecodeFrame(std::int64_t n, PixelFormat format, std::vector<std::uint8_t>& dib)
{
    // `dib` keeps its bytes until the conversion: a reused buffer of the right size is then
    // overwritten in place instead of being cleared and written again.
    impl_->lastError = DecodeError::None;
    impl_->lastMessage.clear();
    if (n < 0 || n >= FrameCount()) {
        dib.clear();
        return impl_->Fail(DecodeError::OutOfRange,
                           "Frame " + std::to_string(n) + " is outside 0.." + std::to_string(FrameCount() - 1) + ".");
    }
    const AVFrame* picture = impl_->DecodeTo(n);
    if (!picture) {
        dib.clear();
        return false;
    }
    if (!impl_->converter.Convert(picture, impl_->width, impl_->height, format, dib))
        return impl_->Fail(DecodeError::DecodeFailed, "Frame " + std::to_string(n) + " could not be converted to RGB.");
    return true;
}

bool VideoDecoder::DecodePicture(std::int64_t n, DecodedPicture& picture)
{
    picture.Reset();
    impl_->lastError = DecodeError::None;
    impl_->lastMessage.clear();
    if (n < 0 || n >= FrameCount())
        return impl_->Fail(DecodeError::OutOfRange,
                           "Frame " + std::to_string(n) + " is outside 0.." + std::to_string(FrameCount() - 1) + ".");
    const AVFrame* decoded = impl_->DecodeTo(n);
    if (!decoded)
        return false;
    auto data = std::make_unique<DecodedPicture::Data>();
    data->frame.reset(av_frame_alloc());
    if (!data->frame || av_frame_ref(data->frame.get(), decoded) < 0)
        throw std::bad_alloc();
    data->width = impl_->width;
    data->height = impl_->height;
    data->number = n;
    picture = DecodedPicture(std::move(data));
    return true;
}

DecodeError VideoDecoder::LastError() const { return impl_->lastError; }
const std::string& VideoDecoder::LastErrorMessage() const { return impl_->lastMessage; }

}  // namespace quellon::decode
