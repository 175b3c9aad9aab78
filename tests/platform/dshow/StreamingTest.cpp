// Frames through the graph: exact frames for seeks while paused (also when stepping with
// frames decoded ahead), every frame while running, the end of the stream, seeking while
// running, stopping while a receiver is held up, and a stream that fails half way.
#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/user/WinUser.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

using namespace graphtest;

namespace {

constexpr UINT kGraphMessage = WM_APP + 7;
std::vector<LPARAM> postedGraphMessages;
std::atomic<bool>* releaseOnMessage = nullptr;

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kGraphMessage) {
        postedGraphMessages.push_back(lParam);
        return 0;
    }
    if (message == WM_APP + 8 && releaseOnMessage != nullptr) {
        *releaseOnMessage = false;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class Streaming : public GraphTest {
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = OwnerProc;
        windowClass.lpszClassName = "GraphTestOwner";
        RegisterClassA(&windowClass);
        owner_ = CreateWindowExA(0, "GraphTestOwner", "owner", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(nullptr, owner_);
        postedGraphMessages.clear();
    }
    void TearDown() override
    {
        if (grabber_)
            grabber_->SetCallback(nullptr, 1);
        grabber_.Reset();
        GraphTest::TearDown();
        DestroyWindow(owner_);
    }

    // The graph for `path` with a 24-bit grabber in front of the renderer, recording frames.
    void BuildWithGrabber(const std::string& path)
    {
        Build(path);
        ASSERT_EQ("", InsertGrabber(graph_.Get(), grabber_));
        ASSERT_EQ(S_OK, grabber_->SetCallback(callback_.Get(), 1));
        ComPtr<IMediaEventEx> events;
        ASSERT_EQ(S_OK, graph_.As(events));
        ASSERT_EQ(S_OK, events->SetNotifyWindow(reinterpret_cast<OAHWND>(owner_), kGraphMessage, 77));
    }

    // The number in the picture the renderer holds now, -1 when it holds none.
    int ShownFrame() { return testgraph::ShownFrameNumber(video_.Get()); }

    HRESULT SeekFrame(LONGLONG frame)
    {
        return seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    }

    // Events queued by the graph, read without waiting.
    std::vector<LONG> DrainEvents()
    {
        ComPtr<IMediaEventEx> events;
        EXPECT_EQ(S_OK, graph_.As(events));
        std::vector<LONG> codes;
        LONG code;
        LONG_PTR p1;
        LONG_PTR p2;
        while (events->GetEvent(&code, &p1, &p2, 0) == S_OK) {
            codes.push_back(code);
            EXPECT_EQ(S_OK, events->FreeEventParams(code, p1, p2));
        }
        return codes;
    }

    HWND owner_ = nullptr;
    ComPtr<RecordingCallback> callback_ = ComPtr<RecordingCallback>::TakeOver(new RecordingCallback());
    ComPtr<ISampleGrabber> grabber_;
};

}  // namespace

