// A file cut off in the middle (an interrupted download or copy) opens with the frames that
// really decode: every frame in the count comes out, the same on every path, and the
// pictures before the cut are the source's.
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quellon::decode::test {
namespace {

class TruncatedFile : public ::testing::TestWithParam<const char*> {};

TEST_P(TruncatedFile, OpensWithOnlyDecodableFrames)
{
    const std::string source = MakeCase(CaseFor(GetParam()));
    ASSERT_FALSE(source.empty());
    const std::string path = TestFolder() + "/truncated-" + GetParam();
    {
        std::ifstream in(source, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        // An odd place, so that the cut falls inside a packet.
        bytes.resize(bytes.size() * 11 / 20 + 7);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    OpenFailure failure;
    auto decoder = VideoDecoder::Open(path, &failure);
    ASSERT_TRUE(decoder) << failure.message;
    const std::int64_t count = decoder->FrameCount();
    EXPECT_GT(count, 30);
    EXPECT_LT(count, kSourceFrames);

    std::vector<std::uint64_t> sums;
    std::vector<std::uint8_t> dib;
    for (std::int64_t n = 0; n < count; ++n) {
        ASSERT_TRUE(decoder->DecodeFrame(n, PixelFormat::Rgb32, dib)) << "frame " << n << " of " << count;
        sums.push_back(Checksum(dib));
        // The last pictures may be concealed where the cut hit them; the rest are intact.
        if (n + 2 < count) {
            EXPECT_EQ(ReadFrameNumber(dib, decoder->Width(), decoder->Height(), PixelFormat::Rgb32), n);
        }
    }
    auto second = VideoDecoder::Open(path, nullptr);
    ASSERT_TRUE(second);
    ASSERT_EQ(second->FrameCount(), count);
    for (const std::int64_t n : {count - 1, count / 2, count - 2, std::int64_t{0}, count - 3, count - 1}) {
        ASSERT_TRUE(second->DecodeFrame(n, PixelFormat::Rgb32, dib)) << "frame " << n;
        EXPECT_EQ(Checksum(dib), sums[static_cast<std::size_t>(n)]) << "frame " << n;
    }
}

// A file cut short while it is open (a download being replaced, a removed disk) makes the
// frames that are gone fail with a message, never crash or hang.
TEST(TruncatedWhileOpen, LostFramesFailCleanly)
{
    // Large enough that what is gone is not still in the reader's buffers.
    const std::string source =
        MakeVideo("large.mpg", "-f lavfi -i testsrc=s=720x576:r=25:d=3 -c:v mpeg2video -b:v 8M -g 15 -f vob");
    ASSERT_FALSE(source.empty());
    const std::string path = TestFolder() + "/shrinking.mpg";
    std::filesystem::copy_file(source, path, std::filesystem::copy_options::overwrite_existing);
    auto decoder = VideoDecoder::Open(path, nullptr);
    ASSERT_TRUE(decoder);
    std::vector<std::uint8_t> dib;
    ASSERT_TRUE(decoder->DecodeFrame(0, PixelFormat::Rgb24, dib));
    std::filesystem::resize_file(path, 2000);
    EXPECT_FALSE(decoder->DecodeFrame(decoder->FrameCount() - 1, PixelFormat::Rgb24, dib));
    EXPECT_EQ(decoder->LastError(), DecodeError::DecodeFailed);
    EXPECT_FALSE(decoder->LastErrorMessage().empty());
    EXPECT_TRUE(dib.empty());
    EXPECT_FALSE(decoder->DecodeFrame(decoder->FrameCount() / 2, PixelFormat::Rgb24, dib));
}

INSTANTIATE_TEST_SUITE_P(Formats, TruncatedFile,
                         ::testing::Values("m2.mpg", "m1.ts", "m2.m2v", "m4.avi", "mj.avi", "h.mkv", "h.ts", "h.h264",
                                           "v.webm"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return name;
                         });

}  // namespace
}  // namespace quellon::decode::test
