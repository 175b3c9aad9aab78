// TActiveMovie with its grabber on the real control and graph, on numbered videos: snapshots
// through the grabber (paused, playing, the bounded wait), the grabber graph's rewiring (a
// failed Connect restores the renderer's link, a second build goes directly in front of the
// renderer), and bursts whose frame numbers show which samples they took.
#include "tests/videosource/grabber/MovieGrabberFixture.h"

#include "framework/Bitmap.h"
#include "platform/com/ClassFactory.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/dshow/SampleGrabber.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"

#include <QElapsedTimer>
#include <QThread>

using namespace grabbertest;

namespace {

int ShownNumberOf(TImage* image)
{
    TBitmap* picture = image->Picture()->Bitmap();
    picture->SetPixelFormat(pf32bit); // a renderer snapshot is a device bitmap
    return BitmapFrameNumber(picture);
}

class MovieGrabber : public MovieGrabberTest {
protected:
    // A snapshot through the grabber into the image; the number it shows, -1 when it failed.
    int Snapshot()
    {
        if (!movie_->SnapshotToImage(image_))
            return -1;
        return ShownNumberOf(image_);
    }
};

} // namespace

TEST_F(MovieGrabber, GraphAndCallbackAfterOpening)
{
    ASSERT_NE(nullptr, movie_->GrabberCallback());
    EXPECT_TRUE(movie_->GrabberAvailable());
    EXPECT_FALSE(movie_->GrabberReady());
    ASSERT_NO_FATAL_FAILURE(Open(60));
    EXPECT_EQ(1, GrabbersInFrontOfRenderer());
    // The status names the filter that feeds the grabber.
    EXPECT_FALSE(movie_->GrabberStatus().empty());
    EXPECT_NE(u"the FGrabber_Enabled property must be enabled.", movie_->GrabberStatus());
    EXPECT_EQ(TSampleGrabberCB::FormatVideoInfo, movie_->GrabberCallback()->FormatKind());
    EXPECT_EQ(movie_->Handle(), movie_->GrabberCallback()->NotifyWindow());
}

TEST_F(MovieGrabber, NoSampleGrabberOnTheMachine)
{
    ASSERT_EQ(S_OK, UnregisterClassFactory(CLSID_SampleGrabber));
    auto* bare = new TActiveMovie(form_);
    EXPECT_FALSE(bare->GrabberAvailable());
    EXPECT_EQ(nullptr, bare->GrabberCallback());
    InstallDirectShowServices();
    bare->SetFGrabber_Enabled(true);
    bare->SetFGrabber_BurstCount(3); // nothing to pass it to
    EXPECT_FALSE(bare->BuildGrabberGraph());
    EXPECT_FALSE(bare->CaptureFrames(fcMemory));
    bare->Free();
}

// A grabber snapshot of paused media takes the frame shown and leaves the media where it is,
// however it came to rest (opened, seeks, a snapshot before), at the last frame too.
TEST_F(MovieGrabber, SnapshotWhilePausedGivesTheShownFrameAndMovesNothing)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_TRUE(WaitUntil([&] { return recorder_.positionReports == 1; }));
    ASSERT_EQ(0, RendererFrame());
    EXPECT_EQ(0, Snapshot());
    // The second seek to 57 leaves the position the component reports unchanged, so the
    // snapshot starts while that seek may still be under way.
    for (Cardinal frame : {10u, 57u, 57u, 30u, 37u, 5u, 59u}) {
        ASSERT_NO_FATAL_FAILURE(SeekPaused(frame));
        for (int round = 0; round < 2; ++round) {
            EXPECT_EQ(static_cast<int>(frame), Snapshot()) << frame;
            EXPECT_EQ(176, image_->Picture()->Bitmap()->Width());
            EXPECT_EQ(144, image_->Picture()->Bitmap()->Height());
            EXPECT_EQ(1, PlayState()) << frame;
            EXPECT_EQ(static_cast<int>(frame), RendererFrame()) << frame;
            EXPECT_FALSE(movie_->GrabberCallback()->Armed());
            EXPECT_FALSE(movie_->GrabberCallback()->Busy());
        }
    }
    Pump(200);
    EXPECT_EQ(7, recorder_.positionReports); // the open and the six seeks that moved
    EXPECT_EQ(0, recorder_.endsOfStream);
    EXPECT_TRUE(recorder_.captures.empty()); // every frame went to its snapshot
}

