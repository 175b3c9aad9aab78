// TMovieView: the bigger view of the player window's screen, for a person at a desktop
// screen. A window of its own, resizable, showing the frame the player window shows at the
// largest whole scale that fits (4 by default), pixel for pixel without smoothing, centred
// on a dark surround. It shows whatever the player shows, so it plays in step with it; the
// player window repaints it with every frame.
//
// The view is owned by the player window, and its window is owned by the player's window,
// so it stays usable while the player is shown modally. Thread: the user-interface thread.
#pragma once

#include "app/MoviePlayer.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"

class TMovieView : public TForm {
    QUELLON_CLASS()

public:
    static constexpr int DefaultScale = 4;

    TMovieView(TForm& playerWindow, const TMoviePlayer& player);

    TPaintBox* PaintBox1 = nullptr;

    // The scale the picture is drawn at, for the view's present size.
    int Scale() const noexcept;
    void PaintBox1Paint(TObject* Sender);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TForm& playerWindow_;
    const TMoviePlayer& player_;
};
