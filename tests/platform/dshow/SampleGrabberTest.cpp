// The Sample Grabber's own settings: buffered samples, one-shot mode, callback kinds, and the
// graph's event options around them.
#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/user/WinUser.h"

#include <chrono>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

using namespace graphtest;

namespace {

class Grabber : public GraphTest {
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        Build(NumberedVideo("grabber.avi", 25));
        ASSERT_EQ("", InsertGrabber(graph_.Get(), grabber_));
        ASSERT_EQ(S_OK, graph_.As(events_));
    }
    void TearDown() override
    {
        if (grabber_)
            grabber_->SetCallback(nullptr, 1);
        grabber_.Reset();
        events_.Reset();
        GraphTest::TearDown();
    }

    ComPtr<ISampleGrabber> grabber_;
    ComPtr<IMediaEventEx> events_;
};

}  // namespace

TEST_F(Grabber, BufferedSampleConformance)
{
    const LONG frameBytes = DibRowBytes(kWidth, 24) * kHeight;
    LONG size = -7;
    EXPECT_EQ(E_POINTER, grabber_->GetCurrentBuffer(nullptr, nullptr));
    EXPECT_EQ(E_INVALIDARG, grabber_->GetCurrentBuffer(&size, nullptr));  // not buffering
    ASSERT_EQ(S_OK, grabber_->SetBufferSamples(TRUE));
    EXPECT_EQ(VFW_E_WRONG_STATE, grabber_->GetCurrentBuffer(&size, nullptr));  // nothing seen yet
    EXPECT_EQ(-7, size);

    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    LONGLONG frame = 21;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    ASSERT_EQ(S_OK, grabber_->GetCurrentBuffer(&size, nullptr));
    EXPECT_EQ(frameBytes, size);
    std::vector<LONG> buffer(static_cast<std::size_t>(frameBytes) / 4 + 1, 0x5A5A5A5A);
    LONG small = frameBytes - 1;
    EXPECT_EQ(E_OUTOFMEMORY, grabber_->GetCurrentBuffer(&small, buffer.data()));
    EXPECT_EQ(0x5A5A5A5A, buffer[0]);
    LONG full = frameBytes + 4;
    ASSERT_EQ(S_OK, grabber_->GetCurrentBuffer(&full, buffer.data()));
    EXPECT_EQ(frameBytes, full);
    EXPECT_EQ(21, ReadFrameNumber(reinterpret_cast<const std::uint8_t*>(buffer.data()), 24));

    IMediaSample* sample = reinterpret_cast<IMediaSample*>(0x1234);
    EXPECT_EQ(E_NOTIMPL, grabber_->GetCurrentSample(&sample));
    EXPECT_EQ(nullptr, sample);
}

TEST_F(Grabber, CallbackIsHeldAndReleased)
{
    auto callback = ComPtr<RecordingCallback>::TakeOver(new RecordingCallback());
    EXPECT_EQ(E_INVALIDARG, grabber_->SetCallback(callback.Get(), 2));
    EXPECT_EQ(1u, RefCount(callback.Get()));
    ASSERT_EQ(S_OK, grabber_->SetCallback(callback.Get(), 1));
    EXPECT_EQ(2u, RefCount(callback.Get()));
    ASSERT_EQ(S_OK, grabber_->SetCallback(nullptr, 1));
    EXPECT_EQ(1u, RefCount(callback.Get()));

    // SampleCB (kind 0) is called instead of BufferCB.
    ASSERT_EQ(S_OK, grabber_->SetCallback(callback.Get(), 0));
    ASSERT_EQ(S_OK, control_->Pause());
    EXPECT_EQ(0u, callback->Count());
    EXPECT_EQ(1, callback->sampleCalls.load());
}

TEST_F(Grabber, OneShotPassesOneSampleAndEndsTheStream)
{
    auto callback = ComPtr<RecordingCallback>::TakeOver(new RecordingCallback());
    ASSERT_EQ(S_OK, grabber_->SetCallback(callback.Get(), 1));
    ASSERT_EQ(S_OK, grabber_->SetOneShot(TRUE));
    ASSERT_EQ(S_OK, control_->Run());
    LONG code = 0;
    ASSERT_EQ(S_OK, events_->WaitForCompletion(10000, &code));
    EXPECT_EQ(EC_COMPLETE, code);
    EXPECT_EQ(std::vector<int>{0}, callback->Frames());
    ASSERT_EQ(S_OK, control_->Stop());
    EXPECT_EQ(VFW_E_WRONG_STATE, events_->WaitForCompletion(0, &code));
    EXPECT_EQ(0, code);
}

