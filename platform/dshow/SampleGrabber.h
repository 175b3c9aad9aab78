// The Sample Grabber (CLSID_SampleGrabber): a pass-through filter with an input pin "Input"
// and an output pin "Output" that shows every sample to a callback before passing it on.
// With a media type set (SetMediaType) its input accepts only types that match it (GUID_NULL
// fields match anything); its output offers and accepts exactly the input's type.
// SetCallback(callback, 1) calls BufferCB(time in seconds, pixels, length) and
// SetCallback(callback, 0) calls SampleCB(time, sample), on the thread that delivers the
// sample (the streaming thread while running). SetBufferSamples keeps a copy of the last
// sample for GetCurrentBuffer. In one-shot mode the first sample is passed on, end of stream
// follows, and later samples are refused (S_FALSE) until the filter is stopped.
//
// Threads: configuration from any thread; the callback and buffer are guarded by a lock that
// is not held while the callback runs, so a callback may call back into the grabber.
// SetCallback returns only once every call of the callback it replaced has returned and the
// grabber has let go of it, so its caller may free that callback at once (even one that does
// not count references); called from inside a callback call it does not wait, since that call
// cannot end before it. A callback must therefore not wait for a thread that changes the
// callback.
#pragma once

#include "platform/dshow/FilterBase.h"
#include "platform/dshow/PinBase.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class SampleGrabber;

class SampleGrabberInputPin final : public InputPinBase {
public:
    explicit SampleGrabberInputPin(SampleGrabber& owner);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;

protected:
    HRESULT OnReceive(IMediaSample* sample) override;
    HRESULT OnEndOfStream() override;
    HRESULT CanBlock() override { return S_OK; }  // the callback may take its time

private:
    SampleGrabber& owner_;
};

class SampleGrabberOutputPin final : public OutputPinBase {
public:
    explicit SampleGrabberOutputPin(SampleGrabber& owner);
    HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) override;
    HRESULT GetMediaType(int index, AM_MEDIA_TYPE& type) override;

private:
    SampleGrabber& owner_;
};

class SampleGrabber final : public FilterBase, public ISampleGrabber {
public:
    // Throws std::bad_alloc without memory.
    static ComPtr<SampleGrabber> Create();

    FILTER_BASE_IUNKNOWN

    HRESULT SetOneShot(BOOL oneShot) override;
    HRESULT SetMediaType(const AM_MEDIA_TYPE* mediaType) override;
    HRESULT GetConnectedMediaType(AM_MEDIA_TYPE* mediaType) override;
    HRESULT SetBufferSamples(BOOL bufferThem) override;
    HRESULT GetCurrentBuffer(LONG* bufferSize, LONG* buffer) override;
    HRESULT GetCurrentSample(IMediaSample** sample) override;
    HRESULT SetCallback(ISampleGrabberCB* callback, LONG which) override;

protected:
    int PinCount() override { return 2; }
    PinBase* PinAt(int index) override;
    HRESULT OnStateChange(FILTER_STATE from, FILTER_STATE to, REFERENCE_TIME start) override;
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;

private:
    friend class SampleGrabberInputPin;
    friend class SampleGrabberOutputPin;

    // Marks the current thread as inside a callback call of one grabber, for its lifetime.
    class CallScope {
    public:
        explicit CallScope(const SampleGrabber* grabber);
        ~CallScope();
        CallScope(const CallScope&) = delete;
        CallScope& operator=(const CallScope&) = delete;
        static bool Inside(const SampleGrabber* grabber);
    };

    SampleGrabber();
    HRESULT HandleSample(IMediaSample* sample);

    SampleGrabberInputPin input_;
    SampleGrabberOutputPin output_;
    std::mutex lock_;
    MediaTypeHolder wanted_;
    ComPtr<ISampleGrabberCB> callback_;
    LONG callbackKind_ = 0;
    // Each SetCallback starts a new generation; the generations of the calls running now.
    std::uint64_t callbackGeneration_ = 0;
    std::vector<std::uint64_t> runningCalls_;
    std::condition_variable callDone_;
    bool oneShot_ = false;
    bool bufferSamples_ = false;
    std::vector<BYTE> buffer_;
    bool hasBuffer_ = false;
    std::atomic<bool> shotTaken_{false};
};
