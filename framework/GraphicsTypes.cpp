#include "framework/GraphicsTypes.h"

#include "framework/Exceptions.h"
#include "framework/GraphicsQt.h"
#include "framework/TypeInfo.h"

#include <QColor>
#include <QRect>

#include <array>
#include <charconv>
#include <cstdio>

namespace {

// A light desktop scheme in the spirit of the classic Windows one, so that forms laid out
// for it (grey button faces, white edit fields, black text) look as intended.
constexpr std::array<COLORREF, 25> kSchemeColors = {
    RGB(212, 208, 200), // scroll bar
    RGB(58, 110, 165),  // background
    RGB(10, 36, 106),   // active caption
    RGB(128, 128, 128), // inactive caption
    RGB(212, 208, 200), // menu
    RGB(255, 255, 255), // window
    RGB(0, 0, 0),       // window frame
    RGB(0, 0, 0),       // menu text
    RGB(0, 0, 0),       // window text
    RGB(255, 255, 255), // caption text
    RGB(212, 208, 200), // active border
    RGB(212, 208, 200), // inactive border
    RGB(128, 128, 128), // application workspace
    RGB(10, 36, 106),   // highlight
    RGB(255, 255, 255), // highlight text
    RGB(212, 208, 200), // button face
    RGB(128, 128, 128), // button shadow
    RGB(128, 128, 128), // grey text
    RGB(0, 0, 0),       // button text
    RGB(212, 208, 200), // inactive caption text
    RGB(255, 255, 255), // button highlight
    RGB(64, 64, 64),    // 3D dark shadow
    RGB(212, 208, 200), // 3D light
    RGB(0, 0, 0),       // tooltip text
    RGB(255, 255, 225), // tooltip background
};

struct NamedColor {
    TColor value;
    const char* name;
};

constexpr NamedColor kNamedColors[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
};

} // namespace

COLORREF ColorToRGB(TColor color) noexcept
{
    if (color == clNone)
        return RGB(0, 0, 0);
    if (color == clDefault)
        return RGB(255, 255, 255);
    const auto bits = static_cast<std::uint32_t>(color);
    if ((bits & 0xFF000000u) == 0x80000000u) {
        const std::uint32_t index = bits & 0x00FFFFFFu;
        return index < kSchemeColors.size() ? kSchemeColors[index] : RGB(0, 0, 0);
    }
    return bits & 0x00FFFFFFu;
}

QColor ColorToQColor(TColor color)
{
    const COLORREF rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

bool IdentToColor(std::string_view ident, TColor& color)
{
    for (const NamedColor& entry : kNamedColors) {
        if (SameText(ident, entry.name)) {
            color = entry.value;
            return true;
        }
    }
    return false;
}

bool ColorToIdent(TColor color, std::string& ident)
{
    for (const NamedColor& entry : kNamedColors) {
        if (entry.value == color) {
            ident = entry.name;
            return true;
        }
    }
    return false;
}

std::string ColorToString(TColor color)
{
    std::string ident;
    if (ColorToIdent(color, ident))
        return ident;
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(color));
    return text;
}

TColor StringToColor(std::string_view text)
{
    TColor color = 0;
    if (IdentToColor(text, color))
        return color;
    const bool hex = !text.empty() && text.front() == '$';
    const std::string_view digits = hex ? text.substr(1) : text;
    if (hex) {
        std::uint32_t value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty())
            return static_cast<TColor>(value);
    } else {
        long long value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error == std::errc() && end == digits.data() + digits.size() && !digits.empty() &&
            value >= INT32_MIN && value <= static_cast<long long>(UINT32_MAX))
            return static_cast<TColor>(static_cast<std::uint32_t>(value));
    }
    throw EConvertError("'" + std::string(text) + "' n'est pas une couleur correcte");
}

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}
