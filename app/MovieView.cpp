#include "app/MovieView.h"

#include "convert/GreyPicture.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/ClassBuilder.h"

#include <algorithm>

const TClass& TMovieView::StaticClass()
{
    static const TClass cls = TClassBuilder<TMovieView>("TMovieView", &TForm::StaticClass()).Build();
    return cls;
}

TMovieView::TMovieView(TForm& playerWindow, const TMoviePlayer& player)
    : TForm(&playerWindow), playerWindow_(playerWindow), player_(player)
{
    SetCaption("KQ movie");
    SetBorderStyle(bsSizeable);
    SetClientWidth(KqFrameWidth * DefaultScale);
    SetClientHeight(KqFrameHeight * DefaultScale);
    SetLeft(playerWindow.Left() + playerWindow.Width() + 16);
    SetTop(playerWindow.Top());
    PaintBox1 = new TPaintBox(this);
    PaintBox1->SetParent(this);
    PaintBox1->SetAlign(alClient);
    PaintBox1->OnPaint.Assign(this, &TMovieView::PaintBox1Paint);
}

void TMovieView::CreateParams(TCreateParams& params)
{
    TForm::CreateParams(params);
    // Owned by the player's window: a window the modal player does not lock out.
    params.WndParent = playerWindow_.Handle();
}

int TMovieView::Scale() const noexcept
{
    return std::max(1, std::min(ClientWidth() / KqFrameWidth, ClientHeight() / KqFrameHeight));
}

void TMovieView::PaintBox1Paint(TObject* Sender)
{
    TCanvas& canvas = *PaintBox1->Canvas();
    const int width = PaintBox1->Width();
    const int height = PaintBox1->Height();
    const int scale = Scale();
    const int left = (width - KqFrameWidth * scale) / 2;
    const int top = (height - KqFrameHeight * scale) / 2;
    canvas.Brush()->SetColor(static_cast<TColor>(0x202020));
    canvas.FillRect(TRect{0, 0, width, height});
    if (!player_.IsOpen())
        return;
    TBitmap frame;
    DrawFrameBuffer(player_.Frame(), frame);
    // Each pixel becomes a scale x scale square: copied row by row, no smoothing.
    TBitmap big;
    big.SetPixelFormat(pf32bit);
    big.SetSize(KqFrameWidth * scale, KqFrameHeight * scale);
    for (int y = 0; y < KqFrameHeight * scale; ++y) {
        const auto* from = reinterpret_cast<const std::uint32_t*>(frame.ScanLine(y / scale));
        auto* to = reinterpret_cast<std::uint32_t*>(big.ScanLine(y));
        for (int x = 0; x < KqFrameWidth * scale; ++x)
            to[x] = from[x / scale];
    }
    canvas.Draw(left, top, &big);
}
