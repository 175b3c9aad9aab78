// More controls: panel, shape, paint box, image, and the timer component.
//
// TPanel is a windowed container drawn with the desktop's bevels. TShape, TPaintBox and
// TImage are graphic controls (painted on their parent's window, mouse events routed by
// the parent). TTimer is a component, not a control: it fires OnTimer every Interval
// milliseconds while Enabled, from the event loop; an exception in OnTimer goes to the
// application's handler and the timer keeps running. Thread: the user-interface thread.
#pragma once

#include "framework/Bitmap.h"
#include "framework/Controls.h"
#include "framework/PenBrush.h"
#include "framework/Picture.h"
#include "framework/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
extern const TEnumInfo BevelCutInfo;

class TCustomPanel : public TCustomControl {
    QUELLON_CLASS()

public:
    explicit TCustomPanel(TComponent* owner);

    TBevelCut BevelInner() const noexcept { return bevelInner_; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const noexcept { return bevelOuter_; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const noexcept { return bevelWidth_; }
    void SetBevelWidth(int value);
    int BorderWidth() const noexcept { return borderWidth_; }
    void SetBorderWidth(int value);
    TAlignment Alignment() const noexcept { return alignment_; }
    void SetAlignment(TAlignment value);

protected:
    void Paint() override;
    TRect AlignRect() const override;

private:
    void Changed();

    TBevelCut bevelInner_ = bvNone;
    TBevelCut bevelOuter_ = bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
    QUELLON_CLASS()

public:
    explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// Draws the desktop's 3-D frame `width` pixels deep inside `rect` and shrinks `rect` by it:
// top and left in `topColor`, bottom and right in `bottomColor`.
void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
extern const TEnumInfo ShapeTypeInfo;

// A brush with a hatch style leaves the gaps between its lines as they were, so what lies
// below the shape shows through.
class TShape : public TGraphicControl {
    QUELLON_CLASS()

public:
    explicit TShape(TComponent* owner);
    ~TShape() override;
    TPen* Pen() const noexcept { return pen_.get(); }
    void SetPen(const TPen* value) { pen_->Assign(value); }
    TBrush* Brush() const noexcept { return brush_.get(); }
    void SetBrush(const TBrush* value) { brush_->Assign(value); }
    TShapeType Shape() const noexcept { return shape_; }
    void SetShape(TShapeType value);

protected:
    void Paint() override;

private:
    void StyleChanged(TObject* sender);

    std::unique_ptr<TPen> pen_;
    std::unique_ptr<TBrush> brush_;
    TShapeType shape_ = stRectangle;
};

// OnPaint draws on Canvas, which is valid only during the call.
class TPaintBox : public TGraphicControl {
    QUELLON_CLASS()

public:
    explicit TPaintBox(TComponent* owner);
    TNotifyEvent OnPaint;

protected:
    void Paint() override;
};

// The control's size and its picture's size are independent: the picture is drawn at its
// own size, centred or stretched as asked; AutoSize (off by default) makes the control
// take the picture's size. A change of the picture repaints the control.
class TImage : public TGraphicControl {
    QUELLON_CLASS()

public:
    explicit TImage(TComponent* owner);
    ~TImage() override;

    TPicture* Picture() const noexcept { return picture_.get(); }
    void SetPicture(const TPicture* value) { picture_->Assign(value); }
    // The canvas of the picture's bitmap; an empty picture first gets a bitmap of the
    // control's size. EInvalidOperation when the picture holds another kind of graphic.
    TCanvas* Canvas();
    bool Stretch() const noexcept { return stretch_; }
    void SetStretch(bool value);
    bool Center() const noexcept { return center_; }
    void SetCenter(bool value);
    bool Proportional() const noexcept { return proportional_; }
    void SetProportional(bool value);
    bool AutoSize() const noexcept { return autoSize_; }
    void SetAutoSize(bool value);
    // Where the picture is drawn, in client coordinates.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged(TObject* sender);

    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
    bool autoSize_ = false;
};

class TTimer : public TComponent {
    QUELLON_CLASS()

public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;

    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);
    unsigned Interval() const noexcept { return interval_; }
    void SetInterval(unsigned value);
    // The timer runs while Enabled with a non-zero Interval, handler or not.
    TNotifyEvent OnTimer;

    void Loaded() override;

protected:
    virtual void Timer();

private:
    static void TimerProc(HWND window, UINT message, UINT_PTR id, DWORD timeMs);
    void UpdateTimer();

    bool enabled_ = true;
    unsigned interval_ = 1000;
    UINT_PTR timerId_ = 0;
};
