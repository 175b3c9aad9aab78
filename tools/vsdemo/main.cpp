// vsdemo: the video source component on a form, visible and fitted to its area
// (mpFitToSize), with a seek bar under it. Opens the video named on the command line and
// stands on its first frame; moving the bar seeks by frame, and the line under the bar
// shows the last position report. Three buttons capture through the sample grabber: "Save
// BMP" and "Save JPEG" take a snapshot into an automatically named file, "Burst 5" writes
// the next five frames, every fifth sample, as BMP files.
//
//   vsdemo VIDEO [--frame N] [--exit-after-ms N] [--grabber] [--storage DIR] [--actions LIST]
//
// --frame seeks to frame N once the video is open; --exit-after-ms closes the window after
// N milliseconds (for screenshots). --grabber turns the sample grabber on (the buttons need
// it); --storage is the folder of the captured files (the current one by default);
// --actions presses buttons by themselves once the video is open, one every second, from a
// comma-separated list of bmp, jpeg and burst.
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
#include <sstream>
#include <vector>

namespace {

class TSourceDemoForm : public TForm {
public:
    explicit TSourceDemoForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Video source component");
        SetBounds(40, 40, 560, 460);
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
        Movie->OnFGrabberCaptureCompleted.Assign(this, &TSourceDemoForm::CaptureCompleted);
        SaveBmp = AddButton("Save BMP", 8, &TSourceDemoForm::SaveBmpClick);
        SaveJpeg = AddButton("Save JPEG", 104, &TSourceDemoForm::SaveJpegClick);
        Burst = AddButton("Burst 5", 200, &TSourceDemoForm::BurstClick);
        Captured = new TLabel(this);
        Captured->SetParent(this);
        Captured->SetBounds(296, 392, 240, 20);
    }

    TButton* AddButton(const char* caption, int left, void (TSourceDemoForm::*click)(TObject*))
    {
        auto* button = new TButton(this);
        button->SetParent(this);
        button->SetCaption(caption);
        button->SetBounds(left, 386, 88, 25);
        button->OnClick.Assign(this, click);
        return button;
    }

    void Snapshot(std::uint8_t kind)
    {
        std::string name;
        try {
            if (Movie->TakeSnapshot(kind, name, nullptr, nullptr))
                Captured->SetCaption("saved " + name);
            else
                Captured->SetCaption("no frame taken");
        } catch (const std::exception& error) {
            Captured->SetCaption(std::string("not saved: ") + error.what());
        }
        std::cout << "snapshot " << int(kind) << ": " << name << std::endl;
    }
    void SaveBmpClick(TObject*) { Snapshot(1); }
    void SaveJpegClick(TObject*) { Snapshot(2); }

    void BurstClick(TObject*)
    {
        burstFrames_ = 0;
        Movie->SetFGrabber_BurstMode(WordTrue);
        Movie->SetFGrabber_BurstCount(5);
        Movie->SetFGrabber_BurstInterval(5);
        if (!Movie->CaptureFrames(fcBMP))
            Captured->SetCaption("the grabber is not ready");
    }

    void CaptureCompleted(TObject*, TBitmap*, TFrameCapture_Dest, const std::string& fileName, WordBool success)
    {
        ++burstFrames_;
        Captured->SetCaption("burst " + std::to_string(burstFrames_) + "/5 " + (success ? "" : "failed ") + fileName);
        std::cout << "burst frame " << burstFrames_ << ": " << fileName << (success ? "" : " (failed)") << std::endl;
        if (burstFrames_ == 5)
            Movie->SetFGrabber_BurstMode(WordFalse);
    }

    // Presses the listed buttons, one a second, once the video is open.
    void StartActions(const std::vector<std::string>& actions)
    {
        actions_ = actions;
        if (actions_.empty())
            return;
        actionTimer_ = new TTimer(this);
        actionTimer_->SetInterval(900); // a new timer starts on a change of its interval
        actionTimer_->OnTimer.Assign(this, &TSourceDemoForm::ActionTick);
    }

    void ActionTick(TObject*)
    {
        if (!opened_)
            return;
        if (nextAction_ >= actions_.size()) {
            actionTimer_->SetEnabled(false);
            return;
        }
        const std::string& action = actions_[nextAction_++];
        if (action == "bmp")
            SaveBmp->Click();
        else if (action == "jpeg")
            SaveJpeg->Click();
        else if (action == "burst")
            Burst->Click();
    }

    void OpenComplete(TObject*)
    {
        opened_ = true;
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
    TButton* SaveBmp;
    TButton* SaveJpeg;
    TButton* Burst;
    TLabel* Captured;

private:
    bool opened_ = false;
    int burstFrames_ = 0;
    std::vector<std::string> actions_;
    std::size_t nextAction_ = 0;
    TTimer* actionTimer_ = nullptr;
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
    bool grabber = false;
    std::string storage;
    std::vector<std::string> actions;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exit-after-ms") == 0 && i + 1 < argc)
            exitAfterMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--frame") == 0 && i + 1 < argc)
            frame = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--grabber") == 0)
            grabber = true;
        else if (std::strcmp(argv[i], "--storage") == 0 && i + 1 < argc)
            storage = argv[++i];
        else if (std::strcmp(argv[i], "--actions") == 0 && i + 1 < argc) {
            std::stringstream list(argv[++i]);
            for (std::string action; std::getline(list, action, ',');)
                actions.push_back(action);
        }
        else if (path.empty())
            path = argv[i];
    }
    if (path.empty()) {
        std::cerr << "usage: vsdemo VIDEO [--frame N] [--exit-after-ms N] [--grabber] [--storage DIR] "
                     "[--actions bmp,jpeg,burst]\n";
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
        form->Movie->SetFGrabber_Enabled(grabber);
        if (!storage.empty())
            form->Movie->SetStoragePath(storage);
        form->StartActions(actions);
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
