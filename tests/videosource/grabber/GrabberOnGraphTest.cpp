// TSampleGrabberCB as the callback of the platform's Sample Grabber in a real graph for a
// numbered video: which samples a burst takes (paused seeks give one known sample each), the
// frames taken while the graph runs, and freeing the callback right after the grabber let go
// of it while samples keep coming.
#include "tests/videosource/grabber/GrabberTestSupport.h"

#include <memory>

using namespace grabbertest;

namespace {

class GrabberOnGraph : public GrabberGraphTest {};

} // namespace

TEST_F(GrabberOnGraph, BurstTakesTheFirstSixthAndEleventhSample)
{
    ASSERT_NO_FATAL_FAILURE(Build(40));
    TSampleGrabberCB& callback = *callback_;
    FrameWindow window(callback);
    callback.SetNotifyWindow(window.Handle());
    ASSERT_NO_FATAL_FAILURE(ShowFrame(0)); // the pause's own sample is seen while idle
    callback.SetBurstMode(true);
    callback.SetBurstCount(3);
    callback.SetBurstInterval(5);
    callback.Arm();
    for (LONGLONG frame = 1; frame <= 20; ++frame) {
        const std::size_t before = window.Frames().size();
        ASSERT_NO_FATAL_FAILURE(ShowFrame(frame));
        if (callback.Busy()) {
            ASSERT_TRUE(WaitUntil([&] { return window.Frames().size() > before; }));
        }
    }
    EXPECT_EQ((std::vector<int>{1, 6, 11}), window.Numbers());
    EXPECT_FALSE(callback.Armed());
    for (const ReceivedFrame& frame : window.Frames()) {
        EXPECT_EQ(176, frame.Width);
        EXPECT_EQ(144, frame.Height);
        EXPECT_EQ(24, frame.BitsPerPixel);
    }
}

TEST_F(GrabberOnGraph, FramesWhileRunning)
{
    ASSERT_NO_FATAL_FAILURE(Build(100));
    TSampleGrabberCB& callback = *callback_;
    FrameWindow window(callback);
    callback.SetNotifyWindow(window.Handle());
    callback.SetBurstMode(true);
    callback.SetBurstCount(4);
    callback.SetBurstInterval(3);
    callback.Arm();
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return window.Frames().size() == 4; }));
    control_->Stop();
    const std::vector<int> numbers = window.Numbers();
    ASSERT_EQ(4u, numbers.size());
    EXPECT_EQ(0, numbers[0]);
    // Three idle samples apart at least; more when samples came while a frame waited.
    for (std::size_t i = 1; i < numbers.size(); ++i)
        EXPECT_GE(numbers[i] - numbers[i - 1], 3) << i;
    EXPECT_FALSE(callback.Armed());
    EXPECT_FALSE(callback.Busy());
}

// The grabber must not call a callback that SetCallback(nullptr) has let go of: the component
// frees it at once (at its destruction, or the connected type at every rebuild).
TEST_F(GrabberOnGraph, CallbackFreedRightAfterTheGrabberLetGo)
{
    ASSERT_NO_FATAL_FAILURE(Build(200));
    ASSERT_EQ(S_OK, control_->Run());
    for (int round = 0; round < 12; ++round) {
        auto callback = round == 0 ? std::move(callback_) : std::make_unique<TSampleGrabberCB>();
        if (round > 0) {
            AM_MEDIA_TYPE connected;
            ASSERT_EQ(S_OK, grabber_->GetConnectedMediaType(&connected));
            callback->AdoptConnectedType(connected);
            ASSERT_EQ(S_OK, grabber_->SetCallback(callback.get(), 1));
        }
        auto window = std::make_unique<FrameWindow>(*callback);
        callback->SetNotifyWindow(window->Handle());
        callback->SetBurstMode(true);
        callback->SetBurstCount(0);
        callback->Arm();
        ASSERT_TRUE(WaitUntil([&] { return window->Frames().size() >= 2; }));
        ASSERT_EQ(S_OK, grabber_->SetCallback(nullptr, 1));
        callback.reset(); // while the stream goes on
        window.reset();   // messages still posted to it are dropped
    }
    control_->Stop();
}
