#include "convert/ViewConversion.h"

#include "convert/FrameConversion.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"

void CopyZoneToView(TBitmap& frame, const crop::ZoneRect& zone, TBitmap& view)
{
    const crop::SourceRect r = crop::SourceRectOfZone(zone, frame.Width(), frame.Height());
    view.SetSize(r.Width(), r.Height());
    if (r.Width() > 0 && r.Height() > 0)
        view.Canvas()->CopyRect(Rect(0, 0, r.Width(), r.Height()), *frame.Canvas(),
                                Rect(r.left, r.top, r.right, r.bottom));
}

void ConvertView(TCanvas& view, int brightnessPosition, int contrastPosition, TFrameBuffer& frame,
                 const std::function<void(int x, int y, int level)>& showLevel)
{
    const TRect clip = view.ClipRect();
    ConvertPicture(
        clip.Right, clip.Bottom, [&view](int x, int y) { return static_cast<COLORREF>(view.Pixels(x, y)); },
        brightnessPosition, contrastPosition, frame, showLevel);
}