TEST_F(Grabber, EventOptions)
{
    EXPECT_EQ(E_INVALIDARG, events_->SetNotifyFlags(2));
    ASSERT_EQ(S_OK, events_->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY));
    LONG flags = -1;
    ASSERT_EQ(S_OK, events_->GetNotifyFlags(&flags));
    EXPECT_EQ(AM_MEDIAEVENT_NONOTIFY, flags);
    OAEVENT handle = 5;
    EXPECT_EQ(E_NOTIMPL, events_->GetEventHandle(&handle));
    EXPECT_EQ(0, handle);

    // No event: GetEvent gives up after its time-out with E_ABORT and zeroed parameters.
    LONG code = -1;
    LONG_PTR p1 = -1;
    LONG_PTR p2 = -1;
    EXPECT_EQ(E_ABORT, events_->GetEvent(&code, &p1, &p2, 10));
    EXPECT_EQ(0, code);
    EXPECT_EQ(0, p1);
    EXPECT_EQ(E_POINTER, events_->GetEvent(nullptr, &p1, &p2, 0));

    // Without default handling every renderer's completion is passed on as it comes.
    EXPECT_EQ(S_OK, events_->CancelDefaultHandling(EC_COMPLETE));
    EXPECT_EQ(S_FALSE, events_->CancelDefaultHandling(EC_ERRORABORT));
    ComPtr<IMediaEventSink> sink;
    ASSERT_EQ(S_OK, graph_.As(sink));
    ASSERT_EQ(S_OK, sink->Notify(EC_COMPLETE, S_OK, 0));
    ASSERT_EQ(S_OK, events_->GetEvent(&code, &p1, &p2, 0));
    EXPECT_EQ(EC_COMPLETE, code);
    EXPECT_EQ(S_OK, events_->FreeEventParams(code, p1, p2));
    EXPECT_EQ(S_OK, events_->RestoreDefaultHandling(EC_COMPLETE));
}

namespace {

// A callback that does not count references (AddRef 2, Release 1), as a component's callback
// that it frees itself; it remembers being freed, so that a call still running on it is seen.
std::mutex g_freedLock;
std::set<const void*> g_freed;
std::atomic<int> g_callsOnFreed{0};

class UncountedCallback final : public ISampleGrabberCB {
public:
    UncountedCallback()
    {
        std::lock_guard lock(g_freedLock);
        g_freed.erase(this);  // the address of one freed before
    }
    ~UncountedCallback()
    {
        std::lock_guard lock(g_freedLock);
        g_freed.insert(this);
    }
    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid != IID_IUnknown && iid != IID_ISampleGrabberCB)
            return E_NOINTERFACE;
        *object = static_cast<ISampleGrabberCB*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
    HRESULT BufferCB(double, BYTE*, LONG length) override
    {
        inside = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));  // long enough to be freed
        {
            std::lock_guard lock(g_freedLock);
            if (g_freed.count(this) != 0) {
                ++g_callsOnFreed;
                return S_OK;
            }
        }
        lastLength = length;
        ++calls;
        if (grabberToClear != nullptr)
            grabberToClear->SetCallback(nullptr, 1);
        inside = false;
        return S_OK;
    }
    std::atomic<bool> inside{false};
    std::atomic<int> calls{0};
    LONG lastLength = 0;
    ISampleGrabber* grabberToClear = nullptr;
};

}  // namespace

TEST_F(Grabber, ACallbackMayBeFreedAsSoonAsSetCallbackReturnsWhileTheGraphRuns)
{
    g_callsOnFreed = 0;
    ASSERT_EQ(S_OK, control_->Run());
    for (int round = 0; round < 5; ++round) {
        auto* callback = new UncountedCallback();
        ASSERT_EQ(S_OK, grabber_->SetCallback(callback, 1));
        // Changed in the middle of a call: that call ends before SetCallback returns.
        ASSERT_TRUE(WaitUntil([&] { return callback->inside.load(); }, 5000)) << round;
        ASSERT_EQ(S_OK, grabber_->SetCallback(nullptr, 1));
        delete callback;
    }
    control_->Stop();
    EXPECT_EQ(0, g_callsOnFreed.load());
}

TEST_F(Grabber, ACallbackThatClearsTheCallbackFromInsideItsCallIsNotWaitedFor)
{
    UncountedCallback callback;
    callback.grabberToClear = grabber_.Get();
    ASSERT_EQ(S_OK, grabber_->SetCallback(&callback, 1));
    ASSERT_EQ(S_OK, control_->Run());
    ASSERT_TRUE(WaitUntil([&] { return callback.calls.load() > 0; }, 5000));
    // Once cleared, no call follows; SetCallback from here waits for nothing left.
    ASSERT_EQ(S_OK, grabber_->SetCallback(nullptr, 1));
    control_->Stop();
    EXPECT_EQ(1, callback.calls.load());
    EXPECT_EQ(DibRowBytes(kWidth, 24) * kHeight, callback.lastLength);
}
