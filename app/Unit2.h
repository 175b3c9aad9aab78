// TForm2: the player window, read from its layout (Unit2.layout). "Open" chooses a movie
// file; the window shows its frame 0 in the 131 x 80 screen area, in the greys of the main
// window's converted preview, and "Play" plays it (and the members after it, for a numbered
// series) at the device's rate until the end or "Stop". The frame and file shown are counted
// beside the buttons; a double click on the screen area opens a bigger view (TMovieView)
// that plays along. The playback itself is TMoviePlayer (MoviePlayer.h); this window draws
// its frame, runs its timer and reports its failures.
//
// The window is created hidden at start-up and lives until the end of the program, so the
// chosen movie and the enabled "Play" stay between showings; hiding it stops playback.
//
// Ownership: the controls and the timer are owned by the form. Thread: the user-interface
// thread.
#pragma once

#include "app/MoviePlayer.h"
#include "app/MovieView.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <cstdint>
#include <functional>
#include <string>

class TForm2 : public TForm {
    QUELLON_CLASS()

public:
    explicit TForm2(TComponent* owner);

    TEdit* Edit1 = nullptr;
    TButton* Button1 = nullptr;
    TButton* Button2 = nullptr;
    TButton* Button3 = nullptr;
    TShape* Shape1 = nullptr;
    TPaintBox* PaintBox1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr; // "frame 12 of 40"
    TLabel* Label3 = nullptr; // "file 2 of 4", for a series
    TOpenDialog* OpenDialog1 = nullptr;
    TTimer* PlayTimer = nullptr;

    // Chooses the movie at `path` as "Open" does, without the dialog: shows its name and its
    // frame 0, or says why it cannot be shown.
    void ChooseMovie(const std::string& path);

    void Button1Click(TObject* Sender);
    void Button2Click(TObject* Sender);
    void Button3Click(TObject* Sender);
    void PaintBox1Paint(TObject* Sender);
    // Opens the bigger view, or brings it back.
    void PaintBox1DblClick(TObject* Sender);
    void FormHide(TObject* Sender);
    // The playback timer: shows the frame due now.
    void PlayTimerTimer(TObject* Sender);

    const TMoviePlayer& Player() const noexcept { return player_; }
    // The bigger view, once opened; nullptr before.
    TMovieView* View() const noexcept { return view_; }
    // The clock of playback, in nanoseconds of a monotonic clock; tests put their own.
    using TPlaybackClock = std::function<std::int64_t()>;
    void SetPlaybackClock(TPlaybackClock clock) { clock_ = std::move(clock); }

private:
    void ShowFrame();
    void PlaybackStopped();
    void Report(const std::string& message);

    TMoviePlayer player_;
    TPlaybackClock clock_;
    TMovieView* view_ = nullptr; // owned by the form
};

// The player window of the running program (set by the program entry), or nullptr.
extern TForm2* Form2;
