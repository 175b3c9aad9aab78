// A video source for tests that keeps every promise of the video-source surface over
// generated pictures: frame n is a fixed picture, FrameCount is 0 until an open completes,
// seeks only move the position, and position reports come later from a timer, never from
// inside a seek.
#pragma once

#include "framework/Component.h"
#include "framework/ExtCtrls.h"
#include "videosource/VideoSourceSurface.h"

#include <functional>
#include <vector>

class TFakeVideoSource : public TComponent, public IVideoSourceSurface {
public:
    // The colour of pixel (x, y) of frame n (red in the low byte).
    using PictureFunction = std::function<COLORREF(Cardinal frame, int x, int y)>;

    TFakeVideoSource(TComponent* owner, int width, int height, Cardinal frameCount, PictureFunction picture);

    const WideString& FileName() const override { return fileName_; }
    void SetFileName(const WideString& value) override { fileName_ = value; }
    void OpenMedia() override;
    Cardinal FrameCount() const override { return open_ ? frameCount_ : 0; }
    void SeekToFrame(Cardinal frame) override;
    WordBool SnapshotToImage(TImage* image) override;

    Cardinal Position() const noexcept { return position_; }
    int Seeks() const noexcept { return seeks_; }
    // Every SeekToFrame call's frame number, carried out or not, in order.
    const std::vector<Cardinal>& SeekCalls() const noexcept { return seekCalls_; }
    int Reports() const noexcept { return reports_; }
    bool InsideSeek() const noexcept { return insideSeek_; }

private:
    void Poll(TObject* Sender);

    int width_;
    int height_;
    Cardinal frameCount_;
    PictureFunction picture_;
    WideString fileName_;
    TTimer* timer_;
    bool opening_ = false;
    bool open_ = false;
    bool reportDue_ = false;
    Cardinal position_ = 0;
    Cardinal reportedPosition_ = 0;
    int seeks_ = 0;
    std::vector<Cardinal> seekCalls_;
    int reports_ = 0;
    bool insideSeek_ = false;
};
