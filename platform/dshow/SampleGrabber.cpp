#include "platform/dshow/SampleGrabber.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// The grabbers whose callback the current thread is calling, innermost last.
thread_local std::vector<const SampleGrabber*> t_callbacksOf;

}  // namespace

SampleGrabber::CallScope::CallScope(const SampleGrabber* grabber)
{
    t_callbacksOf.push_back(grabber);
}

SampleGrabber::CallScope::~CallScope()
{
    t_callbacksOf.pop_back();
}

bool SampleGrabber::CallScope::Inside(const SampleGrabber* grabber)
{
    return std::find(t_callbacksOf.begin(), t_callbacksOf.end(), grabber) != t_callbacksOf.end();
}

// --- pins --------------------------------------------------------------------------------

SampleGrabberInputPin::SampleGrabberInputPin(SampleGrabber& owner) : InputPinBase(owner, u"Input"), owner_(owner) {}

HRESULT SampleGrabberInputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    {
        std::lock_guard lock(owner_.lock_);
        if (!owner_.wanted_.Empty() && !MediaTypeMatchesPartial(&type, &owner_.wanted_.Get()))
            return VFW_E_TYPE_NOT_ACCEPTED;
    }
    // Samples pass through unchanged, so whatever follows must take the same type.
    if (const ComPtr<IPin> downstream = owner_.output_.Peer())
        return downstream->QueryAccept(&type) == S_OK ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    return S_OK;
}

HRESULT SampleGrabberInputPin::OnReceive(IMediaSample* sample)
{
    return owner_.HandleSample(sample);
}

HRESULT SampleGrabberInputPin::OnEndOfStream()
{
    if (owner_.shotTaken_.load())
        return S_OK;  // the one shot already ended the stream downstream
    const HRESULT hr = owner_.output_.DeliverEndOfStream();
    return hr == VFW_E_NOT_CONNECTED ? S_OK : hr;
}

SampleGrabberOutputPin::SampleGrabberOutputPin(SampleGrabber& owner) : OutputPinBase(owner, u"Output"), owner_(owner)
{
}

