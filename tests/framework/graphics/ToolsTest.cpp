// Colours, fonts, pens and brushes: the conversions and notifications controls rely on.
#include "framework/Canvas.h"
#include "framework/Exceptions.h"
#include "framework/GraphicsQt.h"
#include "framework/Properties.h"

#include <QBrush>
#include <QFont>
#include <gtest/gtest.h>

namespace {

struct Counter : TObject {
    int changes = 0;
    void Changed(TObject*) { ++changes; }
};

TEST(Colors, PlainSchemeAndMarkerValues)
{
    EXPECT_EQ(ColorToRGB(clRed), RGB(255, 0, 0));
    EXPECT_EQ(ColorToRGB(clNavy), RGB(0, 0, 128));
    EXPECT_EQ(ColorToRGB(clBtnFace), RGB(212, 208, 200));
    EXPECT_EQ(ColorToRGB(clWindow), RGB(255, 255, 255));
    EXPECT_EQ(ColorToRGB(clWindowText), RGB(0, 0, 0));
    EXPECT_EQ(ColorToRGB(static_cast<TColor>(0x80000000u | 200)), RGB(0, 0, 0)) << "unknown scheme index";
    EXPECT_LT(clBtnFace, 0) << "scheme colours have the high bit set";

    TColor color = 0;
    EXPECT_TRUE(IdentToColor("CLBTNFACE", color));
    EXPECT_EQ(color, clBtnFace);
    EXPECT_EQ(ColorToString(clRed), "clRed");
    EXPECT_EQ(ColorToString(0x00102030), "$00102030");
    EXPECT_EQ(StringToColor("$00102030"), 0x00102030);
    EXPECT_EQ(StringToColor("-2147483633"), clBtnFace);
    EXPECT_THROW(StringToColor("reddish"), EConvertError);
}

TEST(Fonts, HeightAndSizeAtNinetySixDotsPerInch)
{
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Height(), -11);
    EXPECT_EQ(font.Size(), 8);
    font.SetSize(12);
    EXPECT_EQ(font.Height(), -16);
    EXPECT_EQ(font.Size(), 12);

    font.SetHeight(-11);
    const QFont q = ToQFont(font);
    EXPECT_EQ(q.pixelSize(), 11) << "a classic face keeps its pixel height";
    EXPECT_FALSE(q.family().isEmpty());
    font.SetStyle({fsBold, fsUnderline});
    EXPECT_TRUE(ToQFont(font).bold());
    EXPECT_TRUE(ToQFont(font).underline());
    EXPECT_FALSE(ToQFont(font).italic());
}

TEST(Tools, OnChangeFiresForRealChangesAndAssign)
{
    Counter counter;
    TFont font;
    font.OnChange.Assign(&counter, &Counter::Changed);
    font.SetHeight(-11);
    font.SetName("MS Sans Serif");
    EXPECT_EQ(counter.changes, 0);
    font.SetColor(clRed);
    EXPECT_EQ(counter.changes, 1);
    TFont other;
    other.SetHeight(-20);
    font.Assign(&other);
    EXPECT_EQ(counter.changes, 2) << "one notification for the whole assignment";
    EXPECT_EQ(font.Height(), -20);

    TPen pen;
    TBrush brush;
    EXPECT_THROW(pen.Assign(&brush), EConvertError);
}

TEST(Tools, BrushColourOnAClearBrushMakesItSolid)
{
    TBrush brush;
    brush.SetStyle(bsClear);
    brush.SetColor(clRed);
    EXPECT_EQ(brush.Style(), bsSolid);
    brush.SetStyle(bsBDiagonal);
    brush.SetColor(clBlue);
    EXPECT_EQ(brush.Style(), bsBDiagonal) << "hatches keep their style";
    EXPECT_EQ(ToQBrush(brush).style(), Qt::BDiagPattern);

    TPen pen;
    pen.SetWidth(0);
    EXPECT_EQ(pen.Width(), 1);
}

TEST(Tools, PublishedAsNestedPropertiesByName)
{
    TCanvas canvas;
    SetEnumProp(*canvas.Brush(), "Style", "bsBDiagonal");
    SetOrdProp(*canvas.Brush(), "Color", clRed);
    EXPECT_EQ(canvas.Brush()->Style(), bsBDiagonal);
    EXPECT_EQ(canvas.Brush()->Color(), clRed);
    SetOrdProp(*canvas.Font(), "Size", 10);
    EXPECT_EQ(GetOrdProp(*canvas.Font(), "Height"), -13);
    SetOrdProp(*canvas.Font(), "Style", TFontStyles{fsItalic}.Bits());
    EXPECT_TRUE(canvas.Font()->Style().Contains(fsItalic));
    EXPECT_EQ(GetEnumProp(*canvas.Pen(), "Style"), "psSolid");
}

} // namespace