namespace {

// The main window's use: a snapshot in every position report.
class SnapshotInEveryReport : public TObject {
public:
    SnapshotInEveryReport(TActiveMovie* movie, TImage* image) : movie_(movie), image_(image) {}
    void PositionChange(TObject*, double, double, Cardinal, Cardinal newFrame)
    {
        frames.push_back(newFrame);
        shown.push_back(movie_->SnapshotToImage(image_) ? ShownNumberOf(image_) : -1);
    }
    std::vector<Cardinal> frames;
    std::vector<int> shown;

private:
    TActiveMovie* movie_;
    TImage* image_;
};

} // namespace

// With the grabber on, the chain seek, report, snapshot stops where nothing moves: one report
// after the open and one after a seek, each showing its frame.
TEST_F(MovieGrabber, ASnapshotInEveryReportGivesOneReportPerPosition)
{
    SnapshotInEveryReport reports(movie_, image_);
    movie_->OnPositionChange.Assign(&reports, &SnapshotInEveryReport::PositionChange);
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_TRUE(WaitUntil([&] { return !reports.shown.empty(); }));
    Pump(1500);
    EXPECT_EQ(std::vector<int>{0}, reports.shown);
    movie_->SeekToFrame(50);
    ASSERT_TRUE(WaitUntil([&] { return reports.shown.size() >= 2; }));
    Pump(1500);
    EXPECT_EQ((std::vector<int>{0, 50}), reports.shown);
    EXPECT_EQ((std::vector<Cardinal>{0, 50}), reports.frames);
    EXPECT_EQ(50, RendererFrame());
    EXPECT_EQ(1, PlayState());
}

TEST_F(MovieGrabber, SnapshotWhilePlayingGivesALaterFrameAndPlaysOn)
{
    ASSERT_NO_FATAL_FAILURE(Open(150));
    movie_->Play();
    ASSERT_TRUE(WaitUntil([&] { return PlayState() == 2 && movie_->FramePosition() >= 5; }));
    for (int i = 0; i < 3; ++i) {
        const int before = static_cast<int>(movie_->GetDispDouble(1027) * 25.0 + 0.5);
        const int shown = Snapshot();
        EXPECT_GE(shown, before - 1) << i; // the position read may round up to the next frame
        EXPECT_LT(shown, 150);
        EXPECT_TRUE(WaitUntil([&] { return PlayState() == 2; }, 5000));
    }
}

TEST_F(MovieGrabber, BoundedWaitWhenNoSampleComes)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(14));
    // A frame whose delivery never comes keeps the callback busy: no sample can be taken.
    TSampleGrabberCB* callback = movie_->GrabberCallback();
    FrameWindow swallow(*callback);
    swallow.Deliver = false;
    callback->SetNotifyWindow(swallow.Handle());
    callback->Arm();
    ASSERT_NO_FATAL_FAILURE(SeekPaused(3));
    ASSERT_TRUE(WaitUntil([&] { return swallow.Frames().size() == 1; }));
    callback->SetNotifyWindow(movie_->Handle());
    image_->Picture()->Bitmap()->SetSize(7, 5);
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(movie_->SnapshotToImage(image_));
    EXPECT_GE(timer.elapsed(), TActiveMovie::kGrabberFrameWaitMs - 50);
    // As after any failed grab: image untouched, the callback disarmed, the media where it was.
    EXPECT_EQ(7, image_->Picture()->Bitmap()->Width());
    EXPECT_FALSE(callback->Armed());
    EXPECT_EQ(1, PlayState());
    EXPECT_EQ(3, RendererFrame());
    swallow.DeliverPending();
    EXPECT_FALSE(callback->Busy());

    // Stopped media still shows a frame (the stop went back to 0): the snapshot takes it at
    // once. (The stop's report, which disarms the callback, is let through first.)
    movie_->Stop();
    ASSERT_TRUE(WaitUntil([&] { return PlayState() == 0; }));
    Pump(200);
    EXPECT_EQ(0, Snapshot());
    EXPECT_EQ(0, PlayState());
    EXPECT_EQ(0, RendererFrame());
    // Playing again, the next snapshot works.
    movie_->Play();
    ASSERT_TRUE(WaitUntil([&] { return PlayState() == 2; }));
    EXPECT_GE(Snapshot(), 0);
}