HRESULT SampleGrabberOutputPin::CheckMediaType(const AM_MEDIA_TYPE& type)
{
    MediaTypeHolder input;
    if (owner_.input_.CopyConnectionType(input) != S_OK)
        return VFW_E_NOT_CONNECTED;
    return MediaTypesEqual(type, input.Get()) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT SampleGrabberOutputPin::GetMediaType(int index, AM_MEDIA_TYPE& type)
{
    MediaTypeHolder input;
    if (index != 0 || owner_.input_.CopyConnectionType(input) != S_OK)
        return VFW_S_NO_MORE_ITEMS;
    return CopyMediaType(&type, &input.Get());
}

// --- filter ------------------------------------------------------------------------------

ComPtr<SampleGrabber> SampleGrabber::Create()
{
    return ComPtr<SampleGrabber>::TakeOver(new SampleGrabber());
}

SampleGrabber::SampleGrabber() : FilterBase(CLSID_SampleGrabber), input_(*this), output_(*this) {}

PinBase* SampleGrabber::PinAt(int index)
{
    if (index == 0)
        return &input_;
    return index == 1 ? &output_ : nullptr;
}

HRESULT SampleGrabber::QueryOtherInterface(REFIID iid, void** object)
{
    if (iid != IID_ISampleGrabber)
        return E_NOINTERFACE;
    ISampleGrabber* grabber = this;
    grabber->AddRef();
    *object = grabber;
    return S_OK;
}

HRESULT SampleGrabber::OnStateChange(FILTER_STATE, FILTER_STATE to, REFERENCE_TIME)
{
    if (to == State_Stopped)
        shotTaken_.store(false);
    return S_OK;
}

HRESULT SampleGrabber::HandleSample(IMediaSample* sample)
{
    if (shotTaken_.load())
        return S_FALSE;
    BYTE* data = nullptr;
    if (sample->GetPointer(&data) != S_OK)
        return E_POINTER;
    const LONG length = sample->GetActualDataLength();
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    const double seconds = SUCCEEDED(sample->GetTime(&start, &end)) ? static_cast<double>(start) / kUnitsPerSecond : 0.0;

    ComPtr<ISampleGrabberCB> callback;
    LONG kind;
    bool oneShot;
    std::uint64_t generation = 0;
    {
        std::lock_guard lock(lock_);
        if (bufferSamples_ && data != nullptr && length > 0) {
            buffer_.assign(data, data + length);
            hasBuffer_ = true;
        }
        callback = callback_;
        kind = callbackKind_;
        oneShot = oneShot_;
        if (callback) {
            generation = callbackGeneration_;
            runningCalls_.push_back(generation);
        }
    }
    // The callback's result does not change what happens to the sample.
    if (callback) {
        {
            const CallScope inside(this);
            if (kind == 0)
                callback->SampleCB(seconds, sample);
            else
                callback->BufferCB(seconds, data, length);
            // Our reference goes while the call still counts as running: once SetCallback has
            // returned, its caller may free a callback that does not count references.
            callback.Reset();
        }
        std::lock_guard lock(lock_);
        runningCalls_.erase(std::find(runningCalls_.begin(), runningCalls_.end(), generation));
        callDone_.notify_all();
    }
    if (State() == State_Stopped)
        return VFW_E_WRONG_STATE;  // stopped while the callback ran: pass nothing on
    HRESULT hr = output_.Deliver(sample);
    if (hr == VFW_E_NOT_CONNECTED)
        hr = S_OK;
    if (oneShot) {
        shotTaken_.store(true);
        output_.DeliverEndOfStream();
        return S_FALSE;
    }
    return hr;
}

HRESULT SampleGrabber::SetOneShot(BOOL oneShot)
{
    std::lock_guard lock(lock_);
    oneShot_ = oneShot != FALSE;
    return S_OK;
}

HRESULT SampleGrabber::SetMediaType(const AM_MEDIA_TYPE* mediaType)
{
    if (mediaType == nullptr)
        return E_POINTER;
    std::lock_guard lock(lock_);
    return wanted_.Assign(mediaType);
}

HRESULT SampleGrabber::GetConnectedMediaType(AM_MEDIA_TYPE* mediaType)
{
    if (mediaType == nullptr)
        return E_POINTER;
    return input_.ConnectionMediaType(mediaType);
}

HRESULT SampleGrabber::SetBufferSamples(BOOL bufferThem)
{
    std::lock_guard lock(lock_);
    bufferSamples_ = bufferThem != FALSE;
    if (!bufferSamples_) {
        buffer_.clear();
        hasBuffer_ = false;
    }
    return S_OK;
}

HRESULT SampleGrabber::GetCurrentBuffer(LONG* bufferSize, LONG* buffer)
{
    if (bufferSize == nullptr)
        return E_POINTER;
    std::lock_guard lock(lock_);
    if (!bufferSamples_)
        return E_INVALIDARG;
    if (!hasBuffer_)
        return VFW_E_WRONG_STATE;
    if (buffer_.size() > static_cast<std::size_t>(std::numeric_limits<LONG>::max()))
        return E_OUTOFMEMORY;
    const auto needed = static_cast<LONG>(buffer_.size());
    if (buffer == nullptr) {
        *bufferSize = needed;
        return S_OK;
    }
    if (*bufferSize < needed)
        return E_OUTOFMEMORY;
    std::memcpy(buffer, buffer_.data(), buffer_.size());
    *bufferSize = needed;
    return S_OK;
}

HRESULT SampleGrabber::GetCurrentSample(IMediaSample** sample)
{
    if (sample == nullptr)
        return E_POINTER;
    *sample = nullptr;
    return E_NOTIMPL;
}

HRESULT SampleGrabber::SetCallback(ISampleGrabberCB* callback, LONG which)
{
    if (which != 0 && which != 1)
        return E_INVALIDARG;
    ComPtr<ISampleGrabberCB> old;
    {
        std::unique_lock lock(lock_);
        old = std::move(callback_);
        callback_ = ComPtr<ISampleGrabberCB>::AddRefFrom(callback);
        callbackKind_ = which;
        const std::uint64_t replaced = callbackGeneration_++;
        // Calls that began before the change end first, unless this is one of them: a callback
        // that changes the callback would otherwise wait for itself.
        if (!CallScope::Inside(this))
            callDone_.wait(lock, [&] {
                return std::none_of(runningCalls_.begin(), runningCalls_.end(),
                                    [&](std::uint64_t g) { return g <= replaced; });
            });
    }
    return S_OK;  // the old callback is released outside the lock
}
