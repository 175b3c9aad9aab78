// The movie conversion of the main window: the frame buffer with the live grey preview, the
// crop zone over the video preview, the capture run that writes movie files, and the size
// line. Its methods are the main window's handlers of those controls, under the same names;
// the window only owns the controls and forwards its handlers here.
//
// A capture run has no thread or loop: each written frame advances the position bar, whose
// change seeks the video; the source's position report takes a snapshot, crops it and
// repaints the preview; the repaint converts the picture and ends with the capture step,
// which writes it and advances again. Everything runs on the user-interface thread.
#pragma once

#include "convert/CropGeometry.h"
#include "convert/FrameBuffer.h"
#include "convert/MovieWriter.h"
#include "convert/PictureOptions.h"
#include "framework/Events.h"
#include "framework/Object.h"
#include "videosource/VideoSourceSurface.h"

#include <cstdint>
#include <string>
#include <vector>

class TButton;
class TCheckBox;
class TImage;
class TLabel;
class TPaintBox;
class TSaveDialog;
class TScrollBar;
class TShape;
class TSpinEdit;

// The main window's controls the conversion reads and drives. None is owned here.
struct TConversionControls {
    IVideoSourceSurface* ActiveMovie1 = nullptr;
    TImage* Image1 = nullptr;     // the cropped view, 131 x 80, showing its bitmap stretched
    TImage* Image2 = nullptr;     // the 320 x 240 video preview
    TShape* zone = nullptr;       // the crop zone over Image2
    TPaintBox* PaintBox1 = nullptr;
    TScrollBar* ScrollBar1 = nullptr; // position, in frame-skip steps
    TScrollBar* ScrollBar2 = nullptr; // brightness 0..32
    TScrollBar* ScrollBar3 = nullptr; // contrast 0..16
    TLabel* Label5 = nullptr;     // brightness offset
    TLabel* Label6 = nullptr;     // contrast offset
    TLabel* Label7 = nullptr;     // position
    TLabel* Label9 = nullptr;     // size line
    TSpinEdit* SpinEdit1 = nullptr; // frames per file
    TSpinEdit* SpinEdit2 = nullptr; // number of files
    TSpinEdit* SpinEdit3 = nullptr; // frame skip
    TCheckBox* CheckBox1 = nullptr; // multi-file
    TButton* Button2 = nullptr;     // "Capture from here" / "Cancel"
    TSaveDialog* SaveDialog1 = nullptr;
};

class TMovieConversion : public TObject {
public:
    explicit TMovieConversion(const TConversionControls& controls);
    // A run under way ends as "Cancel" ends it (the program is ending).
    ~TMovieConversion() override;

    // The window is shown: no capture run, no drag, and a fresh size line.
    void FormShow(TObject* Sender);

    // Preview conversion.
    void PaintBox1Paint(TObject* Sender);
    void ScrollBar2Change(TObject* Sender);
    void ScrollBar3Change(TObject* Sender);

    // Video position. The conversion counts a video as open from its OnOpenComplete until the
    // window asks for another one; until then the bar has no range and no capture starts.
    void ActiveMovie1OpenComplete(TObject* Sender);
    void ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                    Cardinal OldFramePosition, Cardinal NewFramePosition);
    void ScrollBar1Change(TObject* Sender);

    // Crop zone.
    void zoneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void zoneMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    void zoneMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void UpdateCrop();
    int PreviewToSourceX(int a);
    int PreviewToSourceY(int a);

    // The window asks for another video: a capture run in progress ends (its files closed
    // whole) and no video counts as open until OnOpenComplete. A close that fails is
    // reported with the run left to be cancelled again, and the video stays open.
    void VideoOpening();
    // The open asked for failed: the window shows no video (empty preview and view, the bar
    // at 0..0, its label at 0), as before any open.
    void VideoOpenFailed();
    bool VideoOpen() const noexcept { return videoOpen_; }

    // Capture run. A start needs an open video.
    void Button2Click(TObject* Sender);
    void StartMovieFile();
    void WriteFrame();

    // Size line.
    void SpinEdit1Change(TObject* Sender);

    // Dithering and tone curve. The preview shows a new choice at once; a capture run keeps
    // the options it started with to its end, and the preview shows those while it runs.
    const TPictureOptions& PictureOptions() const noexcept { return pictureOptions_; }
    void SetPictureOptions(const TPictureOptions& options);
    // The options the preview converts with now.
    const TPictureOptions& ShownPictureOptions() const noexcept
    {
        return framesLeft_ >= 0 ? runPictureOptions_ : pictureOptions_;
    }

    // Frame choice for the bar other than the frame skip (kqltool's --real-time): with a plan,
    // bar position p shows video frame plan[p], the bar runs 0..plan.size() and the end of the
    // video is position plan.size(); the frame skip is not used. An empty plan gives the frame
    // skip back. A plan may name the same frame at neighbouring positions: the source then
    // reports no move, and the frame shown is to be taken again with RepeatShownFrame.
    void SetFramePlan(std::vector<Cardinal> plan);
    // When the bar stands on a position whose planned frame is the one already shown (no
    // position report will come for it), converts that frame again as the report of a move
    // would, and the capture run takes its step; does nothing otherwise.
    void RepeatShownFrame();

    // State, for the window and for tests.
    const TFrameBuffer& FrameBuffer() const noexcept { return frameBuffer_; }
    int FramesLeft() const noexcept { return framesLeft_; }
    int FilesLeft() const noexcept { return filesLeft_; }
    const std::string& MovieFileName() const noexcept { return movieFileName_; }
    bool MovieFileOpen() const noexcept { return movie_.IsOpen(); }
    bool Moving() const noexcept { return moving_; }
    bool Resizing() const noexcept { return resizing_; }
    // The first file of the last capture run started, and how many runs have started.
    const std::string& LastMovie() const noexcept { return lastMovie_; }
    int CaptureRuns() const noexcept { return captureRuns_; }

    static constexpr const char* CaptureCaption = "Capture from here";
    static constexpr const char* CancelCaption = "Cancel";

private:
    void CaptureStep();
    void EndOfVideoRule();
    // ScrollBar1Change under a frame plan.
    void PlannedBarChange();
    void EndCaptureRun();
    void CancelCaptureRun();
    // The length the bar ranges over: FrameCount while a video is open, 0 otherwise (the
    // source keeps the length of its last video after a failed open).
    Cardinal OpenFrameCount() const;
    std::string VideoFileName() const;
    crop::ZoneRect Zone() const;
    void SetZone(const crop::ZoneRect& zone);

    TConversionControls c_;
    TFrameBuffer frameBuffer_{};
    TMovieWriter movie_;

    // Capture run: FramesLeft < 0 means none is under way; otherwise the frames still to
    // write into the current file after the one that opened it. A signed 8-bit counter.
    std::int8_t framesLeft_ = -1;
    int filesLeft_ = 0; // files still to write, the current one included
    std::string movieFileName_;
    bool videoOpen_ = false;
    std::string lastMovie_;
    int captureRuns_ = 0;
    TPictureOptions pictureOptions_;
    TPictureOptions runPictureOptions_; // those of the capture run under way

    std::vector<Cardinal> framePlan_;
    Cardinal plannedFrameShown_ = 0; // the planned frame last asked of the source
    bool plannedFrameAsked_ = false;
    bool repeatPending_ = false;

    // Crop zone drag.
    bool moving_ = false;
    bool resizing_ = false;
    int anchorX_ = 0;
    int anchorY_ = 0;
};
