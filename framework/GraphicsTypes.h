// The value types of the framework's graphics: colours, rectangles and points, and the
// styles of pens, brushes, fonts and bitmaps. Plain values, usable from any thread.
//
// Colours: a TColor is a 32-bit value. 0x00BBGGRR is a plain colour (red in the low byte,
// as a COLORREF). A value with the high byte 0x80 names a colour of the desktop scheme
// (clBtnFace, clWindow...), which ColorToRGB turns into its current RGB value. clNone and
// clDefault are markers for "no colour" and "the control's default": ColorToRGB gives
// black for clNone and white for clDefault. CLR_INVALID read back as a TColor is -1.
#pragma once

#include "platform/base/WinTypes.h"

#include "framework/Sets.h"

#include <cstdint>
#include <string>
#include <string_view>

using TColor = std::int32_t;

namespace graphics_detail {
constexpr TColor SystemColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }
} // namespace graphics_detail

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// Desktop scheme colours, by the Windows system colour index.
constexpr TColor clScrollBar = graphics_detail::SystemColor(0);
constexpr TColor clBackground = graphics_detail::SystemColor(1);
constexpr TColor clActiveCaption = graphics_detail::SystemColor(2);
constexpr TColor clInactiveCaption = graphics_detail::SystemColor(3);
constexpr TColor clMenu = graphics_detail::SystemColor(4);
constexpr TColor clWindow = graphics_detail::SystemColor(5);
constexpr TColor clWindowFrame = graphics_detail::SystemColor(6);
constexpr TColor clMenuText = graphics_detail::SystemColor(7);
constexpr TColor clWindowText = graphics_detail::SystemColor(8);
constexpr TColor clCaptionText = graphics_detail::SystemColor(9);
constexpr TColor clActiveBorder = graphics_detail::SystemColor(10);
constexpr TColor clInactiveBorder = graphics_detail::SystemColor(11);
constexpr TColor clAppWorkSpace = graphics_detail::SystemColor(12);
constexpr TColor clHighlight = graphics_detail::SystemColor(13);
constexpr TColor clHighlightText = graphics_detail::SystemColor(14);
constexpr TColor clBtnFace = graphics_detail::SystemColor(15);
constexpr TColor clBtnShadow = graphics_detail::SystemColor(16);
constexpr TColor clGrayText = graphics_detail::SystemColor(17);
constexpr TColor clBtnText = graphics_detail::SystemColor(18);
constexpr TColor clInactiveCaptionText = graphics_detail::SystemColor(19);
constexpr TColor clBtnHighlight = graphics_detail::SystemColor(20);
constexpr TColor cl3DDkShadow = graphics_detail::SystemColor(21);
constexpr TColor cl3DLight = graphics_detail::SystemColor(22);
constexpr TColor clInfoText = graphics_detail::SystemColor(23);
constexpr TColor clInfoBk = graphics_detail::SystemColor(24);

// The RGB value a colour stands for: plain colours as they are (the high byte cleared),
// scheme colours from the desktop-like palette, clNone black, clDefault white, an unknown
// scheme index black.
COLORREF ColorToRGB(TColor color) noexcept;

// Names of the named colours ("clRed", "clBtnFace"), for layouts and messages. The lookup
// ignores ASCII case; false when the name or value has no entry.
bool IdentToColor(std::string_view ident, TColor& color);
bool ColorToIdent(TColor color, std::string& ident);
// "clRed" for named colours, else "$00BBGGRR" in hexadecimal.
std::string ColorToString(TColor color);
// Accepts a name, a decimal number or "$hex"; EConvertError for anything else.
TColor StringToColor(std::string_view text);

// --- rectangles and points ----------------------------------------------------------------

struct TPoint {
    int X = 0;
    int Y = 0;
    friend constexpr bool operator==(const TPoint&, const TPoint&) = default;
};

// Left and Top are inside, Right and Bottom just outside, as RECT.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr TPoint TopLeft() const { return {Left, Top}; }
    constexpr TPoint BottomRight() const { return {Right, Bottom}; }
    constexpr RECT ToRECT() const { return {Left, Top, Right, Bottom}; }
    static constexpr TRect FromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
constexpr TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
constexpr TPoint Point(int x, int y) { return {x, y}; }

// --- styles -------------------------------------------------------------------------------

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// pmCopy draws the pen colour, pmBlack/pmWhite black/white, pmNop nothing; pmNot inverts
// what lies under the pen, pmXor and pmNotXor combine with it (with a black pen pmNotXor
// inverts: rubber bands). The others are drawn as pmCopy.
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
                pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor };
// bsBDiagonal: lines rising from bottom left to top right ('/'), bsFDiagonal: falling ('\').
// Hatches leave the gaps between their lines untouched.
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = BYTE;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;

// pfDevice: a device bitmap at the screen's depth (32 bits per pixel here).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Raster operations of TCanvas::CopyRect. cmSrcCopy is a plain copy of the source pixels.
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// The screen's pixels per inch, which font sizes in points are converted with.
constexpr int ScreenPixelsPerInch = 96;
