// JPEG images: the file's kind (baseline or progressive) read from its markers, quality
// against size, settings that must not change the bytes, decoding, and libjpeg errors.
#include "framework/Bitmap.h"
#include "framework/Jpeg.h"

#include "tests/framework/TempFolder.h"
#include "tests/framework/graphics/GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// The start-of-frame markers present before the first scan.
std::vector<int> FrameMarkers(const std::vector<BYTE>& data)
{
    std::vector<int> markers;
    size_t at = 2;
    while (at + 4 <= data.size() && data[at] == 0xFF) {
        const int marker = data[at + 1];
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
            markers.push_back(marker);
        if (marker == 0xDA)
            break;
        at += 2 + ((data[at + 2] << 8) | data[at + 3]);
    }
    return markers;
}

// A frame with smooth areas and detail, so that the quality setting matters.
void MakeFrame(TBitmap& bitmap)
{
    bitmap.SetPixelFormat(pf24bit);
    bitmap.SetSize(96, 64);
    for (int y = 0; y < 64; ++y) {
        BYTE* row = bitmap.ScanLine(y);
        for (int x = 0; x < 96; ++x) {
            const bool detail = x > 48;
            row[3 * x] = static_cast<BYTE>(detail ? (x * 37 + y * 91) : x * 2);
            row[3 * x + 1] = static_cast<BYTE>(detail ? (x * y * 7) : y * 3);
            row[3 * x + 2] = static_cast<BYTE>(detail ? (x ^ y) * 5 : 128);
        }
    }
}

std::vector<BYTE> Encode(const TBitmap& frame, int quality, bool progressive,
                         TJPEGPerformance performance = jpBestQuality, bool progressiveDisplay = false)
{
    TJPEGImage jpeg;
    jpeg.Assign(&frame);
    jpeg.SetPerformance(performance);
    jpeg.SetCompressionQuality(quality);
    jpeg.SetProgressiveDisplay(progressiveDisplay);
    jpeg.SetProgressiveEncoding(progressive);
    std::vector<BYTE> bytes;
    jpeg.SaveToStream(bytes);
    return bytes;
}

TEST(JpegEncoding, BaselineUnlessProgressiveEncodingIsOn)
{
    TBitmap frame;
    MakeFrame(frame);
    const std::vector<BYTE> baseline = Encode(frame, 100, false);
    const std::vector<BYTE> progressive = Encode(frame, 100, true);
    ASSERT_GE(baseline.size(), 4u);
    EXPECT_EQ(baseline[0], 0xFF);
    EXPECT_EQ(baseline[1], 0xD8);
    EXPECT_EQ(FrameMarkers(baseline), std::vector<int>{0xC0});
    EXPECT_EQ(FrameMarkers(progressive), std::vector<int>{0xC2});
    // Progressive display alone is a decoding matter: still baseline.
    EXPECT_EQ(FrameMarkers(Encode(frame, 100, false, jpBestQuality, true)), std::vector<int>{0xC0});
}

TEST(JpegEncoding, DecodingSettingsDoNotChangeTheBytes)
{
    TBitmap frame;
    MakeFrame(frame);
    const std::vector<BYTE> reference = Encode(frame, 75, false);
    EXPECT_EQ(Encode(frame, 75, false, jpBestSpeed), reference);
    EXPECT_EQ(Encode(frame, 75, false, jpBestQuality, true), reference);
    EXPECT_NE(Encode(frame, 74, false), reference);
}

TEST(JpegEncoding, HigherQualityGivesLargerFiles)
{
    TBitmap frame;
    MakeFrame(frame);
    size_t previous = 0;
    for (int quality : {5, 25, 50, 75, 90, 100}) {
        const size_t size = Encode(frame, quality, false).size();
        EXPECT_GT(size, previous) << "quality " << quality;
        previous = size;
    }
    TJPEGImage jpeg;
    jpeg.SetCompressionQuality(0);
    EXPECT_EQ(jpeg.CompressionQuality(), 1);
    jpeg.SetCompressionQuality(101);
    EXPECT_EQ(jpeg.CompressionQuality(), 100);
}

