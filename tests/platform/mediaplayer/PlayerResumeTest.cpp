// Which frames playing sends, recorded in front of the renderer and identified by the number
// drawn into each: play resumes with the frame after the one shown, whatever brought the
// player to rest there (the opening, a paused seek, a pause, a stop, a pause right after
// play, the container's own pause after the player started by itself), and at the last frame
// it ends at once without sending anything.
#include "tests/platform/mediaplayer/GraphProbe.h"
#include "tests/platform/mediaplayer/PlayerTestSupport.h"

#include "platform/com/Bstr.h"

using namespace mediaplayer;

namespace playertest {
namespace {

class PlayerResumeTest : public PlayerTest {
protected:
    void OpenPausedAndRecord(int frames)
    {
        movie_->SetWordBoolProp(kDispAutoStart, false);
        OpenAndWait(NumberedVideo("resume" + std::to_string(frames) + ".avi", frames));
        movie_->SetIntegerProp(kDispDisplayMode, 1);
        Record();
    }

    void Record()
    {
        graph_ = FilterGraph();
        ASSERT_TRUE(graph_);
        ASSERT_EQ("", recorder_.Insert(graph_.Get()));
    }

    // Plays until the recorder has seen `count` frames, then calls `rest` (pause or stop) and
    // waits until it is carried out. The frames sent from the play on, in order.
    std::vector<int> PlayThen(std::size_t count, HRESULT (IMediaPlayer::*rest)())
    {
        recorder_.Clear();
        EXPECT_EQ(S_OK, Player()->Play());
        EXPECT_TRUE(WaitUntil([&] { return recorder_.Frames().size() >= count; }));
        EXPECT_EQ(S_OK, (Player()->*rest)());
        EXPECT_TRUE(FilterGraph());  // waits until the command is carried out
        return recorder_.Frames();
    }

    // `sent` runs from `first` one frame at a time, and ends with the frame shown now.
    void ExpectRunFrom(int first, const std::vector<int>& sent)
    {
        ASSERT_FALSE(sent.empty()) << "from " << first;
        std::vector<int> expected(sent.size());
        for (std::size_t i = 0; i < expected.size(); ++i)
            expected[i] = first + static_cast<int>(i);
        EXPECT_EQ(expected, sent) << "from " << first;
        EXPECT_EQ(sent.back(), ShownFrame());
        EXPECT_EQ(sent.back(), Double(kDispCurrentPosition));
    }

    FrameRecorder recorder_;
    ComPtr<IUnknown> graph_;
};

TEST_F(PlayerResumeTest, PlayResumesWithTheFrameAfterTheShownOneWhateverBroughtItThere)
{
    OpenPausedAndRecord(250);
    ASSERT_EQ(0, ShownFrame());
    // After the opening.
    std::vector<int> sent = PlayThen(4, &IMediaPlayer::Pause);
    ExpectRunFrom(1, sent);
    // After a pause.
    int shown = ShownFrame();
    ExpectRunFrom(shown + 1, PlayThen(3, &IMediaPlayer::Pause));
    // After a paused seek, also to the frame shown already.
    for (int frame : {40, 40, 0, 199}) {
        movie_->SetDoubleProp(kDispCurrentPosition, frame);
        ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == frame; }));
        ExpectRunFrom(frame + 1, PlayThen(3, &IMediaPlayer::Pause));
    }
    // After a stop, which leaves the position where it is.
    shown = ShownFrame();
    ExpectRunFrom(shown + 1, PlayThen(3, &IMediaPlayer::Stop));
    EXPECT_EQ(kPlayStopped, Int(kDispPlayState));
    shown = ShownFrame();
    ExpectRunFrom(shown + 1, PlayThen(2, &IMediaPlayer::Pause));
    // A pause right behind the play, before or after its first frame: nothing is sent twice
    // either way, and the next play goes on after what is shown.
    for (int round = 0; round < 5; ++round) {
        shown = ShownFrame();
        sent = PlayThen(0, &IMediaPlayer::Pause);
        if (!sent.empty())
            ExpectRunFrom(shown + 1, sent);
        else
            EXPECT_EQ(shown, ShownFrame()) << round;
    }
    shown = ShownFrame();
    ExpectRunFrom(shown + 1, PlayThen(2, &IMediaPlayer::Pause));
}

TEST_F(PlayerResumeTest, AtTheLastFramePlayEndsAtOnceAndThenStartsOverFromTheFirst)
{
    OpenPausedAndRecord(30);
    movie_->SetDoubleProp(kDispCurrentPosition, 29);
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 29; }));
    for (int round = 0; round < 3; ++round) {
        log_.entries.clear();
        recorder_.Clear();
        ASSERT_EQ(S_OK, Player()->Play());
        ASSERT_TRUE(WaitUntil([&] { return log_.Has("play 2>0"); })) << round;
        EXPECT_EQ((std::vector<std::string>{"play 0>2", "end 0", "play 2>0"}), log_.Starting("")) << round;
        EXPECT_TRUE(recorder_.Frames().empty()) << round;
        EXPECT_EQ(29, ShownFrame());
        EXPECT_EQ(30.0, Double(kDispCurrentPosition));  // the end
        // From the end, play starts over: the first frame is sent once, then the others.
        recorder_.Clear();
        log_.entries.clear();
        ASSERT_EQ(S_OK, Player()->Play());
        ASSERT_TRUE(WaitUntil([&] { return log_.Has("end 0"); }));
        std::vector<int> all(30);
        for (int i = 0; i < 30; ++i)
            all[i] = i;
        EXPECT_EQ(all, recorder_.Frames()) << round;
        movie_->SetDoubleProp(kDispCurrentPosition, 29);
        ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 29; }));
    }
}

// The video source component's way with a media it must not play: the player starts it by
// itself, the container rewinds to 0 while it is told of the opening and pauses later.
class RewindAtOpen : public TObject {
public:
    void OpenState(TObject*, int, int newState)
    {
        if (newState == kOpenOpen)
            movie->SetDoubleProp(kDispCurrentPosition, 0);
    }
    TDerivedMovie_* movie = nullptr;
};

TEST_F(PlayerResumeTest, AfterTheContainersPauseOfTheOwnStartPlayGoesOnFromTheFirstFrame)
{
    RewindAtOpen container;
    container.movie = movie_;
    movie_->OnOpenStateChange.Assign(&container, &RewindAtOpen::OpenState);
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    UniqueBstr name(NumberedVideo("resume250.avi", 250));
    ASSERT_EQ(S_OK, Player()->Open(name.Get()));
    ASSERT_TRUE(WaitUntil([&] { return Int(kDispPlayState) == kPlayPlaying; }));
    Pump(150);
    ASSERT_EQ(S_OK, Player()->Pause());
    ASSERT_NO_FATAL_FAILURE(Record());
    ASSERT_EQ(0, ShownFrame());
    ExpectRunFrom(1, PlayThen(3, &IMediaPlayer::Pause));
}

}  // namespace
}  // namespace playertest
