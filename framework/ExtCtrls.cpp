#include "framework/ExtCtrls.h"

#include <algorithm>
#include <unordered_map>

const TEnumInfo BevelCutInfo{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
const TEnumInfo ShapeTypeInfo{"TShapeType", {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"}};

void Frame3D(TCanvas& canvas, TRect& rect, TColor topColor, TColor bottomColor, int width)
{
    canvas.Brush()->SetStyle(bsSolid);
    for (int i = 0; i < width && !rect.IsEmpty(); ++i) {
        const int l = rect.Left, t = rect.Top, r = rect.Right, b = rect.Bottom;
        canvas.Brush()->SetColor(topColor);
        canvas.FillRect(Rect(l, t, r - 1, t + 1));
        canvas.FillRect(Rect(l, t, l + 1, b - 1));
        canvas.Brush()->SetColor(bottomColor);
        canvas.FillRect(Rect(r - 1, t, r, b));
        canvas.FillRect(Rect(l, b - 1, r, b));
        rect = Rect(l + 1, t + 1, r - 1, b - 1);
    }
}

// --- TCustomPanel ----------------------------------------------------------------------------

const TClass& TCustomPanel::StaticClass()
{
    static const TClass cls = TClassBuilder<TCustomPanel>("TCustomPanel", &TCustomControl::StaticClass())
        .Enum("Alignment", AlignmentInfo, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter)
        .Enum("BevelInner", BevelCutInfo, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone)
        .Enum("BevelOuter", BevelCutInfo, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised)
        .Integer("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
        .Integer("BorderWidth", &TCustomPanel::BorderWidth, &TCustomPanel::SetBorderWidth, 0)
        .Build();
    return cls;
}

const TClass& TPanel::StaticClass()
{
    static const TClass cls = TClassBuilder<TPanel>("TPanel", &TCustomPanel::StaticClass()).Build();
    return cls;
}

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner)
{
    controlStyle_.Include(csAcceptsControls);
    controlStyle_.Include(csOpaque);
    controlStyle_.Exclude(csClickEvents);
    SetColor(clBtnFace);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::Changed()
{
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value)
{
    bevelInner_ = value;
    Changed();
}

void TCustomPanel::SetBevelOuter(TBevelCut value)
{
    bevelOuter_ = value;
    Changed();
}

void TCustomPanel::SetBevelWidth(int value)
{
    bevelWidth_ = std::max(1, value);
    Changed();
}

void TCustomPanel::SetBorderWidth(int value)
{
    borderWidth_ = std::max(0, value);
    Changed();
}

void TCustomPanel::SetAlignment(TAlignment value)
{
    alignment_ = value;
    Invalidate();
}

TRect TCustomPanel::AlignRect() const
{
    int inset = borderWidth_;
    if (bevelOuter_ != bvNone)
        inset += bevelWidth_;
    if (bevelInner_ != bvNone)
        inset += bevelWidth_;
    const TRect client = ClientRect();
    return Rect(client.Left + inset, client.Top + inset, std::max(client.Left + inset, client.Right - inset),
                std::max(client.Top + inset, client.Bottom - inset));
}

void TCustomPanel::Paint()
{
    TCanvas& canvas = *Canvas();
    TRect rect = ClientRect();
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone)
            return;
        const TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        if (cut == bvSpace)
            Frame3D(canvas, rect, Color(), Color(), bevelWidth_);
        else
            Frame3D(canvas, rect, top, bottom, bevelWidth_);
    };
    bevel(bevelOuter_);
    Frame3D(canvas, rect, Color(), Color(), borderWidth_);
    bevel(bevelInner_);
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(Color());
    canvas.FillRect(rect);
    const std::string text = Caption();
    if (text.empty())
        return;
    canvas.Brush()->SetStyle(bsClear);
    canvas.SetFont(Font());
    const int textWidth = canvas.TextWidth(text);
    const int textHeight = canvas.TextHeight(text);
    int x = rect.Left;
    if (alignment_ == taCenter)
        x = rect.Left + (rect.Width() - textWidth) / 2;
    else if (alignment_ == taRightJustify)
        x = rect.Right - textWidth;
    canvas.TextOut(x, rect.Top + (rect.Height() - textHeight) / 2, text);
}

// --- TShape ----------------------------------------------------------------------------------

const TClass& TShape::StaticClass()
{
    static const TClass cls = TClassBuilder<TShape>("TShape", &TGraphicControl::StaticClass())
        .Nested("Brush", &TShape::Brush)
        .Nested("Pen", &TShape::Pen)
        .Enum("Shape", ShapeTypeInfo, &TShape::Shape, &TShape::SetShape, stRectangle)
        .Build();
    return cls;
}

TShape::TShape(TComponent* owner)
    : TGraphicControl(owner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>())
{
    controlStyle_.Include(csReplicatable);
    pen_->OnChange.Assign(this, &TShape::StyleChanged);
    brush_->OnChange.Assign(this, &TShape::StyleChanged);
    SetBounds(0, 0, 65, 65);
}

TShape::~TShape() = default;

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::SetShape(TShapeType value)
{
    if (value == shape_)
        return;
    shape_ = value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.SetPen(pen_.get());
    canvas.SetBrush(brush_.get());
    const int penWidth = pen_->Width();
    int x = penWidth / 2;
    int y = x;
    int w = Width() - penWidth + 1;
    int h = Height() - penWidth + 1;
    if (penWidth == 0) {
        --w;
        --h;
    }
    const int s = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - s) / 2;
        y += (h - s) / 2;
        w = s;
        h = s;
    }
    if (shape_ == stEllipse || shape_ == stCircle)
        canvas.Ellipse(x, y, x + w, y + h);
    else
        canvas.Rectangle(x, y, x + w, y + h);
}

