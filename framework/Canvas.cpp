#include "framework/Canvas.h"

#include "framework/ClassBuilder.h"
#include "framework/Exceptions.h"
#include "framework/GraphicsQt.h"
#include "framework/Picture.h"

#include "platform/gdi/GdiQt.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

[[noreturn]] void CannotDraw()
{
    throw EInvalidOperation("Le canevas ne permet pas de dessiner");
}

QPainter::CompositionMode CompositionFor(TPenMode mode)
{
    switch (mode) {
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    default: return QPainter::CompositionMode_SourceOver;
    }
}

// Left/top and right/bottom in order, as GDI takes the corners of a shape.
TRect Normalised(int x1, int y1, int x2, int y2)
{
    return {std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

// The pixels Rectangle and Ellipse cover: Right and Bottom stay outside, and Qt's outline
// of QRect(x, y, w, h) covers x..x+w, hence one less.
QRect ShapeRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
}

// Runs `draw` so that fills and one-pixel outlines land on the same pixels whatever the
// painter's orientation. Qt puts a one-pixel stroke on the device row just below its line;
// under the flipping transform of a bottom-up DIB section that is the row above the one
// meant, while fills (edges, not rows) come out right. Then the fill is drawn alone and
// the outline once more, one row down in drawing coordinates.
template <class Draw>
void DrawShape(QPainter& painter, Draw draw)
{
    if (painter.transform().m22() >= 0 || painter.pen().style() == Qt::NoPen || painter.pen().width() > 1) {
        draw();
        return;
    }
    const QPen pen = painter.pen();
    const QBrush brush = painter.brush();
    if (brush.style() != Qt::NoBrush) {
        painter.setPen(Qt::NoPen);
        draw();
        painter.setPen(pen);
    }
    painter.setBrush(Qt::NoBrush);
    painter.translate(0, 1);
    draw();
    painter.translate(0, -1);
    painter.setBrush(brush);
}

} // namespace

const TClass& TCanvas::StaticClass()
{
    static const TClass cls = TClassBuilder<TCanvas>("TCanvas", &TPersistent::StaticClass()).Build();
    return cls;
}

TCanvas::TCanvas() : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>())
{
    // A canvas writes in black unless told otherwise; a control hands it its own font.
    font_->SetColor(clBlack);
}

TCanvas::~TCanvas() = default;

HDC TCanvas::Handle()
{
    if (handle_ == nullptr)
        CreateHandle();
    if (handle_ == nullptr)
        CannotDraw();
    return handle_;
}

void TCanvas::SetHandle(HDC dc)
{
    handle_ = dc;
}

void TCanvas::CreateHandle()
{
    CannotDraw();
}

void TCanvas::Changing()
{
    OnChanging(this);
}

void TCanvas::Changed()
{
    OnChange(this);
}

auto TCanvas::BeginDrawing()
{
    if (SurfaceEmpty())
        return static_cast<QPainter*>(nullptr);
    QPainter* painter = DCPainter(Handle());
    if (painter == nullptr)
        CannotDraw();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    // Hatches follow the drawing's coordinates, not the memory's: bottom-up DIB sections are
    // drawn through a flipping transform, which would otherwise mirror '/' into '\'.
    painter->setRenderHint(QPainter::NonCosmeticBrushPatterns, true);
    painter->setCompositionMode(CompositionFor(pen_->Mode()));
    painter->setOpacity(1.0);
    painter->setPen(ToQPen(*pen_));
    painter->setBrush(ToQBrush(*brush_));
    painter->setBrushOrigin(0, 0);
    painter->setFont(ToQFont(*font_));
    return painter;
}