TEST_F(Streaming, SeeksWhilePausedDeliverExactlyTheFrameBeforeReturning)
{
    BuildWithGrabber(NumberedVideo("exact.avi", 100));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    EXPECT_EQ(-1, ShownFrame());
    ASSERT_EQ(S_OK, control_->Pause());  // shows the frame at the current position
    EXPECT_EQ(0, ShownFrame());

    const LONGLONG targets[] = {37, 5, 88, 88, 99, 36, 38, 0};
    std::vector<int> expected{0};
    for (LONGLONG target : targets) {
        SCOPED_TRACE(target);
        ASSERT_EQ(S_OK, SeekFrame(target));
        // No event loop has run: the frame went through the grabber and reached the renderer.
        expected.push_back(static_cast<int>(target));
        EXPECT_EQ(expected, callback_->Frames());
        EXPECT_EQ(target, ShownFrame());
        LONGLONG position = -1;
        ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&position));
        EXPECT_EQ(target, position);
    }

    // The same in media time: frame 50 starts at 2 s, and a time inside it shows it.
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME));
    LONGLONG time = 20'190'000;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&time, AM_SEEKING_AbsolutePositioning | AM_SEEKING_ReturnTime, nullptr,
                                           AM_SEEKING_NoPositioning));
    EXPECT_EQ(20'000'000, time);
    EXPECT_EQ(50, ShownFrame());
    LONGLONG step = -10'000'000;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&step, AM_SEEKING_RelativePositioning, nullptr, AM_SEEKING_NoPositioning));
    EXPECT_EQ(25, ShownFrame());

    // Outside the media: refused, nothing changes.
    LONGLONG beyond = 40'000'001;
    EXPECT_EQ(E_INVALIDARG,
              seeking_->SetPositions(&beyond, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    EXPECT_EQ(E_INVALIDARG, SeekFrame(100));
    EXPECT_EQ(E_INVALIDARG, SeekFrame(-1));
    EXPECT_EQ(E_POINTER, seeking_->SetPositions(nullptr, AM_SEEKING_AbsolutePositioning, nullptr,
                                                AM_SEEKING_NoPositioning));
    EXPECT_EQ(25, ShownFrame());
}

TEST_F(Streaming, PausedStepsWithFramesDecodedAheadDeliverExactlyEachFrame)
{
    // Steps forward of a few frames have the next step's frame decoded ahead. Whatever comes
    // next (the same step, another step, a jump back, a step at the end, a run), exactly the
    // frame asked for is delivered, once, and nothing else. B-frames make the order of
    // decoding differ from the order shown.
    BuildWithGrabber(NumberedVideo("ahead.mpg", 90, "-c:v mpeg2video -q:v 3 -bf 2 -g 12"));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    std::vector<int> expected{0};
    std::vector<LONGLONG> targets;
    for (LONGLONG n = 3; n <= 30; n += 3)
        targets.push_back(n);
    for (LONGLONG n = 35; n <= 60; n += 5)
        targets.push_back(n);
    for (LONGLONG n : {10, 7, 4, 1, 2, 3, 80, 83, 86, 89, 88})
        targets.push_back(n);
    for (LONGLONG target : targets) {
        SCOPED_TRACE(target);
        ASSERT_EQ(S_OK, SeekFrame(target));
        expected.push_back(static_cast<int>(target));
        EXPECT_EQ(expected, callback_->Frames());
        EXPECT_EQ(target, ShownFrame());
    }

    // A run after steps of 1 goes on from the frame shown, through the one decoded ahead.
    for (LONGLONG n : {70, 71}) {
        ASSERT_EQ(S_OK, SeekFrame(n));
        expected.push_back(static_cast<int>(n));
    }
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return callback_->Frames().size() >= expected.size() + 5; }, 10000));
    ASSERT_EQ(S_OK, control_->Stop());
    const std::vector<int> frames = callback_->Frames();
    ASSERT_GE(frames.size(), expected.size() + 5);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), frames.begin()));
    for (std::size_t i = expected.size(); i < frames.size(); ++i)
        EXPECT_EQ(frames[i], 71 + static_cast<int>(i - expected.size()) + 1) << "delivery " << i;
}

TEST_F(Streaming, PositionsDurationAndFormats)
{
    Build(NumberedVideo("positions.avi", 100));
    LONGLONG value = 0;
    ASSERT_EQ(S_OK, seeking_->GetDuration(&value));
    EXPECT_EQ(40'000'000, value);
    GUID format = GUID_NULL;
    ASSERT_EQ(S_OK, seeking_->GetTimeFormat(&format));
    EXPECT_TRUE(format == TIME_FORMAT_MEDIA_TIME);
    EXPECT_EQ(S_FALSE, seeking_->IsUsingTimeFormat(&TIME_FORMAT_FRAME));
    EXPECT_EQ(S_OK, seeking_->IsFormatSupported(&TIME_FORMAT_FRAME));
    EXPECT_EQ(S_FALSE, seeking_->IsFormatSupported(&TIME_FORMAT_BYTE));
    EXPECT_EQ(E_INVALIDARG, seeking_->SetTimeFormat(&TIME_FORMAT_BYTE));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, seeking_->GetDuration(&value));
    EXPECT_EQ(100, value);
    ASSERT_EQ(S_OK, seeking_->ConvertTimeFormat(&value, &TIME_FORMAT_MEDIA_TIME, 10, &TIME_FORMAT_FRAME));
    EXPECT_EQ(4'000'000, value);
    ASSERT_EQ(S_OK, seeking_->ConvertTimeFormat(&value, &TIME_FORMAT_FRAME, 4'399'999, &TIME_FORMAT_MEDIA_TIME));
    EXPECT_EQ(10, value);

    DWORD capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanPlayBackwards;
    EXPECT_EQ(S_FALSE, seeking_->CheckCapabilities(&capabilities));
    EXPECT_EQ(static_cast<DWORD>(AM_SEEKING_CanSeekAbsolute), capabilities);
    capabilities = AM_SEEKING_CanPlayBackwards;
    EXPECT_EQ(E_FAIL, seeking_->CheckCapabilities(&capabilities));

    double rate = 0;
    EXPECT_EQ(E_INVALIDARG, seeking_->SetRate(0));
    EXPECT_EQ(E_INVALIDARG, seeking_->SetRate(-1));
    ASSERT_EQ(S_OK, seeking_->GetRate(&rate));
    EXPECT_EQ(1.0, rate);

    // A stop position in frames, read back in media time.
    LONGLONG stop = 60;
    ASSERT_EQ(S_OK, seeking_->SetPositions(nullptr, AM_SEEKING_NoPositioning, &stop, AM_SEEKING_AbsolutePositioning));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_MEDIA_TIME));
    ASSERT_EQ(S_OK, seeking_->GetStopPosition(&value));
    EXPECT_EQ(24'000'000, value);
}

