// TActiveMovie: still frames of the video. The renderer path has the video renderer write the
// frame it holds into a screen-compatible bitmap (IRendererImage, which never holds the frame
// whole in RGB on the way), or reads it as a packed DIB from IBasicVideo; the sample-grabber
// path waits for the grabber to deliver its next frame.
#include "videosource/ActiveMovie.h"

#include "framework/Bitmap.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>
#include <chrono>
#include <new>

namespace {

// side x percent / 100, rounded halves to even, from a product in 64 bits; between 0 and what
// a window can hold.
int ScaledExtent(int side, int percent)
{
    const double exact = static_cast<double>(static_cast<std::int64_t>(side) * percent) / 100.0;
    return static_cast<int>(std::clamp<std::int64_t>(Round(exact), 0, TActiveMovie::kMaxPictureExtent));
}

// Plays the media again after a snapshot that paused it, whatever way the snapshot ends.
class ResumeAfterSnapshot {
public:
    ResumeAfterSnapshot(TActiveMovie& movie, bool wasPlaying) : movie_(movie), wasPlaying_(wasPlaying) {}
    ~ResumeAfterSnapshot() noexcept(false)
    {
        if (!wasPlaying_)
            return;
        // An error while resuming must not replace one already on its way out.
        if (std::uncaught_exceptions() > 0) {
            try {
                movie_.Play();
            } catch (...) {
            }
        } else {
            movie_.Play();
        }
    }
    ResumeAfterSnapshot(const ResumeAfterSnapshot&) = delete;
    ResumeAfterSnapshot& operator=(const ResumeAfterSnapshot&) = delete;

private:
    TActiveMovie& movie_;
    bool wasPlaying_;
};

} // namespace

WordBool TActiveMovie::SnapshotToImage(TImage* image)
{
    if (OpenState() != 6)
        return WordFalse;
    std::string noName;
    return TakeSnapshot(0, noName, image, nullptr);
}

WordBool TActiveMovie::TakeSnapshot(std::uint8_t destKind, std::string& fileName, TImage* image, TPersistent* dest)
{
    ResumeAfterSnapshot resume(*this, Pause());
    if (destKind == 0 && image != nullptr && !grabberReady_ && SnapshotIntoPicture(*image))
        return WordTrue;
    TBitmap* frame = nullptr;
    const bool grabbed = grabberReady_ ? GrabFromSampleGrabber(frame) : GrabFromRenderer(frame);
    if (!grabbed)
        return WordFalse;
    std::unique_ptr<TBitmap> owned(frame);
    switch (destKind) {
    case 0:
        if (image != nullptr && !HandFrameToImage(*frame, *image))
            DrawIntoImage(frame, image, Rect(0, 0, frame->Width(), frame->Height()));
        else if (dest != nullptr)
            dest->Assign(frame);
        break;
    case 1:
    case 2:
        if (!SaveSnapshotFile(destKind, fileName, *frame))
            return WordFalse;
        break;
    default:
        break;
    }
    return WordTrue;
}

bool TActiveMovie::GrabFromRenderer(TBitmap*& bitmap)
{
    if (!rendererVideo_)
        return false;
    LONG w = 0;
    LONG h = 0;
    if (rendererVideo_->GetVideoSize(&w, &h) != S_OK)
        return false;
    HBITMAP device = RendererFrameBitmap(w, h);
    if (device == nullptr)
        return false;

    std::unique_ptr<TBitmap> created;
    if (bitmap == nullptr) {
        created = std::make_unique<TBitmap>();
        bitmap = created.get();
    }
    int w2 = 0;
    int h2 = 0;
    const bool scaled = ScaleToCaptureSize(w, h, w2, h2) != 0;
    if (w2 <= 0 || h2 <= 0) {
        // A CaptureSize that leaves no picture: no snapshot, as on the grabber's path.
        DeleteObject(device);
        return false;
    }
    try {
        if (scaled) {
            TBitmap temporary;
            temporary.SetHandle(device);
            device = nullptr;
            bitmap->SetWidth(w2);
            bitmap->SetHeight(h2);
            bitmap->Canvas()->StretchDraw(Rect(0, 0, w2, h2), &temporary);
        } else {
            bitmap->SetHandle(device);
            device = nullptr;
        }
    } catch (...) {
        if (device != nullptr)
            DeleteObject(device);
        if (created)
            bitmap = nullptr;
        throw;
    }
    (void)created.release();
    return true;
}

