// The capture run and the position bar: writing the frames shown, file by file, as the
// position bar advances through the video.
#include "convert/MovieConversion.h"
#include "convert/MovieFormat.h"
#include "convert/MovieTargets.h"
#include "convert/SizeEstimate.h"
#include "framework/Application.h"
#include "framework/Arithmetic.h"
#include "framework/Dialogs.h"
#include "framework/Exceptions.h"
#include "framework/ExtCtrls.h"
#include "framework/NumberText.h"
#include "framework/Spin.h"
#include "framework/StdCtrls.h"
#include "framework/WideString.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

namespace {

// FrameCount div frame skip as a scroll bar range, for a frame skip of at least 1.
int PositionBarMax(Cardinal frameCount, int frameSkip)
{
    const std::int64_t steps = Div<std::int64_t>(frameCount, frameSkip);
    return static_cast<int>(std::clamp<std::int64_t>(steps, 0, INT_MAX));
}

std::string FramesText(std::uint64_t count) { return std::to_string(count) + (count == 1 ? " whole frame" : " whole frames"); }

// A write or close of the movie failed: the message says, after what happened, what the file
// keeps (the writer has cut it back to its whole frames).
void ExplainWriteFailure(EInOutError& error, const TMovieWriter& movie)
{
    error.SetExplanation(SystemErrorDescription(error.ErrorCode()) + " " + movie.FileName() + " keeps " +
                         FramesText(movie.FramesInFile()) + ".");
}

// Runs a write or close of the movie, explaining a failure.
template <class F>
void Writing(const TMovieWriter& movie, F&& action)
{
    try {
        action();
    } catch (EInOutError& error) {
        ExplainWriteFailure(error, movie);
        throw;
    }
}

} // namespace

TMovieConversion::~TMovieConversion()
{
    if (!movie_.IsOpen())
        return;
    const std::string name = movie_.FileName();
    try {
        movie_.Close();
    } catch (const EInOutError&) {
        // The writer's own end cuts the file to its whole frames.
    }
    // Ended by a signal, the program has no window left to say it in.
    if (Application->TerminationSignal() != 0)
        std::fprintf(stderr, "%s: the capture run was stopped: %s keeps %s.\n", Application->Title().c_str(),
                     name.c_str(), FramesText(movie_.FramesInFile()).c_str());
}

void TMovieConversion::ActiveMovie1OpenComplete(TObject* Sender)
{
    videoOpen_ = true;
    if (!framePlan_.empty()) {
        c_.ScrollBar1->SetMax(static_cast<int>(framePlan_.size()));
        return;
    }
    // A skip typed as 0 or less has no range: the bar waits for a real value, as below.
    const int frameSkip = c_.SpinEdit3->Value();
    if (frameSkip < 1)
        return;
    c_.ScrollBar1->SetMax(PositionBarMax(OpenFrameCount(), frameSkip));
}

void TMovieConversion::ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                                  Cardinal OldFramePosition, Cardinal NewFramePosition)
{
    c_.ActiveMovie1->SnapshotToImage(c_.Image2);
    // The snapshot sizes the control to the frame; the preview stays 320 x 240.
    c_.Image2->SetWidth(crop::PreviewWidth);
    c_.Image2->SetHeight(crop::PreviewHeight);
    UpdateCrop();
    c_.PaintBox1->Repaint();
}

void TMovieConversion::ScrollBar1Change(TObject* Sender)
{
    if (!framePlan_.empty()) {
        PlannedBarChange();
        return;
    }
    // While the frame skip is being typed it can read 0 or less (the field brings it into
    // its range only when it loses the focus). Such a skip has no range: the bar keeps its
    // range and position, nothing is seeked, and a capture run waits for a real value.
    const int frameSkip = c_.SpinEdit3->Value();
    if (frameSkip < 1)
        return;
    c_.ScrollBar1->SetMax(PositionBarMax(OpenFrameCount(), frameSkip));
    // A 32-bit product: position p shows video frame skip x p.
    if (videoOpen_)
        c_.ActiveMovie1->SeekToFrame(static_cast<Cardinal>(frameSkip) * static_cast<Cardinal>(c_.ScrollBar1->Position()));
    EndOfVideoRule();
    c_.Label7->SetCaption(IntToStr(c_.ScrollBar1->Position()));
}

void TMovieConversion::PlannedBarChange()
{
    c_.ScrollBar1->SetMax(static_cast<int>(std::min<std::size_t>(framePlan_.size(), INT_MAX)));
    const auto position = static_cast<std::size_t>(c_.ScrollBar1->Position());
    repeatPending_ = false;
    if (videoOpen_ && position < framePlan_.size()) {
        const Cardinal frame = framePlan_[position];
        // The source reports only moves: the same frame again has to be taken as it stands.
        if (plannedFrameAsked_ && frame == plannedFrameShown_)
            repeatPending_ = true;
        else
            c_.ActiveMovie1->SeekToFrame(frame);
        plannedFrameShown_ = frame;
        plannedFrameAsked_ = true;
    }
    EndOfVideoRule();
    c_.Label7->SetCaption(IntToStr(c_.ScrollBar1->Position()));
}