TEST_F(MovieGrabber, BoundedWaitLeavesPausedMediaPaused)
{
    ASSERT_NO_FATAL_FAILURE(Open(250));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(20));
    // A frame whose delivery never comes keeps the callback busy, so the snapshot's samples
    // are all refused: its message goes to a window that does not deliver it.
    TSampleGrabberCB* callback = movie_->GrabberCallback();
    FrameWindow swallow(*callback);
    swallow.Deliver = false;
    callback->SetNotifyWindow(swallow.Handle());
    callback->Arm();
    ASSERT_NO_FATAL_FAILURE(SeekPaused(21));
    ASSERT_TRUE(WaitUntil([&] { return swallow.Frames().size() == 1; }));
    ASSERT_TRUE(callback->Busy());
    callback->SetNotifyWindow(movie_->Handle());

    image_->Picture()->Bitmap()->SetSize(7, 5);
    EXPECT_FALSE(movie_->SnapshotToImage(image_));
    EXPECT_EQ(7, image_->Picture()->Bitmap()->Width());
    // The media stays paused, and nothing is left armed.
    EXPECT_TRUE(WaitUntil([&] { return PlayState() == 1; }, 5000));
    EXPECT_FALSE(callback->Armed());
    EXPECT_FALSE(callback->RepauseAfterCapture());
    EXPECT_TRUE(recorder_.captures.empty());

    swallow.DeliverPending();
    EXPECT_FALSE(callback->Busy());
    ASSERT_NO_FATAL_FAILURE(SeekPaused(140));
    EXPECT_EQ(140, Snapshot());
}

namespace {

// A Sample Grabber that asks for 8-bit palette samples whatever it is told: no filter of the
// graph produces them, so connecting its input fails. Everything else is the real grabber's.
class EightBitGrabber final : public ISampleGrabber {
public:
    EightBitGrabber() { SampleGrabber::Create().As(inner_); }
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid == IID_IUnknown || iid == IID_ISampleGrabber) {
            *object = static_cast<ISampleGrabber*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(iid, object); // the filter and its pins are the real ones
    }
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT SetOneShot(BOOL oneShot) override { return inner_->SetOneShot(oneShot); }
    HRESULT SetMediaType(const AM_MEDIA_TYPE* type) override
    {
        if (type == nullptr)
            return E_POINTER;
        AM_MEDIA_TYPE changed = *type;
        changed.subtype = MEDIASUBTYPE_RGB8;
        return inner_->SetMediaType(&changed);
    }
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* type) override { return inner_->GetConnectedMediaType(type); }
    HRESULT SetBufferSamples(BOOL buffer) override { return inner_->SetBufferSamples(buffer); }
    HRESULT GetCurrentBuffer(LONG* size, LONG* buffer) override { return inner_->GetCurrentBuffer(size, buffer); }
    HRESULT GetCurrentSample(IMediaSample** sample) override { return inner_->GetCurrentSample(sample); }
    HRESULT SetCallback(ISampleGrabberCB* callback, LONG which) override { return inner_->SetCallback(callback, which); }

private:
    ComPtr<ISampleGrabber> inner_;
    std::atomic<ULONG> references_{1};
};

// Swaps the Sample Grabber class for EightBitGrabber while it lives.
class EightBitGrabberInstalled {
public:
    EightBitGrabberInstalled()
    {
        UnregisterClassFactory(CLSID_SampleGrabber);
        auto factory = MakeComObject<ClassFactory>([](REFIID iid, void** object) -> HRESULT {
            auto* grabber = new EightBitGrabber();
            const HRESULT hr = grabber->QueryInterface(iid, object);
            grabber->Release();
            return hr;
        });
        RegisterClassFactory(CLSID_SampleGrabber, factory.Get());
    }
    ~EightBitGrabberInstalled()
    {
        UnregisterClassFactory(CLSID_SampleGrabber);
        InstallDirectShowServices(); // the real class again
    }
};

