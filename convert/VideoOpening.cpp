// The video under the conversion coming and going: a new open ends the capture run on the
// old video, and a failed open leaves the window showing no video rather than the last
// picture of the old one over a bar that no longer moves it.
#include "convert/MovieConversion.h"
#include "framework/ExtCtrls.h"
#include "framework/Picture.h"
#include "framework/StdCtrls.h"

void TMovieConversion::VideoOpening()
{
    if (framesLeft_ >= 0 || movie_.IsOpen())
        CancelCaptureRun();
    videoOpen_ = false;
    // A frame plan was made for the video that goes.
    framePlan_.clear();
}

void TMovieConversion::VideoOpenFailed()
{
    if (framesLeft_ >= 0 || movie_.IsOpen())
        CancelCaptureRun();
    videoOpen_ = false;
    c_.Image2->Picture()->Assign(nullptr);
    // The view makes itself a fresh bitmap at the next paint, as at start.
    c_.Image1->Picture()->Assign(nullptr);
    // A position above 0 drops with the range and runs the bar's change, which finds no video.
    c_.ScrollBar1->SetMax(0);
    c_.Label7->SetCaption("0");
    c_.PaintBox1->Repaint();
}

Cardinal TMovieConversion::OpenFrameCount() const
{
    return videoOpen_ ? c_.ActiveMovie1->FrameCount() : 0;
}