HBITMAP TActiveMovie::RendererFrameBitmap(LONG w, LONG h)
{
    HDC screen = GetDC(nullptr);
    HBITMAP device = nullptr;
    ComPtr<IRendererImage> writer;
    if (rendererVideo_.As(writer) == S_OK) {
        device = CreateCompatibleBitmap(screen, w, h);
        if (device != nullptr && writer->WriteCurrentImage(device) != S_OK) {
            DeleteObject(device);
            device = nullptr;
        }
    }
    if (device == nullptr) {
        // A renderer that cannot write the frame may still copy it.
        RendererDib dib;
        if (ReadRendererImage(dib))
            device = CreateDIBitmap(screen, &dib.info->bmiHeader, CBM_INIT, dib.pixels, dib.info, DIB_RGB_COLORS);
    }
    ReleaseDC(nullptr, screen);
    return device;
}

bool TActiveMovie::ReadRendererImage(RendererDib& dib)
{
    ComPtr<IRendererImage> lender;
    if (rendererVideo_.As(lender) == S_OK) {
        const BYTE* pixels = nullptr;
        IUnknown* holder = nullptr;
        if (lender->LendCurrentImage(&dib.lent.bmiHeader, &pixels, &holder) == S_OK) {
            dib.holder = ComPtr<IUnknown>::TakeOver(holder);
            dib.info = &dib.lent;
            dib.pixels = pixels;
            return true;
        }
        // A renderer that cannot lend may still copy: GetCurrentImage tells.
    }
    LONG size = 0;
    if (rendererVideo_->GetCurrentImage(&size, nullptr) != S_OK || size <= 0)
        return false;
    // Two bytes more than asked for, as the component has always allocated.
    const std::int32_t needed = size + 2;
    if (!imageBuffer_ || imageBufferSize_ < needed) {
        imageBuffer_.reset();
        imageBufferSize_ = 0;
        imageBuffer_.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(needed)]);
        if (!imageBuffer_)
            return false;
        imageBufferSize_ = needed;
    }
    LONG inOut = imageBufferSize_;
    if (rendererVideo_->GetCurrentImage(&inOut, reinterpret_cast<LONG*>(imageBuffer_.get())) != S_OK)
        return false;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(imageBuffer_.get());
    const std::size_t offset = header->biSize + 4u * header->biClrUsed + (header->biCompression == BI_BITFIELDS ? 12u : 0u);
    if (offset >= static_cast<std::size_t>(imageBufferSize_))
        return false;
    dib.info = reinterpret_cast<const BITMAPINFO*>(imageBuffer_.get());
    dib.pixels = imageBuffer_.get() + offset;
    return true;
}

bool TActiveMovie::HandFrameToImage(TBitmap& frame, TImage& image)
{
    TBitmap* picture = image.Picture()->Bitmap();
    if (frame.Empty() || frame.PixelFormat() != pfDevice || picture->PixelFormat() != pfDevice)
        return false;
    image.SetWidth(frame.Width());
    image.SetHeight(frame.Height());
    picture->SetHandle(frame.ReleaseHandle());
    return true;
}

