// TActiveMovie: what happens to a frame the grabber took. The handler of WM_GRABBERFRAME and
// the delivery (scaling to CaptureSize, a BMP or JPEG file or memory, the waiting snapshot or
// OnFGrabberCaptureCompleted), the automatic file names, and the file kinds of TakeSnapshot.
#include "videosource/ActiveMovie.h"

#include "axhost/OleSupport.h"
#include "framework/Bitmap.h"
#include "platform/gdi/Gdi.h"

#include <algorithm>

// --- the frame message -----------------------------------------------------------------------

void TActiveMovie::GrabberFrameMessage(TMessage& message)
{
    message.Result = 0;
    if (message.WParam == 1)
        DeliverCapturedFrame(message.LParam == 0);
}

void TActiveMovie::DeliverCapturedFrame(bool Repause)
{
    // Whatever happens below, the callback may take the next frame afterwards.
    struct ReturnToIdle {
        TSampleGrabberCB* callback;
        ~ReturnToIdle()
        {
            if (callback != nullptr)
                callback->FrameDone();
        }
    } returnToIdle{grabberCallback_.get()};
    if (!grabberCallback_)
        return;

    // The callback made the frame as a DIB section; the bitmap around it is made here, on the
    // user-interface thread, which the bitmap class belongs to.
    std::unique_ptr<TBitmap> frame;
    if (HBITMAP section = grabberCallback_->TakeFrameSection()) {
        frame = std::make_unique<TBitmap>();
        try {
            frame->SetHandle(section);
        } catch (...) {
            DeleteObject(section);
            throw;
        }
    }
    if (Repause)
        OleCheck(MediaPlayer()->Pause());
    if (!frame || frame->Empty())
        return;

    TBitmap* scaled = frame.get();
    std::unique_ptr<TBitmap> resized;
    int w = 0;
    int h = 0;
    if (ScaleToCaptureSize(frame->Width(), frame->Height(), w, h)) {
        // A CaptureSize that would leave nothing of the picture keeps one pixel of it.
        resized = std::make_unique<TBitmap>();
        resized->SetWidth(std::max(w, 1));
        resized->SetHeight(std::max(h, 1));
        resized->SetPixelFormat(pf24bit);
        resized->Canvas()->StretchDraw(Rect(0, 0, resized->Width(), resized->Height()), frame.get());
        scaled = resized.get();
    }

    switch (captureDest_) {
    case fcBMP: {
        const std::string name = MakeCaptureFileName(BmpSequenceCounter(), "bmp");
        WordBool success = WordTrue;
        try {
            WriteCaptureBmp(*scaled, name);
        } catch (...) {
            success = WordFalse;
        }
        CompleteCapture(scaled, fcBMP, name, success);
        break;
    }
    case fcJPEG: {
        const std::string name = MakeCaptureFileName(JpgSequenceCounter(), "jpg");
        WordBool success = WordTrue;
        try {
            const bool progressive = jpegProgressiveDisplay_ != 0;
            WriteCaptureJpeg(*scaled, name, {jpegQuality_, jpegPerformance_, progressive}, progressive);
        } catch (...) {
            success = WordFalse;
        }
        CompleteCapture(scaled, fcJPEG, name, success);
        break;
    }
    case fcMemory:
        CompleteCapture(scaled, fcMemory, std::string(), WordTrue);
        break;
    default:
        break;
    }
}

void TActiveMovie::CompleteCapture(TBitmap* bitmap, TFrameCapture_Dest dest, const std::string& fileName,
                                   WordBool success)
{
    // Only the first frame goes to a waiting snapshot: a later frame of a burst delivered
    // before the snapshot has seen its own goes to the event like the rest of the burst.
    if (snapshotPending_ && !snapshotDone_ && snapshotBitmap_) {
        snapshotBitmap_->Assign(bitmap);
        snapshotDone_ = true;
        return;
    }
    if (OnFGrabberCaptureCompleted.Assigned())
        OnFGrabberCaptureCompleted(this, bitmap, dest, fileName, success);
}

// --- file names ------------------------------------------------------------------------------

TCaptureNaming TActiveMovie::CaptureNaming() const
{
    TCaptureNaming naming;
    naming.StoragePath = storagePath_;
    naming.Prefix = autoFilePrefix_;
    naming.DateTime = autoFileName_ == fnDateTime;
    return naming;
}

std::string TActiveMovie::MakeCaptureFileName(std::int32_t& Counter, const std::string& Ext) const
{
    return ::MakeCaptureFileName(Counter, Ext, CaptureNaming());
}

void TActiveMovie::FindLastSequenceNumber(std::int32_t& Counter, const std::string& Ext) const
{
    ::FindLastSequenceNumber(Counter, Ext, CaptureNaming());
}

// --- the file kinds of TakeSnapshot ----------------------------------------------------------

bool TActiveMovie::SaveSnapshotFile(std::uint8_t kind, std::string& fileName, TBitmap& frame)
{
    if (kind == 1) {
        CompleteSnapshotFileName(fileName, false, CaptureNaming());
        // A BMP snapshot that cannot be written still counts as taken: nothing reports it.
        try {
            WriteCaptureBmp(frame, fileName);
        } catch (...) {
        }
        return true;
    }
    if (kind == 2) {
        CompleteSnapshotFileName(fileName, true, CaptureNaming());
        // Progressive display is only a setting of the image here; the scans stay baseline.
        WriteCaptureJpeg(frame, fileName, {jpegQuality_, jpegPerformance_, jpegProgressiveDisplay_ != 0}, false);
        return true;
    }
    return false;
}
