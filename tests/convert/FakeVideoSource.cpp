#include "FakeVideoSource.h"

#include "framework/Bitmap.h"
#include "framework/Picture.h"

#include <gtest/gtest.h>

TFakeVideoSource::TFakeVideoSource(TComponent* owner, int width, int height, Cardinal frameCount,
                                   PictureFunction picture)
    : TComponent(owner)
    , width_(width)
    , height_(height)
    , frameCount_(frameCount)
    , picture_(std::move(picture))
    , timer_(new TTimer(this))
{
    // Faster than the real 50 ms poll, so that tests run quickly; the order of events is the same.
    timer_->SetInterval(5);
    timer_->OnTimer.Assign(this, &TFakeVideoSource::Poll);
    timer_->SetEnabled(true);
}

void TFakeVideoSource::OpenMedia()
{
    if (fileName_.empty())
        return;
    open_ = false;
    opening_ = true;
}

void TFakeVideoSource::SeekToFrame(Cardinal frame)
{
    insideSeek_ = true;
    seekCalls_.push_back(frame);
    if (FrameCount() != 0 && frame <= FrameCount()) {
        position_ = frame;
        ++seeks_;
    }
    insideSeek_ = false;
}

WordBool TFakeVideoSource::SnapshotToImage(TImage* image)
{
    if (!open_)
        return WordFalse;
    TBitmap bitmap;
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(width_, height_);
    for (int y = 0; y < height_; ++y) {
        BYTE* row = bitmap.ScanLine(y);
        for (int x = 0; x < width_; ++x) {
            const COLORREF c = picture_(position_, x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    bitmap.PixelsChanged();
    image->Picture()->Bitmap()->Assign(&bitmap);
    image->SetWidth(width_);
    image->SetHeight(height_);
    return WordTrue;
}

void TFakeVideoSource::Poll(TObject* Sender)
{
    if (opening_) {
        opening_ = false;
        open_ = true;
        position_ = 0;
        reportDue_ = true; // the first poll after an open always reports
        OnOpenComplete(this);
        return;
    }
    if (!open_ || (!reportDue_ && position_ == reportedPosition_))
        return;
    EXPECT_FALSE(insideSeek_);
    const Cardinal old = reportedPosition_;
    reportedPosition_ = position_;
    reportDue_ = false;
    ++reports_;
    OnPositionChange(this, old / 25.0, position_ / 25.0, old, position_);
}
