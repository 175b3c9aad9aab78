// TActiveMovie: the sample grabber. The probe at construction, the callback and its burst
// settings, the grabber graph built into the control's own filter graph (and let go of), and
// arming the callback for a snapshot or a capture.
#include "videosource/ActiveMovie.h"

#include "axhost/OleSupport.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowTypes.h"
#include "platform/dshow/MediaTypes.h"
#include "videosource/FormReleaseHold.h"
#include "videosource/MessageWait.h"

#include <cstring>

namespace {

// The index-th pin of the direction (counting only pins of that direction), or null.
ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index)
{
    ComPtr<IEnumPins> pins;
    if (filter == nullptr || filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::TakeOver(pin);
        PIN_DIRECTION found;
        if (held->QueryDirection(&found) != S_OK || found != direction)
            continue;
        if (index-- == 0)
            return held;
    }
    return nullptr;
}

bool ConnectionHasMajorType(IPin* pin, const GUID& majorType)
{
    AM_MEDIA_TYPE type;
    std::memset(&type, 0, sizeof type);
    if (pin->ConnectionMediaType(&type) != S_OK)
        return false;
    const bool match = type.majortype == majorType;
    FreeMediaType(type);
    return match;
}

// The renderer of `majorType`: the first filter with exactly one input pin, no output pin,
// and that input connected with the major type.
ComPtr<IBaseFilter> FindRenderer(IFilterGraph* graph, const GUID& majorType)
{
    ComPtr<IEnumFilters> filters;
    if (graph->EnumFilters(filters.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::TakeOver(filter);
        int inputs = 0;
        int outputs = 0;
        ComPtr<IPin> input;
        ComPtr<IEnumPins> pins;
        if (held->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
            continue;
        IPin* pin = nullptr;
        while (pins->Next(1, &pin, nullptr) == S_OK) {
            ComPtr<IPin> heldPin = ComPtr<IPin>::TakeOver(pin);
            PIN_DIRECTION direction;
            if (heldPin->QueryDirection(&direction) != S_OK)
                continue;
            if (direction == PINDIR_INPUT) {
                ++inputs;
                input = heldPin;
            } else {
                ++outputs;
            }
        }
        if (inputs == 1 && outputs == 0 && ConnectionHasMajorType(input.Get(), majorType))
            return held;
    }
    return nullptr;
}

// The name of the filter that owns `pin`, or nothing when either question fails.
bool OwnerFilterName(IPin* pin, WideString& name)
{
    PIN_INFO pinInfo{};
    if (pin->QueryPinInfo(&pinInfo) != S_OK)
        return false;
    ComPtr<IBaseFilter> owner = ComPtr<IBaseFilter>::TakeOver(pinInfo.pFilter);
    FILTER_INFO filterInfo{};
    if (!owner || owner->QueryFilterInfo(&filterInfo) != S_OK)
        return false;
    ComPtr<IFilterGraph> graph = ComPtr<IFilterGraph>::TakeOver(filterInfo.pGraph);
    std::size_t length = 0;
    while (length < static_cast<std::size_t>(MAX_FILTER_NAME) && filterInfo.achName[length] != 0)
        ++length;
    name.assign(filterInfo.achName, length);
    return true;
}

} // namespace

// --- the callback ----------------------------------------------------------------------------

bool TActiveMovie::ProbeGrabberAvailable()
{
    ComPtr<ISampleGrabber> grabber;
    const HRESULT status = CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                            reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf()));
    return status == S_OK && grabber;
}

void TActiveMovie::CreateGrabberCallback()
{
    grabberCallback_ = std::make_unique<TSampleGrabberCB>();
    PassBurstSettings();
}

void TActiveMovie::PassBurstSettings() noexcept
{
    if (!grabberCallback_)
        return;
    grabberCallback_->SetBurstCount(burstCount_);
    grabberCallback_->SetBurstInterval(burstInterval_); // an interval of 0 leaves the previous one
    grabberCallback_->SetBurstMode(burstMode_ != 0);
}

// --- the grabber graph -----------------------------------------------------------------------