void TMovieConversion::SetFramePlan(std::vector<Cardinal> plan)
{
    framePlan_ = std::move(plan);
    plannedFrameAsked_ = false;
    repeatPending_ = false;
    if (framePlan_.empty() || !videoOpen_)
        return;
    PlannedBarChange();
}

void TMovieConversion::RepeatShownFrame()
{
    if (!repeatPending_)
        return;
    repeatPending_ = false;
    c_.PaintBox1->Repaint();
}

void TMovieConversion::SetPictureOptions(const TPictureOptions& options)
{
    pictureOptions_ = options;
    // During a capture run every paint writes a frame: the run keeps its own options, and
    // the new ones are shown once it has ended.
    if (framesLeft_ < 0)
        c_.PaintBox1->Repaint();
}

void TMovieConversion::EndOfVideoRule()
{
    if (c_.ScrollBar1->Position() != c_.ScrollBar1->Max())
        return;
    framesLeft_ = -1;
    filesLeft_ = 0;
    if (movie_.IsOpen()) {
        Writing(movie_, [&] { movie_.Close(); });
        c_.Button2->SetCaption(CaptureCaption);
    }
}

void TMovieConversion::Button2Click(TObject* Sender)
{
    if (c_.Button2->Caption() == CancelCaption) {
        CancelCaptureRun();
        return;
    }
    if (!videoOpen_ || !c_.SaveDialog1->Execute())
        return;
    // Nothing is created before every name the run may write has been checked.
    const std::string chosen = c_.SaveDialog1->FileName;
    CheckMovieTargets(CaptureFileNames(chosen, c_.CheckBox1->Checked(), c_.SpinEdit2->Value()), VideoFileName());
    movieFileName_ = chosen;
    // The frame buffer holds the last paint's picture, made with these options.
    runPictureOptions_ = pictureOptions_;
    filesLeft_ = c_.CheckBox1->Checked() ? c_.SpinEdit2->Value() : 1;
    StartMovieFile();
    lastMovie_ = c_.CheckBox1->Checked() ? NumberedMovieFileName(movieFileName_, 1) : movieFileName_;
    ++captureRuns_;
}

void TMovieConversion::StartMovieFile()
{
    const std::string name = c_.CheckBox1->Checked()
                                 ? NumberedMovieFileName(movieFileName_, c_.SpinEdit2->Value() - filesLeft_ + 1)
                                 : movieFileName_;
    try {
        // Checked again here: the multi-file settings may have changed since the start.
        CheckMovieTarget(name, VideoFileName());
        try {
            movie_.Create(name);
        } catch (EInOutError& error) {
            error.SetExplanation(SystemErrorDescription(error.ErrorCode()) + " " + name + " could not be created.");
            throw;
        }
    } catch (...) {
        // A later file of the run: with no file open, the next step would close nothing, so
        // the run ends here. The first file: no run has started.
        if (framesLeft_ >= 0)
            EndCaptureRun();
        throw;
    }
    c_.Button2->SetCaption(CancelCaption);
    framesLeft_ = static_cast<std::int8_t>(c_.SpinEdit1->Value() - 1);
    WriteFrame();
}

std::string TMovieConversion::VideoFileName() const
{
    return FromWideString(c_.ActiveMovie1->FileName());
}

void TMovieConversion::WriteFrame()
{
    Writing(movie_, [&] { movie_.WriteFrame(frameBuffer_); });
    c_.ScrollBar1->SetPosition(c_.ScrollBar1->Position() + 1);
}

void TMovieConversion::CaptureStep()
{
    if (framesLeft_ > 0) {
        WriteFrame();
        // The advance may have ended the run; the counter then stays negative.
        if (framesLeft_ >= 0)
            --framesLeft_;
    } else if (framesLeft_ == 0) {
        Writing(movie_, [&] { movie_.Close(); });
        --filesLeft_;
        if (filesLeft_ > 0)
            StartMovieFile();
        else
            EndCaptureRun();
    }
}

// Ends the run as "Cancel" does: the open file is closed at its last whole frame.
void TMovieConversion::CancelCaptureRun()
{
    filesLeft_ = 0;
    framesLeft_ = -1;
    if (movie_.IsOpen())
        Writing(movie_, [&] { movie_.Close(); });
    c_.Button2->SetCaption(CaptureCaption);
}

void TMovieConversion::EndCaptureRun()
{
    filesLeft_ = 0;
    framesLeft_ = -1;
    c_.Button2->SetCaption(CaptureCaption);
}

void TMovieConversion::SpinEdit1Change(TObject* Sender)
{
    c_.Label9->SetCaption(
        SizeLine(c_.SpinEdit1->Value(), c_.SpinEdit2->Value(), c_.CheckBox1->Checked(), DefaultFormatSettings()));
}
