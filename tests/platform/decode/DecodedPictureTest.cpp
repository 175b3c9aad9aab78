// A picture taken from the decoder and converted later, on another thread, while the decoder
// goes on with other frames, gives the same DIB as DecodeFrame for that frame.
#include "platform/dshow/decode/PictureConverter.h"
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quellon::decode::test