bool TActiveMovie::BuildGrabberGraph()
{
    ReleaseGrabberGraph();
    grabberReady_ = false;
    if (!grabberCallback_)
        return false;
    TSampleGrabberCB& callback = *grabberCallback_;

    // The control's graph, with the two interfaces every build needs.
    ComPtr<mediaplayer::IActiveMovie> movie;
    if (MediaPlayer().As(movie) != S_OK)
        return false;
    ComPtr<IUnknown> graphUnknown;
    if (movie->get_FilterGraph(graphUnknown.ReleaseAndGetAddressOf()) != S_OK || !graphUnknown)
        return false;
    ComPtr<IFilterGraph> graph;
    if (graphUnknown.As(graph) != S_OK)
        return false;
    if (graph.As(grabberFilters_.BasicVideo) != S_OK || graph.As(grabberFilters_.MediaControl) != S_OK)
        return false;

    callback.SetNotifyWindow(Handle());
    if (GetDispInt(1001) == 0 && !displayLogo_)
        videoHidden_ = WordTrue;
    // The player drives the same graph from its command thread: the whole rewiring, from the
    // stop to the run, is one step for it.
    ComPtr<IGraphLock> driveLock;
    if (graph.As(driveLock) == S_OK && driveLock->Lock() != S_OK)
        driveLock.Reset();
    struct Unlock {
        IGraphLock* lock;
        ~Unlock()
        {
            if (lock != nullptr)
                lock->Unlock();
        }
    } unlock{driveLock.Get()};

    // The state to go back to, whatever the outcome: the control goes on reporting the state
    // it gave the graph (paused media must not run behind a control that says paused).
    OAFilterState stateBefore = State_Stopped;
    if (grabberFilters_.MediaControl->GetState(0, &stateBefore) != S_OK)
        stateBefore = State_Stopped;
    const auto restoreState = [this, stateBefore] {
        if (stateBefore == State_Running)
            grabberFilters_.MediaControl->Run();
        else if (stateBefore == State_Paused)
            grabberFilters_.MediaControl->Pause();
    };
    grabberFilters_.MediaControl->Stop();

    ComPtr<IGraphBuilder> builder;
    if (graph.As(builder) != S_OK || graph.As(grabberFilters_.MediaSeeking) != S_OK)
        return false;
    ComPtr<IBaseFilter> renderer = FindRenderer(graph.Get(), MEDIATYPE_Video);
    ComPtr<IPin> rendererInput = FindPin(renderer.Get(), PINDIR_INPUT, 0);
    if (!rendererInput)
        return false;
    ComPtr<IPin> upstream;
    if (rendererInput->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK || !upstream)
        return false;

    // From here on the renderer's link is broken: every failure puts it back.
    upstream->Disconnect();
    rendererInput->Disconnect();
    ComPtr<IBaseFilter> grabberFilter;
    ComPtr<IPin> grabberInput;
    ComPtr<IPin> grabberOutput;
    auto restore = [&] {
        if (grabberInput)
            grabberInput->Disconnect();
        if (grabberOutput)
            grabberOutput->Disconnect();
        rendererInput->Disconnect();
        upstream->Disconnect();
        if (grabberFilter)
            graph->RemoveFilter(grabberFilter.Get());
        builder->Connect(upstream.Get(), rendererInput.Get());
        restoreState();
        return false;
    };

    ComPtr<ISampleGrabber>& grabber = grabberFilters_.SampleGrabber;
    if (CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                         reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())) != S_OK ||
        !grabber)
        return restore();
    grabber->SetBufferSamples(FALSE);
    grabber->SetOneShot(FALSE);
    grabber->SetCallback(&callback, 1);

    if (grabber.As(grabberFilter) != S_OK)
        return restore();
    BSTR name = SysAllocString(u"Sample Grabber");
    if (name != nullptr)
        oleStrings_.push_back(name);
    graph->AddFilter(grabberFilter.Get(), name);
    grabberInput = FindPin(grabberFilter.Get(), PINDIR_INPUT, 0);
    grabberOutput = FindPin(grabberFilter.Get(), PINDIR_OUTPUT, 0);
    if (!grabberInput || !grabberOutput)
        return restore();

    AM_MEDIA_TYPE wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_RGB24;
    wanted.bFixedSizeSamples = TRUE;
    wanted.bTemporalCompression = FALSE;
    wanted.lSampleSize = 1;
    wanted.formattype = FORMAT_VideoInfo;
    grabber->SetMediaType(&wanted);

    if (builder->Connect(upstream.Get(), grabberInput.Get()) != S_OK ||
        builder->Connect(grabberOutput.Get(), rendererInput.Get()) != S_OK)
        return restore();

    WideString feeder;
    if (OwnerFilterName(upstream.Get(), feeder))
        grabberStatus_ = feeder;

    callback.FreeConnectedType();
    AM_MEDIA_TYPE connected;
    std::memset(&connected, 0, sizeof connected);
    if (grabber->GetConnectedMediaType(&connected) != S_OK)
        return restore();
    if (callback.AdoptConnectedType(connected) == TSampleGrabberCB::FormatUnsupported)
        return restore();
    restoreState();
    return true;
}

