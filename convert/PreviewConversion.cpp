// The live grey preview: every paint of PaintBox1 converts the view image into the frame
// buffer and draws it, then takes the capture run's step.
#include "convert/FrameConversion.h"
#include "convert/GreyPicture.h"
#include "convert/MovieConversion.h"
#include "convert/ViewConversion.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/ExtCtrls.h"
#include "framework/NumberText.h"
#include "framework/Picture.h"
#include "framework/StdCtrls.h"

#include <cstdint>

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
    c_.Image1->Canvas();
    // The greys are drawn as one picture rather than pixel by pixel: the same pixels at a
    // fraction of the cost.
    std::uint8_t levels[KqFramePixels];
    ConvertView(*c_.Image1->Picture()->Bitmap(), c_.ScrollBar2->Position(), c_.ScrollBar3->Position(), frameBuffer_,
                levels, ShownPictureOptions());
    TBitmap greys;
    DrawGreyLevels(levels, greys);
    c_.PaintBox1->Canvas()->Draw(0, 0, &greys);
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
