// The framework's graphics in Qt terms, private to the framework: colours, rectangles,
// fonts, pens and brushes as the Qt objects that draw them. Only the framework's own
// sources, tests and Qt tools include this header; the layers above the framework draw
// through TCanvas without reaching Qt.
#pragma once

#include "framework/Font.h"
#include "framework/GraphicsTypes.h"
#include "framework/PenBrush.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QPen>
#include <QRect>

// The same as a Qt colour (opaque).
QColor ColorToQColor(TColor color);

// Qt rectangle of the same pixels (QRect's right edge is inclusive).
QRect ToQRect(const TRect& r);

// The Qt font that draws `font` (family, pixel size, weight, italic, underline,
// strike-out). The colour is not part of it: use ColorToQColor(font.Color()).
QFont ToQFont(const TFont& font);

// The Qt pen that draws `pen` (Qt::NoPen for psClear).
QPen ToQPen(const TPen& pen);

// The Qt brush that fills like `brush` (Qt::NoBrush for bsClear; hatches as Qt patterns,
// whose gaps are transparent).
QBrush ToQBrush(const TBrush& brush);
