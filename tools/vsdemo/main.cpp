// vsdemo: the video source component on a form, visible and fitted to its area
// (mpFitToSize), with a seek bar under it. Opens the video named on the command line and
// stands on its first frame; moving the bar seeks by frame, and the line under the bar
// shows the last position report.
//
//   vsdemo VIDEO [--frame N] [--exit-after-ms N]
//
// --frame seeks to frame N once the video is open; --exit-after-ms closes the window after
// N milliseconds (for screenshots).
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "videosource/ActiveMovie.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

class TSourceDemoForm : public TForm {
public:
    explicit TSourceDemoForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Video source component");
        SetBounds(40, 40, 560, 420);
        Movie = new TActiveMovie(this);
        Movie->SetParent(this);
        Movie->SetBounds(8, 8, 528, 320);
        Movie->SetAutoStart(WordFalse);
        Movie->SetDisplaySize(mpFitToSize);
        Movie->SetShowControls(WordFalse);
        Movie->SetColor(clBlack);
        Bar = new TScrollBar(this);
        Bar->SetParent(this);
        Bar->SetBounds(8, 336, 528, 17);
        Bar->OnChange.Assign(this, &TSourceDemoForm::BarChange);
        Status = new TLabel(this);
        Status->SetParent(this);
        Status->SetBounds(8, 360, 528, 20);
        Movie->OnOpenComplete.Assign(this, &TSourceDemoForm::OpenComplete);
        Movie->OnPositionChange.Assign(this, &TSourceDemoForm::PositionChange);
        Movie->OnError.Assign(this, &TSourceDemoForm::MovieError);
    }

    void OpenComplete(TObject*)
    {
        Bar->SetParams(0, 0, Movie->FrameCount() > 0 ? static_cast<int>(Movie->FrameCount()) - 1 : 0);
        if (startFrame_ > 0)
            Movie->SeekToFrame(static_cast<Cardinal>(startFrame_));
    }

    void PositionChange(TObject*, double, double newTime, Cardinal, Cardinal newFrame)
    {
        char line[200];
        std::snprintf(line, sizeof line, "frame %u of %u, %.2f s", newFrame, Movie->FrameCount(), newTime);
        Status->SetCaption(line);
        if (Bar->Position() != static_cast<int>(newFrame) && static_cast<int>(newFrame) <= Bar->Max()) {
            following_ = true;
            Bar->SetPosition(static_cast<int>(newFrame));
            following_ = false;
        }
    }

    void BarChange(TObject*)
    {
        if (!following_)
            Movie->SeekToFrame(static_cast<Cardinal>(Bar->Position()));
    }

    void MovieError(TObject*, int code, const std::string& message)
    {
        Status->SetCaption("error " + std::to_string(code) + ": " + message);
    }

    void CloseTick(TObject* sender)
    {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        Close();
    }

    void SetStartFrame(int frame) { startFrame_ = frame; }

    TActiveMovie* Movie;
    TScrollBar* Bar;
    TLabel* Status;

private:
    int startFrame_ = 0;
    bool following_ = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::string path;
    int exitAfterMs = 0;
    int frame = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exit-after-ms") == 0 && i + 1 < argc)
            exitAfterMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc)
            frame = std::atoi(argv[++i]);
        else if (path.empty())
            path = argv[i];
    }
    if (path.empty()) {
        std::cerr << "usage: vsdemo VIDEO [--frame N] [--exit-after-ms N]\n";
        return 2;
    }
    if (InstallMediaPlayerControl() != S_OK) {
        std::cerr << "vsdemo: the media player control cannot be installed\n";
        return 1;
    }
    Application->Initialize();
    TSourceDemoForm* form = nullptr;
    try {
        Application->CreateForm(form);
        form->SetStartFrame(frame);
        form->Movie->SetFileName(ToWideString(path));
        form->Movie->OpenMedia();
    } catch (const std::exception& error) {
        std::cerr << "vsdemo: " << error.what() << "\n";
        return 1;
    }
    if (exitAfterMs > 0) {
        auto* timer = new TTimer(form);
        timer->SetInterval(static_cast<unsigned>(exitAfterMs));
        timer->OnTimer.Assign(form, &TSourceDemoForm::CloseTick);
    }
    Application->Run();
    AMovieUnitEnd();
    return 0;
}
