// Snapshots and the component's waiting: a playing video is paused for the grab and plays
// again, CaptureSize scales the frame with halves to even, a snapshot into a picture of the
// frame's size is written into it, OnCreate follows the window set-up, and the bounded wait
// that keeps the messages going.
#include "platform/dshow/TestDelays.h"
#include "tests/support/NumberedVideos.h"
#include "tests/videosource/MovieFixture.h"
#include "videosource/MessageWait.h"

namespace vstest {
namespace {

TEST_F(MovieTest, ASnapshotOfAPlayingVideoPausesForTheGrabAndPlaysOnAfterwards)
{
    movie_->SetAutoStart(WordTrue);
    events_.snapshotImage = nullptr;
    movie_->SetFileName(ToWideString(testvideos::NumberedVideo("long.avi", 100, "-c:v mjpeg -q:v 3")));
    movie_->OpenMedia();
    // The renderer may run a few frames behind the clock on a loaded machine, so the clock
    // is let well past the frames the snapshot must be beyond.
    ASSERT_TRUE(WaitUntil([&] { return movie_->GetDispInt(1068) == 2 && movie_->FramePosition() > 12; }, 8000));
    EXPECT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    EXPECT_EQ(2, movie_->GetDispInt(1068)) << "playing again";
    const int shown = ShownNumber(image_);
    EXPECT_GE(shown, 2);
    EXPECT_EQ(testvideos::kPatternWidth, image_->Width());
    EXPECT_EQ(testvideos::kPatternHeight, image_->Picture()->Height());
    movie_->Stop();
}

TEST_F(MovieTest, CaptureSizeScalesTheFrameRoundingHalvesToEven)
{
    OpenAndWaitFirstReport(testvideos::NumberedVideo("odd.avi", 10, "-c:v mjpeg -pix_fmt yuvj444p -q:v 3", 175, 120));
    movie_->SetCaptureSize(50);
    int w = 0;
    int h = 0;
    EXPECT_EQ(WordTrue, movie_->ScaleToCaptureSize(175, 120, w, h));
    EXPECT_EQ(88, w);
    EXPECT_EQ(60, h);
    EXPECT_EQ(WordTrue, movie_->ScaleToCaptureSize(173, 120, w, h));
    EXPECT_EQ(86, w);
    ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    EXPECT_EQ(88, image_->Picture()->Width());
    EXPECT_EQ(60, image_->Picture()->Height());
    EXPECT_EQ(88, image_->Width());
    EXPECT_EQ(60, image_->Height());
    movie_->SetCaptureSize(100);
    EXPECT_EQ(WordFalse, movie_->ScaleToCaptureSize(175, 120, w, h));
    ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    EXPECT_EQ(175, image_->Picture()->Width());
    EXPECT_EQ(0, ShownNumber(image_));

    // Sizes that leave no picture: no snapshot, the image as it was.
    for (int size : {0, -20}) {
        movie_->SetCaptureSize(size);
        EXPECT_EQ(WordFalse, movie_->SnapshotToImage(image_)) << size;
        EXPECT_EQ(175, image_->Picture()->Width());
    }
    // Products past 32 bits are not wrapped: the size stops at what a window can hold.
    movie_->SetCaptureSize(2000000000);
    EXPECT_EQ(WordTrue, movie_->ScaleToCaptureSize(175, 1, w, h));
    EXPECT_EQ(TActiveMovie::kMaxPictureExtent, w);
    EXPECT_EQ(TActiveMovie::kMaxPictureExtent, h);
}

// Every snapshot after the first finds the picture a device bitmap of the frame's size and
// writes the frame into it: the picture must still say it changed (the preview is drawn from
// it), and a picture of another kind or size keeps being handled as before.
TEST_F(MovieTest, SnapshotsIntoAnImageTellItsPictureAndKeepAPictureOfAnotherFormat)
{
    events_.snapshotImage = nullptr;
    OpenAndWaitFirstReport(testvideos::NumberedVideo("snap.avi", 12));
    ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    TBitmap* picture = image_->Picture()->Bitmap();
    ASSERT_EQ(pfDevice, picture->PixelFormat());
    ASSERT_EQ(testvideos::kPatternWidth, picture->Width());

    for (Cardinal frame : {4u, 7u}) {
        SeekAndWaitReport(frame);
        image_->SetWidth(320); // as the main window sizes it back after each snapshot
        image_->SetHeight(240);
        picture->SetModified(false);
        ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_)) << frame;
        EXPECT_EQ(picture, image_->Picture()->Graphic()) << "the same bitmap, written over";
        EXPECT_TRUE(picture->Modified()) << frame;
        EXPECT_EQ(static_cast<int>(frame), ShownNumber(image_));
        EXPECT_EQ(testvideos::kPatternWidth, image_->Width());
        EXPECT_EQ(testvideos::kPatternHeight, image_->Height());
    }

