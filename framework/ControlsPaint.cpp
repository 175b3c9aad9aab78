// Painting of windowed controls and of the graphic controls on them; TGraphicControl and
// TCustomControl.
#include "framework/Controls.h"

#include "framework/Application.h"
#include "framework/ControlsWidget.h"
#include "framework/GraphicsQt.h"
#include "platform/gdi/GdiQt.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#include <algorithm>

namespace {

// The canvas of a graphic control: its drawing area is the control, not the parent.
class TControlCanvas final : public TCanvas {
public:
    explicit TControlCanvas(const TControl* control) : control_(control) {}
    TRect ClipRect() override { return HandleAllocated() ? control_->ClientRect() : TRect{}; }

private:
    const TControl* control_; // the holder; not owned
};

} // namespace

void TWinControl::WMPaint(TMessage& message)
{
    ++paintCount_;
    if (NativePainting()) {
        DefaultHandler(message);
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(handle_, &paint);
    if (dc == nullptr) {
        DefaultHandler(message);
        return;
    }
    try {
        PaintWindow(dc);
        PaintControls(dc, TRect::FromRECT(paint.rcPaint));
    } catch (...) {
        EndPaint(handle_, &paint);
        throw;
    }
    EndPaint(handle_, &paint);
}

void TWinControl::PaintWindow(HDC dc)
{
    if (QPainter* painter = DCPainter(dc))
        painter->fillRect(QRect(0, 0, Width(), Height()), ColorToQColor(Color()));
}

void TWinControl::PaintControls(HDC dc, const TRect& area)
{
    QPainter* painter = DCPainter(dc);
    if (painter == nullptr)
        return;
    // Only the controls the window really has to paint: the area is the bounding rectangle of
    // what was invalidated, and two separate invalidations (the view image and the converted
    // preview beside it) must not make each other's neighbours paint.
    QRegion invalid;
    if (QPaintEngine* engine = painter->paintEngine())
        invalid = painter->deviceTransform().inverted().map(engine->systemClip());
    const std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        auto* graphic = dynamic_cast<TGraphicControl*>(child);
        if (graphic == nullptr || !graphic->Visible())
            continue;
        const TRect bounds = graphic->BoundsRect();
        if (bounds.IsEmpty() || bounds.Right <= area.Left || bounds.Left >= area.Right ||
            bounds.Bottom <= area.Top || bounds.Top >= area.Bottom)
            continue;
        if (!invalid.isEmpty() && !invalid.intersects(QRect(bounds.Left, bounds.Top, bounds.Width(), bounds.Height())))
            continue;
        painter->save();
        painter->translate(bounds.Left, bounds.Top);
        painter->setClipRect(QRect(0, 0, bounds.Width(), bounds.Height()), Qt::IntersectClip);
        TCanvas* canvas = graphic->Canvas();
        canvas->SetHandle(dc);
        try {
            graphic->Paint();
        } catch (...) {
            canvas->SetHandle(nullptr);
            painter->restore();
            throw;
        }
        canvas->SetHandle(nullptr);
        painter->restore();
    }
}

void TWinControl::RepaintArea(const TRect& area)
{
    if (!HandleAllocated()) {
        if (!CanHaveHandle())
            return;
        HandleNeeded();
    }
    QWidget* widget = Widget();
    if (widget == nullptr || area.IsEmpty())
        return;
    const int before = paintCount_;
    if (widget->isVisible())
        widget->repaint(ToQRect(area));
    if (paintCount_ == before)
        PaintOffscreen(area);
}

bool TWinControl::PaintOffscreen(const TRect& area)
{
    QWidget* widget = Widget();
    if (widget == nullptr)
        return false;
    // A window that is hidden or not on a screen still paints, into an image that is then
    // dropped: what the paint computes is what counts. The image only covers the area (a
    // headless capture paints a preview this way for every frame), drawn at window coordinates.
    const QRect window(0, 0, std::max(1, Width()), std::max(1, Height()));
    QRect covered = ToQRect(area).intersected(window);
    if (covered.isEmpty())
        covered = QRect(0, 0, 1, 1);
    QImage image(covered.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.translate(-covered.topLeft());
    painter.setClipRect(ToQRect(area));
    HDC dc = CreatePainterDC(&painter, window.width(), window.height());
    if (dc == nullptr)
        return false;
    ++paintCount_;
    // As for a paint sent through the window, a failing paint is reported, not passed on.
    try {
        if (!NativePainting())
            PaintWindow(dc);
        PaintControls(dc, area);
    } catch (...) {
        DeletePainterDC(dc);
        Application->HandleException(this);
        return true;
    }
    DeletePainterDC(dc);
    return true;
}

void TWinControl::Invalidate()
{
    if (handle_ != nullptr)
        InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Update()
{
    if (handle_ != nullptr)
        UpdateWindow(handle_);
}

void TWinControl::Repaint()
{
    if (!Visible())
        return;
    RepaintArea(ClientRect());
}

// --- TGraphicControl -------------------------------------------------------------------------

const TClass& TGraphicControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TGraphicControl>("TGraphicControl", &TControl::StaticClass()).Build();
    return cls;
}

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TGraphicControl::~TGraphicControl() = default;

// --- TCustomControl --------------------------------------------------------------------------

const TClass& TCustomControl::StaticClass()
{
    static const TClass cls = TClassBuilder<TCustomControl>("TCustomControl", &TWinControl::StaticClass()).Build();
    return cls;
}

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TControlCanvas>(this))
{
}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    TWinControl::PaintWindow(dc);
    canvas_->SetHandle(dc);
    try {
        Paint();
    } catch (...) {
        canvas_->SetHandle(nullptr);
        throw;
    }
    canvas_->SetHandle(nullptr);
}