void TActiveMovie::ReleaseGrabberGraph() noexcept
{
    grabberReady_ = false;
    grabberFilters_.MediaSeeking.Reset();
    grabberFilters_.BasicVideo.Reset();
    grabberFilters_.MediaControl.Reset();
    PassBurstSettings();
    if (grabberFilters_.SampleGrabber) {
        // Returns once no call of the callback is running any more.
        grabberFilters_.SampleGrabber->SetCallback(nullptr, 1);
        grabberFilters_.SampleGrabber.Reset();
    }
    if (grabberCallback_)
        grabberCallback_->FreeConnectedType();
}

// --- arming ----------------------------------------------------------------------------------

bool TActiveMovie::ArmGrabber(TFrameCapture_Dest dest, bool forSnapshot, int boundMs)
{
    if (!grabberCallback_)
        return false;
    TSampleGrabberCB& callback = *grabberCallback_;
    // The component's window may have changed since the graph was built (a new parent); with
    // none at all (no parent) frames cannot be delivered, and the grab fails on its own.
    callback.SetNotifyWindow(HandleOrNull());
    captureDest_ = dest;
    const std::uint32_t tag = dest | (forSnapshot ? kSnapshotFrameTag : 0u);
    if (ControlPlayState() == 2) {
        callback.Arm(tag);
        return true;
    }
    // Paused or stopped media sends no samples, but a seek to the frame it stands on sends
    // exactly that frame (the player's rule, in its interface header), and nothing moves. A
    // frame still on its way belongs to the capture that took it: it is delivered first, so
    // that the callback is idle for ours.
    if (callback.Busy() && !WaitHoldingReleases([&callback] { return !callback.Busy(); }, boundMs))
        return false;
    WaitForPlayerCommands();
    // A burst goes on from there by playing, and the media is paused again after its last
    // frame (never, without a limit).
    const bool plays = callback.BurstMode() && callback.BurstCount() != 1;
    callback.SetRepauseAfterCapture(plays && callback.BurstCount() > 0);
    callback.Arm(tag);
    try {
        SeekToShownFrame();
        if (plays)
            OleCheck(MediaPlayer()->Play());
    } catch (...) {
        callback.Disarm();
        callback.TakeRepauseRequest();
        throw;
    }
    return true;
}

bool TActiveMovie::CaptureFrames(TFrameCapture_Dest dest)
{
    if (!grabberReady_ || snapshotPending_ || !grabberCallback_)
        return false;
    return ArmGrabber(dest, false, kGrabberFrameWaitMs);
}

bool TActiveMovie::WaitHoldingReleases(const std::function<bool()>& done, int boundMs)
{
    TFormReleaseHold hold(*this);
    return WaitProcessingMessages(done, boundMs);
}

void TActiveMovie::AbandonGrabberSnapshot()
{
    if (!grabberCallback_)
        return;
    grabberCallback_->Disarm();
    // A request no frame has taken means the snapshot started the media and nothing will
    // pause it again.
    if (grabberCallback_->TakeRepauseRequest() && OpenState() == 6 && ControlPlayState() == 2)
        OleCheck(MediaPlayer()->Pause());
}
