// The media side of the player control: opening, the state changes and their events,
// playback start, the end of the stream and stream failures.
#include "platform/mediaplayer/MediaPlayerControl.h"

#include "platform/dshow/DShowTypes.h"
#include "platform/user/WinUser.h"

namespace mediaplayer {
namespace {

constexpr UINT kMessageFireEvents = WM_APP + 0x313;
constexpr UINT_PTR kEndOfStreamTimer = 2;

}  // namespace

void MediaPlayerControl::CloseMedia()
{
    const bool wasOpen = openState_ != kOpenClosed;
    openingBatch_ = false;
    openingPosition_.reset();
    graph_->AbandonLoad();
    graph_->Close();
    playWhenReady_ = false;
    KillTimer(window_, 1);
    if (fullScreenWindow_ != nullptr) {
        DestroyWindow(fullScreenWindow_);
        fullScreenWindow_ = nullptr;
    }
    hookedRenderer_ = nullptr;
    if (readyState_ == kReadyLoading)
        SetReadyState(kReadyComplete);
    if (playState_ != kPlayClosed)
        SetPlayState(kPlayClosed);
    if (wasOpen)
        SetOpenState(kOpenClosed);
    if (window_ != nullptr)
        InvalidateRect(window_, nullptr, TRUE);
}

void MediaPlayerControl::OnLoaded(WPARAM loadId)
{
    MediaInfo info;
    std::string message;
    const HRESULT hr = graph_->FinishLoad(loadId, window_, info, message);
    if (hr == S_FALSE)
        return;  // a load that a later Open or Close replaced
    if (FAILED(hr)) {
        ReportError(hr, message);
        playWhenReady_ = false;
        SetOpenState(kOpenClosed);
        SetReadyState(kReadyComplete);
        return;
    }
    HookRenderer();
    Layout();
    // The open state changes once the renderer holds the first frame (OnReady).
}

void MediaPlayerControl::OnReady(WPARAM generation)
{
    if (!graph_->IsCurrentGeneration(generation) || openState_ != kOpenOpening)
        return;
    graph_->SetRate(properties_.Double(kDispRate));
    SetOpenState(kOpenOpen);
    SetReadyState(kReadyComplete);
    Layout();
    playsDone_ = 0;
    openingPosition_.reset();
    if (playWhenReady_) {
        StartPlaying();
        openingBatch_ = true;  // ends with the batch of events queued above
    } else {
        SetPlayState(kPlayStopped);
    }
    playWhenReady_ = false;
}

void MediaPlayerControl::StartPlaying()
{
    // From the end of the media, playing starts again at its beginning.
    if (graph_->Ended())
        graph_->SeekFrame(0);
    graph_->SetRate(properties_.Double(kDispRate));
    graph_->Run();
    SetPlayState(kPlayPlaying);
    if (window_ != nullptr)
        SetTimer(window_, 1, 200, nullptr);
}

void MediaPlayerControl::OnGraphEvents()
{
    for (const GraphEvent& event : graph_->TakeEvents()) {
        if (openState_ != kOpenOpen)
            return;
        if (event.code == EC_COMPLETE && playState_ == kPlayPlaying) {
            if (graph_->EndOfStreamStands()) {
                OnEndOfStream();
            } else if (!graph_->Idle()) {
                // Reported while a command is still running: whether it stands is known
                // once the command is done.
                endOfStreamToCheck_ = true;
                SetTimer(notifyWindow_, kEndOfStreamTimer, 20, nullptr);
            }
        } else if (event.code == EC_ERRORABORT) {
            openingPosition_.reset();
            graph_->Pause();
            const std::string text = graph_->LastErrorText();
            ReportError(static_cast<HRESULT>(event.param1), text.empty() ? "The media cannot be played on." : text);
            SetPlayState(kPlayStopped);
        }
    }
    if (window_ != nullptr)
        InvalidateRect(window_, nullptr, FALSE);
}

void MediaPlayerControl::RecheckEndOfStream()
{
    if (!endOfStreamToCheck_ || openState_ != kOpenOpen || playState_ != kPlayPlaying) {
        endOfStreamToCheck_ = false;
    } else if (graph_->EndOfStreamStands()) {
        endOfStreamToCheck_ = false;
        OnEndOfStream();
    } else if (graph_->Idle()) {
        endOfStreamToCheck_ = false;  // the command restarted the stream: a new report will come
    }
    if (!endOfStreamToCheck_)
        KillTimer(notifyWindow_, kEndOfStreamTimer);
}

void MediaPlayerControl::OnEndOfStream()
{
    openingPosition_.reset();
    graph_->MarkEnded();
    ++playsDone_;
    const LONG playCount = properties_.Int(kDispPlayCount);
    if (playCount == 0 || playsDone_ < playCount) {
        StartPlaying();  // another round: the stream goes on without a stop
        return;
    }
    graph_->Pause();
    QueueEvent(kEventEndOfStream, {EventArgument{VT_I4, 0, 0}});
    SetPlayState(kPlayStopped);
    if (properties_.Bool(kDispAutoRewind))
        graph_->SeekFrame(0);
}

void MediaPlayerControl::SetOpenState(LONG state)
{
    if (state == openState_)
        return;
    const LONG old = openState_;
    openState_ = state;
    if (properties_.Bool(kDispSendOpenStateChangeEvents))
        QueueEvent(kEventOpenStateChange, {EventArgument{VT_I4, old, 0}, EventArgument{VT_I4, state, 0}});
}

void MediaPlayerControl::SetPlayState(LONG state)
{
    if (state == playState_)
        return;
    const LONG old = playState_;
    playState_ = state;
    if (state != kPlayPlaying && window_ != nullptr)
        KillTimer(window_, 1);
    if (window_ != nullptr)
        InvalidateRect(window_, nullptr, FALSE);
    if (properties_.Bool(kDispSendPlayStateChangeEvents))
        QueueEvent(kEventPlayStateChange, {EventArgument{VT_I4, old, 0}, EventArgument{VT_I4, state, 0}});
}

void MediaPlayerControl::SetReadyState(LONG state)
{
    if (state == readyState_)
        return;
    readyState_ = state;
    QueueEvent(kEventReadyStateChange, {EventArgument{VT_I4, state, 0}});
}

void MediaPlayerControl::ReportError(HRESULT code, const std::string& description)
{
    errorCode_ = code;
    errorDescription_ = Utf8ToUtf16(description);
    if (properties_.Bool(kDispSendErrorEvents))
        QueueEvent(kEventError);
}

void MediaPlayerControl::QueueEvent(DISPID id, std::vector<EventArgument> arguments)
{
    pendingEvents_.push_back(PendingEvent{id, std::move(arguments)});
    if (!firePosted_)
        firePosted_ = PostMessageA(notifyWindow_, kMessageFireEvents, 0, 0) != FALSE;
}

void MediaPlayerControl::FireQueuedEvents()
{
    firePosted_ = false;
    // The events queued when the media opened are all in this batch: once they are delivered,
    // the container has had its chance to position the media it was told about.
    struct BatchEnd {
        bool& opening;
        bool was;
        ~BatchEnd()
        {
            if (was)
                opening = false;
        }
    } batchEnd{openingBatch_, openingBatch_};
    // A handler may call us back and queue more; those go out after this batch.
    std::vector<PendingEvent> batch;
    batch.swap(pendingEvents_);
    ComPtr<IUnknown> self = ComPtr<IUnknown>::AddRefFrom(CanonicalUnknown());  // a handler may let us go
    for (PendingEvent& event : batch) {
        if (freezeCount_ > 0)
            continue;  // a container that froze events does not want them later either
        std::vector<VARIANT> arguments(event.arguments.size());
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            VariantInit(&arguments[i]);
            arguments[i].vt = event.arguments[i].vt;
            if (event.arguments[i].vt == VT_R8)
                arguments[i].dblVal = event.arguments[i].real;
            else
                arguments[i].lVal = event.arguments[i].integer;
        }
        FireNow(event.id, arguments);
    }
}

void MediaPlayerControl::FireNow(DISPID id, std::vector<VARIANT>& arguments)
{
    // The parameter block holds the last declared argument first.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    eventPoint_.FireDispatch(id, params);
}

LRESULT MediaPlayerControl::NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<MediaPlayerControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self != nullptr) {
        switch (message) {
        case kMessageLoaded:
            self->OnLoaded(wParam);
            return 0;
        case kMessageReady:
            self->OnReady(wParam);
            return 0;
        case kMessageGraphEvent:
            self->OnGraphEvents();
            return 0;
        case kMessageFireEvents:
            self->FireQueuedEvents();
            return 0;
        case WM_TIMER:
            if (wParam == kEndOfStreamTimer) {
                self->RecheckEndOfStream();
                return 0;
            }
            break;
        default:
            break;
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace mediaplayer
