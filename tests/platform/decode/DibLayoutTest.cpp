// The bitmaps handed out are Windows DIB pixels: bottom row first, blue first, rows padded
// to 4 bytes; the 24-bit and 32-bit forms hold the same colours.
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

namespace quellon::decode::test {
namespace {

TEST(DibLayout, PaddedRowsBottomUpAndTheSameColoursInBothFormats)
{
    // 174 pixels: 522 bytes of 24-bit pixels, so each row carries 2 bytes of padding.
    const std::string path = MakeVideo("narrow.avi", "-f lavfi -i \"color=c=0x3060C0:s=174x144:r=25:d=0.2,"
                                                     "drawbox=x=0:y=0:w=174:h=72:c=0xF0F0F0:t=fill\" "
                                                     "-pix_fmt yuvj420p -c:v mjpeg -q:v 2");
    OpenFailure failure;
    auto decoder = VideoDecoder::Open(path, &failure);
    ASSERT_TRUE(decoder) << failure.message;
    ASSERT_EQ(decoder->Width(), 174);
    ASSERT_EQ(decoder->Height(), 144);
    EXPECT_EQ(DibStrideBytes(174, PixelFormat::Rgb24), 524u);
    EXPECT_EQ(DibStrideBytes(174, PixelFormat::Rgb32), 696u);

    std::vector<std::uint8_t> rgb24;
    std::vector<std::uint8_t> rgb32;
    ASSERT_TRUE(decoder->DecodeFrame(0, PixelFormat::Rgb24, rgb24));
    ASSERT_TRUE(decoder->DecodeFrame(0, PixelFormat::Rgb32, rgb32));
    ASSERT_EQ(rgb24.size(), DibSizeBytes(174, 144, PixelFormat::Rgb24));
    ASSERT_EQ(rgb32.size(), DibSizeBytes(174, 144, PixelFormat::Rgb32));
    for (std::size_t row = 0; row < 144; ++row) {
        for (std::size_t x = 0; x < 174; ++x) {
            for (std::size_t c = 0; c < 3; ++c)
                ASSERT_EQ(rgb24[row * 524 + x * 3 + c], rgb32[row * 696 + x * 4 + c]) << "row " << row << " x " << x;
        }
        EXPECT_EQ(rgb24[row * 524 + 522], 0) << "padding of row " << row;
        EXPECT_EQ(rgb24[row * 524 + 523], 0) << "padding of row " << row;
    }
    // The picture's top half is light grey; the first row stored is the bottom one, which is
    // the blue-ish colour 0x3060C0: blue C0, green 60, red 30, blue first.
    EXPECT_NEAR(rgb24[0], 0xC0, 12);
    EXPECT_NEAR(rgb24[1], 0x60, 12);
    EXPECT_NEAR(rgb24[2], 0x30, 12);
    const std::size_t topRow = 143 * 524;
    EXPECT_NEAR(rgb24[topRow], 0xF0, 12);
    EXPECT_NEAR(rgb24[topRow + 2], 0xF0, 12);

    std::vector<std::uint8_t> untouched{1, 2, 3};
    EXPECT_FALSE(decoder->DecodeFrame(decoder->FrameCount(), PixelFormat::Rgb24, untouched));
    EXPECT_EQ(decoder->LastError(), DecodeError::OutOfRange);
    EXPECT_TRUE(untouched.empty());
    EXPECT_FALSE(decoder->DecodeFrame(-1, PixelFormat::Rgb32, untouched));
    EXPECT_EQ(decoder->LastError(), DecodeError::OutOfRange);
    EXPECT_TRUE(decoder->DecodeFrame(0, PixelFormat::Rgb24, untouched));
    EXPECT_EQ(decoder->LastError(), DecodeError::None);
}

TEST(DibLayout, UnscaledRowsOf420PicturesGiveTheSamePixelsInBothFormats)
{
    // 4:2:0 rows of whole blocks of 16 pixels (176) are converted straight into the DIB in
    // both formats; other widths (168 = 8 mod 16, 174) go through a roomy picture first.
    // A picture with detail in every row and column tells whether any row lands elsewhere
    // or is overwritten by its neighbour; a 168-pixel row written straight into the DIB
    // would spill 8 pixels over the row converted before it, and past the DIB's end.
    for (const int width : {176, 168, 174}) {
        const std::string size = std::to_string(width) + "x144";
        const std::string path = MakeVideo("blocks" + size + ".mpg", "-f lavfi -i testsrc2=s=" + size +
                                                                         ":r=25:d=0.2 -pix_fmt yuv420p -c:v mpeg1video -q:v 2");
        OpenFailure failure;
        auto decoder = VideoDecoder::Open(path, &failure);
        ASSERT_TRUE(decoder) << failure.message;
        ASSERT_EQ(decoder->Width(), width);
        const std::size_t stride24 = DibStrideBytes(width, PixelFormat::Rgb24);
        const std::size_t stride32 = DibStrideBytes(width, PixelFormat::Rgb32);
        for (std::int64_t n : {std::int64_t{0}, decoder->FrameCount() - 1}) {
            std::vector<std::uint8_t> rgb24;
            std::vector<std::uint8_t> rgb32;
            ASSERT_TRUE(decoder->DecodeFrame(n, PixelFormat::Rgb32, rgb32));
            ASSERT_TRUE(decoder->DecodeFrame(n, PixelFormat::Rgb24, rgb24));
            ASSERT_EQ(rgb32.size(), DibSizeBytes(width, 144, PixelFormat::Rgb32));
            ASSERT_EQ(rgb24.size(), DibSizeBytes(width, 144, PixelFormat::Rgb24));
            for (std::size_t row = 0; row < 144; ++row)
                for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x)
                    for (std::size_t c = 0; c < 3; ++c)
                        ASSERT_EQ(rgb24[row * stride24 + x * 3 + c], rgb32[row * stride32 + x * 4 + c])
                            << width << " pixels, frame " << n << " row " << row << " x " << x;
            // A buffer handed back for reuse keeps its old bytes; none of them may show
            // through, whether it already has the frame's size or another one.
            for (const PixelFormat format : {PixelFormat::Rgb32, PixelFormat::Rgb24}) {
                const std::vector<std::uint8_t>& fresh = format == PixelFormat::Rgb32 ? rgb32 : rgb24;
                for (const std::size_t size : {fresh.size(), rgb24.size() + rgb32.size() - fresh.size()}) {
                    std::vector<std::uint8_t> reused(size, 0xA5);
                    ASSERT_TRUE(decoder->DecodeFrame(n, format, reused));
                    EXPECT_TRUE(reused == fresh) << width << " pixels, frame " << n << ", reused " << size << " bytes";
                }
            }
        }
    }
}

}  // namespace
}  // namespace quellon::decode::test
