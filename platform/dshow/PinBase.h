// The shared protocol of our pins. A pin belongs to its filter and counts through it (the
// filter is the COM object that lives and dies). Output pins negotiate a connection (their
// own types first, then the receiver's, each checked by both sides) and send samples to the
// receiver's IMemInputPin; input pins accept connections and receive samples. Concrete pins
// supply "which types do I offer" and "do I accept this type", and react to samples.
//
// Threads: connections are made and broken only while the filter is stopped, from the
// thread that drives the graph. Samples, end of stream and flushes arrive on the streaming
// thread (or the driving thread for a frame delivered while paused); the connection is read
// under a lock so that a sample never meets a half-made connection.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/MediaTypes.h"

#include <mutex>
#include <string>

class FilterBase;

class PinBase : public ComInterfaces<IPin> {
public:
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Disconnect() override;
    HRESULT ConnectedTo(IPin** pin) override;
    HRESULT ConnectionMediaType(AM_MEDIA_TYPE* mediaType) override;
    HRESULT QueryPinInfo(PIN_INFO* info) override;
    HRESULT QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT QueryId(LPWSTR* id) override;
    HRESULT QueryAccept(const AM_MEDIA_TYPE* mediaType) override;
    HRESULT EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    const std::u16string& Name() const { return name_; }
    PIN_DIRECTION Direction() const { return direction_; }
    bool IsConnected() const;
    // The connected pin, or null.
    ComPtr<IPin> Peer() const;
    // A copy of the connection's type; E_FAIL when not connected.
    HRESULT CopyConnectionType(MediaTypeHolder& target) const;

    // Hooks. CheckMediaType: S_OK to accept, a failure to refuse. GetMediaType: the index-th
    // preferred type into `type` (caller frees), VFW_S_NO_MORE_ITEMS past the end.
    virtual HRESULT CheckMediaType(const AM_MEDIA_TYPE& type) = 0;
    virtual HRESULT GetMediaType(int index, AM_MEDIA_TYPE& type);

protected:
    PinBase(FilterBase& filter, std::u16string name, PIN_DIRECTION direction);
    virtual ~PinBase() = default;

    // Called after a connection is made or broken (no pin lock held).
    virtual void OnConnected() {}
    virtual void OnDisconnected() {}

    // Records a connection; for output pins also the receiver's IMemInputPin.
    void SetConnection(IPin* peer, const AM_MEDIA_TYPE& type, IMemInputPin* receiver);
    void ClearConnection();
    ComPtr<IMemInputPin> Receiver() const;

    FilterBase& filter_;

private:
    const std::u16string name_;
    const PIN_DIRECTION direction_;
    mutable std::mutex lock_;
    ComPtr<IPin> peer_;
    ComPtr<IMemInputPin> receiver_;
    MediaTypeHolder connectionType_;
};

// A pin that sends: Connect negotiates, Deliver/DeliverEndOfStream pass data on.
class OutputPinBase : public PinBase {
public:
    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    // Sends a sample to the connected pin: its Receive result, VFW_E_NOT_CONNECTED otherwise.
    HRESULT Deliver(IMediaSample* sample);
    HRESULT DeliverEndOfStream();

protected:
    OutputPinBase(FilterBase& filter, std::u16string name);

private:
    HRESULT TryConnection(IPin* receivePin, IMemInputPin* receiver, const AM_MEDIA_TYPE& type);
};

// A pin that receives: accepts connections, and samples through IMemInputPin, checking the
// connection and the filter's state before they reach OnReceive.
class InputPinBase : public PinBase, public IMemInputPin {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override { return PinBase::QueryInterface(iid, object); }
    ULONG AddRef() override { return PinBase::AddRef(); }
    ULONG Release() override { return PinBase::Release(); }

    HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

    HRESULT GetAllocator(IMemAllocator** allocator) override;
    HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) override;
    HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) override;
    HRESULT ReceiveCanBlock() override;

protected:
    InputPinBase(FilterBase& filter, std::u16string name);

    // A sample for a connected pin of a filter that is not stopped.
    virtual HRESULT OnReceive(IMediaSample* sample) = 0;
    virtual HRESULT OnEndOfStream() { return S_OK; }
    // S_OK when OnReceive may wait for something (a user callback), S_FALSE otherwise.
    virtual HRESULT CanBlock() { return S_FALSE; }
    HRESULT QueryOtherInterface(REFIID iid, void** object) override;
};
