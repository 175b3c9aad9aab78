// The graph's event queue: what filters report (IMediaEventSink) and what the owner reads
// (IMediaEventEx), plus the text of the last failure.
#include "platform/dshow/FilterGraph.h"

#include "platform/user/WinUser.h"

#include <chrono>

void FilterGraph::QueueEvent(const Event& event)
{
    events_.push_back(event);
    eventArrived_.notify_all();
    if (notifyWindow_ != nullptr && (notifyFlags_ & AM_MEDIAEVENT_NONOTIFY) == 0)
        PostMessageA(notifyWindow_, static_cast<UINT>(notifyMessage_), 0, notifyInstance_);
}

HRESULT FilterGraph::Notify(LONG eventCode, LONG_PTR param1, LONG_PTR param2)
{
    std::lock_guard lock(eventLock_);
    if (eventCode == EC_COMPLETE && defaultHandlingCancelled_.count(EC_COMPLETE) == 0) {
        // One completion for the whole graph, once every renderer has finished.
        if (++completesSeen_ != completesNeeded_)
            return S_OK;
    }
    if (eventCode == EC_ERRORABORT)
        streamFailed_ = true;
    QueueEvent(Event{eventCode, param1, param2});
    return S_OK;
}

HRESULT FilterGraph::GetEventHandle(OAEVENT* event)
{
    if (event == nullptr)
        return E_POINTER;
    *event = 0;
    return E_NOTIMPL;  // there are no kernel events to wait on: use SetNotifyWindow
}

HRESULT FilterGraph::GetEvent(LONG* eventCode, LONG_PTR* param1, LONG_PTR* param2, LONG timeoutMs)
{
    if (eventCode == nullptr || param1 == nullptr || param2 == nullptr)
        return E_POINTER;
    std::unique_lock lock(eventLock_);
    const auto ready = [&] { return !events_.empty(); };
    if (timeoutMs < 0)
        eventArrived_.wait(lock, ready);
    else
        eventArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
    if (events_.empty()) {
        *eventCode = 0;
        *param1 = 0;
        *param2 = 0;
        return E_ABORT;
    }
    const Event event = events_.front();
    events_.pop_front();
    *eventCode = event.code;
    *param1 = event.param1;
    *param2 = event.param2;
    return S_OK;
}

HRESULT FilterGraph::WaitForCompletion(LONG timeoutMs, LONG* eventCode)
{
    if (eventCode == nullptr)
        return E_POINTER;
    *eventCode = 0;
    if (state_.load() != State_Running)
        return VFW_E_WRONG_STATE;
    std::unique_lock lock(eventLock_);
    LONG found = 0;
    const auto finished = [&] {
        for (const Event& event : events_)
            if (event.code == EC_COMPLETE || event.code == EC_ERRORABORT || event.code == EC_USERABORT) {
                found = event.code;
                return true;
            }
        return false;
    };
    if (timeoutMs < 0)
        eventArrived_.wait(lock, finished);
    else
        eventArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), finished);
    *eventCode = found;
    return found != 0 ? S_OK : E_ABORT;
}

HRESULT FilterGraph::CancelDefaultHandling(LONG eventCode)
{
    if (eventCode != EC_COMPLETE)
        return S_FALSE;  // no other event has a default handling here
    std::lock_guard lock(eventLock_);
    defaultHandlingCancelled_.insert(eventCode);
    return S_OK;
}

HRESULT FilterGraph::RestoreDefaultHandling(LONG eventCode)
{
    if (eventCode != EC_COMPLETE)
        return S_FALSE;
    std::lock_guard lock(eventLock_);
    defaultHandlingCancelled_.erase(eventCode);
    return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR)
{
    return S_OK;  // no event of this graph carries allocated parameters
}

HRESULT FilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instanceData)
{
    std::lock_guard lock(eventLock_);
    notifyWindow_ = reinterpret_cast<HWND>(window);
    notifyMessage_ = message;
    notifyInstance_ = instanceData;
    return S_OK;
}

HRESULT FilterGraph::SetNotifyFlags(LONG noNotifyFlags)
{
    if (noNotifyFlags != 0 && noNotifyFlags != AM_MEDIAEVENT_NONOTIFY)
        return E_INVALIDARG;
    std::lock_guard lock(eventLock_);
    notifyFlags_ = noNotifyFlags;
    return S_OK;
}

HRESULT FilterGraph::GetNotifyFlags(LONG* noNotifyFlags)
{
    if (noNotifyFlags == nullptr)
        return E_POINTER;
    std::lock_guard lock(eventLock_);
    *noNotifyFlags = notifyFlags_;
    return S_OK;
}

HRESULT FilterGraph::GetLastErrorText(BSTR* text)
{
    if (text == nullptr)
        return E_POINTER;
    *text = nullptr;
    return ComBoundary([&]() -> HRESULT {
        std::string message;
        bool askFilters;
        {
            std::lock_guard lock(eventLock_);
            message = buildError_;
            askFilters = streamFailed_;
        }
        // A failure while streaming is described by the filter that had it.
        for (std::size_t i = 0; askFilters && i < filters_.size(); ++i) {
            ComPtr<IGraphDiagnostics> diagnostics;
            UniqueBstr filterText;
            if (ComQuery(filters_[i].filter.Get(), diagnostics) == S_OK &&
                diagnostics->GetLastErrorText(filterText.ReleaseAndGetAddressOf()) == S_OK &&
                !filterText.ToUtf8().empty()) {
                message = filterText.ToUtf8();
                break;
            }
        }
        *text = Utf8ToBstr(message);
        return *text != nullptr ? S_OK : E_OUTOFMEMORY;
    });
}
