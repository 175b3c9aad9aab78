// TFont: the typeface a control or a canvas writes text with.
//
// Height is in pixels: negative is the height of the characters alone (as "MS Sans Serif"
// of height -11, 8 points at 96 pixels per inch), positive the height of the whole
// character cell. Size is in points at 96 pixels per inch and is the same setting seen
// through the conversion Height = -Size * 96 / 72 (rounded); reading Size back gives
// -Height * 72 / 96 rounded, so sizes in whole points round-trip.
//
// Names of the classic Windows faces ("MS Sans Serif", "MS Shell Dlg", "Tahoma"...) are kept
// as set but draw with SansSerifFace at the same pixel height: a free face whose widths are
// close to those the layouts were designed with, so that captions fit their controls
// (the desktop's own sans-serif face, used when it is missing, is often much wider);
// "Courier New" and "Fixedsys" draw with the monospace face; other names are asked of Qt as
// they are.
//
// UI thread.
#pragma once

#include "framework/GraphicsObject.h"

#include <string>

class TFont : public TGraphicsObject {
    QUELLON_CLASS()

public:
    TFont();

    // From another TFont: every property, then one OnChange. Others: TPersistent rules.
    void Assign(const TPersistent* source) override;

    const std::string& Name() const noexcept { return name_; }
    void SetName(const std::string& value);
    int Height() const noexcept { return height_; }
    void SetHeight(int value);
    int Size() const noexcept;
    void SetSize(int points);
    TColor Color() const noexcept { return color_; }
    void SetColor(TColor value);
    TFontStyles Style() const noexcept { return style_; }
    void SetStyle(TFontStyles value);
    TFontPitch Pitch() const noexcept { return pitch_; }
    void SetPitch(TFontPitch value);
    TFontCharset Charset() const noexcept { return charset_; }
    void SetCharset(TFontCharset value);

    static constexpr const char* DefaultName = "MS Sans Serif";
    static constexpr const char* SansSerifFace = "Liberation Sans Narrow";
    static constexpr int DefaultHeight = -11;

private:
    std::string name_ = DefaultName;
    int height_ = DefaultHeight;
    TColor color_ = clWindowText;
    TFontStyles style_;
    TFontPitch pitch_ = fpDefault;
    TFontCharset charset_ = DEFAULT_CHARSET;
};

// Published names of the font enumerations.
extern const TEnumInfo FontStyleInfo;
extern const TEnumInfo FontPitchInfo;