bool TActiveMovie::SnapshotIntoPicture(TImage& image)
{
    // Only a picture that is a device bitmap already: asking the picture for its bitmap would
    // replace another graphic before the grab is known to succeed.
    auto* picture = dynamic_cast<TBitmap*>(image.Picture()->Graphic());
    if (picture == nullptr || picture->Empty() || picture->PixelFormat() != pfDevice || captureSize_ != 100 ||
        !rendererVideo_)
        return false;
    LONG w = 0;
    LONG h = 0;
    if (rendererVideo_->GetVideoSize(&w, &h) != S_OK || w <= 0 || h <= 0 || w != picture->Width() ||
        h != picture->Height())
        return false;
    // A failure leaves the general way, which makes a bitmap of its own (rows the renderer
    // wrote before it failed are then replaced).
    ComPtr<IRendererImage> writer;
    if (rendererVideo_.As(writer) == S_OK) {
        if (writer->WriteCurrentImage(picture->Handle()) != S_OK)
            return false;
    } else {
        RendererDib dib;
        if (!ReadRendererImage(dib))
            return false;
        const BITMAPINFOHEADER& header = dib.info->bmiHeader;
        const LONG rows = header.biHeight < 0 ? -header.biHeight : header.biHeight;
        if (header.biWidth != picture->Width() || rows != picture->Height())
            return false;
        HDC screen = GetDC(nullptr);
        const int written = SetDIBits(screen, picture->Handle(), 0, static_cast<UINT>(rows), dib.pixels, dib.info,
                                      DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        if (written != rows)
            return false;
    }
    image.SetWidth(picture->Width());
    image.SetHeight(picture->Height());
    picture->PixelsChanged();
    return true;
}

WordBool TActiveMovie::ScaleToCaptureSize(int w, int h, int& newW, int& newH) const
{
    if (captureSize_ == 100) {
        newW = w;
        newH = h;
        return WordFalse;
    }
    newW = ScaledExtent(w, captureSize_);
    newH = ScaledExtent(h, captureSize_);
    return WordTrue;
}

void TActiveMovie::DrawIntoImage(TGraphic* graphic, TImage* image, const TRect& r)
{
    image->SetWidth(r.Right);
    image->SetHeight(r.Bottom);
    TBitmap* picture = image->Picture()->Bitmap();
    picture->SetWidth(r.Right);
    picture->SetHeight(r.Bottom);
    picture->Canvas()->StretchDraw(r, graphic);
}

bool TActiveMovie::GrabFromSampleGrabber(TBitmap*& bitmap)
{
    if (!grabberReady_ || snapshotPending_ || !grabberCallback_)
        return false;
    snapshotPending_ = true;
    snapshotDone_ = false;
    snapshotBitmap_ = std::make_unique<TBitmap>();
    struct EndWait {
        TActiveMovie& movie;
        ~EndWait()
        {
            movie.snapshotBitmap_.reset();
            movie.snapshotPending_ = false;
            movie.snapshotDone_ = false;
        }
    } endWait{*this};
    // The grabber may never deliver (the graph stopped, the frame could not be built): the
    // wait, the delivery of a frame still on its way included, is bounded, and then the grab
    // fails as any failed grab does. It ends sooner once the callback is disarmed with no
    // frame pending (the stop of media played for a burst disarms it).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGrabberFrameWaitMs);
    const auto remainingMs = [&deadline] {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
    };
    if (!ArmGrabber(fcMemory, true, remainingMs())) {
        AbandonGrabberSnapshot();
        return false;
    }
    TSampleGrabberCB& callback = *grabberCallback_;
    const auto noFrameToCome = [&callback] { return !callback.Armed() && !callback.Busy(); };
    if (!WaitHoldingReleases([&] { return snapshotDone_ || noFrameToCome(); }, remainingMs()) || !snapshotDone_) {
        AbandonGrabberSnapshot();
        return false;
    }
    // A CaptureSize that leaves no picture delivers none.
    if (snapshotBitmap_->Empty())
        return false;
    if (bitmap == nullptr)
        bitmap = new TBitmap();
    bitmap->Assign(snapshotBitmap_.get());
    return true;
}
