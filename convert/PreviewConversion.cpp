// The live grey preview: every paint of PaintBox1 converts the view image into the frame
// buffer and draws it, then takes the capture run's step.
#include "convert/FrameConversion.h"
#include "convert/MovieConversion.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/ExtCtrls.h"
#include "framework/NumberText.h"
#include "framework/Picture.h"
#include "framework/StdCtrls.h"
#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <vector>

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

namespace {

// The view bitmap's colours, row by row, read in one pass (as its canvas's Pixels would read
// them one by one). False when the canvas is not the whole of a bitmap that can be read.
bool ReadViewPixels(TCanvas& view, TBitmap* bitmap, const TRect& clip, std::vector<COLORREF>& pixels)
{
    if (bitmap == nullptr || bitmap->Empty() || clip.Left != 0 || clip.Top != 0 || clip.Right != bitmap->Width() ||
        clip.Bottom != bitmap->Height())
        return false;
    const int width = clip.Right;
    const int height = clip.Bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    if (GetDIBits(view.Handle(), bitmap->Handle(), 0, static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS) !=
        height)
        return false;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = RGB(rows[4 * i + 2], rows[4 * i + 1], rows[4 * i]);
    return true;
}

} // namespace

void TMovieConversion::PaintBox1Paint(TObject* Sender)
{
    // The view image makes itself a 131 x 80 bitmap on first use, before any crop.
    TCanvas* view = c_.Image1->Canvas();
    const TRect clip = view->ClipRect();
    TCanvas* preview = c_.PaintBox1->Canvas();
    const int brightness = c_.ScrollBar2->Position();
    const int contrast = c_.ScrollBar3->Position();
    std::vector<COLORREF> pixels;
    if (ReadViewPixels(*view, dynamic_cast<TBitmap*>(c_.Image1->Picture()->Graphic()), clip, pixels)) {
        // The preview is drawn as one picture of its greys, not pixel by pixel.
        std::uint8_t levels[KqFramePixels];
        ConvertPixels(clip.Right, clip.Bottom, pixels.data(), brightness, contrast, frameBuffer_, levels);
        TBitmap greys;
        greys.SetPixelFormat(pf32bit);
        greys.SetSize(KqFrameWidth, KqFrameHeight);
        for (int y = 0; y < KqFrameHeight; ++y) {
            BYTE* row = greys.ScanLine(y);
            for (int x = 0; x < KqFrameWidth; ++x) {
                const BYTE grey = static_cast<BYTE>(GreyColour(levels[static_cast<std::size_t>(y) * KqFrameWidth + x]));
                row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = grey;
                row[4 * x + 3] = 0;
            }
        }
        preview->Draw(0, 0, &greys);
    } else {
        ConvertPicture(
            clip.Right, clip.Bottom, [view](int x, int y) { return static_cast<COLORREF>(view->Pixels(x, y)); },
            brightness, contrast, frameBuffer_,
            [preview](int x, int y, int level) { preview->SetPixels(x, y, static_cast<TColor>(GreyColour(level))); });
    }
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
