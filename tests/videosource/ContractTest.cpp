// The contract the main window relies on, end to end on the real control and generated
// videos of every format the program meets: one OnOpenComplete with the exact length, a
// first report without any seek showing frame 0, every seek reported once with exactly the
// frame sought in the snapshot, fast seeks reported as one change, and a file that cannot
// be opened reported by OnError only.
#include "tests/support/NumberedVideos.h"
#include "tests/videosource/MovieFixture.h"

#include <cmath>
#include <random>

namespace vstest {
namespace {

struct Format {
    const char* name;
    const char* file;
    const char* codec;
};

constexpr int kFrames = 60;

const Format kFormats[] = {
    {"Mpeg1", "m1.mpg", "-c:v mpeg1video -q:v 4 -bf 2 -g 12 -f mpeg"},
    {"Mpeg2OpenGop", "m2.mpg", "-c:v mpeg2video -q:v 4 -bf 2 -g 12 -f vob"},
    {"Mpeg4AviBFrames", "m4.avi", "-c:v mpeg4 -q:v 4 -bf 2 -g 12"},
    {"Mjpeg", "mj.avi", "-c:v mjpeg -q:v 3"},
    {"H264Mp4", "h.mp4", "-c:v libx264 -bf 2 -g 25 -pix_fmt yuv420p"},
    {"H264Mkv", "h.mkv", "-c:v libx264 -bf 2 -g 25 -pix_fmt yuv420p"},
};

class Contract : public MovieTest, public ::testing::WithParamInterface<Format> {
protected:
    // Seeks, waits for the report and checks it names frame n and shows it.
    void SeekAndCheck(Cardinal n)
    {
        const PositionReport report = SeekAndWaitReport(n);
        // The player stands on the last frame for a seek to the length itself.
        const Cardinal last = movie_->FrameCount() - 1;
        EXPECT_EQ(std::min(n, last), report.NewFrame) << "seek to " << n;
        EXPECT_TRUE(report.SnapshotOk) << "seek to " << n;
        EXPECT_EQ(static_cast<int>(std::min(n, last)), report.Shown) << "seek to " << n;
        ++seeks_;
    }
    int seeks_ = 0;
};

TEST_P(Contract, OpensOnceReportsFrameZeroAndEverySeekShowsExactlyTheFrameSought)
{
    const Format& format = GetParam();
    OpenAndWaitFirstReport(testvideos::NumberedVideo(format.file, kFrames, format.codec));
    ASSERT_EQ(std::vector<std::string>{"openComplete " + std::to_string(kFrames)}, events_.Starting("openComplete"));
    EXPECT_EQ(static_cast<Cardinal>(kFrames), movie_->FrameCount());
    EXPECT_NEAR(kFrames / 25.0, movie_->DurationSeconds(), 1e-9);

    // The first report comes without a seek, from 0, and its snapshot is the first frame.
    const PositionReport first = events_.positions.front();
    EXPECT_EQ(0.0, first.OldTime);
    EXPECT_EQ(0u, first.OldFrame);
    EXPECT_EQ(0u, first.NewFrame);
    EXPECT_TRUE(first.SnapshotOk);
    EXPECT_EQ(0, first.Shown);
    // Standing still: no further report without a seek.
    Pump(200);
    EXPECT_EQ(1u, events_.positions.size());

    std::mt19937 random(1234);
    Cardinal n = 0;
    for (int i = 0; i < 4; ++i) {
        n = static_cast<Cardinal>(random() % (kFrames - 1)) + 1;
        if (n == movie_->FramePosition())
            ++n;
        SeekAndCheck(n);
    }
    n = 5;
    SeekAndCheck(n);
    for (Cardinal step : {1u, 1u, 1u, 3u, 3u, 3u, 7u, 7u, 7u})
        SeekAndCheck(n += step);
    for (Cardinal step : {1u, 1u, 2u, 5u, 11u})
        SeekAndCheck(n -= step);
    SeekAndCheck(kFrames - 1);
    SeekAndCheck(0);
    SeekAndCheck(kFrames);
    SeekAndCheck(3);
    std::printf("[ %s ] %d seeks checked\n", format.name, seeks_);
}

TEST_P(Contract, SeeksFasterThanThePollAreOneChangeEndingAtTheLast)
{
    const Format& format = GetParam();
    OpenAndWaitFirstReport(testvideos::NumberedVideo(format.file, kFrames, format.codec));
    const std::size_t before = events_.positions.size();
    // Three seeks between two polls. The poll is run by hand once the player stands on the
    // last one, so that when the player gets to the intermediate ones plays no part.
    movie_->RelayTimer()->SetEnabled(false);
    movie_->SeekToFrame(10);
    movie_->SeekToFrame(31);
    movie_->SeekToFrame(22);
    ASSERT_TRUE(WaitUntil([&] { return std::abs(movie_->GetDispDouble(1027) - 22 / 25.0) < 1e-3; }, 5000));
    movie_->RelayTick(nullptr);
    movie_->RelayTimer()->SetEnabled(true);
    Pump(250);
    ASSERT_EQ(before + 1, events_.positions.size());
    const PositionReport& report = events_.positions.back();
    EXPECT_EQ(0u, report.OldFrame);
    EXPECT_EQ(22u, report.NewFrame);
    EXPECT_NEAR(22 / 25.0, report.NewTime, 1e-9);
    EXPECT_EQ(22, report.Shown);
}

INSTANTIATE_TEST_SUITE_P(Formats, Contract, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<Format>& info) { return std::string(info.param.name); });

TEST_F(MovieTest, SeeksTheComponentRefusesAndSeeksToTheCurrentFrameReportNothing)
{
    EXPECT_EQ(0u, movie_->FrameCount());
    movie_->SeekToFrame(0); // nothing open: nothing at all
    OpenAndWaitFirstReport(testvideos::NumberedVideo("mj.avi", kFrames, "-c:v mjpeg -q:v 3"));
    const std::size_t before = events_.positions.size();
    movie_->SeekToFrame(kFrames + 1);
    movie_->SeekToFrame(0xFFFFFFFFu);
    movie_->SeekToFrame(0);
    Pump(250);
    EXPECT_EQ(before, events_.positions.size());
}

TEST_F(MovieTest, ReportsCarryBothUnitsAndSeeksKeepTheCallersDisplayMode)
{
    movie_->SetDisplayMode(mpFrames);
    OpenAndWaitFirstReport(testvideos::NumberedVideo("mj.avi", kFrames, "-c:v mjpeg -q:v 3"));
    EXPECT_EQ(mpFrames, movie_->DisplayMode());
    EXPECT_EQ(static_cast<Cardinal>(kFrames), movie_->FrameCount());
    PositionReport report = SeekAndWaitReport(25);
    EXPECT_EQ(mpFrames, movie_->DisplayMode());
    EXPECT_EQ(25u, report.NewFrame);
    EXPECT_NEAR(1.0, report.NewTime, 1e-9);
    EXPECT_EQ(25, report.Shown);

    const std::size_t before = events_.positions.size();
    movie_->SeekToTime(0.4);
    ASSERT_TRUE(WaitUntil([&] { return events_.positions.size() > before; }, 5000));
    report = events_.positions.back();
    EXPECT_EQ(mpFrames, movie_->DisplayMode());
    EXPECT_EQ(25u, report.OldFrame);
    EXPECT_NEAR(1.0, report.OldTime, 1e-9);
    EXPECT_EQ(10u, report.NewFrame);
    EXPECT_NEAR(0.4, report.NewTime, 1e-9);
    EXPECT_EQ(10, report.Shown);

    // Beyond the length in seconds: nothing.
    movie_->SeekToTime(kFrames / 25.0 + 0.5);
    Pump(200);
    EXPECT_EQ(before + 1, events_.positions.size());
    EXPECT_EQ(mpFrames, movie_->DisplayMode());
}

TEST_F(MovieTest, AFileThatCannotBeOpenedGivesOnErrorAndNeverOnOpenComplete)
{
    const std::string bad = testvideos::TestFolder() + "/bad.mpg";
    FILE* file = std::fopen(bad.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 4000; ++i)
        std::fputc((i * 7919) & 0xFF, file);
    std::fclose(file);

    // A good media first: its length stays while the bad one fails.
    OpenAndWaitFirstReport(testvideos::NumberedVideo("mj.avi", kFrames, "-c:v mjpeg -q:v 3"));
    events_.entries.clear();
    movie_->SetFileName(ToWideString(bad));
    movie_->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return !events_.Starting("error").empty(); }));
    Pump(300);
    EXPECT_TRUE(events_.Starting("openComplete").empty());
    const std::vector<std::string> errors = events_.Starting("error");
    ASSERT_EQ(1u, errors.size());
    EXPECT_NE("error 0 ", errors[0].substr(0, 8));
    EXPECT_GT(errors[0].size(), std::string("error 1 ").size()) << "a description comes with the code";
    EXPECT_EQ(static_cast<Cardinal>(kFrames), movie_->FrameCount());
    EXPECT_EQ(WordFalse, movie_->SnapshotToImage(image_)) << "nothing is open any more";
    EXPECT_EQ(nullptr, movie_->RendererVideo()) << "the closed media's graph is let go";
    EXPECT_EQ(nullptr, movie_->RendererWindow());

    // The same on a fresh component: the length stays 0.
    TActiveMovie* fresh = MakeMovie();
    events_.entries.clear();
    fresh->SetFileName(ToWideString(bad));
    fresh->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return !events_.Starting("error").empty(); }));
    Pump(200);
    EXPECT_TRUE(events_.Starting("openComplete").empty());
    EXPECT_EQ(0u, fresh->FrameCount());
}

} // namespace
} // namespace vstest
