#include "platform/dshow/VideoSourceFilter.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DecodedSamplePixels.h"
#include "platform/dshow/MediaSample.h"
#include "platform/dshow/decode/VideoDecoder.h"

#include <cmath>
#include <cstring>

using quellon::decode::DecodedPicture;
using quellon::decode::DecodeError;
using quellon::decode::PixelFormat;
using quellon::decode::VideoDecoder;

// The decoder is used by one thread at a time: the streaming thread while running, the
// driving thread for frames delivered while paused, and the look-ahead thread.
//
// Look-ahead: a caller that steps through the paused video by a fixed number of frames (the
// program's capture run does) asks for the next frame only once it has done its work with
// this one. Meanwhile the look-ahead thread decodes the frame one more step on, so that the
// next request finds it ready. It takes the decoder's lock like any other user, so a request
// for another frame waits at most for that one decode; the frame it made is the one a request
// gives, as every access to the decoder is exact.
//
// The decoder's lock covers decoding only: a delivery takes the decoded picture, asks for the
// next one ahead and sends this one on in a sample that converts it to RGB only when a
// receiver asks (the renderer converts a still straight into the bitmap that wants it), so
// that the decoding of the next frame overlaps the conversion of this one, and no frame is
// held in RGB that nobody reads.
struct VideoSourceFilter::DecoderAccess {
    std::mutex lock;
    std::unique_ptr<VideoDecoder> decoder;
    // Under `lock`: the picture decoded ahead, if any (the decoder's own, not a copy).
    std::int64_t readyFrame = -1;
    DecodedPicture readyPicture;
    // Frames made whole are converted into buffers that samples give back: one on its way
    // while the renderer shows another.
    const std::shared_ptr<SampleBufferPool> buffers = std::make_shared<SampleBufferPool>(1);
    // Shared with the samples, which may outlive the filter.
    const std::shared_ptr<SharedPictureConverter> converter = std::make_shared<SharedPictureConverter>();

    // The look-ahead thread, started by the first request, and its request; under aheadLock.
    std::mutex aheadLock;
    std::condition_variable aheadWake;
    std::thread aheadThread;
    bool quit = false;
    std::int64_t wanted = -1;
    std::uint64_t requests = 0; // counts requests and cancellations

    ~DecoderAccess()
    {
        {
            std::lock_guard guard(aheadLock);
            quit = true;
        }
        aheadWake.notify_all();
        if (aheadThread.joinable())
            aheadThread.join();
    }

    void RequestAhead(std::int64_t frame)
    {
        std::lock_guard guard(aheadLock);
        wanted = frame;
        ++requests;
        if (!aheadThread.joinable())
            aheadThread = std::thread([this] { LookAhead(); });
        aheadWake.notify_all();
    }

    // A request not yet taken up is dropped.
    void CancelAhead()
    {
        std::lock_guard guard(aheadLock);
        if (wanted >= 0) {
            wanted = -1;
            ++requests;
        }
    }

    // Under `lock`: the frame, when it was decoded ahead.
    bool TakeReady(std::int64_t frame, DecodedPicture& picture)
    {
        if (readyFrame != frame)
            return false;
        picture = std::move(readyPicture);
        readyPicture.Reset();
        readyFrame = -1;
        return true;
    }

    void LookAhead()
    {
        for (;;) {
            std::int64_t frame;
            std::uint64_t request;
            {
                std::unique_lock guard(aheadLock);
                aheadWake.wait(guard, [&] { return quit || wanted >= 0; });
                if (quit)
                    return;
                frame = wanted;
                request = requests;
            }
            std::lock_guard decoding(lock);
            {
                // Taken up only if no request or delivery came in between.
                std::lock_guard guard(aheadLock);
                if (quit)
                    return;
                if (request != requests)
                    continue;
                wanted = -1;
            }
            if (readyFrame == frame)
                continue;
            DecodedPicture picture;
            if (decoder->DecodePicture(frame, picture)) {
                readyFrame = frame;
                readyPicture = std::move(picture);
            }
        }
    }
};

