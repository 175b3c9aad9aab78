// The crop zone: dragged and resized with the mouse over the 320 x 240 video preview, and
// the source pixels under it copied into the view image that the preview converts.
#include "convert/MovieConversion.h"
#include "convert/ViewConversion.h"
#include "framework/Bitmap.h"
#include "framework/Canvas.h"
#include "framework/ExtCtrls.h"
#include "framework/Picture.h"

crop::ZoneRect TMovieConversion::Zone() const
{
    return {c_.zone->Left(), c_.zone->Top(), c_.zone->Width(), c_.zone->Height()};
}

void TMovieConversion::SetZone(const crop::ZoneRect& zone)
{
    c_.zone->SetBounds(zone.left, zone.top, zone.width, zone.height);
}

void TMovieConversion::zoneMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (crop::IsOnResizeCorner(Zone(), X, Y))
        resizing_ = true;
    else
        moving_ = true;
    anchorX_ = X;
    anchorY_ = Y;
}

void TMovieConversion::zoneMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    c_.zone->SetCursor(crop::IsOnResizeCorner(Zone(), X, Y) ? crSizeNWSE : crDefault);
    if (resizing_) {
        SetZone(crop::ResizedZone(Zone(), X - anchorX_, Y - anchorY_));
        anchorX_ = X;
        anchorY_ = Y;
        UpdateCrop();
    }
    if (moving_) {
        // The anchor stays: the grab point stays under the pointer.
        SetZone(crop::MovedZone(Zone(), X - anchorX_, Y - anchorY_));
        UpdateCrop();
    }
}

void TMovieConversion::zoneMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    moving_ = false;
    resizing_ = false;
    c_.PaintBox1->Repaint();
}

int TMovieConversion::PreviewToSourceX(int a)
{
    return crop::PreviewToSourceX(a, c_.Image2->Picture()->Bitmap()->Width());
}

int TMovieConversion::PreviewToSourceY(int a)
{
    return crop::PreviewToSourceY(a, c_.Image2->Picture()->Bitmap()->Height());
}

void TMovieConversion::UpdateCrop()
{
    CopyZoneToView(*c_.Image2->Picture()->Bitmap(), Zone(), *c_.Image1->Picture()->Bitmap());
    c_.Image1->SetWidth(KqFrameWidth);
    c_.Image1->SetHeight(KqFrameHeight);
}