// The name of the filter whose output feeds the renderer's input, or "" when unconnected.
std::u16string RendererFeeder(IFilterGraph* graph)
{
    ComPtr<IBaseFilter> renderer;
    if (graph == nullptr || graph->FindFilterByName(u"Video Renderer", renderer.ReleaseAndGetAddressOf()) != S_OK)
        return u"?";
    const ComPtr<IPin> input = FindPin(renderer.Get(), PINDIR_INPUT);
    ComPtr<IPin> upstream;
    if (!input || input->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK)
        return u"";
    PIN_INFO pinInfo{};
    upstream->QueryPinInfo(&pinInfo);
    ComPtr<IBaseFilter> owner = ComPtr<IBaseFilter>::TakeOver(pinInfo.pFilter);
    FILTER_INFO info{};
    owner->QueryFilterInfo(&info);
    ComPtr<IFilterGraph> held = ComPtr<IFilterGraph>::TakeOver(info.pGraph);
    return info.achName;
}

int FiltersNamed(IFilterGraph* graph, const std::u16string& prefix)
{
    ComPtr<IEnumFilters> filters;
    if (graph == nullptr || graph->EnumFilters(filters.ReleaseAndGetAddressOf()) != S_OK)
        return -1;
    int count = 0;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::TakeOver(filter);
        FILTER_INFO info{};
        held->QueryFilterInfo(&info);
        ComPtr<IFilterGraph> owner = ComPtr<IFilterGraph>::TakeOver(info.pGraph);
        if (std::u16string(info.achName).rfind(prefix, 0) == 0)
            ++count;
    }
    return count;
}

} // namespace

TEST_F(MovieGrabber, FailedConnectRestoresTheRenderersLink)
{
    movie_->SetFGrabber_Enabled(false);
    ASSERT_NO_FATAL_FAILURE(Open(60));
    const std::u16string feeder = RendererFeeder(ControlGraph().Get());
    ASSERT_FALSE(feeder.empty());
    EXPECT_EQ(0, FiltersNamed(ControlGraph().Get(), u"Sample Grabber"));
    {
        EightBitGrabberInstalled swapped;
        EXPECT_FALSE(movie_->BuildGrabberGraph());
    }
    EXPECT_FALSE(movie_->GrabberReady());
    EXPECT_EQ(feeder, RendererFeeder(ControlGraph().Get()));
    EXPECT_EQ(0, FiltersNamed(ControlGraph().Get(), u"Sample Grabber"));
    // Snapshots take the renderer's path again.
    ASSERT_NO_FATAL_FAILURE(SeekPaused(12));
    EXPECT_TRUE(movie_->SnapshotToImage(image_));
    EXPECT_EQ(12, ShownNumberOf(image_));
}

TEST_F(MovieGrabber, SecondBuildGoesDirectlyInFrontOfTheRenderer)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_EQ(1, GrabbersInFrontOfRenderer());
    ASSERT_TRUE(movie_->BuildGrabberGraph());
    EXPECT_EQ(2, GrabbersInFrontOfRenderer());
    EXPECT_EQ(2, FiltersNamed(ControlGraph().Get(), u"Sample Grabber"));
    // The status names the earlier grabber, which now feeds the new one.
    EXPECT_EQ(0, movie_->GrabberStatus().rfind(u"Sample Grabber", 0));
}

// Without the logo the graph is built again when the control reports itself ready (4), after
// the build of the open report: the second grabber goes directly in front of the renderer, and
// it alone delivers. Each media gets its own pair.
TEST_F(MovieGrabber, WithoutTheLogoTheReadyReportBuildsAgain)
{
    movie_->SetDisplayLogo(WordFalse);
    for (int frames : {60, 40}) {
        ASSERT_NO_FATAL_FAILURE(Open(frames));
        EXPECT_TRUE(movie_->GrabberReady());
        EXPECT_EQ(2, GrabbersInFrontOfRenderer()) << frames;
        EXPECT_EQ(2, FiltersNamed(ControlGraph().Get(), u"Sample Grabber")) << frames;
        EXPECT_EQ(0, movie_->GrabberStatus().rfind(u"Sample Grabber", 0));
        EXPECT_FALSE(movie_->VideoHidden());
        ASSERT_NO_FATAL_FAILURE(SeekPaused(33));
        EXPECT_EQ(33, Snapshot()) << frames;
        EXPECT_EQ(1, PlayState());
    }
}