struct VideoSourceFilter::StreamControl {
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
    bool done = false;
    std::int64_t lastDelivered = -1;
};

namespace {

HRESULT StatusOfOpenFailure(DecodeError kind)
{
    switch (kind) {
    case DecodeError::FileNotFound:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case DecodeError::NotMedia:
        return VFW_E_UNKNOWN_FILE_TYPE;
    case DecodeError::NoVideoStream:
        return VFW_E_UNSUPPORTED_STREAM;
    case DecodeError::Corrupt:
        return VFW_E_INVALID_FILE_FORMAT;
    case DecodeError::Unsupported:
    case DecodeError::TooLarge:
        return VFW_E_UNSUPPORTED_VIDEO;
    default:
        return E_FAIL;
    }
}

const std::u16string kOutputPinName = u"Video";

}  // namespace

// --- output pin --------------------------------------------------------------------------

VideoSourceOutputPin::VideoSourceOutputPin(VideoSourceFilter& owner, int width, int height,
                                           REFERENCE_TIME avgTimePerFrame)
    : OutputPinBase(owner, kOutputPinName), width_(width), height_(height), avgTimePerFrame_(avgTimePerFrame)
{
}

HRESULT VideoSourceOutputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    if (type.majortype != MEDIATYPE_Video)
        return VFW_E_TYPE_NOT_ACCEPTED;
    int bits = 0;
    if (type.subtype == MEDIASUBTYPE_RGB32)
        bits = 32;
    else if (type.subtype == MEDIASUBTYPE_RGB24)
        bits = 24;
    else
        return VFW_E_TYPE_NOT_ACCEPTED;
    if (type.formattype != FORMAT_VideoInfo)
        return VFW_E_TYPE_NOT_ACCEPTED;
    const BITMAPINFOHEADER* header = VideoBitmapHeader(type);
    if (header == nullptr || header->biWidth != width_ || header->biHeight != height_ || header->biBitCount != bits ||
        header->biCompression != BI_RGB)
        return VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT VideoSourceOutputPin::GetMediaType(int index, AM_MEDIA_TYPE& type)
{
    if (index < 0 || index > 1)
        return VFW_S_NO_MORE_ITEMS;
    type = MakeRgbVideoType(width_, height_, index == 0 ? 32 : 24, avgTimePerFrame_);
    return S_OK;
}

void VideoSourceOutputPin::OnConnected()
{
    MediaTypeHolder type;
    if (CopyConnectionType(type) == S_OK)
        format_ = type.Get().subtype == MEDIASUBTYPE_RGB24 ? PixelFormat::Rgb24 : PixelFormat::Rgb32;
}

// --- filter ------------------------------------------------------------------------------

HRESULT VideoSourceFilter::Open(const std::string& path, ComPtr<VideoSourceFilter>& filter, std::string& message)
{
    filter.Reset();
    message.clear();
    return ComBoundary([&]() -> HRESULT {
        quellon::decode::OpenFailure failure;
        std::unique_ptr<VideoDecoder> decoder = VideoDecoder::Open(path, &failure);
        if (!decoder) {
            message = failure.message.empty() ? "The file " + path + " cannot be opened." : failure.message;
            return StatusOfOpenFailure(failure.kind);
        }
        std::vector<double> seconds(static_cast<std::size_t>(decoder->FrameCount()));
        for (std::size_t n = 0; n < seconds.size(); ++n)
            seconds[n] = decoder->FrameTime(static_cast<std::int64_t>(n));
        auto timeline = std::make_shared<const SourceTimeline>(std::move(seconds), decoder->DurationSeconds(),
                                                               decoder->NominalFrameRate());
        auto access = std::make_shared<DecoderAccess>();
        access->decoder = std::move(decoder);
        filter = ComPtr<VideoSourceFilter>::TakeOver(new VideoSourceFilter(std::move(access), std::move(timeline)));
        return S_OK;
    });
}

