// Positioning and playback through the hosted control: exact frames after seeks by frame and
// by time, superseded seeks, play and pause, the rate, the end of the stream and rewinding.
#include "tests/platform/mediaplayer/GraphProbe.h"
#include "tests/platform/mediaplayer/PlayerTestSupport.h"

#include "platform/com/Bstr.h"

#include <QElapsedTimer>

using namespace mediaplayer;

namespace playertest {
namespace {

class PlayerSeekTest : public PlayerTest {
protected:
    void OpenPaused(const std::string& path)
    {
        movie_->SetWordBoolProp(kDispAutoStart, false);
        OpenAndWait(path);
    }

    // Writes the position, then waits until it reads back; from the first read of the new
    // value on, the renderer must already show the expected frame.
    void SeekAndCheck(double position, int expectedFrame)
    {
        movie_->SetDoubleProp(kDispCurrentPosition, position);
        ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == position; })) << position;
        EXPECT_EQ(expectedFrame, ShownFrame()) << "after a seek to " << position;
    }
};

TEST_F(PlayerSeekTest, SeeksByFrameAndByTimeShowExactlyTheFrameBeforeThePositionReadsIt)
{
    OpenPaused(NumberedVideo("open.avi", 50));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    for (int frame : {37, 36, 0, 49, 12, 13, 48})
        SeekAndCheck(frame, frame);
    movie_->SetIntegerProp(kDispDisplayMode, 0);
    SeekAndCheck(1.0, 25);
    SeekAndCheck(0.5, 12);  // frame 12 starts at 0.48 s and lasts until 0.52 s
    SeekAndCheck(1.96, 49);
    // The display mode only changes the unit of what is read.
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    EXPECT_EQ(49.0, Double(kDispCurrentPosition));
}

TEST_F(PlayerSeekTest, LongGroupsOfPicturesSeekExactlyToo)
{
    OpenPaused(NumberedVideo("longgop.mp4", 100, "-c:v libx264 -g 250 -bf 2 -pix_fmt yuv420p"));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    EXPECT_EQ(100.0, Double(kDispDuration));
    for (int frame : {99, 50, 3, 77, 76})
        SeekAndCheck(frame, frame);
}

TEST_F(PlayerSeekTest, ANewerPositionSupersedesOnesNotYetReached)
{
    OpenPaused(NumberedVideo("open.avi", 50));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    for (int frame = 1; frame <= 40; ++frame)
        movie_->SetDoubleProp(kDispCurrentPosition, frame);
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 40; }));
    EXPECT_EQ(40, ShownFrame());
}

TEST_F(PlayerSeekTest, PositionsOutsideTheMediaAreClampedOrRefused)
{
    OpenPaused(NumberedVideo("open.avi", 50));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    SeekAndCheck(49, 49);
    movie_->SetDoubleProp(kDispCurrentPosition, 500);  // beyond the end: the last frame
    EXPECT_EQ(49, ShownFrame());
    EXPECT_THROW(movie_->SetDoubleProp(kDispCurrentPosition, -1), Exception);
    // The boolean false the program writes at creation is position 0.
    movie_->SetWordBoolProp(kDispCurrentPosition, false);
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 0; }));
    EXPECT_EQ(0, ShownFrame());
}

TEST_F(PlayerSeekTest, PlayAdvancesAndPauseHoldsTheShownFrame)
{
    OpenPaused(NumberedVideo("long.avi", 250));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    ASSERT_EQ(S_OK, Player()->Play());
    EXPECT_EQ(kPlayPlaying, Int(kDispPlayState));
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) >= 5; }));
    ASSERT_EQ(S_OK, Player()->Pause());
    EXPECT_EQ(kPlayPaused, Int(kDispPlayState));
    ASSERT_TRUE(WaitUntil([&] {
        const double p = Double(kDispCurrentPosition);
        return p >= 3 && ShownFrame() == static_cast<int>(p);
    })) << Double(kDispCurrentPosition) << " shown " << ShownFrame();
    const double held = Double(kDispCurrentPosition);
    QElapsedTimer timer;
    timer.start();
    WaitUntil([&] { return timer.elapsed() > 300; });
    EXPECT_EQ(held, Double(kDispCurrentPosition));
    EXPECT_EQ(static_cast<int>(held), ShownFrame());
    EXPECT_TRUE(log_.Has("play 0>2"));
    EXPECT_TRUE(log_.Has("play 2>1"));
}

