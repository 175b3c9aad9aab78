#include "platform/dshow/PinBase.h"

#include "platform/dshow/Enumerators.h"
#include "platform/dshow/FilterBase.h"

#include <cstring>
#include <memory>
#include <vector>

PinBase::PinBase(FilterBase& filter, std::u16string name, PIN_DIRECTION direction)
    : filter_(filter), name_(std::move(name)), direction_(direction)
{
}

ULONG PinBase::AddRef()
{
    return filter_.AddRef();
}

ULONG PinBase::Release()
{
    return filter_.Release();
}

bool PinBase::IsConnected() const
{
    std::lock_guard lock(lock_);
    return peer_ != nullptr;
}

ComPtr<IPin> PinBase::Peer() const
{
    std::lock_guard lock(lock_);
    return peer_;
}

ComPtr<IMemInputPin> PinBase::Receiver() const
{
    std::lock_guard lock(lock_);
    return receiver_;
}

HRESULT PinBase::CopyConnectionType(MediaTypeHolder& target) const
{
    std::lock_guard lock(lock_);
    if (peer_ == nullptr)
        return E_FAIL;
    return target.Assign(&connectionType_.Get());
}

void PinBase::SetConnection(IPin* peer, const AM_MEDIA_TYPE& type, IMemInputPin* receiver)
{
    MediaTypeHolder copy;
    if (copy.Assign(&type) != S_OK)
        throw std::bad_alloc();
    std::lock_guard lock(lock_);
    peer_ = ComPtr<IPin>::AddRefFrom(peer);
    receiver_ = ComPtr<IMemInputPin>::AddRefFrom(receiver);
    connectionType_.Assign(&copy.Get());
}

void PinBase::ClearConnection()
{
    ComPtr<IPin> oldPeer;
    ComPtr<IMemInputPin> oldReceiver;
    {
        std::lock_guard lock(lock_);
        oldPeer = std::move(peer_);
        oldReceiver = std::move(receiver_);
        connectionType_.Clear();
    }
    // Released outside the lock: the peer's filter may go away with them.
}

HRESULT PinBase::Disconnect()
{
    if (filter_.State() != State_Stopped)
        return VFW_E_NOT_STOPPED;
    if (!IsConnected())
        return S_FALSE;
    ClearConnection();
    OnDisconnected();
    return S_OK;
}

HRESULT PinBase::ConnectedTo(IPin** pin)
{
    if (pin == nullptr)
        return E_POINTER;
    std::lock_guard lock(lock_);
    *pin = nullptr;
    if (peer_ == nullptr)
        return VFW_E_NOT_CONNECTED;
    return peer_.CopyTo(pin);
}

HRESULT PinBase::ConnectionMediaType(AM_MEDIA_TYPE* mediaType)
{
    if (mediaType == nullptr)
        return E_POINTER;
    std::lock_guard lock(lock_);
    if (peer_ == nullptr) {
        std::memset(mediaType, 0, sizeof *mediaType);
        return VFW_E_NOT_CONNECTED;
    }
    return CopyMediaType(mediaType, &connectionType_.Get());
}

HRESULT PinBase::QueryPinInfo(PIN_INFO* info)
{
    if (info == nullptr)
        return E_POINTER;
    info->pFilter = filter_.AsBaseFilter();
    info->pFilter->AddRef();
    info->dir = direction_;
    CopyWideName(name_, info->achName, MAX_PIN_NAME);
    return S_OK;
}

HRESULT PinBase::QueryDirection(PIN_DIRECTION* direction)
{
    if (direction == nullptr)
        return E_POINTER;
    *direction = direction_;
    return S_OK;
}

HRESULT PinBase::QueryId(LPWSTR* id)
{
    return CoTaskMemString(name_, id);
}

HRESULT PinBase::QueryAccept(const AM_MEDIA_TYPE* mediaType)
{
    if (mediaType == nullptr)
        return E_POINTER;
    return ComBoundary([&] { return CheckMediaType(*mediaType) == S_OK ? S_OK : S_FALSE; });
}