TEST_F(Streaming, RunningShowsEveryFrameAndReportsTheEnd)
{
    BuildWithGrabber(NumberedVideo("run.avi", 30));
    ASSERT_EQ(S_OK, control_->Run());
    LONGLONG first = -1;
    ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&first));
    ASSERT_TRUE(WaitUntil([&] { return !postedGraphMessages.empty(); }));
    EXPECT_EQ(std::vector<LPARAM>{77}, postedGraphMessages);
    EXPECT_EQ(std::vector<LONG>{EC_COMPLETE}, DrainEvents());

    std::vector<int> expected(30);
    for (int n = 0; n < 30; ++n)
        expected[static_cast<std::size_t>(n)] = n;
    EXPECT_EQ(expected, callback_->Frames());
    const std::vector<double> times = callback_->Times();
    for (std::size_t n = 0; n < times.size(); ++n)
        EXPECT_NEAR(static_cast<double>(n) * 0.04, times[n], 1e-6);
    EXPECT_EQ(29, ShownFrame());

    // The position advanced with the clock and rests at the end.
    LONGLONG position = -1;
    ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&position));
    EXPECT_EQ(12'000'000, position);
    EXPECT_LT(first, position);
    OAFilterState state = -1;
    ASSERT_EQ(S_OK, control_->GetState(0, &state));
    EXPECT_EQ(State_Running, state);  // the graph keeps running after the end, as it should

    // A new position starts the stream again, and its end is reported again.
    postedGraphMessages.clear();
    LONGLONG again = 10'000'000;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&again, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    ASSERT_TRUE(WaitUntil([&] { return !postedGraphMessages.empty(); }));
    EXPECT_EQ(std::vector<LONG>{EC_COMPLETE}, DrainEvents());
    for (int n = 25; n < 30; ++n)
        expected.push_back(n);
    EXPECT_EQ(expected, callback_->Frames());
    ASSERT_EQ(S_OK, control_->Stop());
}

TEST_F(Streaming, FramesComeNoEarlierThanTheirTimeOverTheRate)
{
    BuildWithGrabber(NumberedVideo("slow.avi", 10));
    ASSERT_EQ(S_OK, seeking_->SetRate(0.5));
    ASSERT_EQ(S_OK, control_->Pause());
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return !postedGraphMessages.empty(); }));
    // Frames 1 to 9 are due 0.04 s apart at half speed: 0.72 s at the least.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(720));
    EXPECT_EQ(10u, callback_->Count());
    double rate = 0;
    ASSERT_EQ(S_OK, seeking_->GetRate(&rate));
    EXPECT_EQ(0.5, rate);
}

TEST_F(Streaming, PositionAdvancesWhileRunning)
{
    Build(NumberedVideo("clock.avi", 100));
    ASSERT_EQ(S_OK, control_->Run());
    LONGLONG start = 0;
    ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&start));
    LONGLONG now = start;
    EXPECT_TRUE(WaitUntil([&] {
        seeking_->GetCurrentPosition(&now);
        return now >= start + 2'000'000;
    }));
    ASSERT_EQ(S_OK, control_->Pause());
    // Paused: the position is the held frame's, and stays.
    LONGLONG held = 0;
    ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&held));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    LONGLONG frame = -1;
    ASSERT_EQ(S_OK, seeking_->GetCurrentPosition(&frame));
    EXPECT_EQ(held, frame * 400'000);
    EXPECT_EQ(frame, ShownFrame());
}

TEST_F(Streaming, SeekWhileRunningContinuesFromTheNewFrame)
{
    BuildWithGrabber(NumberedVideo("runseek.avi", 100));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return callback_->Count() >= 3; }));
    ASSERT_EQ(S_OK, SeekFrame(85));
    ASSERT_TRUE(WaitUntil([&] { return !postedGraphMessages.empty(); }));
    EXPECT_EQ(std::vector<LONG>{EC_COMPLETE}, DrainEvents());
    const std::vector<int> frames = callback_->Frames();
    const auto jump = std::find(frames.begin(), frames.end(), 85);
    ASSERT_NE(frames.end(), jump);
    // Before the jump a plain count from 0, after it 85 to the end.
    for (auto it = frames.begin(); it != jump; ++it)
        EXPECT_EQ(it - frames.begin(), *it);
    std::vector<int> tail(jump, frames.end());
    std::vector<int> expectedTail;
    for (int n = 85; n < 100; ++n)
        expectedTail.push_back(n);
    EXPECT_EQ(expectedTail, tail);
}

