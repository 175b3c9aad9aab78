// TSampleGrabberCB: its COM answers, the step-by-step taking of frames (single, burst, the
// re-pause request, samples that cannot become a frame) with exact sample sequences, and the
// same on a real graph with the platform's Sample Grabber, where the frame numbers drawn into
// the pictures prove which samples were taken.
#include "tests/videosource/grabber/GrabberTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/NumberedVideos.h"

#include <cstring>
#include <memory>
#include <vector>

using namespace grabbertest;

namespace {

constexpr int kW = testvideos::kPatternWidth;
constexpr int kH = testvideos::kPatternHeight;

// A connected type like the grabber's: 24-bit RGB, VIDEOINFOHEADER or VIDEOINFOHEADER2.
AM_MEDIA_TYPE VideoType(bool videoInfo2, int width = kW, int height = kH)
{
    AM_MEDIA_TYPE type = MakeRgbVideoType(width, height, 24, kUnitsPerSecond / 25);
    if (!videoInfo2)
        return type;
    VIDEOINFOHEADER2 header2{};
    header2.bmiHeader = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    FreeMediaType(type);
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.formattype = FORMAT_VideoInfo2;
    type.cbFormat = sizeof header2;
    type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof header2));
    std::memcpy(type.pbFormat, &header2, sizeof header2);
    return type;
}

// Bottom-up 24-bit rows of the numbered pattern showing `number` (the blocks of
// NumberedVideos: 4 columns x 3 rows, bit 0 top left, white for a set bit).
std::vector<BYTE> PatternFrame(int number)
{
    const LONG rowBytes = DibRowBytes(kW, 24);
    std::vector<BYTE> rows(static_cast<std::size_t>(rowBytes) * kH, 0);
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const int bit = (y * 3 / kH) * 4 + (x * 4 / kW);
            const BYTE value = (number >> bit) & 1 ? 255 : 0;
            BYTE* pixel = rows.data() + static_cast<std::size_t>(kH - 1 - y) * rowBytes + x * 3;
            pixel[0] = pixel[1] = pixel[2] = value;
        }
    }
    return rows;
}

class CallbackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AM_MEDIA_TYPE type = VideoType(false);
        ASSERT_EQ(TSampleGrabberCB::FormatVideoInfo, callback_.AdoptConnectedType(type));
        EXPECT_EQ(nullptr, type.pbFormat); // taken over
        window_ = std::make_unique<FrameWindow>(callback_);
        callback_.SetNotifyWindow(window_->Handle());
    }
    void TearDown() override { window_.reset(); }

    // Offers sample `number` to the callback on this thread, then lets the window handle
    // the message when one was posted.
    void Offer(int number, LONG cutBytes = 0, bool nullBuffer = false)
    {
        const std::vector<BYTE> frame = PatternFrame(number);
        const bool wasPending = callback_.FrameSection() != nullptr;
        const std::size_t before = window_->Frames().size();
        EXPECT_EQ(S_OK, callback_.BufferCB(number / 25.0, nullBuffer ? nullptr : const_cast<BYTE*>(frame.data()),
                                           static_cast<LONG>(frame.size()) - cutBytes));
        if (!wasPending && callback_.FrameSection() != nullptr) {
            EXPECT_TRUE(WaitUntil([&] { return window_->Frames().size() > before; }, 5000));
        }
    }

    TSampleGrabberCB callback_;
    std::unique_ptr<FrameWindow> window_;
};

} // namespace

TEST(SampleGrabberCB, ComAnswers)
{
    TSampleGrabberCB callback;
    ISampleGrabberCB* asCallback = &callback;
    EXPECT_EQ(2u, asCallback->AddRef());
    EXPECT_EQ(1u, asCallback->Release());
    EXPECT_EQ(1u, asCallback->Release()); // never counted down: the component owns it

    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(S_OK, asCallback->QueryInterface(IID_IUnknown, &out));
    EXPECT_EQ(static_cast<void*>(asCallback), out);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(S_OK, asCallback->QueryInterface(IID_ISampleGrabberCB, &out));
    EXPECT_EQ(static_cast<void*>(asCallback), out);
    out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, asCallback->QueryInterface(IID_ISampleGrabber, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, asCallback->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(S_OK, asCallback->SampleCB(1.0, nullptr));

    // Construction values and the setters' acceptance rules.
    EXPECT_EQ(1, callback.BurstCount());
    EXPECT_EQ(1, callback.BurstInterval());
    EXPECT_FALSE(callback.BurstMode());
    EXPECT_FALSE(callback.Armed());
    EXPECT_FALSE(callback.Busy());
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.FormatKind());
    callback.SetBurstCount(-1);
    callback.SetBurstInterval(0);
    EXPECT_EQ(1, callback.BurstCount());
    EXPECT_EQ(1, callback.BurstInterval());
    callback.SetBurstCount(0);
    callback.SetBurstInterval(7);
    EXPECT_EQ(0, callback.BurstCount());
    EXPECT_EQ(7, callback.BurstInterval());
}

