#include "framework/Font.h"

#include "framework/ClassBuilder.h"
#include "framework/GraphicsQt.h"

#include <QFont>
#include <QFontDatabase>

#include <algorithm>
#include <cmath>

const TEnumInfo FontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
const TEnumInfo FontPitchInfo{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};

const TClass& TFont::StaticClass()
{
    static const TClass cls = TClassBuilder<TFont>("TFont", &TGraphicsObject::StaticClass())
                                  .Integer("Charset", &TFont::Charset, &TFont::SetCharset, DEFAULT_CHARSET)
                                  .Integer("Color", &TFont::Color, &TFont::SetColor, clWindowText)
                                  .Integer("Height", &TFont::Height, &TFont::SetHeight, DefaultHeight)
                                  .String("Name", &TFont::Name, &TFont::SetName, DefaultName)
                                  .Enum("Pitch", FontPitchInfo, &TFont::Pitch, &TFont::SetPitch, fpDefault)
                                  .Integer("Size", &TFont::Size, &TFont::SetSize)
                                  .NotStored()
                                  .Set("Style", FontStyleInfo, &TFont::Style, &TFont::SetStyle, TFontStyles{})
                                  .Build();
    return cls;
}

TFont::TFont() = default;

void TFont::Assign(const TPersistent* source)
{
    if (const auto* font = dynamic_cast<const TFont*>(source)) {
        if (font == this)
            return;
        name_ = font->name_;
        height_ = font->height_;
        color_ = font->color_;
        style_ = font->style_;
        pitch_ = font->pitch_;
        charset_ = font->charset_;
        Changed();
        return;
    }
    TGraphicsObject::Assign(source);
}

void TFont::SetName(const std::string& value)
{
    if (value.empty() || value == name_)
        return;
    name_ = value;
    Changed();
}

void TFont::SetHeight(int value)
{
    if (value == height_)
        return;
    height_ = value;
    Changed();
}

int TFont::Size() const noexcept
{
    return static_cast<int>(std::lround(-static_cast<double>(height_) * 72.0 / ScreenPixelsPerInch));
}

void TFont::SetSize(int points)
{
    SetHeight(-static_cast<int>(std::lround(static_cast<double>(points) * ScreenPixelsPerInch / 72.0)));
}

void TFont::SetColor(TColor value)
{
    if (value == color_)
        return;
    color_ = value;
    Changed();
}

void TFont::SetStyle(TFontStyles value)
{
    if (value == style_)
        return;
    style_ = value;
    Changed();
}

void TFont::SetPitch(TFontPitch value)
{
    if (value == pitch_)
        return;
    pitch_ = value;
    Changed();
}

void TFont::SetCharset(TFontCharset value)
{
    if (value == charset_)
        return;
    charset_ = value;
    Changed();
}

namespace {

bool IsClassicSansFace(const std::string& name)
{
    static const char* const faces[] = {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif",
                                        "Tahoma", "Arial", "Segoe UI", "System", "Small Fonts", "Verdana"};
    return std::any_of(std::begin(faces), std::end(faces), [&](const char* face) { return SameText(name, face); });
}

bool IsClassicFixedFace(const std::string& name)
{
    static const char* const faces[] = {"Courier New", "Courier", "Fixedsys", "Lucida Console", "Terminal"};
    return std::any_of(std::begin(faces), std::end(faces), [&](const char* face) { return SameText(name, face); });
}

} // namespace

QFont ToQFont(const TFont& source)
{
    QFont font;
    if (IsClassicFixedFace(source.Name()) || (source.Pitch() == fpFixed && IsClassicSansFace(source.Name()))) {
        font.setFamily(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        font.setStyleHint(QFont::Monospace);
    } else if (IsClassicSansFace(source.Name())) {
        font.setFamilies({QString::fromLatin1(TFont::SansSerifFace),
                          QFontDatabase::systemFont(QFontDatabase::GeneralFont).family()});
        font.setStyleHint(QFont::SansSerif);
    } else {
        font.setFamily(QString::fromStdString(source.Name()));
    }
    // A negative height is the characters' own height, which is Qt's pixel size; a positive
    // one is the whole cell, of which the characters take about 85% in the classic faces
    // (13-pixel cells for 11-pixel characters).
    int pixels = source.Height() < 0 ? -source.Height() : static_cast<int>(std::lround(source.Height() * 0.85));
    if (source.Height() == 0)
        pixels = -TFont::DefaultHeight;
    font.setPixelSize(std::max(1, pixels));
    font.setBold(source.Style().Contains(fsBold));
    font.setItalic(source.Style().Contains(fsItalic));
    font.setUnderline(source.Style().Contains(fsUnderline));
    font.setStrikeOut(source.Style().Contains(fsStrikeOut));
    return font;
}
