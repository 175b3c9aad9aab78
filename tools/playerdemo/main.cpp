// playerdemo: hosts the media player control on a form, as the program does (through
// TDerivedMovie_), opens the video named on the command line and plays it. The window shows
// the video fitted above the control bar and, under it, a line with the player's states.
//
//   playerdemo VIDEO [--exit-after-ms N] [--fullscreen]
//
// With --exit-after-ms the window closes itself after N milliseconds (for screenshots).
#include "axhost/DerivedMovie.h"
#include "framework/Application.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "platform/com/Bstr.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

class TPlayerDemoForm : public TForm {
public:
    explicit TPlayerDemoForm(TComponent* owner) : TForm(owner)
    {
        SetCaption("Media player control");
        SetBounds(40, 40, 560, 470);
        Movie = new TDerivedMovie_(this);
        Movie->SetParent(this);
        Movie->SetBounds(8, 8, 528, 400);
        Status = new TLabel(this);
        Status->SetParent(this);
        Status->SetBounds(8, 416, 528, 20);
        Movie->OnOpenStateChange.Assign(this, &TPlayerDemoForm::StateChanged);
        Movie->OnPlayStateChange.Assign(this, &TPlayerDemoForm::StateChanged);
        Movie->OnError.Assign(this, &TPlayerDemoForm::PlayerError);
        auto* timer = new TTimer(this);
        timer->SetInterval(100);
        timer->OnTimer.Assign(this, &TPlayerDemoForm::ShowPosition);
    }

    void Open(const std::string& path, bool fullScreen)
    {
        Movie->SetIntegerProp(mediaplayer::kDispDisplaySize,
                              fullScreen ? mediaplayer::kSizeFullScreen : mediaplayer::kSizeFitToWindow);
        ComPtr<IMediaPlayer> player = Movie->GetPlayerInterface();
        UniqueBstr name(path);
        player->Open(name.Get());
    }

    void StateChanged(TObject*, int, int) { ShowPosition(nullptr); }

    void PlayerError(TObject*)
    {
        ComPtr<IMediaPlayer> player = Movie->GetPlayerInterface();
        BSTR text = nullptr;
        player->get_ErrorDescription(&text);
        error_ = BstrToUtf8(text);
        SysFreeString(text);
        ShowPosition(nullptr);
    }

    void ShowPosition(TObject*)
    {
        static const char* const kPlayStates[] = {"stopped", "paused", "playing", "waiting", "", "", "closed"};
        const LONG open = Movie->GetIntegerProp(mediaplayer::kDispOpenState);
        const LONG play = Movie->GetIntegerProp(mediaplayer::kDispPlayState);
        char line[400];
        std::snprintf(line, sizeof line, "open state %ld, %s, %.2f s of %.2f s, %ldx%ld %s", static_cast<long>(open),
                      play >= 0 && play <= 6 ? kPlayStates[play] : "?",
                      Movie->GetDoubleProp(mediaplayer::kDispCurrentPosition),
                      Movie->GetDoubleProp(mediaplayer::kDispDuration),
                      static_cast<long>(Movie->GetIntegerProp(mediaplayer::kDispImageSourceWidth)),
                      static_cast<long>(Movie->GetIntegerProp(mediaplayer::kDispImageSourceHeight)), error_.c_str());
        Status->SetCaption(line);
    }

    void CloseTick(TObject* sender)
    {
        static_cast<TTimer*>(sender)->SetEnabled(false);
        Close();
    }

    TDerivedMovie_* Movie;
    TLabel* Status;

private:
    std::string error_;
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::string path;
    int exitAfterMs = 0;
    bool fullScreen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--exit-after-ms") == 0 && i + 1 < argc)
            exitAfterMs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--fullscreen") == 0)
            fullScreen = true;
        else if (path.empty())
            path = argv[i];
        else
            path.clear(), i = argc;
    }
    if (path.empty()) {
        std::cerr << "usage: playerdemo VIDEO [--exit-after-ms N] [--fullscreen]\n";
        return 2;
    }
    AMovieUnitStart();
    if (InstallMediaPlayerControl() != S_OK) {
        std::cerr << "playerdemo: the media player control cannot be installed\n";
        return 1;
    }
    Application->Initialize();
    TPlayerDemoForm* form = nullptr;
    try {
        Application->CreateForm(form);
        form->Open(path, fullScreen);
    } catch (const std::exception& error) {
        std::cerr << "playerdemo: " << error.what() << "\n";
        return 1;
    }
    if (exitAfterMs > 0) {
        auto* timer = new TTimer(form);
        timer->SetInterval(static_cast<unsigned>(exitAfterMs));
        timer->OnTimer.Assign(form, &TPlayerDemoForm::CloseTick);
    }
    Application->Run();
    AMovieUnitEnd();
    return 0;
}