// A container that does what the video source component does with a media it must not play:
// it rewinds to 0 in its open-state handler and pauses once it has seen the media play, late
// (a timer tick on a busy machine), reading the position only when told to.
class RewindingContainer : public TObject {
public:
    void OpenState(TObject*, int, int newState)
    {
        if (newState == kOpenOpen)
            movie_->SetDoubleProp(kDispCurrentPosition, 0);
    }
    void PlayState(TObject*, int, int newState)
    {
        if (newState == kPlayPlaying)
            sawPlaying = true;
    }
    TDerivedMovie_* movie_ = nullptr;
    bool sawPlaying = false;
};

class PlayerOpeningPositionTest : public PlayerSeekTest {
protected:
    void OpenRewindingAndWaitForPlay()
    {
        container_.movie_ = movie_;
        movie_->OnOpenStateChange.Assign(&container_, &RewindingContainer::OpenState);
        movie_->OnPlayStateChange.Assign(&container_, &RewindingContainer::PlayState);
        UniqueBstr name(NumberedVideo("long.avi", 250));
        ASSERT_EQ(S_OK, Player()->Open(name.Get()));
        ASSERT_TRUE(WaitUntil([&] { return container_.sawPlaying; }));
    }
    RewindingContainer container_;
};

TEST_F(PlayerOpeningPositionTest, APauseAfterTheOwnStartReturnsToThePositionWrittenAtOpen)
{
    OpenRewindingAndWaitForPlay();
    // The media plays on in the meantime: at 25 frames a second, several frames.
    QElapsedTimer late;
    late.start();
    WaitUntil([&] { return late.elapsed() >= 200; });
    ASSERT_EQ(S_OK, Player()->Pause());
    ASSERT_TRUE(FilterGraph());  // taking the graph waits until the pause is carried out
    EXPECT_EQ(kPlayPaused, Int(kDispPlayState));
    EXPECT_EQ(0, ShownFrame());
    EXPECT_EQ(0.0, Double(kDispCurrentPosition));
    // The position stays there, and playing goes on from it.
    late.restart();
    WaitUntil([&] { return late.elapsed() >= 100; });
    EXPECT_EQ(0, ShownFrame());
    ASSERT_EQ(S_OK, Player()->Play());
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) >= 0.2; }));
}

TEST_F(PlayerOpeningPositionTest, OnceTheContainerHasReadThePlayingPositionItsPauseIsAnOrdinaryOne)
{
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    OpenRewindingAndWaitForPlay();
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) >= 5; }));
    ASSERT_EQ(S_OK, Player()->Pause());
    ASSERT_TRUE(FilterGraph());
    const double held = Double(kDispCurrentPosition);
    EXPECT_GE(held, 3);  // where the renderer stands: the clock may be a frame ahead of it
    EXPECT_EQ(static_cast<int>(held), ShownFrame());
}