HRESULT PinBase::EnumMediaTypes(IEnumMediaTypes** types)
{
    if (types == nullptr)
        return E_POINTER;
    *types = nullptr;
    return ComBoundary([&] {
        std::vector<std::unique_ptr<MediaTypeHolder>> owned;
        std::vector<const AM_MEDIA_TYPE*> list;
        for (int i = 0;; ++i) {
            AM_MEDIA_TYPE type;
            std::memset(&type, 0, sizeof type);
            if (GetMediaType(i, type) != S_OK)
                break;
            auto holder = std::make_unique<MediaTypeHolder>();
            holder->Adopt(type);
            list.push_back(&holder->Get());
            owned.push_back(std::move(holder));
        }
        return CreateMediaTypeEnumerator(list, types);
    });
}

HRESULT PinBase::QueryInternalConnections(IPin** pins, ULONG* count)
{
    if (count == nullptr)
        return E_POINTER;
    (void)pins;
    // As documented: every input connects to every output of the filter.
    return E_NOTIMPL;
}

HRESULT PinBase::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double)
{
    return S_OK;
}

HRESULT PinBase::GetMediaType(int, AM_MEDIA_TYPE&)
{
    return VFW_S_NO_MORE_ITEMS;
}

// --- output pins -----------------------------------------------------------------------

OutputPinBase::OutputPinBase(FilterBase& filter, std::u16string name) : PinBase(filter, std::move(name), PINDIR_OUTPUT)
{
}

namespace {

bool FullySpecified(const AM_MEDIA_TYPE* type)
{
    return type != nullptr && type->majortype != GUID_NULL && type->subtype != GUID_NULL &&
           type->formattype != GUID_NULL;
}

}  // namespace

HRESULT OutputPinBase::TryConnection(IPin* receivePin, IMemInputPin* receiver, const AM_MEDIA_TYPE& type)
{
    if (CheckMediaType(type) != S_OK)
        return VFW_E_TYPE_NOT_ACCEPTED;
    // Recorded first, as the receiver may ask us about the connection while accepting it.
    SetConnection(receivePin, type, receiver);
    const HRESULT hr = receivePin->ReceiveConnection(this, &type);
    if (hr != S_OK) {
        ClearConnection();
        return FAILED(hr) ? hr : VFW_E_TYPE_NOT_ACCEPTED;
    }
    OnConnected();
    return S_OK;
}

HRESULT OutputPinBase::Connect(IPin* receivePin, const AM_MEDIA_TYPE* mediaType)
{
    if (receivePin == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        if (IsConnected())
            return VFW_E_ALREADY_CONNECTED;
        if (filter_.State() != State_Stopped)
            return VFW_E_NOT_STOPPED;
        PIN_DIRECTION direction = PINDIR_INPUT;
        if (receivePin->QueryDirection(&direction) != S_OK || direction != PINDIR_INPUT)
            return VFW_E_INVALID_DIRECTION;
        ComPtr<IPin> theirPeer;
        if (receivePin->ConnectedTo(theirPeer.ReleaseAndGetAddressOf()) == S_OK)
            return VFW_E_ALREADY_CONNECTED;
        ComPtr<IMemInputPin> receiver;
        if (ComQuery(receivePin, receiver) != S_OK)
            return VFW_E_NO_TRANSPORT;

        if (FullySpecified(mediaType))
            return TryConnection(receivePin, receiver.Get(), *mediaType);

        for (int i = 0;; ++i) {
            MediaTypeHolder candidate;
            AM_MEDIA_TYPE type;
            std::memset(&type, 0, sizeof type);
            if (GetMediaType(i, type) != S_OK)
                break;
            candidate.Adopt(type);
            if (MediaTypeMatchesPartial(&candidate.Get(), mediaType) &&
                TryConnection(receivePin, receiver.Get(), candidate.Get()) == S_OK)
                return S_OK;
        }
        ComPtr<IEnumMediaTypes> theirs;
        if (receivePin->EnumMediaTypes(theirs.ReleaseAndGetAddressOf()) == S_OK && theirs) {
            AM_MEDIA_TYPE* type = nullptr;
            while (theirs->Next(1, &type, nullptr) == S_OK) {
                const bool ok = MediaTypeMatchesPartial(type, mediaType) &&
                                TryConnection(receivePin, receiver.Get(), *type) == S_OK;
                DeleteMediaType(type);
                if (ok)
                    return S_OK;
            }
        }
        return VFW_E_NO_ACCEPTABLE_TYPES;
    });
}

HRESULT OutputPinBase::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType)
{
    if (connector == nullptr || mediaType == nullptr)
        return E_POINTER;
    // Connections are always made from the output side.
    return E_UNEXPECTED;
}

