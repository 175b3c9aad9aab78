// TJPEGImage: a picture kept as a JPEG file, written and read with libjpeg.
//
// The image holds a bitmap (taken by Assign, or decoded), the compressed bytes, or both.
// The compressed bytes are made from the bitmap when they are needed (SaveToFile,
// SaveToStream, Compress) and none match the current encoding settings: 24-bit RGB rows,
// the floating-point DCT, jpeg_set_quality(CompressionQuality) with baseline-compatible
// tables, and the simple progressive scan script when ProgressiveEncoding is on. Performance
// and ProgressiveDisplay concern decoding and display only and never change the bytes.
//
// Failures: every libjpeg error raises EJPEG with libjpeg's message (the process is never
// ended); a file that cannot be written or read raises EInOutError.
//
// UI thread (an image may also be made and saved on one worker thread at a time).
#pragma once

#include "framework/Picture.h"

#include <memory>
#include <vector>

class TBitmap;

class EJPEG : public EInvalidGraphic {
public:
    using EInvalidGraphic::EInvalidGraphic;
};

enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
using TJPEGQualityRange = int; // 1..100

class TJPEGImage : public TGraphic {
    QUELLON_CLASS()

public:
    TJPEGImage();
    ~TJPEGImage() override;

    // From a TBitmap: a copy of its pixels (compressed at the next save). From a
    // TJPEGImage: its bytes, pixels and settings. From a TPicture: its graphic. nullptr:
    // empty. Others: TPersistent rules.
    void Assign(const TPersistent* source) override;
    std::unique_ptr<TGraphic> Clone() const override;

    bool Empty() const override;
    int Width() const override;
    int Height() const override;

    // Values are brought into 1..100. Default 90.
    TJPEGQualityRange CompressionQuality() const noexcept { return quality_; }
    void SetCompressionQuality(TJPEGQualityRange value);
    TJPEGPerformance Performance() const noexcept { return performance_; }
    void SetPerformance(TJPEGPerformance value);
    bool ProgressiveDisplay() const noexcept { return progressiveDisplay_; }
    void SetProgressiveDisplay(bool value) { progressiveDisplay_ = value; }
    bool ProgressiveEncoding() const noexcept { return progressiveEncoding_; }
    void SetProgressiveEncoding(bool value);
    // Decoded pictures come out in grey levels.
    bool Grayscale() const noexcept { return grayscale_; }
    void SetGrayscale(bool value);

    // Makes the compressed bytes now from the held bitmap (decoding the held bytes first
    // when there is no bitmap). EInvalidGraphicOperation for an empty image.
    void Compress();
    // The compressed bytes (compressing first when needed).
    const std::vector<BYTE>& Data();
    // The decoded picture, as a 24-bit bitmap owned by the image (decoding when needed).
    // Valid until the image changes. EInvalidGraphicOperation for an empty image.
    TBitmap* Bitmap();

    void SaveToStream(std::vector<BYTE>& stream) override;
    // Reads the header at once (EJPEG when the bytes are not a JPEG picture); the pixels
    // are decoded when first needed.
    void LoadFromStream(const std::vector<BYTE>& stream) override;

protected:
    void Draw(TCanvas& canvas, const TRect& rect) override;
    void AssignTo(TPersistent* dest) const override;

private:
    bool DataMatchesSettings() const noexcept;
    void DropDecodedBitmap();
    void TakeBitmap(std::unique_ptr<TBitmap> bitmap);

    std::vector<BYTE> data_;
    // The encoding settings data_ stands for: those it was made with, or for loaded bytes
    // the settings at loading time (so the bytes are saved unchanged until one changes).
    int dataQuality_ = 0;
    bool dataProgressive_ = false;
    std::unique_ptr<TBitmap> bitmap_;
    bool bitmapDecoded_ = false; // bitmap_ was decoded from data_ (not given by Assign)
    int width_ = 0;  // of the held bytes when there is no bitmap
    int height_ = 0;
    TJPEGQualityRange quality_ = 90;
    TJPEGPerformance performance_ = jpBestQuality;
    bool progressiveDisplay_ = false;
    bool progressiveEncoding_ = false;
    bool grayscale_ = false;
};

extern const TEnumInfo JPEGPerformanceInfo;