TEST_F(Streaming, PausedAtTheEndRunReportsTheEndAgain)
{
    BuildWithGrabber(NumberedVideo("again.avi", 20));
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    ASSERT_EQ(S_OK, SeekFrame(19));
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return !postedGraphMessages.empty(); }));
    EXPECT_EQ(std::vector<LONG>{EC_COMPLETE}, DrainEvents());
    EXPECT_EQ((std::vector<int>{0, 19}), callback_->Frames());
}

TEST_F(Streaming, StopDoesNotWaitForeverForAReceiverWaitingOnTheUserInterface)
{
    BuildWithGrabber(NumberedVideo("blocked.avi", 100));
    ComPtr<IBaseFilter> source = FindFilter(graph_.Get(), 0, 1);
    ASSERT_EQ(S_OK, control_->Pause());
    const ULONG idleReferences = RefCount(source.Get());
    callback_->block = true;  // released only by a message this thread handles
    releaseOnMessage = &callback_->block;
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return callback_->blocked.load(); }));
    PostMessageA(owner_, WM_APP + 8, 0, 0);

    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(S_OK, control_->Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));
    // The held-up thread finishes once the message is handled, and lets go of the source.
    EXPECT_TRUE(WaitUntil([&] { return !callback_->block.load() && RefCount(source.Get()) == idleReferences; }));
    releaseOnMessage = nullptr;
    // Nothing more arrives after the stop.
    const std::size_t seen = callback_->Count();
    EXPECT_FALSE(WaitUntil([&] { return callback_->Count() != seen; }, 200));
}

TEST_F(Streaming, AFileDamagedAfterOpeningEndsTheStreamWithAnError)
{
    // Uncompressed, so that the part cut off is far beyond what the demuxer reads ahead.
    const std::string original = NumberedVideo("damaged-source.avi", 100, "-c:v rawvideo -pix_fmt yuv420p");
    const std::string path = TestFolder() + "/damaged.avi";
    std::filesystem::copy_file(original, path, std::filesystem::copy_options::overwrite_existing);
    BuildWithGrabber(path);
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    std::filesystem::resize_file(path, std::filesystem::file_size(path) / 5);

    EXPECT_TRUE(FAILED(SeekFrame(90)));
    EXPECT_EQ(std::vector<LONG>{EC_ERRORABORT}, DrainEvents());
    ComPtr<IGraphDiagnostics> diagnostics;
    ASSERT_EQ(S_OK, graph_.As(diagnostics));
    UniqueBstr text;
    ASSERT_EQ(S_OK, diagnostics->GetLastErrorText(text.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(text.ToUtf8().empty());

    // Running into the damaged part reports the failure and no completion.
    ASSERT_EQ(S_OK, SeekFrame(5));
    ASSERT_EQ(S_OK, control_->Run());
    std::vector<LONG> codes;
    ASSERT_TRUE(WaitUntil([&] {
        for (LONG code : DrainEvents())
            codes.push_back(code);
        return !codes.empty();
    }));
    EXPECT_EQ(std::vector<LONG>{EC_ERRORABORT}, codes);
    EXPECT_EQ(S_OK, control_->Stop());
}

TEST_F(Streaming, ReleasingARunningGraphStopsItsStream)
{
    BuildWithGrabber(NumberedVideo("release.avi", 100));
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return callback_->Count() >= 2; }));
    HWND renderer = nullptr;
    ComPtr<IVideoOwner> owner;
    ASSERT_EQ(S_OK, graph_.As(owner));
    ASSERT_EQ(S_OK, owner->get_RendererWindow(&renderer));
    owner.Reset();
    grabber_->SetCallback(nullptr, 1);
    grabber_.Reset();
    video_.Reset();
    seeking_.Reset();
    control_.Reset();
    graph_.Reset();  // the last reference: the stream stops and every filter goes
    EXPECT_FALSE(IsWindow(renderer));
    EXPECT_EQ(1u, RefCount(callback_.Get()));
    const std::size_t seen = callback_->Count();
    EXPECT_FALSE(WaitUntil([&] { return callback_->Count() != seen; }, 200));
}