TEST_F(MovieGrabber, BurstOfThreeEveryFifthIdleSample)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    movie_->SetFGrabber_BurstMode(WordTrue);
    movie_->SetFGrabber_BurstCount(3);
    movie_->SetFGrabber_BurstInterval(5);
    TSampleGrabberCB* callback = movie_->GrabberCallback();
    EXPECT_EQ(3, callback->BurstCount());
    EXPECT_EQ(5, callback->BurstInterval());
    ASSERT_NO_FATAL_FAILURE(SeekPaused(4));
    // Armed while paused (no playing): every paused seek sends the grabber exactly its frame.
    callback->Arm();
    for (Cardinal frame = 5; frame <= 25; ++frame) {
        ASSERT_NO_FATAL_FAILURE(SeekPaused(frame));
        ASSERT_TRUE(WaitUntil([&] { return !callback->Busy(); }, 5000));
    }
    EXPECT_EQ((std::vector<int>{5, 10, 15}), recorder_.Numbers());
    for (const Capture& capture : recorder_.captures) {
        EXPECT_EQ(fcMemory, capture.Dest);
        EXPECT_TRUE(capture.FileName.empty());
        EXPECT_TRUE(capture.Success);
        EXPECT_EQ(24, capture.BitsPerPixel);
    }
    EXPECT_FALSE(callback->Armed());
}

TEST_F(MovieGrabber, BurstStartedByASnapshot)
{
    ASSERT_NO_FATAL_FAILURE(Open(150));
    movie_->SetFGrabber_BurstMode(WordTrue);
    movie_->SetFGrabber_BurstCount(4);
    movie_->SetFGrabber_BurstInterval(3);
    ASSERT_NO_FATAL_FAILURE(SeekPaused(10));
    // The first frame (the one shown) completes the snapshot, the others reach the event; after
    // the last one the media is paused again.
    EXPECT_EQ(10, Snapshot());
    ASSERT_TRUE(WaitUntil([&] { return recorder_.captures.size() == 3 && PlayState() == 1; }));
    const std::vector<int> numbers = recorder_.Numbers();
    int previous = 10;
    for (int number : numbers) {
        EXPECT_GT(number, previous);
        previous = number;
    }
    EXPECT_FALSE(movie_->GrabberCallback()->Armed());
}

TEST_F(MovieGrabber, UnlimitedBurstRunsUntilTheControlStops)
{
    ASSERT_NO_FATAL_FAILURE(Open(250));
    movie_->SetFGrabber_BurstMode(WordTrue);
    movie_->SetFGrabber_BurstCount(0);
    movie_->SetFGrabber_BurstInterval(2);
    ASSERT_TRUE(movie_->CaptureFrames(fcMemory));
    ASSERT_TRUE(WaitUntil([&] { return recorder_.captures.size() >= 6; }));
    EXPECT_EQ(2, PlayState()); // never paused again
    EXPECT_TRUE(movie_->GrabberCallback()->Armed());
    movie_->Stop();
    // Disarmed by the play-state report of the stop.
    ASSERT_TRUE(WaitUntil([&] { return PlayState() == 0 && !movie_->GrabberCallback()->Armed(); }));
    ASSERT_TRUE(WaitUntil([&] { return !movie_->GrabberCallback()->Busy(); }));
    const std::size_t atStop = recorder_.captures.size();
    QElapsedTimer timer;
    timer.start();
    WaitUntil([&] { return timer.elapsed() > 400; }, 1000);
    EXPECT_EQ(atStop, recorder_.captures.size());
    const std::vector<int> numbers = recorder_.Numbers();
    // The frame shown, then later frames in stream order (the exact spacing in samples is
    // checked on paused seeks above: here a sample that comes while a frame waits for its
    // delivery is not counted).
    EXPECT_EQ(0, numbers.front());
    for (std::size_t i = 1; i < numbers.size(); ++i)
        EXPECT_GT(numbers[i], numbers[i - 1]) << i;
}

namespace {

// Tells when its owner has freed it.
class FreedFlag : public TComponent {
public:
    FreedFlag(TComponent* owner, bool& freed) : TComponent(owner), freed_(freed) {}
    ~FreedFlag() override { freed_ = true; }

private:
    bool& freed_;
};

} // namespace

// A form released (Release, or a close with caFree) while a grabber snapshot waits goes once
// the wait is over: the component stays whole until its snapshot has returned.
TEST_F(MovieGrabber, AFormReleasedDuringASnapshotGoesAfterIt)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(8));
    bool freed = false;
    new FreedFlag(form_, freed);
    form_->Release();
    EXPECT_EQ(8, Snapshot());
    EXPECT_FALSE(freed);
    EXPECT_TRUE(WaitUntil([&] { return freed; }));
    form_ = nullptr;
    movie_ = nullptr;
}