// --- TPaintBox -------------------------------------------------------------------------------

const TClass& TPaintBox::StaticClass()
{
    static const TClass cls = TClassBuilder<TPaintBox>("TPaintBox", &TGraphicControl::StaticClass())
        .Event("OnPaint", &TPaintBox::OnPaint)
        .Build();
    return cls;
}

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner)
{
    controlStyle_.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint()
{
    TCanvas& canvas = *Canvas();
    canvas.SetFont(Font());
    canvas.Brush()->SetStyle(bsSolid);
    canvas.Brush()->SetColor(Color());
    if (ComponentState().Contains(csDesigning)) {
        canvas.Pen()->SetStyle(psDash);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(0, 0, Width(), Height());
    }
    OnPaint(this);
}

// --- TImage ----------------------------------------------------------------------------------

const TClass& TImage::StaticClass()
{
    static const TClass cls = TClassBuilder<TImage>("TImage", &TGraphicControl::StaticClass())
        .Boolean("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
        .Boolean("Center", &TImage::Center, &TImage::SetCenter, false)
        .Nested("Picture", &TImage::Picture)
        .Boolean("Proportional", &TImage::Proportional, &TImage::SetProportional, false)
        .Boolean("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
        .Build();
    return cls;
}

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>())
{
    controlStyle_.Include(csReplicatable);
    picture_->OnChange.Assign(this, &TImage::PictureChanged);
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    picture_->OnChange.Clear();
}

TCanvas* TImage::Canvas()
{
    TGraphic* graphic = picture_->Graphic();
    if (graphic == nullptr) {
        TBitmap* bitmap = picture_->Bitmap();
        bitmap->SetSize(Width(), Height());
        return bitmap->Canvas();
    }
    auto* bitmap = dynamic_cast<TBitmap*>(graphic);
    if (bitmap == nullptr)
        throw EInvalidOperation("Seule une image contenant un bitmap peut être modifiée");
    return bitmap->Canvas();
}

void TImage::SetStretch(bool value)
{
    stretch_ = value;
    Invalidate();
}

void TImage::SetCenter(bool value)
{
    center_ = value;
    Invalidate();
}

void TImage::SetProportional(bool value)
{
    proportional_ = value;
    Invalidate();
}

void TImage::SetAutoSize(bool value)
{
    autoSize_ = value;
    PictureChanged(this);
}

void TImage::PictureChanged(TObject*)
{
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
    Invalidate();
}

TRect TImage::DestRect() const
{
    int w = picture_->Width();
    int h = picture_->Height();
    const int cw = Width();
    const int ch = Height();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            // Fit inside the control keeping the picture's proportions.
            if (static_cast<long long>(cw) * h <= static_cast<long long>(ch) * w) {
                h = static_cast<int>(static_cast<long long>(h) * cw / w);
                w = cw;
            } else {
                w = static_cast<int>(static_cast<long long>(w) * ch / h);
                h = ch;
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    int x = 0;
    int y = 0;
    if (center_) {
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    return Bounds(x, y, w, h);
}

void TImage::Paint()
{
    TCanvas& canvas = *TGraphicControl::Canvas();
    if (ComponentState().Contains(csDesigning)) {
        canvas.Pen()->SetStyle(psDash);
        canvas.Brush()->SetStyle(bsClear);
        canvas.Rectangle(0, 0, Width(), Height());
    }
    const TGraphic* graphic = picture_->Graphic();
    if (graphic != nullptr && !graphic->Empty())
        canvas.StretchDraw(DestRect(), picture_->Graphic());
}

// --- TTimer ----------------------------------------------------------------------------------

namespace {

std::unordered_map<UINT_PTR, TTimer*>& Timers()
{
    static std::unordered_map<UINT_PTR, TTimer*> timers;
    return timers;
}

} // namespace

const TClass& TTimer::StaticClass()
{
    static const TClass cls = TClassBuilder<TTimer>("TTimer", &TComponent::StaticClass())
        .Boolean("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
        .Integer("Interval", &TTimer::Interval, &TTimer::SetInterval, 1000)
        .Event("OnTimer", &TTimer::OnTimer)
        .Build();
    return cls;
}

// A timer made in code runs from the start with its defaults (enabled, 1000 ms), as one read
// from a layout does once loaded; without this it would wait for a change of either setting.
TTimer::TTimer(TComponent* owner) : TComponent(owner) { UpdateTimer(); }

TTimer::~TTimer()
{
    if (timerId_ != 0) {
        KillTimer(nullptr, timerId_);
        Timers().erase(timerId_);
        timerId_ = 0;
    }
}

void TTimer::UpdateTimer()
{
    if (timerId_ != 0) {
        KillTimer(nullptr, timerId_);
        Timers().erase(timerId_);
        timerId_ = 0;
    }
    const TComponentState state = ComponentState();
    if (!enabled_ || interval_ == 0 || state.Contains(csLoading) ||
        state.Contains(csDesigning) || state.Contains(csDestroying))
        return;
    timerId_ = SetTimer(nullptr, 0, interval_, &TTimer::TimerProc);
    if (timerId_ == 0)
        throw EInvalidOperation("Pas assez de timers disponibles");
    Timers()[timerId_] = this;
}

void TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = Timers().find(id);
    if (it == Timers().end())
        return;
    TTimer* timer = it->second;
    try {
        timer->Timer();
    } catch (...) {
        HandleFrameworkException(timer);
    }
}

void TTimer::Timer()
{
    if (enabled_)
        OnTimer(this);
}

void TTimer::SetEnabled(bool value)
{
    if (value == enabled_)
        return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned value)
{
    if (value == interval_)
        return;
    interval_ = value;
    UpdateTimer();
}

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}
