// A stand-in for the main window's video source, set up by the window's own layout in place of
// a TActiveMovie: it carries that class name and publishes the settings and events the layout
// writes, and keeps the video-source surface's promises through the test video source of the
// conversion tests (generated pictures, position reports from a timer, never from a seek).
// An open can be made to fail, as the real source does for a file it cannot read: the error
// event fires and nothing opens.
#pragma once

#include "../convert/FakeVideoSource.h"
#include "framework/ExtCtrls.h"
#include "videosource/VideoSourceSurface.h"

#include <string>

class TForm1;

enum TStandInDisplayMode { standInTime, standInFrames };
enum TStandInDisplaySize { standInDefaultSize, standInHalfSize, standInDoubleSize, standInFitToSize, standInCustomSize };

using TStandInErrorEvent = TEvent<void(TObject* Sender, int ErrorCode, const std::string& ErrorMessage)>;

class TStandInVideoSource : public TCustomPanel, public IVideoSourceSurface {
    QUELLON_CLASS()

public:
    explicit TStandInVideoSource(TComponent* owner);

    // Makes the window's ActiveMovie1 over `frameCount` frames of width x height.
    static TComponent* Make(TForm1& form, int width, int height, Cardinal frameCount,
                            TFakeVideoSource::PictureFunction picture);

    const WideString& FileName() const override { return video_->FileName(); }
    void SetFileName(const WideString& value) override { video_->SetFileName(value); }
    void OpenMedia() override;
    Cardinal FrameCount() const override { return video_->FrameCount(); }
    void SeekToFrame(Cardinal frame) override { video_->SeekToFrame(frame); }
    WordBool SnapshotToImage(TImage* image) override { return video_->SnapshotToImage(image); }

    // The next OpenMedia reports this error instead of opening.
    void FailNextOpen(int code, std::string message);
    TFakeVideoSource& Video() const noexcept { return *video_; }

    // The settings the layout writes, kept as written.
    WordBool AutoStart = WordTrue;
    TStandInDisplayMode DisplayMode = standInTime;
    TStandInDisplaySize DisplaySize = standInDefaultSize;
    bool FGrabber_Enabled = false;
    int CaptureSize = 100;
    WordBool SendOpenStateChangeEvents = WordFalse;
    WordBool SendPlayStateChangeEvents = WordFalse;
    TStandInErrorEvent OnError;

private:
    void RelayOpenComplete(TObject* Sender) { OnOpenComplete(this); }
    void RelayPositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                             Cardinal OldFramePosition, Cardinal NewFramePosition)
    {
        OnPositionChange(this, OldTimePosition, NewTimePosition, OldFramePosition, NewFramePosition);
    }

    TFakeVideoSource* video_ = nullptr;
    int failCode_ = 0;
    std::string failMessage_;
};
