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
    const std::uint32_t tag = grabberCallback_->FrameTag();
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

    // Each frame goes to what it was taken for: the first frame of a snapshot's arming to the
    // snapshot (the rest of its burst to the event), a capture's frames to their files or the
    // event, even when a snapshot started while they were on their way.
    const bool toSnapshot =
        (tag & kSnapshotFrameTag) != 0 && snapshotPending_ && !snapshotDone_ && snapshotBitmap_ != nullptr;
    const auto dest = static_cast<TFrameCapture_Dest>(tag & ~kSnapshotFrameTag);

    TBitmap* scaled = frame.get();
    std::unique_ptr<TBitmap> resized;
    int w = 0;
    int h = 0;
    if (ScaleToCaptureSize(frame->Width(), frame->Height(), w, h)) {
        resized = std::make_unique<TBitmap>();
        if (w > 0 && h > 0) {
            resized->SetWidth(w);
            resized->SetHeight(h);
            resized->SetPixelFormat(pf24bit);
            resized->Canvas()->StretchDraw(Rect(0, 0, w, h), frame.get());
        }
        scaled = resized.get();
    }
    if (toSnapshot) {
        // A CaptureSize that leaves no picture gives the snapshot none: it fails.
        snapshotBitmap_->Assign(scaled);
        snapshotDone_ = true;
        return;
    }
    if (scaled->Empty()) {
        // Nothing to write: reported as a capture that did not succeed.
        if (dest == fcBMP || dest == fcJPEG || dest == fcMemory)
            CompleteCapture(scaled, dest, std::string(), WordFalse);
        return;
    }

    switch (dest) {
    case fcBMP:
    case fcJPEG: {
        std::string name;
        WordBool success = WordTrue;
        try {
            // A name cannot be had when the sequence is used up: the capture is refused.
            name = dest == fcBMP ? MakeCaptureFileName(BmpSequenceCounter(), "bmp")
                                 : MakeCaptureFileName(JpgSequenceCounter(), "jpg");
            const bool progressive = jpegProgressiveDisplay_ != 0;
            if (dest == fcBMP)
                WriteCaptureBmp(*scaled, name);
            else
                WriteCaptureJpeg(*scaled, name, {jpegQuality_, jpegPerformance_, progressive}, progressive);
        } catch (...) {
            success = WordFalse;
        }
        CompleteCapture(scaled, dest, name, success);
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
        // A BMP snapshot that was not written (no name left, or the write failed, which
        // leaves no file behind) is no snapshot.
        try {
            CompleteSnapshotFileName(fileName, false, CaptureNaming());
            WriteCaptureBmp(frame, fileName);
        } catch (const Exception&) {
            return false;
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
