#include "framework/Bitmap.h"

#include "framework/BitmapFile.h"
#include "framework/ClassBuilder.h"

#include "platform/gdi/GdiQt.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

// A temporary memory context with one bitmap selected, for copies into a bitmap that no
// canvas holds yet.
class ScratchDC {
public:
    explicit ScratchDC(HBITMAP bitmap) : dc_(CreateCompatibleDC(nullptr))
    {
        if (dc_ != nullptr)
            old_ = SelectObject(dc_, bitmap);
    }
    ~ScratchDC()
    {
        if (dc_ == nullptr)
            return;
        if (old_ != nullptr)
            SelectObject(dc_, old_);
        DeleteDC(dc_);
    }
    ScratchDC(const ScratchDC&) = delete;
    ScratchDC& operator=(const ScratchDC&) = delete;

    HDC Get() const { return old_ != nullptr ? dc_ : nullptr; }

private:
    HDC dc_;
    HBITMAP old_ = nullptr;
};

[[noreturn]] void CannotMake(int width, int height)
{
    throw EInvalidGraphicOperation("Impossible de créer un bitmap de " + std::to_string(width) + " x " +
                                   std::to_string(height));
}

int BitsOfFormat(TPixelFormat format)
{
    return format == pf24bit ? 24 : 32;
}

} // namespace

// --- TBitmapCanvas ------------------------------------------------------------------------

const TClass& TBitmapCanvas::StaticClass()
{
    static const TClass cls = TClassBuilder<TBitmapCanvas>("TBitmapCanvas", &TCanvas::StaticClass()).Build();
    return cls;
}

TBitmapCanvas::TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}

TBitmapCanvas::~TBitmapCanvas()
{
    FreeContext();
}

TRect TBitmapCanvas::ClipRect()
{
    return {0, 0, bitmap_->Width(), bitmap_->Height()};
}

bool TBitmapCanvas::SurfaceEmpty() const
{
    return bitmap_->Empty();
}

void TBitmapCanvas::CreateHandle()
{
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        throw EInvalidGraphicOperation("Impossible de créer le contexte du canevas");
    if (bitmap_->Handle() != nullptr) {
        oldBitmap_ = SelectObject(dc, bitmap_->Handle());
        if (oldBitmap_ == nullptr) {
            DeleteDC(dc);
            throw EInvalidGraphicOperation("Le bitmap est déjà sélectionné dans un autre contexte");
        }
    }
    SetHandle(dc);
}

void TBitmapCanvas::FreeContext()
{
    if (!HandleAllocated())
        return;
    HDC dc = Handle();
    if (oldBitmap_ != nullptr)
        SelectObject(dc, oldBitmap_);
    oldBitmap_ = nullptr;
    DeleteDC(dc);
    SetHandle(nullptr);
}

// --- TBitmap ------------------------------------------------------------------------------

const TClass& TBitmap::StaticClass()
{
    static const TClass cls = TClassBuilder<TBitmap>("TBitmap", &TGraphic::StaticClass()).Build();
    return cls;
}

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    canvas_.reset(); // deselects the bitmap, which could not be deleted while selected
    if (handle_ != nullptr)
        DeleteObject(handle_);
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(this);
    return copy;
}

HBITMAP TBitmap::MakeBitmap(int width, int height, TPixelFormat format) const
{
    if (format == pfDevice) {
        HDC screen = GetDC(nullptr);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        if (bitmap != nullptr) {
            ScratchDC dc(bitmap);
            PatBlt(dc.Get(), 0, 0, width, height, WHITENESS);
        }
        return bitmap;
    }
    return bitmap_file::NewWhiteSection(width, height, BitsOfFormat(format));
}

