// Every frame number reached by a jump or by steps of any size must show the same picture as
// the frame of that number in a straight decode, and that picture must be the one the
// source pattern numbered (frame 0 shows the first decodable number, frame n that plus n).
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/AccessPaths.h"
#include "tests/platform/decode/FormatCases.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quellon::decode::test {
namespace {

class FrameExactness : public ::testing::TestWithParam<FormatCase>, public AccessPaths {};

TEST_P(FrameExactness, EveryAccessPathGivesTheStraightDecodePicture)
{
    const FormatCase& format = GetParam();
    const std::string path = MakeCase(format);
    ASSERT_FALSE(path.empty());
    DecoderOptions options;
    options.cacheFrames = format.cacheFrames;
    options.cacheBytes = format.cacheBytes;
    ASSERT_NO_FATAL_FAILURE(DecodeStraight(path, options));

    // Frame n is the n-th picture of the ffmpeg command's straight decode, and there are as
    // many frames as pictures.
    const std::vector<int> reference = FfmpegNumbers(path, width_, height_);
    ASSERT_EQ(static_cast<std::int64_t>(reference.size()), count_);
    for (std::int64_t n = 0; n < count_; ++n)
        ASSERT_EQ(numbers_[static_cast<std::size_t>(n)], reference[static_cast<std::size_t>(n)]) << "frame " << n;
    ASSERT_NO_FATAL_FAILURE(CheckAccessPaths(path, options));
    if (format.secondPartArguments)
        return;  // the splice loses a picture; the reference decode above is the judge

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
}

// Small pictures decode with one thread by default; frame threading must not change which
// picture a frame number gives.
TEST(FrameExactnessThreaded, TwoDecoderThreadsGiveTheSamePictures)
{
    DecoderOptions options;
    options.threadCount = 2;
    for (const char* file : {"h.mkv", "hv.mkv", "m2.mpg"}) {
        const std::string path = MakeCase(CaseFor(file));
        ASSERT_FALSE(path.empty());
        AccessPaths threaded;
        ASSERT_NO_FATAL_FAILURE(threaded.DecodeStraight(path, options));
        ASSERT_NO_FATAL_FAILURE(threaded.CheckAccessPaths(path, options));
    }
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
        if (format.sourceFile || format.secondPartArguments)
            break;  // a cut's or a splice's timing is whatever the cut or splice made of it
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
