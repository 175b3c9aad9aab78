// The live grey preview: every paint of PaintBox1 converts the view image into the frame
// buffer and draws it, then takes the capture run's step.
#include "convert/FrameConversion.h"
#include "convert/MovieConversion.h"
#include "convert/ViewConversion.h"
#include "framework/Canvas.h"
#include "framework/ExtCtrls.h"
#include "framework/NumberText.h"
#include "framework/StdCtrls.h"

TMovieConversion::TMovieConversion(const TConversionControls& controls)
    : c_(controls)
{
}

void TMovieConversion::FormShow(TObject* Sender)
{
    framesLeft_ = -1;
    moving_ = false;
    SpinEdit1Change(Sender);
}

void TMovieConversion::PaintBox1Paint(TObject* Sender)
{
    // The view image makes itself a 131 x 80 bitmap on first use, before any crop.
    TCanvas* preview = c_.PaintBox1->Canvas();
    ConvertView(*c_.Image1->Canvas(), c_.ScrollBar2->Position(), c_.ScrollBar3->Position(), frameBuffer_,
                [preview](int x, int y, int level) { preview->SetPixels(x, y, static_cast<TColor>(GreyColour(level))); });
    CaptureStep();
}

void TMovieConversion::ScrollBar2Change(TObject* Sender)
{
    c_.Label5->SetCaption(IntToStr(c_.ScrollBar2->Position() - BrightnessNeutral));
    c_.PaintBox1->Repaint();
}

void TMovieConversion::ScrollBar3Change(TObject* Sender)
{
    c_.Label6->SetCaption(IntToStr(c_.ScrollBar3->Position() - ContrastNeutral));
    c_.PaintBox1->Repaint();
}