void TBitmap::Replace(HBITMAP bitmap, int width, int height, TPixelFormat format)
{
    if (canvas_)
        canvas_->FreeContext();
    if (handle_ != nullptr && handle_ != bitmap)
        DeleteObject(handle_);
    handle_ = bitmap;
    width_ = width;
    height_ = height;
    pixelFormat_ = format;
    topRow_ = nullptr;
    rowStepBytes_ = 0;
    bitsPerPixel_ = 0;
    if (bitmap != nullptr) {
        DIBSECTION section;
        const int bytes = GetObject(bitmap, sizeof section, &section);
        bitsPerPixel_ = bytes > 0 ? section.dsBm.bmBitsPixel : 0;
        if (bytes == static_cast<int>(sizeof section) && section.dsBm.bmBits != nullptr &&
            (bitsPerPixel_ == 24 || bitsPerPixel_ == 32)) {
            const long stride = section.dsBm.bmWidthBytes;
            auto* bits = static_cast<BYTE*>(section.dsBm.bmBits);
            const bool bottomUp = section.dsBmih.biHeight > 0;
            topRow_ = bottomUp ? bits + stride * (height - 1) : bits;
            rowStepBytes_ = bottomUp ? -stride : stride;
        }
    }
    Changed();
}

HBITMAP TBitmap::MakeCopy(int width, int height, TPixelFormat format)
{
    HBITMAP bitmap = MakeBitmap(width, height, format);
    if (bitmap == nullptr)
        CannotMake(width, height);
    if (handle_ == nullptr)
        return bitmap;
    try {
        ScratchDC target(bitmap);
        if (!BitBlt(target.Get(), 0, 0, std::min(width, width_), std::min(height, height_), Canvas()->Handle(), 0, 0,
                    SRCCOPY))
            throw EInvalidGraphicOperation("Copie du bitmap impossible");
    } catch (...) {
        DeleteObject(bitmap);
        throw;
    }
    return bitmap;
}

void TBitmap::SetSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_)
        return;
    if (width == 0 || height == 0) {
        // Sizes are set one at a time (width, then height): the other one is kept.
        Replace(nullptr, width, height, pixelFormat_);
        return;
    }
    Replace(MakeCopy(width, height, pixelFormat_), width, height, pixelFormat_);
}

void TBitmap::SetPixelFormat(TPixelFormat value)
{
    if (value != pfDevice && value != pf24bit && value != pf32bit)
        throw EInvalidGraphicOperation("Format de pixels non pris en charge");
    if (value == pixelFormat_)
        return;
    if (handle_ == nullptr) {
        pixelFormat_ = value;
        Changed();
        return;
    }
    Replace(MakeCopy(width_, height_, value), width_, height_, value);
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (bitmap == handle_)
        return;
    if (bitmap == nullptr) {
        Replace(nullptr, 0, 0, pixelFormat_);
        return;
    }
    DIBSECTION section;
    const int bytes = GetObjectType(ToGdiObject(bitmap)) == OBJ_BITMAP ? GetObject(bitmap, sizeof section, &section) : 0;
    if (bytes == 0)
        throw EInvalidGraphic("Handle de bitmap incorrect");
    const bool isSection = bytes == static_cast<int>(sizeof section) && section.dsBm.bmBits != nullptr;
    TPixelFormat format = pfDevice;
    if (isSection && section.dsBm.bmBitsPixel == 24)
        format = pf24bit;
    else if (isSection && section.dsBm.bmBitsPixel == 32)
        format = pf32bit;
    Replace(bitmap, section.dsBm.bmWidth, section.dsBm.bmHeight, format);
}

HBITMAP TBitmap::ReleaseHandle()
{
    if (canvas_)
        canvas_->FreeContext();
    HBITMAP bitmap = std::exchange(handle_, nullptr);
    Replace(nullptr, 0, 0, pixelFormat_);
    return bitmap;
}

TCanvas* TBitmap::Canvas()
{
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(this);
        canvas_->OnChange.Assign(this, &TBitmap::CanvasChanged);
    }
    return canvas_.get();
}

void TBitmap::CanvasChanged(TObject*)
{
    Changed();
}