// Moved to another parent, the component has a new window, and the grabber's frames follow it.
TEST_F(MovieGrabber, FramesFollowTheComponentToAnotherParent)
{
    ASSERT_NO_FATAL_FAILURE(Open(150));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(12));
    const HWND before = movie_->Handle();
    auto* panel = new TPanel(form_);
    panel->SetParent(form_);
    panel->SetBounds(0, 0, 300, 260);
    movie_->SetParent(panel);
    ASSERT_NE(before, movie_->Handle());
    EXPECT_EQ(12, Snapshot());
    EXPECT_EQ(1, PlayState());
    // A burst plays the paused media and pauses it again after its last frame.
    movie_->SetFGrabber_BurstMode(WordTrue);
    movie_->SetFGrabber_BurstCount(3);
    movie_->SetFGrabber_BurstInterval(2);
    ASSERT_TRUE(movie_->CaptureFrames(fcMemory));
    ASSERT_TRUE(WaitUntil([&] { return recorder_.captures.size() == 3 && PlayState() == 1; }));
    EXPECT_EQ(12, recorder_.captures.front().Number);
}

// A build on paused media leaves it paused on its frame, as the control reports it.
TEST_F(MovieGrabber, ABuildOnPausedMediaLeavesItPaused)
{
    ASSERT_NO_FATAL_FAILURE(Open(250));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(20));
    ASSERT_TRUE(movie_->BuildGrabberGraph());
    Pump(300);
    ComPtr<IMediaControl> control;
    ASSERT_EQ(S_OK, ControlGraph().As(control));
    OAFilterState state = State_Running;
    EXPECT_EQ(S_OK, control->GetState(0, &state));
    EXPECT_EQ(State_Paused, state);
    EXPECT_EQ(20, RendererFrame());
    EXPECT_EQ(20u, movie_->FramePosition());
    EXPECT_EQ(1, PlayState());
}

// A frame taken for a capture and still on its way when a snapshot starts goes to the capture's
// file; the snapshot gets a frame of its own.
TEST_F(MovieGrabber, ACaptureFramePendingWhenASnapshotStartsGoesToItsFile)
{
    ASSERT_NO_FATAL_FAILURE(Open(60));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(25));
    ASSERT_TRUE(movie_->CaptureFrames(fcBMP));
    // Posted but not delivered: no message is handled until the snapshot.
    TSampleGrabberCB* callback = movie_->GrabberCallback();
    QElapsedTimer timer;
    timer.start();
    while (callback->FrameSection() == nullptr && timer.elapsed() < 5000)
        QThread::msleep(5);
    ASSERT_NE(nullptr, callback->FrameSection());
    EXPECT_EQ(25, Snapshot());
    ASSERT_EQ(1u, recorder_.captures.size());
    EXPECT_EQ(fcBMP, recorder_.captures[0].Dest);
    EXPECT_TRUE(recorder_.captures[0].Success);
    EXPECT_EQ(folder_.Path("am000001.bmp"), recorder_.captures[0].FileName);
    EXPECT_EQ(25, recorder_.captures[0].Number);
    EXPECT_EQ(1, PlayState());
}

// Frames that cannot be posted (no window to take them) end a burst all the same: the media
// that played for it is paused again.
TEST_F(MovieGrabber, ABurstWhoseFramesCannotBeDeliveredStillPausesAgain)
{
    ASSERT_NO_FATAL_FAILURE(Open(150));
    ASSERT_NO_FATAL_FAILURE(SeekPaused(10));
    movie_->SetFGrabber_BurstMode(WordTrue);
    movie_->SetFGrabber_BurstCount(3);
    movie_->SetFGrabber_BurstInterval(2);
    ASSERT_TRUE(movie_->CaptureFrames(fcMemory));
    movie_->GrabberCallback()->SetNotifyWindow(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return PlayState() == 1 && !movie_->GrabberCallback()->Armed(); }));
    EXPECT_FALSE(movie_->GrabberCallback()->RepauseAfterCapture());
    EXPECT_LE(recorder_.captures.size(), 1u); // the first frame may have gone out before
    EXPECT_EQ(0, recorder_.endsOfStream);
}