TRect TCanvas::ClipRect()
{
    QPainter* painter = DCPainter(Handle());
    if (painter == nullptr || painter->device() == nullptr)
        return {};
    QRect area(0, 0, painter->device()->width(), painter->device()->height());
    area = painter->transform().inverted().mapRect(area);
    if (painter->hasClipping())
        area = area.intersected(painter->clipBoundingRect().toAlignedRect());
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

TColor TCanvas::Pixels(int x, int y)
{
    return static_cast<TColor>(GetPixel(Handle(), x, y));
}

void TCanvas::SetPixels(int x, int y, TColor color)
{
    if (SurfaceEmpty())
        return;
    Changing();
    SetPixel(Handle(), x, y, ColorToRGB(color));
    Changed();
}

void TCanvas::CopyRect(const TRect& dest, TCanvas& canvas, const TRect& source)
{
    if (dest.Width() == 0 || dest.Height() == 0 || source.Width() == 0 || source.Height() == 0)
        return;
    if (SurfaceEmpty() || canvas.SurfaceEmpty())
        return;
    HDC target = Handle();
    HDC origin = canvas.Handle();
    Changing();
    BOOL done = FALSE;
    if (copyMode_ == cmBlackness || copyMode_ == cmWhiteness)
        done = PatBlt(target, dest.Left, dest.Top, dest.Width(), dest.Height(), copyMode_);
    else if (dest.Width() == source.Width() && dest.Height() == source.Height() && dest.Width() > 0 && dest.Height() > 0)
        done = BitBlt(target, dest.Left, dest.Top, dest.Width(), dest.Height(), origin, source.Left, source.Top, copyMode_);
    else
        done = StretchBlt(target, dest.Left, dest.Top, dest.Width(), dest.Height(), origin, source.Left, source.Top,
                          source.Width(), source.Height(), copyMode_);
    if (!done)
        throw EInvalidOperation("Copie impossible entre ces canevas");
    Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (graphic == nullptr || graphic->Empty())
        return;
    StretchDraw(Bounds(x, y, graphic->Width(), graphic->Height()), graphic);
}

void TCanvas::StretchDraw(const TRect& rect, TGraphic* graphic)
{
    if (graphic == nullptr || graphic->Empty() || SurfaceEmpty())
        return;
    Changing();
    graphic->Draw(*this, rect);
    Changed();
}

void TCanvas::FillRect(const TRect& rect)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr || rect.IsEmpty())
        return;
    Changing();
    painter->fillRect(ToQRect(rect), painter->brush());
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    QPainter* painter = BeginDrawing();
    const TRect r = Normalised(x1, y1, x2, y2);
    if (painter == nullptr || r.IsEmpty())
        return;
    Changing();
    DrawShape(*painter, [&] { painter->drawRect(ShapeRect(r)); });
    Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    QPainter* painter = BeginDrawing();
    const TRect r = Normalised(x1, y1, x2, y2);
    if (painter == nullptr || r.IsEmpty())
        return;
    Changing();
    DrawShape(*painter, [&] { painter->drawEllipse(ShapeRect(r)); });
    Changed();
}

void TCanvas::FrameRect(const TRect& rect)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr || rect.IsEmpty())
        return;
    Changing();
    painter->setPen(QPen(ColorToQColor(brush_->Color()), 1));
    painter->setBrush(Qt::NoBrush);
    DrawShape(*painter, [&] { painter->drawRect(ShapeRect(rect)); });
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    penPos_ = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    QPainter* painter = BeginDrawing();
    const TPoint from = std::exchange(penPos_, TPoint{x, y});
    if (painter == nullptr || (from.X == x && from.Y == y))
        return;
    Changing();
    if (pen_->Width() == 1 && pen_->Style() == psSolid) {
        // GDI leaves the end point out in every direction, Qt only in some: walk the line
        // here (Bresenham) and stop one pixel short.
        QPolygon points;
        const int dx = std::abs(x - from.X);
        const int dy = -std::abs(y - from.Y);
        const int stepX = from.X < x ? 1 : -1;
        const int stepY = from.Y < y ? 1 : -1;
        int error = dx + dy;
        for (int px = from.X, py = from.Y; px != x || py != y;) {
            points << QPoint(px, py);
            const int twice = 2 * error;
            if (twice >= dy) {
                error += dy;
                px += stepX;
            }
            if (twice <= dx) {
                error += dx;
                py += stepY;
            }
        }
        DrawShape(*painter, [&] { painter->drawPoints(points); });
    } else {
        DrawShape(*painter, [&] { painter->drawLine(QPoint(from.X, from.Y), QPoint(x, y)); });
    }
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    QPainter* painter = BeginDrawing();
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(painter != nullptr ? painter->font() : ToQFont(*font_));
    const int width = metrics.horizontalAdvance(string);
    penPos_ = {x + width, y};
    if (painter == nullptr || string.isEmpty())
        return;
    Changing();
    if (brush_->Style() == bsSolid)
        painter->fillRect(QRect(x, y, width, metrics.height()), ColorToQColor(brush_->Color()));
    painter->setPen(ColorToQColor(font_->Color()));
    painter->drawText(QPoint(x, y + metrics.ascent()), string);
    Changed();
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text)
{
    QPainter* painter = BeginDrawing();
    if (painter == nullptr || rect.IsEmpty())
        return;
    const QString string = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics(painter->font());
    Changing();
    painter->save();
    painter->setClipRect(ToQRect(rect), Qt::IntersectClip);
    if (brush_->Style() == bsSolid)
        painter->fillRect(ToQRect(rect), ColorToQColor(brush_->Color()));
    painter->setPen(ColorToQColor(font_->Color()));
    painter->drawText(QPoint(x, y + metrics.ascent()), string);
    painter->restore();
    Changed();
}

int TCanvas::TextWidth(const std::string& text) const
{
    return QFontMetrics(ToQFont(*font_))
        .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int TCanvas::TextHeight(const std::string&) const
{
    return QFontMetrics(ToQFont(*font_)).height();
}

void TCanvas::Lock()
{
    lock_.lock();
}

bool TCanvas::TryLock()
{
    return lock_.try_lock();
}

void TCanvas::Unlock()
{
    lock_.unlock();
}
