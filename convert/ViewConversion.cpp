#include "convert/ViewConversion.h"

#include "convert/FrameConversion.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "platform/gdi/Gdi.h"

#include <cstdint>
#include <vector>

namespace {

// The colours of a view bitmap that holds pixels, row by row, read in one pass: what its
// canvas's Pixels gives one by one. False when the canvas does not cover exactly the
// bitmap's pixels (a view without pixels of its own) or they cannot be read.
bool ReadViewPixels(TBitmap& view, TCanvas& canvas, const TRect& clip, std::vector<COLORREF>& pixels)
{
    if (view.Empty() || clip.Left != 0 || clip.Top != 0 || clip.Right != view.Width() || clip.Bottom != view.Height())
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
    if (GetDIBits(canvas.Handle(), view.Handle(), 0, static_cast<UINT>(height), rows.data(), &info, DIB_RGB_COLORS) !=
        height)
        return false;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = RGB(rows[4 * i + 2], rows[4 * i + 1], rows[4 * i]);
    return true;
}

} // namespace

void CopyZoneToView(TBitmap& frame, const crop::ZoneRect& zone, TBitmap& view)
{
    const crop::SourceRect r = crop::SourceRectOfZone(zone, frame.Width(), frame.Height());
    view.SetSize(r.Width(), r.Height());
    if (r.Width() > 0 && r.Height() > 0)
        view.Canvas()->CopyRect(Rect(0, 0, r.Width(), r.Height()), *frame.Canvas(),
                                Rect(r.left, r.top, r.right, r.bottom));
}

void ConvertView(TBitmap& view, int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                 std::uint8_t (&levels)[KqFramePixels], const TPictureOptions& options)
{
    TCanvas& canvas = *view.Canvas();
    const TRect clip = canvas.ClipRect();
    std::vector<COLORREF> pixels;
    if (ReadViewPixels(view, canvas, clip, pixels)) {
        ConvertPixels(clip.Right, clip.Bottom, pixels.data(), brightnessPosition, contrastPosition, frame, levels,
                      options);
        return;
    }
    ConvertPicture(
        clip.Right, clip.Bottom, [&canvas](int x, int y) { return static_cast<COLORREF>(canvas.Pixels(x, y)); },
        brightnessPosition, contrastPosition, frame, [&levels](int x, int y, int level) {
            levels[static_cast<std::size_t>(y) * KqFrameWidth + static_cast<std::size_t>(x)] =
                static_cast<std::uint8_t>(level);
        },
        options);
}

void ConvertView(TBitmap& view, int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                 const std::function<void(int x, int y, int level)>& showLevel, const TPictureOptions& options)
{
    std::uint8_t levels[KqFramePixels];
    ConvertView(view, brightnessPosition, contrastPosition, frame, levels, options);
    if (!showLevel)
        return;
    for (int x = 0; x < KqFrameWidth; ++x)
        for (int y = 0; y < KqFrameHeight; ++y)
            showLevel(x, y, levels[static_cast<std::size_t>(y) * KqFrameWidth + static_cast<std::size_t>(x)]);
}