TEST_F(PlayerSeekTest, AContainerDrivingTheGraphIsSerialisedAgainstThePlayersCommands)
{
    OpenPaused(NumberedVideo("long.avi", 250));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    const ComPtr<IUnknown> graph = FilterGraph();
    ASSERT_TRUE(graph);
    for (int round = 0; round < 12; ++round) {
        // Commands for the player's thread, still being carried out while the container
        // drives the same graph from here.
        ASSERT_EQ(S_OK, Player()->Play());
        movie_->SetDoubleProp(kDispCurrentPosition, (round * 37) % 250);
        ASSERT_EQ(S_OK, Player()->Pause());
        movie_->SetDoubleProp(kDispCurrentPosition, (round * 11) % 250);
        EXPECT_EQ("", RewireUnderGraphLock(graph.Get())) << round;
        ASSERT_EQ(S_OK, Player()->Play());
        movie_->SetDoubleProp(kDispCurrentPosition, (round * 53) % 250);
        EXPECT_EQ("", RunSeekPause(graph.Get(), (round * 29) % 250)) << round;
        ASSERT_EQ(S_OK, Player()->Pause());
    }
    ASSERT_TRUE(FilterGraph());  // the player's commands are done
    EXPECT_TRUE(GraphStateIsEveryFiltersState(graph.Get()));
    // The player still positions exactly.
    SeekAndCheck(123, 123);
    SeekAndCheck(7, 7);
}

TEST_F(PlayerSeekTest, TheRateIsAppliedToPlayback)
{
    OpenPaused(NumberedVideo("open.avi", 50));
    movie_->SetDoubleProp(kDispRate, 2.0);
    EXPECT_EQ(2.0, Double(kDispRate));
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(S_OK, Player()->Play());
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("end 0"); }));
    // Two seconds of media at twice the speed: never faster than one second.
    EXPECT_GE(timer.elapsed(), 900);
    EXPECT_EQ(2.0, GraphRate(FilterGraph().Get()));
    EXPECT_THROW(movie_->SetDoubleProp(kDispRate, 0), Exception);
}

TEST_F(PlayerSeekTest, TheEndOfTheStreamStopsAtTheEndAndPlayStartsOver)
{
    OpenPaused(NumberedVideo("short.avi", 15));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    ASSERT_EQ(S_OK, Player()->Play());
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 2>0"); }));
    const std::vector<std::string> tail = {"end 0", "play 2>0"};
    EXPECT_EQ(tail, std::vector<std::string>(log_.entries.end() - 2, log_.entries.end()));
    EXPECT_EQ(15.0, Double(kDispCurrentPosition));
    EXPECT_EQ(14, ShownFrame());
    log_.entries.clear();
    ASSERT_EQ(S_OK, Player()->Play());
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("end 0"); }));
    EXPECT_EQ(15.0, Double(kDispCurrentPosition));
}

TEST_F(PlayerSeekTest, AVideoOfOneFrameEndsAtOnceEveryTimeItIsPlayed)
{
    OpenAndWait(NumberedVideo("single.avi", 1));
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 2>0"); }));
    for (int round = 0; round < 5; ++round) {
        log_.entries.clear();
        ASSERT_EQ(S_OK, Player()->Play());
        ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 2>0"); })) << round;
        EXPECT_EQ(0, ShownFrame());
    }
}

TEST_F(PlayerSeekTest, AutoRewindReturnsToTheFirstFrameAtTheEnd)
{
    movie_->SetWordBoolProp(kDispAutoRewind, true);
    OpenPaused(NumberedVideo("short.avi", 15));
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    ASSERT_EQ(S_OK, Player()->Play());
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("end 0"); }));
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 0; }));
    EXPECT_EQ(0, ShownFrame());
    EXPECT_EQ(kPlayStopped, Int(kDispPlayState));
}

TEST_F(PlayerSeekTest, ReopeningClosesTheFirstMediaWithItsEvents)
{
    OpenAndWait(NumberedVideo("open.avi", 50));
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 6>2"); }));
    log_.entries.clear();
    OpenAndWait(NumberedVideo("short.avi", 15));
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 6>2"); }));
    const std::vector<std::string> expected = {"play 2>6", "open 6>0", "open 0>5", "ready 1",
                                               "open 5>6", "ready 4", "play 6>2"};
    EXPECT_EQ(expected, log_.entries);
}

}  // namespace
}  // namespace playertest