VideoSourceFilter::VideoSourceFilter(std::shared_ptr<DecoderAccess> decoder, std::shared_ptr<const SourceTimeline> timeline)
    : FilterBase(CLSID_QuellonVideoSource),
      pin_(*this, decoder->decoder->Width(), decoder->decoder->Height(),
           timeline->FramesPerSecond() > 0 ? std::llround(kUnitsPerSecond / timeline->FramesPerSecond()) : 0),
      decoder_(std::move(decoder)),
      timeline_(std::move(timeline)),
      stopUnits_(timeline_->DurationUnits())
{
}

VideoSourceFilter::~VideoSourceFilter()
{
    if (thread_.joinable()) {
        // The last reference may be the streaming thread's own, released as it ends.
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();
        else
            StopStreaming();
    }
}

PinBase* VideoSourceFilter::PinAt(int index)
{
    return index == 0 ? &pin_ : nullptr;
}

HRESULT VideoSourceFilter::QueryOtherInterface(REFIID iid, void** object)
{
    IUnknown* found = nullptr;
    if (iid == IID_IMediaSeeking)
        found = static_cast<IMediaSeeking*>(this);
    else if (iid == IID_IGraphDiagnostics)
        found = static_cast<IGraphDiagnostics*>(this);
    if (found == nullptr)
        return E_NOINTERFACE;
    found->AddRef();
    *object = found;
    return S_OK;
}

HRESULT VideoSourceFilter::GetLastErrorText(BSTR* text)
{
    if (text == nullptr)
        return E_POINTER;
    std::string copy;
    {
        std::lock_guard lock(positionLock_);
        copy = lastError_;
    }
    *text = Utf8ToBstr(copy);
    return *text != nullptr ? S_OK : E_OUTOFMEMORY;
}

void VideoSourceFilter::ReportStreamError(HRESULT hr, const std::string& message)
{
    {
        std::lock_guard lock(positionLock_);
        lastError_ = message;
    }
    NotifyEvent(EC_ERRORABORT, hr, 0);
}

HRESULT VideoSourceFilter::DeliverFrame(std::int64_t n, bool pausedSeek)
{
    DecodedPicture picture;
    std::string error;
    bool decoded;
    decoder_->CancelAhead();
    {
        std::lock_guard lock(decoder_->lock);
        decoded = decoder_->TakeReady(n, picture) || decoder_->decoder->DecodePicture(n, picture);
        if (!decoded)
            error = decoder_->decoder->LastErrorMessage();
    }
    if (decoded && pausedSeek)
        LookAheadAfter(n);
    const PixelFormat format = pin_.Format();
    if (decoded) {
        // A picture that cannot be converted is found here, while its frame is delivered.
        std::lock_guard lock(decoder_->converter->lock);
        decoded = decoder_->converter->converter.Prepare(picture, format, error);
    }
    if (!decoded) {
        ReportStreamError(VFW_E_INVALID_FILE_FORMAT,
                          error.empty() ? "Frame " + std::to_string(n) + " cannot be decoded." : error);
        return VFW_E_INVALID_FILE_FORMAT;
    }
    ComPtr<MediaSample> sample = MakeComObject<MediaSample>(
        std::make_unique<DecodedSamplePixels>(std::move(picture), format, decoder_->converter), decoder_->buffers);
    REFERENCE_TIME start = timeline_->FrameUnits(n);
    REFERENCE_TIME end = timeline_->FrameUnits(n + 1);
    sample->SetTime(&start, &end);
    LONGLONG mediaStart = n;
    LONGLONG mediaEnd = n + 1;
    sample->SetMediaTime(&mediaStart, &mediaEnd);
    return pin_.Deliver(sample.Get());
}

void VideoSourceFilter::LookAheadAfter(std::int64_t shown)
{
    // The last two frames shown while paused tell the step; a step of a few frames forward
    // (up to the decoder's own run of steps) is taken to go on.
    const std::int64_t step = shown - lastPausedShown_;
    lastPausedShown_ = shown;
    if (step >= 1 && step <= kLookAheadMaxStep && shown + step < timeline_->FrameCount())
        decoder_->RequestAhead(shown + step);
}