TEST(JpegEncoding, SettingsChangedAfterASaveApplyToTheNextOne)
{
    TBitmap frame;
    MakeFrame(frame);
    TJPEGImage jpeg;
    jpeg.Assign(&frame);
    std::vector<BYTE> first;
    jpeg.SaveToStream(first);
    jpeg.SetProgressiveEncoding(true);
    std::vector<BYTE> second;
    jpeg.SaveToStream(second);
    EXPECT_EQ(FrameMarkers(second), std::vector<int>{0xC2});
    EXPECT_EQ(second, Encode(frame, 90, true));
}

TEST(JpegFiles, SavedFileLoadsAndDecodesCloseToTheSource)
{
    TempFolder folder;
    TBitmap frame;
    MakeFrame(frame);
    TJPEGImage jpeg;
    jpeg.Assign(&frame);
    jpeg.SetCompressionQuality(100);
    jpeg.SaveToFile(folder.Path("f.jpg"));
    std::vector<BYTE> stream;
    jpeg.SaveToStream(stream);
    EXPECT_EQ(ReadWholeFile(folder.Path("f.jpg")), stream);

    TPicture picture;
    picture.LoadFromFile(folder.Path("f.jpg"));
    auto* loaded = dynamic_cast<TJPEGImage*>(picture.Graphic());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->Width(), 96);
    EXPECT_EQ(loaded->Height(), 64);
    TBitmap decoded;
    decoded.Assign(loaded);
    ASSERT_EQ(decoded.Width(), 96);
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 40; ++x) { // the smooth part, away from the detail's blocks
            const auto a = static_cast<COLORREF>(decoded.Canvas()->Pixels(x, y));
            const auto b = static_cast<COLORREF>(frame.Canvas()->Pixels(x, y));
            worst = std::max({worst, std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                              std::abs(GetBValue(a) - GetBValue(b))});
        }
    EXPECT_LE(worst, 6);

    // Loaded bytes are saved unchanged while no encoding setting changes.
    std::vector<BYTE> again;
    loaded->SaveToStream(again);
    EXPECT_EQ(again, stream);
}

TEST(JpegFiles, DecodingSettingsApplyToTheNextDecoding)
{
    TBitmap frame;
    MakeFrame(frame);
    TJPEGImage source;
    source.Assign(&frame);
    std::vector<BYTE> data;
    source.SaveToStream(data);

    TJPEGImage jpeg;
    jpeg.LoadFromStream(data);
    jpeg.SetPerformance(jpBestSpeed);
    const TColor fast = jpeg.Bitmap()->Canvas()->Pixels(70, 30);
    jpeg.SetGrayscale(true);
    TBitmap* grey = jpeg.Bitmap();
    ASSERT_EQ(grey->Width(), 96);
    for (int x = 0; x < 96; x += 5) {
        const auto c = static_cast<COLORREF>(grey->Canvas()->Pixels(x, 20));
        EXPECT_EQ(GetRValue(c), GetGValue(c)) << x;
        EXPECT_EQ(GetGValue(c), GetBValue(c)) << x;
    }
    EXPECT_NE(static_cast<COLORREF>(grey->Canvas()->Pixels(70, 30)), static_cast<COLORREF>(fast));
    std::vector<BYTE> again;
    jpeg.SaveToStream(again);
    EXPECT_EQ(again, data) << "decoding settings leave the bytes alone";
}

TEST(JpegErrors, LibjpegErrorsBecomeExceptions)
{
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromStream({'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'}), EJPEG);
    EXPECT_TRUE(jpeg.Empty());
    EXPECT_THROW(jpeg.Compress(), EInvalidGraphicOperation);

    // A valid header followed by a damaged frame header: the failure comes from inside
    // libjpeg's decoder, after the header was accepted.
    TBitmap frame;
    MakeFrame(frame);
    std::vector<BYTE> data = Encode(frame, 50, false);
    jpeg.LoadFromStream(data);
    std::vector<BYTE> damaged(data.begin(), data.begin() + 20);
    EXPECT_THROW(jpeg.LoadFromStream(damaged), EJPEG);
    EXPECT_EQ(jpeg.Width(), 96) << "a failed load leaves the image";

    TempFolder folder;
    EXPECT_THROW(jpeg.SaveToFile(folder.Path("no/such/dir/x.jpg")), EInOutError);
}

} // namespace
