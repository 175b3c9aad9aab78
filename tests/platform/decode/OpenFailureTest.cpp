// Files that are not usable videos must fail to open with the right kind of failure and a
// message naming the file, never crash, hang or allocate without bound.
#include "platform/dshow/decode/VideoDecoder.h"
#include "tests/platform/decode/FormatCases.h"
#include "tests/platform/decode/TestVideos.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace quellon::decode::test {
namespace {

std::string WriteFile(const std::string& name, const std::string& bytes)
{
    const std::string path = TestFolder() + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string FirstBytes(const std::string& path, std::size_t count)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

OpenFailure OpenExpectingFailure(const std::string& path)
{
    OpenFailure failure;
    failure.kind = DecodeError::OutOfRange;  // sentinel: must be overwritten
    auto decoder = VideoDecoder::Open(path, &failure);
    EXPECT_FALSE(decoder) << path << " opened with " << (decoder ? decoder->FrameCount() : 0) << " frames";
    EXPECT_NE(failure.message.find(path), std::string::npos) << failure.message;
    return failure;
}

long PeakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST(OpenFailure, MissingFoldersEmptyAndTextFiles)
{
    EXPECT_EQ(OpenExpectingFailure(TestFolder() + "/no such file.mpg").kind, DecodeError::FileNotFound);
    EXPECT_EQ(OpenExpectingFailure(TestFolder()).kind, DecodeError::NotMedia);
    EXPECT_EQ(OpenExpectingFailure(WriteFile("empty.avi", "")).kind, DecodeError::NotMedia);
    EXPECT_EQ(OpenExpectingFailure(WriteFile("letter.mpg", "Dear Sir,\nplease find the video attached.\n")).kind,
              DecodeError::NotMedia);
    // A null out-parameter is allowed.
    EXPECT_FALSE(VideoDecoder::Open(TestFolder() + "/missing.avi", nullptr));
}

TEST(OpenFailure, FilesCutToTheirFirstBytesAreDamagedMedia)
{
    const std::string mp4 = MakeCase(CaseFor("h.mp4"));
    const std::string avi = MakeCase(CaseFor("m4.avi"));
    const std::string mpg = MakeCase(CaseFor("m2.mpg"));
    // The MP4 index sits at the end, so nothing before it can be used.
    EXPECT_EQ(OpenExpectingFailure(WriteFile("head.mp4", FirstBytes(mp4, 3000))).kind, DecodeError::Corrupt);
    EXPECT_EQ(OpenExpectingFailure(WriteFile("head.avi", FirstBytes(avi, 300))).kind, DecodeError::Corrupt);
    EXPECT_EQ(OpenExpectingFailure(WriteFile("head.mpg", FirstBytes(mpg, 64))).kind, DecodeError::Corrupt);
}

TEST(OpenFailure, AudioOnlyFileReportsItsDuration)
{
    const std::string mp3 = MakeVideo("tone.mp3", "-f lavfi -i sine=frequency=440:duration=2");
    const OpenFailure failure = OpenExpectingFailure(mp3);
    EXPECT_EQ(failure.kind, DecodeError::NoVideoStream);
    EXPECT_NEAR(failure.audioDurationSeconds, 2.0, 0.1);
}

TEST(OpenFailure, AbsurdPictureSizesAreRefusedWithoutHugeAllocations)
{
    const long before = PeakMemoryKb();
    // Headers claiming pictures beyond the cap, in front of a few bytes of data.
    const OpenFailure large = OpenExpectingFailure(WriteFile("large.y4m", "YUV4MPEG2 W8800 H8800 F25:1 Ip A1:1 C420jpeg\nFRAME\nabcdefgh"));
    EXPECT_EQ(large.kind, DecodeError::TooLarge);
    EXPECT_NE(large.message.find("8800"), std::string::npos);
    const OpenFailure absurd = OpenExpectingFailure(WriteFile("absurd.y4m", "YUV4MPEG2 W60000 H60000 F25:1 Ip A1:1 C420jpeg\nFRAME\nabcd"));
    EXPECT_TRUE(absurd.kind == DecodeError::TooLarge || absurd.kind == DecodeError::Corrupt) << DecodeErrorName(absurd.kind);

    // A JPEG whose frame header claims 9000 x 9000 pixels.
    const std::string jpeg = MakeVideo("small.jpg", "-f lavfi -i testsrc=s=64x48:d=1 -frames:v 1");
    std::string bytes = FirstBytes(jpeg, 1 << 20);
    const auto frameHeader = bytes.find("\xff\xc0");
    ASSERT_NE(frameHeader, std::string::npos);
    for (const std::size_t at : {frameHeader + 5, frameHeader + 7}) {
        bytes[at] = static_cast<char>(9000 >> 8);
        bytes[at + 1] = static_cast<char>(9000 & 0xff);
    }
    const OpenFailure claimed = OpenExpectingFailure(WriteFile("claimed.jpg", bytes));
    EXPECT_TRUE(claimed.kind == DecodeError::TooLarge || claimed.kind == DecodeError::Corrupt) << DecodeErrorName(claimed.kind);
    EXPECT_LT(PeakMemoryKb() - before, 200 * 1024);
}

}  // namespace
}  // namespace quellon::decode::test