TEST(SampleGrabberCB, ConnectedFormats)
{
    TSampleGrabberCB callback;
    AM_MEDIA_TYPE type = VideoType(true);
    EXPECT_EQ(TSampleGrabberCB::FormatVideoInfo2, callback.AdoptConnectedType(type));
    EXPECT_EQ(TSampleGrabberCB::FormatVideoInfo2, callback.FormatKind());

    AM_MEDIA_TYPE audio = VideoType(false);
    audio.majortype = MEDIATYPE_Audio;
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.AdoptConnectedType(audio));
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.FormatKind());

    AM_MEDIA_TYPE other = VideoType(false);
    other.formattype = FORMAT_None;
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.AdoptConnectedType(other));

    AM_MEDIA_TYPE cut = VideoType(false);
    cut.cbFormat = sizeof(VIDEOINFOHEADER) - 1; // no room for the whole bitmap header
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.AdoptConnectedType(cut));

    AM_MEDIA_TYPE again = VideoType(false);
    EXPECT_EQ(TSampleGrabberCB::FormatVideoInfo, callback.AdoptConnectedType(again));
    callback.FreeConnectedType();
    EXPECT_EQ(TSampleGrabberCB::FormatUnsupported, callback.FormatKind());
}

TEST_F(CallbackTest, IdleCallbackTakesNothing)
{
    for (int n = 0; n < 4; ++n)
        Offer(n);
    EXPECT_TRUE(window_->Frames().empty());
    EXPECT_FALSE(callback_.Busy());
    EXPECT_EQ(nullptr, callback_.FrameSection());
}

TEST_F(CallbackTest, SingleFrameWithAndWithoutRepause)
{
    callback_.Arm();
    Offer(3);
    Offer(4);
    ASSERT_EQ(1u, window_->Frames().size());
    const ReceivedFrame first = window_->Frames()[0];
    EXPECT_EQ(3, first.Number);
    EXPECT_EQ(1, first.WParam);
    EXPECT_EQ(1, first.LParam);
    EXPECT_EQ(kW, first.Width);
    EXPECT_EQ(kH, first.Height);
    EXPECT_EQ(24, first.BitsPerPixel);
    EXPECT_DOUBLE_EQ(3 / 25.0, callback_.SampleTime());
    EXPECT_FALSE(callback_.Armed());
    EXPECT_FALSE(callback_.Busy());

    callback_.SetRepauseAfterCapture(true);
    callback_.Arm();
    Offer(5);
    ASSERT_EQ(2u, window_->Frames().size());
    EXPECT_EQ(5, window_->Frames()[1].Number);
    EXPECT_EQ(0, window_->Frames()[1].LParam); // pause again after this frame
    EXPECT_FALSE(callback_.RepauseAfterCapture());
}

TEST_F(CallbackTest, PendingFrameKeepsTheCallbackBusy)
{
    window_->Deliver = false;
    callback_.SetBurstMode(true);
    callback_.SetBurstCount(0);
    callback_.Arm();
    Offer(0);
    ASSERT_EQ(1u, window_->Frames().size());
    EXPECT_TRUE(callback_.Busy());
    ASSERT_NE(nullptr, callback_.FrameSection());
    // Samples while the frame waits are neither taken nor counted.
    Offer(1);
    Offer(2);
    EXPECT_EQ(1u, window_->Frames().size());
    EXPECT_EQ(1, callback_.IntervalCountdown());
    window_->DeliverPending();
    EXPECT_FALSE(callback_.Busy());
    EXPECT_EQ(nullptr, callback_.FrameSection());
    window_->Deliver = true;
    Offer(3);
    EXPECT_EQ((std::vector<int>{0, 3}), window_->Numbers());
}

