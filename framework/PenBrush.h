// TPen and TBrush: how a canvas draws lines and outlines, and how it fills areas.
//
// A pen of width 1 is a one-pixel line. A brush of style bsClear fills nothing; a hatch
// style draws its lines in the brush colour and leaves the gaps between them as they were.
// Setting a brush's colour while its style is bsClear makes it solid, so a colour given to
// a clear brush shows.
//
// UI thread.
#pragma once

#include "framework/GraphicsObject.h"

class TPen : public TGraphicsObject {
    QUELLON_CLASS()

public:
    TPen() = default;
    void Assign(const TPersistent* source) override;

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor value);
    int Width() const noexcept { return width_; }
    // Values below 1 are taken as 1.
    void SetWidth(int value);
    TPenStyle Style() const noexcept { return style_; }
    void SetStyle(TPenStyle value);
    TPenMode Mode() const noexcept { return mode_; }
    void SetMode(TPenMode value);

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

class TBrush : public TGraphicsObject {
    QUELLON_CLASS()

public:
    TBrush() = default;
    void Assign(const TPersistent* source) override;

    TColor Color() const noexcept { return color_; }
    void SetColor(TColor value);
    TBrushStyle Style() const noexcept { return style_; }
    void SetStyle(TBrushStyle value);

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// Published names of the style enumerations (layouts write them by name).
extern const TEnumInfo PenStyleInfo;
extern const TEnumInfo PenModeInfo;
extern const TEnumInfo BrushStyleInfo;
