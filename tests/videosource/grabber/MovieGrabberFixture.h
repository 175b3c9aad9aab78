// The component tests' fixture: a form holding one TActiveMovie with the grabber enabled over
// the program's own media player control, AutoStart False (so an opened video rests paused
// on its first frame), its captures recorded with the number drawn into each frame.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "tests/videosource/grabber/GrabberTestSupport.h"
#include "videosource/ActiveMovie.h"

#include <string>
#include <vector>

namespace grabbertest {

// The number shown by a bitmap of the numbered pattern (any size it was scaled to is read
// back at the pattern's own size only), -1 when unreadable.
int BitmapFrameNumber(TBitmap* bitmap);

// One OnFGrabberCaptureCompleted.
struct Capture {
    int Number = -2;
    TFrameCapture_Dest Dest = fcMemory;
    std::string FileName;
    bool Success = false;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
};

class CaptureRecorder : public TObject {
public:
    std::vector<Capture> captures;
    void Completed(TObject* sender, TBitmap* bitmap, TFrameCapture_Dest dest, const std::string& fileName,
                   WordBool success);
    std::vector<int> Numbers() const;
    // Position reports are only made with a handler; the tests read FramePosition.
    int positionReports = 0;
    void PositionChange(TObject*, double, double, Cardinal, Cardinal) { ++positionReports; }
    int endsOfStream = 0;
    void EndOfStream(TObject*, int) { ++endsOfStream; }
};

class MovieGrabberTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens a numbered video of `frames` pictures and waits until the control rests paused
    // (and, with the grabber enabled, its graph is built).
    void Open(int frames);
    // Seeks while paused and waits until the position reads `frame`.
    void SeekPaused(Cardinal frame);
    int PlayState() const { return movie_->GetDispInt(1068); }
    // The control's filter graph (once the commands given to the control are carried out).
    ComPtr<IFilterGraph> ControlGraph();
    // The grabber filters in the control's graph, from the renderer upstream.
    int GrabbersInFrontOfRenderer();
    // The number of the frame the renderer shows.
    int RendererFrame();

    TForm* form_ = nullptr;
    TActiveMovie* movie_ = nullptr;
    TImage* image_ = nullptr;
    CaptureRecorder recorder_;
    TempFolder folder_;
};

} // namespace grabbertest