TEST_F(CallbackTest, BurstOfThreeEveryFifthIdleSample)
{
    callback_.SetBurstMode(true);
    callback_.SetBurstCount(3);
    callback_.SetBurstInterval(5);
    callback_.SetRepauseAfterCapture(true);
    callback_.Arm();
    EXPECT_EQ(3, callback_.BurstsLeft());
    // The first frame waits for its delivery while samples 1 and 2 arrive: they are not idle
    // samples and do not count, so the 6th and 11th idle samples are 7 and 12.
    window_->Deliver = false;
    Offer(0);
    Offer(1);
    Offer(2);
    window_->DeliverPending();
    window_->Deliver = true;
    for (int n = 3; n < 30; ++n)
        Offer(n);
    EXPECT_EQ((std::vector<int>{0, 7, 12}), window_->Numbers());
    EXPECT_FALSE(callback_.Armed());
    EXPECT_EQ(0, callback_.BurstsLeft());
    // Only the last frame of the burst asks for the pause.
    std::vector<LPARAM> lParams;
    for (const ReceivedFrame& frame : window_->Frames())
        lParams.push_back(frame.LParam);
    EXPECT_EQ((std::vector<LPARAM>{1, 1, 0}), lParams);
    EXPECT_FALSE(callback_.RepauseAfterCapture());
}

TEST_F(CallbackTest, UnlimitedBurstRunsUntilDisarmed)
{
    callback_.SetBurstMode(true);
    callback_.SetBurstCount(0);
    callback_.SetBurstInterval(2);
    callback_.SetRepauseAfterCapture(true);
    callback_.Arm();
    for (int n = 0; n < 9; ++n)
        Offer(n);
    EXPECT_EQ((std::vector<int>{0, 2, 4, 6, 8}), window_->Numbers());
    for (const ReceivedFrame& frame : window_->Frames())
        EXPECT_EQ(1, frame.LParam); // never paused again
    EXPECT_TRUE(callback_.Armed());
    callback_.Disarm();
    for (int n = 9; n < 14; ++n)
        Offer(n);
    EXPECT_EQ(5u, window_->Frames().size());
    EXPECT_TRUE(callback_.RepauseAfterCapture()); // left for the next capture
}

TEST_F(CallbackTest, SamplesThatCannotBecomeAFrameUseUpTheArming)
{
    // No buffer, and a buffer one byte short of the connected format's frame: nothing is
    // posted, the callback is idle again and the single arming is spent.
    callback_.Arm();
    Offer(1, 0, true);
    EXPECT_FALSE(callback_.Armed());
    EXPECT_FALSE(callback_.Busy());
    callback_.Arm();
    Offer(2, 1);
    EXPECT_FALSE(callback_.Armed());
    EXPECT_FALSE(callback_.Busy());
    Offer(3);
    EXPECT_TRUE(window_->Frames().empty());

    // Without a window to post to, the frame is dropped and the callback stays usable.
    callback_.SetNotifyWindow(nullptr);
    callback_.Arm();
    Offer(4);
    EXPECT_FALSE(callback_.Busy());
    EXPECT_EQ(nullptr, callback_.FrameSection());
    // A request to pause again that the dropped frame carried still stands, for whoever gives
    // up waiting for the frame.
    callback_.SetRepauseAfterCapture(true);
    callback_.Arm();
    Offer(6);
    EXPECT_FALSE(callback_.Armed());
    EXPECT_TRUE(callback_.RepauseAfterCapture());
    callback_.SetRepauseAfterCapture(false);
    callback_.SetNotifyWindow(window_->Handle());
    callback_.Arm();
    Offer(5);
    EXPECT_EQ(std::vector<int>{5}, window_->Numbers());
}

TEST_F(CallbackTest, VideoInfo2Frames)
{
    AM_MEDIA_TYPE type = VideoType(true);
    ASSERT_EQ(TSampleGrabberCB::FormatVideoInfo2, callback_.AdoptConnectedType(type));
    callback_.Arm();
    Offer(9);
    ASSERT_EQ(1u, window_->Frames().size());
    EXPECT_EQ(9, window_->Frames()[0].Number);
    EXPECT_EQ(24, window_->Frames()[0].BitsPerPixel);
}
