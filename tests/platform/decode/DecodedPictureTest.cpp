// A picture taken from the decoder and converted later, on another thread, while the decoder
// goes on with other frames, gives the same DIB as DecodeFrame for that frame; so do its rows
// converted a band at a time, in any order, also once the decoder is gone.
#include "platform/dshow/decode/PictureConverter.h"
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <future>

namespace quellon::decode::test {
namespace {

TEST(DecodedPicture, HeldPicturesConvertLaterToTheFramesPixels)
{
    // No cache and two decoder threads: the held reference is all that keeps a picture, and
    // the decoder's threads go on decoding pictures that refer to it.
    DecoderOptions options;
    options.threadCount = 2;
    options.cacheFrames = 0;
    for (const char* file : {"h.mkv", "m2.mpg"}) {
        const std::string path = MakeCase(CaseFor(file));
        ASSERT_FALSE(path.empty());
        OpenFailure failure;
        auto decoder = VideoDecoder::Open(path, &failure, options);
        auto reference = VideoDecoder::Open(path, &failure);
        ASSERT_TRUE(decoder && reference) << failure.message;
        PictureConverter converter;
        std::deque<std::pair<std::int64_t, DecodedPicture>> held;
        auto convertOldest = [&] {
            auto [n, picture] = std::move(held.front());
            held.pop_front();
            const PixelFormat format = n % 2 ? PixelFormat::Rgb24 : PixelFormat::Rgb32;
            std::vector<std::uint8_t> expected;
            ASSERT_TRUE(reference->DecodeFrame(n, format, expected)) << reference->LastErrorMessage();
            // Converted on another thread while this one decodes the next frame.
            auto converted = std::async(std::launch::async, [&converter, picture = std::move(picture), format] {
                std::vector<std::uint8_t> dib(7, 0xA5);
                std::string error;
                return converter.Convert(picture, format, dib, error) ? dib : std::vector<std::uint8_t>{};
            });
            DecodedPicture next;
            const std::int64_t nextFrame = held.empty() ? n : held.back().first;
            (void)decoder->DecodePicture(std::min(nextFrame + 3, decoder->FrameCount() - 1), next);
            EXPECT_TRUE(converted.get() == expected) << file << ", frame " << n;
        };
        for (std::int64_t n = 0; n < decoder->FrameCount(); n += 3) {
            DecodedPicture picture;
            ASSERT_TRUE(decoder->DecodePicture(n, picture)) << decoder->LastErrorMessage();
            held.emplace_back(n, std::move(picture));
            if (held.size() > 3) {
                ASSERT_NO_FATAL_FAILURE(convertOldest());
            }
        }
        while (!held.empty())
            ASSERT_NO_FATAL_FAILURE(convertOldest());

        DecodedPicture none;
        EXPECT_FALSE(decoder->DecodePicture(decoder->FrameCount(), none));
        EXPECT_EQ(decoder->LastError(), DecodeError::OutOfRange);
        EXPECT_TRUE(none.Empty());
        std::vector<std::uint8_t> dib{1, 2, 3};
        std::string error;
        EXPECT_FALSE(converter.Convert(none, PixelFormat::Rgb32, dib, error));
        EXPECT_TRUE(dib.empty());
        EXPECT_FALSE(error.empty());
    }
}

// The DIB assembled from bands of `bandRows` rows converted bottom band first, as a renderer
// writing into a bitmap may ask for them; empty when a band fails.
std::vector<std::uint8_t> ConvertByBands(PictureConverter& converter, const DecodedPicture& picture,
                                         PixelFormat format, int bandRows)
{
    const int width = PictureConverter::Width(picture);
    const int height = PictureConverter::Height(picture);
    const std::size_t stride = DibStrideBytes(width, format);
    std::vector<std::uint8_t> dib(stride * static_cast<std::size_t>(height), 0xA5);
    std::vector<std::uint8_t> band(stride * static_cast<std::size_t>(bandRows) + 1, 0x5A);
    std::vector<int> tops;
    for (int top = 0; top < height; top += bandRows)
        tops.push_back(top);
    std::reverse(tops.begin(), tops.end());
    for (const int top : tops) {
        const int count = std::min(bandRows, height - top);
        std::string error;
        if (!converter.ConvertRows(picture, format, top, count, band.data(), error)) {
            ADD_FAILURE() << error;
            return {};
        }
        EXPECT_EQ(0x5A, band[stride * static_cast<std::size_t>(count)]) << "written past the band";
        // The band's lowest row is the DIB's scan line height - top - count.
        std::memcpy(dib.data() + stride * static_cast<std::size_t>(height - top - count), band.data(),
                    stride * static_cast<std::size_t>(count));
    }
    return dib;
}

TEST(DecodedPicture, BandsOfRowsAreTheWholePicturesRowsEvenAfterTheDecoderIsGone)
{
    // Pictures converted in place, in full range, scaled to the size at open (the second
    // part of the spliced file is twice as large), and rows that are no whole blocks of 16
    // pixels with a last band of 2 rows.
    const std::string odd = MakeVideo("bands-168x98.avi", "{pattern} -pix_fmt yuv420p -c:v mpeg4 -q:v 4", 20, 168, 98);
    ASSERT_FALSE(odd.empty());
    for (const std::string& path : {MakeCase(CaseFor("h.mkv")), MakeCase(CaseFor("mj.avi")),
                                    MakeCase(CaseFor("spliced.ts")), odd}) {
        ASSERT_FALSE(path.empty());
        OpenFailure failure;
        auto decoder = VideoDecoder::Open(path, &failure);
        ASSERT_TRUE(decoder) << failure.message;
        PictureConverter converter;
        struct Held {
            std::int64_t frame;
            PixelFormat format;
            DecodedPicture picture;
            std::vector<std::uint8_t> expected;
        };
        std::vector<Held> held;
        const std::int64_t last = decoder->FrameCount() - 1;
        for (const std::int64_t n : {std::int64_t{0}, last / 3, std::max<std::int64_t>(0, last - 20), last}) {
            for (const PixelFormat format : {PixelFormat::Rgb32, PixelFormat::Rgb24}) {
                Held h{n, format, {}, {}};
                ASSERT_TRUE(decoder->DecodePicture(n, h.picture)) << decoder->LastErrorMessage();
                ASSERT_TRUE(decoder->DecodeFrame(n, format, h.expected)) << decoder->LastErrorMessage();
                for (const int bandRows : {16, 48})
                    EXPECT_TRUE(ConvertByBands(converter, h.picture, format, bandRows) == h.expected)
                        << path << ", frame " << n << ", bands of " << bandRows;
                held.push_back(std::move(h));
            }
        }
        std::vector<std::uint8_t> rows(DibSizeBytes(decoder->Width(), decoder->Height(), PixelFormat::Rgb32));
        std::string error;
        EXPECT_FALSE(converter.ConvertRows(held[0].picture, PixelFormat::Rgb32, 8, 16, rows.data(), error))
            << "a band that starts between two bands";
        EXPECT_FALSE(converter.ConvertRows(held[0].picture, PixelFormat::Rgb32, 0, decoder->Height() + 16,
                                           rows.data(), error))
            << "a band beyond the bottom row";

        decoder.reset();
        for (const Held& h : held) {
            std::vector<std::uint8_t> dib;
            ASSERT_TRUE(converter.Convert(h.picture, h.format, dib, error)) << error;
            EXPECT_TRUE(dib == h.expected) << path << ", frame " << h.frame << " with its decoder gone";
            EXPECT_TRUE(ConvertByBands(converter, h.picture, h.format, 16) == h.expected)
                << path << ", frame " << h.frame << " by bands with its decoder gone";
        }
    }
}

}  // namespace
}  // namespace quellon::decode::test