    picture->SetPixelFormat(pf24bit);
    SeekAndWaitReport(9);
    ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    EXPECT_EQ(pf24bit, image_->Picture()->Bitmap()->PixelFormat());
    EXPECT_EQ(9, ShownNumber(image_));

    image_->Picture()->Bitmap()->SetPixelFormat(pfDevice);
    image_->Picture()->Bitmap()->SetSize(30, 20);
    ASSERT_EQ(WordTrue, movie_->SnapshotToImage(image_));
    EXPECT_EQ(testvideos::kPatternWidth, image_->Picture()->Width());
    EXPECT_EQ(testvideos::kPatternHeight, image_->Picture()->Height());
    EXPECT_EQ(9, ShownNumber(image_));
}

// The first report after an open shows frame 0 however late the player gets back there: here
// the control has played a few frames before its pause, and its seek back to 0 is slow.
TEST_F(MovieTest, TheFirstReportShowsFrameZeroWhenThePlayersWayBackIsSlow)
{
    const std::string path = testvideos::NumberedVideo("slow.avi", 60, "-c:v mjpeg -q:v 3");
    ASSERT_FALSE(path.empty());
    ScopedPausedSeekDelay slow(400);
    movie_->RelayTimer()->SetEnabled(false);
    movie_->SetFileName(ToWideString(path));
    movie_->OpenMedia();
    ASSERT_TRUE(WaitUntil([&] { return events_.Has("openComplete 60"); }));
    Pump(300); // the control plays on: nothing pauses it without the relay
    movie_->RelayTimer()->SetEnabled(true);
    ASSERT_TRUE(WaitUntil([&] { return !events_.positions.empty(); }, 5000));
    const PositionReport first = events_.positions.front();
    EXPECT_EQ(0u, first.NewFrame);
    EXPECT_TRUE(first.SnapshotOk);
    EXPECT_EQ(0, first.Shown);
    Pump(300);
    EXPECT_EQ(1u, events_.positions.size());
}

class CreateRecorder : public TObject {
public:
    void Created(TObject* sender)
    {
        ++count;
        playerWindow = static_cast<TActiveMovie*>(sender)->Player()->HandleAllocated();
    }
    int count = 0;
    bool playerWindow = false;
};

TEST_F(MovieTest, OnCreateFiresOnceTheControlsWindowIsSetUp)
{
    auto* other = new TForm(nullptr);
    auto* movie = new TActiveMovie(other);
    CreateRecorder recorder;
    movie->OnCreate.Assign(&recorder, &CreateRecorder::Created);
    movie->SetParent(other);
    EXPECT_EQ(0, recorder.count);
    other->HandleNeeded();
    EXPECT_EQ(1, recorder.count);
    EXPECT_TRUE(recorder.playerWindow);
    EXPECT_EQ(alClient, movie->Player()->Align());
    EXPECT_TRUE(movie->Player()->ClipChildren());
    other->Free();
}

class FlagSetter : public TObject {
public:
    void Tick(TObject* sender)
    {
        flag = true;
        static_cast<TTimer*>(sender)->SetEnabled(false);
    }
    bool flag = false;
};

TEST(MessageWait, KeepsMessagesGoingUntilTheConditionAndGivesUpAtItsBound)
{
    FlagSetter setter;
    auto* timer = new TTimer(nullptr);
    timer->SetInterval(30);
    timer->OnTimer.Assign(&setter, &FlagSetter::Tick);
    EXPECT_TRUE(WaitProcessingMessages([&] { return setter.flag; }, 5000)) << "the timer ran during the wait";
    timer->Free();
    EXPECT_FALSE(WaitProcessingMessages([] { return false; }, 100));
    int asked = 0;
    EXPECT_TRUE(WaitProcessingMessages([&] { return ++asked > 0; }, 0)) << "a condition already true";
    EXPECT_EQ(1, asked);
}

} // namespace
} // namespace vstest