HRESULT OutputPinBase::EndOfStream()
{
    return E_UNEXPECTED;
}

HRESULT OutputPinBase::BeginFlush()
{
    return E_UNEXPECTED;
}

HRESULT OutputPinBase::EndFlush()
{
    return E_UNEXPECTED;
}

HRESULT OutputPinBase::Deliver(IMediaSample* sample)
{
    const ComPtr<IMemInputPin> receiver = Receiver();
    if (!receiver)
        return VFW_E_NOT_CONNECTED;
    return receiver->Receive(sample);
}

HRESULT OutputPinBase::DeliverEndOfStream()
{
    const ComPtr<IPin> peer = Peer();
    if (!peer)
        return VFW_E_NOT_CONNECTED;
    return peer->EndOfStream();
}

// --- input pins ------------------------------------------------------------------------

InputPinBase::InputPinBase(FilterBase& filter, std::u16string name) : PinBase(filter, std::move(name), PINDIR_INPUT)
{
}

HRESULT InputPinBase::QueryOtherInterface(REFIID iid, void** object)
{
    if (iid != IID_IMemInputPin)
        return E_NOINTERFACE;
    IMemInputPin* receiver = this;
    receiver->AddRef();
    *object = receiver;
    return S_OK;
}

HRESULT InputPinBase::Connect(IPin* receivePin, const AM_MEDIA_TYPE*)
{
    if (receivePin == nullptr)
        return E_POINTER;
    if (IsConnected())
        return VFW_E_ALREADY_CONNECTED;
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (receivePin->QueryDirection(&direction) == S_OK && direction == PINDIR_INPUT)
        return VFW_E_INVALID_DIRECTION;
    // Connections are always made from the output side.
    return E_UNEXPECTED;
}

HRESULT InputPinBase::ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* mediaType)
{
    if (connector == nullptr || mediaType == nullptr)
        return E_POINTER;
    return ComBoundary([&]() -> HRESULT {
        if (IsConnected())
            return VFW_E_ALREADY_CONNECTED;
        if (filter_.State() != State_Stopped)
            return VFW_E_NOT_STOPPED;
        PIN_DIRECTION direction = PINDIR_INPUT;
        if (connector->QueryDirection(&direction) != S_OK || direction != PINDIR_OUTPUT)
            return VFW_E_INVALID_DIRECTION;
        if (CheckMediaType(*mediaType) != S_OK)
            return VFW_E_TYPE_NOT_ACCEPTED;
        SetConnection(connector, *mediaType, nullptr);
        OnConnected();
        return S_OK;
    });
}

HRESULT InputPinBase::EndOfStream()
{
    if (!IsConnected())
        return VFW_E_NOT_CONNECTED;
    return ComBoundary([&] { return OnEndOfStream(); });
}

HRESULT InputPinBase::BeginFlush()
{
    return S_OK;
}

HRESULT InputPinBase::EndFlush()
{
    return S_OK;
}

HRESULT InputPinBase::GetAllocator(IMemAllocator** allocator)
{
    if (allocator == nullptr)
        return E_POINTER;
    *allocator = nullptr;
    // The sending pin allocates its own samples.
    return VFW_E_NO_ALLOCATOR;
}

HRESULT InputPinBase::NotifyAllocator(IMemAllocator* allocator, BOOL)
{
    if (allocator == nullptr)
        return E_POINTER;
    return S_OK;
}

HRESULT InputPinBase::GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties)
{
    if (properties == nullptr)
        return E_POINTER;
    return E_NOTIMPL;
}

HRESULT InputPinBase::Receive(IMediaSample* sample)
{
    if (sample == nullptr)
        return E_POINTER;
    if (!IsConnected())
        return VFW_E_NOT_CONNECTED;
    if (filter_.State() == State_Stopped)
        return VFW_E_WRONG_STATE;
    return ComBoundary([&] { return OnReceive(sample); });
}

HRESULT InputPinBase::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed)
{
    if (samples == nullptr || processed == nullptr)
        return E_POINTER;
    *processed = 0;
    HRESULT hr = S_OK;
    for (LONG i = 0; i < count; ++i) {
        hr = Receive(samples[i]);
        if (hr != S_OK)
            break;
        ++*processed;
    }
    return hr;
}

HRESULT InputPinBase::ReceiveCanBlock()
{
    return CanBlock();
}
