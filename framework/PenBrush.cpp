#include "framework/PenBrush.h"

#include "framework/ClassBuilder.h"
#include "framework/GraphicsQt.h"

#include <QBrush>
#include <QPen>

#include <algorithm>

const TEnumInfo PenStyleInfo{"TPenStyle",
                             {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const TEnumInfo PenModeInfo{"TPenMode",
                            {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot",
                             "pmMaskPenNot", "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                             "pmNotMask", "pmXor", "pmNotXor"}};
const TEnumInfo BrushStyleInfo{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                               "bsBDiagonal", "bsCross", "bsDiagCross"}};

// --- TPen ---------------------------------------------------------------------------------

const TClass& TPen::StaticClass()
{
    static const TClass cls = TClassBuilder<TPen>("TPen", &TGraphicsObject::StaticClass())
                                  .Integer("Color", &TPen::Color, &TPen::SetColor, clBlack)
                                  .Enum("Mode", PenModeInfo, &TPen::Mode, &TPen::SetMode, pmCopy)
                                  .Enum("Style", PenStyleInfo, &TPen::Style, &TPen::SetStyle, psSolid)
                                  .Integer("Width", &TPen::Width, &TPen::SetWidth, 1)
                                  .Build();
    return cls;
}

void TPen::Assign(const TPersistent* source)
{
    if (const auto* pen = dynamic_cast<const TPen*>(source)) {
        if (pen == this)
            return;
        color_ = pen->color_;
        width_ = pen->width_;
        style_ = pen->style_;
        mode_ = pen->mode_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TPen::SetColor(TColor value)
{
    if (value == color_)
        return;
    color_ = value;
    Changed();
}

void TPen::SetWidth(int value)
{
    value = std::max(1, value);
    if (value == width_)
        return;
    width_ = value;
    Changed();
}

void TPen::SetStyle(TPenStyle value)
{
    if (value == style_)
        return;
    style_ = value;
    Changed();
}

void TPen::SetMode(TPenMode value)
{
    if (value == mode_)
        return;
    mode_ = value;
    Changed();
}

QPen ToQPen(const TPen& source)
{
    if (source.Style() == psClear || source.Mode() == pmNop)
        return QPen(Qt::NoPen);
    QColor color = ColorToQColor(source.Color());
    if (source.Mode() == pmBlack)
        color = Qt::black;
    else if (source.Mode() == pmWhite)
        color = Qt::white;
    QPen pen(color);
    pen.setWidth(source.Width());
    // Dashes only exist for one-pixel pens, as with GDI's cosmetic pens.
    if (source.Width() == 1) {
        switch (source.Style()) {
        case psDash: pen.setStyle(Qt::DashLine); break;
        case psDot: pen.setStyle(Qt::DotLine); break;
        case psDashDot: pen.setStyle(Qt::DashDotLine); break;
        case psDashDotDot: pen.setStyle(Qt::DashDotDotLine); break;
        default: break;
        }
    }
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// --- TBrush -------------------------------------------------------------------------------

const TClass& TBrush::StaticClass()
{
    static const TClass cls = TClassBuilder<TBrush>("TBrush", &TGraphicsObject::StaticClass())
                                  .Integer("Color", &TBrush::Color, &TBrush::SetColor, clWhite)
                                  .Enum("Style", BrushStyleInfo, &TBrush::Style, &TBrush::SetStyle, bsSolid)
                                  .Build();
    return cls;
}

void TBrush::Assign(const TPersistent* source)
{
    if (const auto* brush = dynamic_cast<const TBrush*>(source)) {
        if (brush == this)
            return;
        color_ = brush->color_;
        style_ = brush->style_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TBrush::SetColor(TColor value)
{
    if (value == color_ && style_ != bsClear)
        return;
    color_ = value;
    if (style_ == bsClear)
        style_ = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle value)
{
    if (value == style_)
        return;
    style_ = value;
    Changed();
}

QBrush ToQBrush(const TBrush& source)
{
    const QColor color = ColorToQColor(source.Color());
    switch (source.Style()) {
    case bsSolid: return QBrush(color, Qt::SolidPattern);
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(color, Qt::HorPattern);
    case bsVertical: return QBrush(color, Qt::VerPattern);
    case bsFDiagonal: return QBrush(color, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(color, Qt::BDiagPattern);
    case bsCross: return QBrush(color, Qt::CrossPattern);
    case bsDiagCross: return QBrush(color, Qt::DiagCrossPattern);
    }
    return QBrush(Qt::NoBrush);
}
