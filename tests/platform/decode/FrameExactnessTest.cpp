// Every frame number reached by a jump or by steps of any size must show the same picture as
// the frame of that number in a straight decode, and that picture must be the one the
// source pattern numbered (frame 0 shows the first decodable number, frame n that plus n).
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quellon::decode::test {
namespace {

class FrameExactness : public ::testing::TestWithParam<FormatCase> {
protected:
    // A straight decode from frame 0 to the end: the picture of every frame number.
    void DecodeStraight(const std::string& path)
    {
        OpenFailure failure;
        auto decoder = VideoDecoder::Open(path, &failure);
        ASSERT_TRUE(decoder) << failure.message;
        count_ = decoder->FrameCount();
        width_ = decoder->Width();
        height_ = decoder->Height();
        std::vector<std::uint8_t> dib;
        for (std::int64_t n = 0; n < count_; ++n) {
            ASSERT_TRUE(decoder->DecodeFrame(n, PixelFormat::Rgb24, dib)) << "frame " << n << ": " << decoder->LastErrorMessage();
            sums_.push_back(Checksum(dib));
            numbers_.push_back(ReadFrameNumber(dib, width_, height_, PixelFormat::Rgb24));
        }
    }

    // Decodes `n` on `decoder` and checks it against the straight decode; returns false on
    // the first mismatch so that a broken file reports one line, not hundreds.
    bool Check(VideoDecoder& decoder, std::int64_t n, const char* how)
    {
        std::vector<std::uint8_t> dib;
        if (!decoder.DecodeFrame(n, PixelFormat::Rgb24, dib)) {
            ADD_FAILURE() << how << " frame " << n << " failed: " << decoder.LastErrorMessage();
            return false;
        }
        const int number = ReadFrameNumber(dib, width_, height_, PixelFormat::Rgb24);
        if (Checksum(dib) != sums_[static_cast<std::size_t>(n)] || number != numbers_[static_cast<std::size_t>(n)]) {
            ADD_FAILURE() << how << " frame " << n << " shows number " << number << ", straight decode shows "
                          << numbers_[static_cast<std::size_t>(n)];
            return false;
        }
        return true;
    }

    std::int64_t count_ = 0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint64_t> sums_;
    std::vector<int> numbers_;
};

TEST_P(FrameExactness, EveryAccessPathGivesTheStraightDecodePicture)
{
    const FormatCase& format = GetParam();
    const std::string path = MakeCase(format);
    ASSERT_FALSE(path.empty());
    ASSERT_NO_FATAL_FAILURE(DecodeStraight(path));

    // The straight decode shows the source's numbers in order, up to its last frame: the
    // count is the true number of frames.
    ASSERT_GT(count_, 0);
    const int first = numbers_[0];
    if (format.sourceFile)
        EXPECT_GT(first, 0);
    else
        EXPECT_EQ(first, 0);
    EXPECT_EQ(count_, kSourceFrames - first);
    for (std::int64_t n = 0; n < count_; ++n)
        ASSERT_EQ(numbers_[static_cast<std::size_t>(n)], first + n) << "straight decode, frame " << n;

    auto decoder = VideoDecoder::Open(path, nullptr);
    ASSERT_TRUE(decoder);
    std::uint32_t seed = 12345;
    auto next = [&seed](std::int64_t range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::int64_t>((seed >> 8) % static_cast<std::uint32_t>(range));
    };
    for (int jump = 0; jump < 25; ++jump)
        ASSERT_TRUE(Check(*decoder, next(count_), "jump to"));
    // Runs of steps from random places, forwards and backwards, small and larger.
    for (const int step : {1, 3, -1, -3, 7, -10}) {
        std::int64_t n = next(count_);
        for (int i = 0; i < 12; ++i) {
            ASSERT_TRUE(Check(*decoder, n, step > 0 ? "step forward to" : "step back to"));
            n += step;
            if (n < 0 || n >= count_)
                break;
        }
    }
    // The ends, where drained pictures and leading pictures live.
    for (const std::int64_t n : {count_ - 1, std::int64_t{0}, count_ - 2, std::int64_t{1}, count_ - 1})
        ASSERT_TRUE(Check(*decoder, n, "edge"));
}

TEST_P(FrameExactness, TimesAndFrameNumbersAgree)
{
    const FormatCase& format = GetParam();
    const std::string path = MakeCase(format);
    auto decoder = VideoDecoder::Open(path, nullptr);
    ASSERT_TRUE(decoder);
    const std::int64_t count = decoder->FrameCount();
    EXPECT_DOUBLE_EQ(decoder->FrameTime(0), 0.0);
    for (std::int64_t n = 0; n < count; ++n) {
        if (format.sourceFile)
            break;  // a cut's timing is whatever the cut made of it
        const double expected = format.variableRate ? VariableRateTime(static_cast<int>(n)) : n / 25.0;
        EXPECT_NEAR(decoder->FrameTime(n), expected, 0.002) << "frame " << n;
        EXPECT_EQ(decoder->FrameAtTime(decoder->FrameTime(n)), n);
        if (n + 1 < count) {
            const double middle = (decoder->FrameTime(n) + decoder->FrameTime(n + 1)) / 2;
            EXPECT_EQ(decoder->FrameAtTime(middle), n) << "halfway after frame " << n;
        }
    }
    EXPECT_EQ(decoder->FrameAtTime(-1.0), 0);
    EXPECT_EQ(decoder->FrameAtTime(1e6), count - 1);
    EXPECT_GT(decoder->DurationSeconds(), decoder->FrameTime(count - 1));
    EXPECT_NEAR(decoder->NominalFrameRate(), 25.0, format.variableRate ? 10.0 : 0.01);
}

INSTANTIATE_TEST_SUITE_P(Formats, FrameExactness, ::testing::ValuesIn(kFormatCases),
                         [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quellon::decode::test