HRESULT VideoSourceFilter::OnStateChange(FILTER_STATE from, FILTER_STATE to, REFERENCE_TIME)
{
    if (from == State_Running)
        StopStreaming();
    if (from == State_Stopped && to == State_Paused && pin_.IsConnected()) {
        std::int64_t frame;
        {
            std::lock_guard lock(positionLock_);
            frame = currentFrame_;
        }
        // Downstream filters are paused before us, so the frame reaches the renderer. A
        // failure has been reported as an event; the state change itself goes through.
        if (DeliverFrame(frame) == S_OK) {
            std::lock_guard lock(positionLock_);
            currentShown_ = true;
        }
    }
    if (to == State_Running && pin_.IsConnected())
        StartStreaming();
    if (to == State_Stopped) {
        std::lock_guard lock(positionLock_);
        currentShown_ = false;
    }
    return S_OK;
}

void VideoSourceFilter::StartStreaming()
{
    std::int64_t first;
    double base;
    double rate;
    REFERENCE_TIME stop;
    auto clockStart = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(positionLock_);
        first = currentShown_ ? currentFrame_ + 1 : currentFrame_;
        base = timeline_->FrameSeconds(currentFrame_);
        rate = rate_;
        stop = stopUnits_;
        running_ = true;
        endReached_.store(false);
        runClockStart_ = clockStart;
        runBaseSeconds_ = base;
    }
    auto control = std::make_shared<StreamControl>();
    control_ = control;
    ComPtr<VideoSourceFilter> self = ComPtr<VideoSourceFilter>::AddRefFrom(this);
    thread_ = std::thread([self, control, first, base, rate, stop, clockStart] {
        self->StreamLoop(control, first, base, rate, stop, clockStart);
    });
}

void VideoSourceFilter::StopStreaming()
{
    if (!control_)
        return;
    const std::shared_ptr<StreamControl> control = std::move(control_);
    bool finished;
    std::int64_t last;
    {
        std::unique_lock lock(control->lock);
        control->stop = true;
        control->wake.notify_all();
        finished = control->wake.wait_for(lock, kStopWait, [&] { return control->done; });
        last = control->lastDelivered;
    }
    if (finished)
        thread_.join();
    else
        thread_.detach();  // it holds its own reference to us and sends nothing more
    std::lock_guard lock(positionLock_);
    running_ = false;
    if (last >= 0) {
        currentFrame_ = last;
        currentShown_ = true;
    }
}

void VideoSourceFilter::StreamLoop(const std::shared_ptr<StreamControl>& control, std::int64_t first, double baseSeconds,
                                   double rate, REFERENCE_TIME stopUnits, std::chrono::steady_clock::time_point clockStart)
{
    for (std::int64_t n = first;; ++n) {
        if (n >= timeline_->FrameCount() || timeline_->FrameUnits(n) >= stopUnits) {
            bool stopped;
            {
                std::lock_guard lock(control->lock);
                stopped = control->stop;
            }
            if (!stopped) {
                endReached_.store(true);
                pin_.DeliverEndOfStream();
            }
            break;
        }
        const auto due = clockStart + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                          std::chrono::duration<double>((timeline_->FrameSeconds(n) - baseSeconds) / rate));
        {
            std::unique_lock lock(control->lock);
            if (control->wake.wait_until(lock, due, [&] { return control->stop; }))
                break;
        }
        const HRESULT hr = ComBoundary([&] { return DeliverFrame(n); });
        if (hr != S_OK)
            break;  // a decode failure was reported; a refusal downstream ends the stream quietly
        std::lock_guard lock(control->lock);
        control->lastDelivered = n;
        if (control->stop)
            break;
    }
    std::lock_guard lock(control->lock);
    control->done = true;
    control->wake.notify_all();
}