BYTE* TBitmap::ScanLine(int row)
{
    if (handle_ == nullptr)
        throw EInvalidGraphicOperation("Le bitmap est vide");
    if (row < 0 || row >= height_)
        throw EInvalidGraphicOperation("Ligne " + std::to_string(row) + " hors du bitmap");
    if (topRow_ == nullptr)
        SetPixelFormat(bitsPerPixel_ == 24 ? pf24bit : pf32bit);
    return topRow_ + rowStepBytes_ * row;
}

long TBitmap::ScanLineStepBytes()
{
    ScanLine(0);
    return rowStepBytes_;
}

void TBitmap::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        Replace(nullptr, 0, 0, pixelFormat_);
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        Assign(picture->Graphic());
        return;
    }
    const auto* graphic = dynamic_cast<const TGraphic*>(source);
    if (graphic == nullptr) {
        TGraphic::Assign(source);
        return;
    }
    const auto* bitmap = dynamic_cast<const TBitmap*>(graphic);
    const TPixelFormat format = bitmap != nullptr ? bitmap->pixelFormat_ : pf24bit;
    if (graphic->Empty()) {
        Replace(nullptr, std::max(graphic->Width(), 0), std::max(graphic->Height(), 0), format);
        return;
    }
    const int width = graphic->Width();
    const int height = graphic->Height();
    // A device bitmap of another depth than the screen's (24 bits from an image) keeps its
    // depth as a DIB section, so a copy saves to the same file.
    const TPixelFormat copyFormat =
        bitmap != nullptr && format == pfDevice && bitmap->bitsPerPixel_ == 24 ? pf24bit : format;
    HBITMAP copy = MakeBitmap(width, height, copyFormat);
    if (copy == nullptr)
        CannotMake(width, height);
    try {
        // Drawing needs the source's own context (made on demand) and, for other
        // graphics, a canvas on the copy: both change no visible state of the source.
        if (bitmap != nullptr) {
            ScratchDC target(copy);
            if (!BitBlt(target.Get(), 0, 0, width, height, const_cast<TBitmap*>(bitmap)->Canvas()->Handle(), 0, 0,
                        SRCCOPY))
                throw EInvalidGraphicOperation("Copie du bitmap impossible");
        } else {
            TBitmap temporary;
            temporary.Replace(copy, width, height, copyFormat);
            temporary.Canvas()->StretchDraw(Rect(0, 0, width, height), const_cast<TGraphic*>(graphic));
            copy = temporary.ReleaseHandle();
        }
    } catch (...) {
        DeleteObject(copy);
        throw;
    }
    Replace(copy, width, height, copyFormat);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& rect)
{
    if (handle_ == nullptr)
        return;
    HDC source = Canvas()->Handle();
    const BOOL done =
        rect.Width() == width_ && rect.Height() == height_
            ? BitBlt(canvas.Handle(), rect.Left, rect.Top, width_, height_, source, 0, 0, SRCCOPY)
            : StretchBlt(canvas.Handle(), rect.Left, rect.Top, rect.Width(), rect.Height(), source, 0, 0, width_,
                         height_, SRCCOPY);
    if (!done)
        throw EInvalidOperation("Le bitmap ne peut pas être dessiné sur ce canevas");
}

void TBitmap::SaveToStream(std::vector<BYTE>& stream)
{
    if (handle_ == nullptr)
        throw EInvalidGraphicOperation("Le bitmap est vide");
    bitmap_file::WriteBmp(handle_, width_, height_, bitsPerPixel_ == 24 ? 24 : 32, stream);
}

void TBitmap::LoadFromStream(const std::vector<BYTE>& stream)
{
    const bitmap_file::Decoded decoded =
        bitmap_file::LooksLikePng(stream) ? bitmap_file::ReadPng(stream) : bitmap_file::ReadBmp(stream);
    Replace(decoded.Bitmap, decoded.Width, decoded.Height, decoded.BitsPerPixel == 24 ? pf24bit : pf32bit);
}
