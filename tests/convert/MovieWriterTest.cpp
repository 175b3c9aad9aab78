#include "convert/MovieWriter.h"

#include "convert/MovieFormat.h"
#include "framework/Exceptions.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class MovieWriterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("quellon-moviewriter-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        std::signal(SIGXFSZ, SIG_IGN); // an over-size write must fail with EFBIG, not kill us
        getrlimit(RLIMIT_FSIZE, &saved_);
    }
    void TearDown() override
    {
        setrlimit(RLIMIT_FSIZE, &saved_);
        fs::remove_all(dir_);
    }
    void LimitFileSize(rlim_t bytes)
    {
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    void Unlimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

    static TFrameBuffer Frame(std::uint8_t seed)
    {
        TFrameBuffer f;
        for (std::size_t i = 0; i < f.size(); ++i)
            f[i] = static_cast<std::uint8_t>((i * 7 + seed) % 16);
        return f;
    }
    static std::vector<std::uint8_t> Read(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::uint8_t> Expected(std::initializer_list<std::uint8_t> seeds)
    {
        std::vector<std::uint8_t> bytes;
        for (auto s : seeds) {
            const TMovieFrame f = PackMovieFrame(Frame(s));
            bytes.insert(bytes.end(), f.begin(), f.end());
        }
        return bytes;
    }

    fs::path dir_;
    rlimit saved_{};
};

} // namespace

TEST_F(MovieWriterTest, WritesWholeFramesAndReplacesAnOldFile)
{
    const fs::path path = dir_ / "clip.kql";
    std::ofstream(path) << std::string(20000, 'x');
    TMovieWriter writer;
    writer.Create(path.string());
    for (std::uint8_t s : {1, 2, 3})
        writer.WriteFrame(Frame(s));
    EXPECT_EQ(writer.FramesWritten(), 3u);
    writer.Close();
    EXPECT_FALSE(writer.IsOpen());
    EXPECT_EQ(Read(path), Expected({1, 2, 3}));
}

TEST_F(MovieWriterTest, CreateInAMissingFolderReportsPathNotFound)
{
    TMovieWriter writer;
    try {
        writer.Create((dir_ / "missing" / "clip.kql").string());
        FAIL() << "no error";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode(), 3);
        EXPECT_EQ(e.Message(), "Erreur E/S 3");
    }
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(MovieWriterTest, AWriteFailingInsideAFrameLeavesOnlyWholeFrames)
{
    const fs::path path = dir_ / "clip.kql";
    TMovieWriter writer;
    writer.Create(path.string());
    writer.WriteFrame(Frame(1));
    writer.WriteFrame(Frame(2));
    // The third frame runs into the limit about a thousand bytes in.
    LimitFileSize(2 * KqFrameBytes + 1000);
    EXPECT_THROW(writer.WriteFrame(Frame(3)), EInOutError);
    EXPECT_EQ(fs::file_size(path) % KqFrameBytes, 0u);
    EXPECT_EQ(writer.FramesWritten(), 2u);
    // The retry appends a clean third frame.
    Unlimit();
    writer.WriteFrame(Frame(3));
    writer.Close();
    EXPECT_EQ(Read(path), Expected({1, 2, 3}));
}

TEST_F(MovieWriterTest, AFailedCloseKeepsTheBufferedBytesForTheRetry)
{
    const fs::path path = dir_ / "clip.kql";
    TMovieWriter writer;
    writer.Create(path.string());
    writer.WriteFrame(Frame(4)); // 40 buffers of 128 bytes reach the file, 120 bytes wait
    LimitFileSize(40 * TMovieWriter::OutputBufferBytes);
    EXPECT_THROW(writer.Close(), EInOutError);
    EXPECT_TRUE(writer.IsOpen());
    Unlimit();
    writer.Close();
    EXPECT_EQ(Read(path), Expected({4}));
}

// With a 10,400-byte limit the second frame is 5,160 bytes on disk and 80 in the output
// buffer when the third frame's first flush runs into the limit. Whatever ends the file
// afterwards (a close that fails, the writer's destruction, a close that succeeds) leaves
// only whole frames, and every frame that was accepted is written when the file can grow.
TEST_F(MovieWriterTest, AWriteFailingInThePreviousFramesTailLeavesWholeFramesOnEveryEnd)
{
    const fs::path path = dir_ / "clip.kql";
    auto writer = std::make_unique<TMovieWriter>();
    writer->Create(path.string());
    LimitFileSize(10400);
    writer->WriteFrame(Frame(1));
    writer->WriteFrame(Frame(2));
    try {
        writer->WriteFrame(Frame(3));
        ADD_FAILURE() << "the limit was not reached";
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Erreur E/S 223") << "the number Windows gives a file too large";
    }
    EXPECT_EQ(writer->FramesWritten(), 2u);
    EXPECT_EQ(fs::file_size(path), KqFrameBytes) << "cut back to the first frame";
    EXPECT_THROW(writer->Close(), EInOutError);
    EXPECT_TRUE(writer->IsOpen());
    EXPECT_EQ(fs::file_size(path), KqFrameBytes);
    EXPECT_THROW(writer->Close(), EInOutError);
    writer.reset(); // the window is closed while the disk is still full
    EXPECT_EQ(fs::file_size(path), KqFrameBytes);
    EXPECT_EQ(Read(path), Expected({1}));

    // The same failures, then room again: the close writes both frames.
    writer = std::make_unique<TMovieWriter>();
    writer->Create(path.string());
    writer->WriteFrame(Frame(1));
    writer->WriteFrame(Frame(2));
    EXPECT_THROW(writer->WriteFrame(Frame(3)), EInOutError);
    EXPECT_THROW(writer->Close(), EInOutError);
    Unlimit();
    writer->Close();
    EXPECT_FALSE(writer->IsOpen());
    EXPECT_EQ(Read(path), Expected({1, 2}));

    // Or the retried frame follows the second one.
    LimitFileSize(10400);
    writer->Create(path.string());
    writer->WriteFrame(Frame(1));
    writer->WriteFrame(Frame(2));
    EXPECT_THROW(writer->WriteFrame(Frame(3)), EInOutError);
    Unlimit();
    writer->WriteFrame(Frame(3));
    EXPECT_EQ(writer->FramesWritten(), 3u);
    writer.reset();
    EXPECT_EQ(Read(path), Expected({1, 2, 3}));
}

// What a signal handler that ends the process does to the open movies: each is cut back to
// its last whole frame on disk, whatever part of the next one had gone out of the buffer.
TEST_F(MovieWriterTest, OpenMoviesAreCutToWholeFramesForAProcessThatEndsNow)
{
    TMovieWriter a, b;
    a.Create((dir_ / "a.kql").string());
    b.Create((dir_ / "b.kql").string());
    a.WriteFrame(Frame(1));
    a.WriteFrame(Frame(2)); // 81 buffers of 128 bytes are out: a frame and 5128 bytes
    b.WriteFrame(Frame(3)); // 40 buffers: 5120 bytes, not a whole frame
    ASSERT_EQ(fs::file_size(dir_ / "a.kql"), 10368u);
    ASSERT_EQ(fs::file_size(dir_ / "b.kql"), 5120u);
    CutOpenFilesToWholeUnits();
    EXPECT_EQ(Read(dir_ / "a.kql"), Expected({1}));
    EXPECT_EQ(fs::file_size(dir_ / "b.kql"), 0u);

    // A closed movie is no longer touched.
    a.Close();
    const auto closed = Read(dir_ / "a.kql");
    CutOpenFilesToWholeUnits();
    EXPECT_EQ(Read(dir_ / "a.kql"), closed);
}
