// The shared protocol of our filters: reference counting, the state machine (stopped, paused,
// running), graph membership and name, pin enumeration and lookup, and event reports to the
// graph. A concrete filter supplies its pins and reacts to state changes through hooks.
//
// Threads: state changes, joining a graph and pin connections come from the user-interface
// thread (or whoever drives the graph), one at a time. State() and NotifyEvent() may be used
// from the streaming thread. The graph holds us, so we do not hold the graph: the pointer we
// keep is cleared when the graph removes us.
#pragma once

#include "platform/com/ComObject.h"
#include "platform/dshow/DShowInterfaces.h"

#include <atomic>
#include <mutex>
#include <string>

class PinBase;

class FilterBase : public ComInterfaces<IBaseFilter> {
public:
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetClassID(CLSID* clsid) override;

    HRESULT Stop() override;
    HRESULT Pause() override;
    HRESULT Run(REFERENCE_TIME start) override;
    HRESULT GetState(DWORD timeoutMs, FILTER_STATE* state) override;
    HRESULT SetSyncSource(IReferenceClock* clock) override;
    HRESULT GetSyncSource(IReferenceClock** clock) override;

    HRESULT EnumPins(IEnumPins** pins) override;
    HRESULT FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT QueryVendorInfo(LPWSTR* vendorInfo) override;

    FILTER_STATE State() const { return state_.load(); }
    // Reports an event to the graph's IMediaEventSink; S_FALSE when not in a graph. Any thread.
    HRESULT NotifyEvent(LONG code, LONG_PTR param1, LONG_PTR param2);

    // Our pins keep us alive through these; the filter is the object that counts.
    IBaseFilter* AsBaseFilter() { return this; }

protected:
    explicit FilterBase(const CLSID& clsid);
    ~FilterBase() override;

    virtual int PinCount() = 0;
    virtual PinBase* PinAt(int index) = 0;
    // Called with the state lock held before the state changes from `from` to `to`; a failure
    // keeps the old state and is returned to the caller. Never called for from == to.
    virtual HRESULT OnStateChange(FILTER_STATE from, FILTER_STATE to, REFERENCE_TIME start);

private:
    HRESULT ChangeState(FILTER_STATE to, REFERENCE_TIME start);

    const CLSID clsid_;
    std::atomic<ULONG> references_{1};
    std::mutex stateLock_;
    std::atomic<FILTER_STATE> state_{State_Stopped};
    ComPtr<IReferenceClock> clock_;
    std::mutex graphLock_;  // graph_, eventSink_ and name_; held while an event is reported
    IFilterGraph* graph_ = nullptr;
    IMediaEventSink* eventSink_ = nullptr;
    std::u16string name_;
};

// Lets a concrete filter that answers more interfaces route IUnknown to FilterBase.
#define FILTER_BASE_IUNKNOWN                                                                      \
    HRESULT QueryInterface(REFIID iid, void** object) override { return FilterBase::QueryInterface(iid, object); } \
    ULONG AddRef() override { return FilterBase::AddRef(); }                                     \
    ULONG Release() override { return FilterBase::Release(); }

// Copies at most `capacity` - 1 characters of `text` and a terminating null.
void CopyWideName(const std::u16string& text, WCHAR* target, int capacity);
// A CoTaskMemAlloc'd copy of `text` (E_OUTOFMEMORY), E_POINTER for a null target.
HRESULT CoTaskMemString(const std::u16string& text, LPWSTR* target);
