#include "framework/Jpeg.h"

#include "framework/Bitmap.h"
#include "framework/ClassBuilder.h"
#include "framework/JpegCodec.h"

#include <algorithm>
#include <cstring>

const TEnumInfo JPEGPerformanceInfo{"TJPEGPerformance", {"jpBestQuality", "jpBestSpeed"}};

const TClass& TJPEGImage::StaticClass()
{
    static const TClass cls = TClassBuilder<TJPEGImage>("TJPEGImage", &TGraphic::StaticClass()).Build();
    return cls;
}

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

std::unique_ptr<TGraphic> TJPEGImage::Clone() const
{
    auto copy = std::make_unique<TJPEGImage>();
    copy->Assign(this);
    return copy;
}

bool TJPEGImage::Empty() const
{
    return !bitmap_ && data_.empty();
}

int TJPEGImage::Width() const
{
    return bitmap_ ? bitmap_->Width() : width_;
}

int TJPEGImage::Height() const
{
    return bitmap_ ? bitmap_->Height() : height_;
}

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange value)
{
    quality_ = std::clamp(value, 1, 100);
}

void TJPEGImage::SetPerformance(TJPEGPerformance value)
{
    if (value == performance_)
        return;
    performance_ = value;
    DropDecodedBitmap();
}

void TJPEGImage::SetProgressiveEncoding(bool value)
{
    progressiveEncoding_ = value;
}

void TJPEGImage::SetGrayscale(bool value)
{
    if (value == grayscale_)
        return;
    grayscale_ = value;
    DropDecodedBitmap();
}

bool TJPEGImage::DataMatchesSettings() const noexcept
{
    return !data_.empty() && dataQuality_ == quality_ && dataProgressive_ == progressiveEncoding_;
}

void TJPEGImage::DropDecodedBitmap()
{
    // A decoded picture is remade from the bytes with the new decoding settings; a picture
    // given by Assign is the source of the bytes and stays.
    if (bitmapDecoded_ && !data_.empty()) {
        bitmap_.reset();
        bitmapDecoded_ = false;
    }
}

void TJPEGImage::TakeBitmap(std::unique_ptr<TBitmap> bitmap)
{
    bitmap_ = std::move(bitmap);
    bitmapDecoded_ = false;
    data_.clear();
    width_ = bitmap_ ? bitmap_->Width() : 0;
    height_ = bitmap_ ? bitmap_->Height() : 0;
    Changed();
}

void TJPEGImage::Assign(const TPersistent* source)
{
    if (source == this)
        return;
    if (source == nullptr) {
        TakeBitmap(nullptr);
        return;
    }
    if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        data_ = jpeg->data_;
        dataQuality_ = jpeg->dataQuality_;
        dataProgressive_ = jpeg->dataProgressive_;
        bitmap_.reset();
        if (jpeg->bitmap_) {
            bitmap_ = std::make_unique<TBitmap>();
            bitmap_->Assign(jpeg->bitmap_.get());
        }
        bitmapDecoded_ = jpeg->bitmapDecoded_;
        width_ = jpeg->width_;
        height_ = jpeg->height_;
        quality_ = jpeg->quality_;
        performance_ = jpeg->performance_;
        progressiveDisplay_ = jpeg->progressiveDisplay_;
        progressiveEncoding_ = jpeg->progressiveEncoding_;
        grayscale_ = jpeg->grayscale_;
        Changed();
        return;
    }
    if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        Assign(picture->Graphic());
        return;
    }
    if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        // Any other picture is drawn into 24-bit pixels, the form the encoder takes.
        auto bitmap = std::make_unique<TBitmap>();
        bitmap->Assign(graphic);
        if (!bitmap->Empty())
            bitmap->SetPixelFormat(pf24bit);
        TakeBitmap(bitmap->Empty() ? nullptr : std::move(bitmap));
        return;
    }
    TGraphic::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) const
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        if (Empty())
            bitmap->Assign(nullptr);
        else
            bitmap->Assign(const_cast<TJPEGImage*>(this)->Bitmap()); // decoding is a cache
        return;
    }
    TGraphic::AssignTo(dest);
}

TBitmap* TJPEGImage::Bitmap()
{
    if (bitmap_)
        return bitmap_.get();
    if (data_.empty())
        throw EInvalidGraphicOperation("L'image JPEG est vide");
    jpeg_codec::Header header;
    const std::vector<BYTE> rgb = jpeg_codec::Decode(data_, performance_ == jpBestSpeed, grayscale_, header);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(header.Width, header.Height);
    const size_t rowBytes = static_cast<size_t>(header.Width) * 3;
    for (int y = 0; y < header.Height; ++y) {
        const BYTE* from = rgb.data() + rowBytes * y;
        BYTE* to = bitmap->ScanLine(y);
        for (int x = 0; x < header.Width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    bitmap_ = std::move(bitmap);
    bitmapDecoded_ = true;
    return bitmap_.get();
}

void TJPEGImage::Compress()
{
    if (Empty())
        throw EInvalidGraphicOperation("L'image JPEG est vide");
    TBitmap* bitmap = Bitmap();
    if (bitmap->PixelFormat() != pf24bit)
        bitmap->SetPixelFormat(pf24bit);
    const int width = bitmap->Width();
    const int height = bitmap->Height();
    std::vector<BYTE> rgb(static_cast<size_t>(width) * static_cast<size_t>(height) * 3);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const BYTE* from = bitmap->ScanLine(y);
        BYTE* to = rgb.data() + rowBytes * y;
        for (int x = 0; x < width; ++x) {
            to[3 * x] = from[3 * x + 2];
            to[3 * x + 1] = from[3 * x + 1];
            to[3 * x + 2] = from[3 * x];
        }
    }
    data_ = jpeg_codec::Encode(rgb.data(), width, height, {quality_, progressiveEncoding_});
    dataQuality_ = quality_;
    dataProgressive_ = progressiveEncoding_;
}

const std::vector<BYTE>& TJPEGImage::Data()
{
    if (!DataMatchesSettings())
        Compress();
    return data_;
}

void TJPEGImage::SaveToStream(std::vector<BYTE>& stream)
{
    const std::vector<BYTE>& data = Data();
    stream.insert(stream.end(), data.begin(), data.end());
}

void TJPEGImage::LoadFromStream(const std::vector<BYTE>& stream)
{
    const jpeg_codec::Header header = jpeg_codec::ReadHeader(stream);
    data_ = stream;
    dataQuality_ = quality_;
    dataProgressive_ = progressiveEncoding_;
    bitmap_.reset();
    bitmapDecoded_ = false;
    width_ = header.Width;
    height_ = header.Height;
    Changed();
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& rect)
{
    canvas.StretchDraw(rect, Bitmap());
}
