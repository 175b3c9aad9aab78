#include "tests/platform/mediaplayer/GraphProbe.h"

#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/MediaTypes.h"

#include "tests/support/EventWait.h"
#include "tests/support/GraphPins.h"
#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <vector>

namespace playertest {

using testgraph::FindPin;
using testgraph::FindRenderer;
using testgraph::RecordingCallback;

std::string TestFolder()
{
    return testvideos::TestFolder();
}

bool RunFfmpeg(const std::string& arguments)
{
    return testvideos::RunFfmpeg(arguments);
}

std::string NumberedVideo(const std::string& name, int frames, const std::string& codec)
{
    return testvideos::NumberedVideo(name, frames, codec, kVideoWidth, kVideoHeight);
}

int ShownFrameNumber(IUnknown* graph)
{
    return testgraph::ShownFrameNumber(graph);
}

bool GraphHasVideoInterfaces(IUnknown* graph)
{
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    ComPtr<IBasicVideo> video;
    if (graph == nullptr || ComQuery(graph, builder) != S_OK || ComQuery(graph, control) != S_OK ||
        ComQuery(graph, seeking) != S_OK || ComQuery(graph, video) != S_OK)
        return false;
    LONG width = 0;
    LONG height = 0;
    return video->GetVideoSize(&width, &height) == S_OK && width == kVideoWidth && height == kVideoHeight;
}

std::string InsertSampleGrabber(IUnknown* graph)
{
    ComPtr<IMediaControl> control;
    if (graph == nullptr || ComQuery(graph, control) != S_OK)
        return "graph interfaces";
    control->Stop();
    FrameRecorder recorder;
    if (std::string failure = recorder.Insert(graph); !failure.empty())
        return failure;
    control->Run();
    testsupport::WaitUntil([&] { return !recorder.Frames().empty(); }, 10000);
    control->Stop();
    return recorder.Frames().empty() ? "no sample reached the grabber" : "";
}

}  // namespace playertest

namespace playertest {

double GraphRate(IUnknown* graph)
{
    ComPtr<IMediaSeeking> seeking;
    double rate = 0;
    if (graph == nullptr || ComQuery(graph, seeking) != S_OK || seeking->GetRate(&rate) != S_OK)
        return 0;
    return rate;
}

}  // namespace playertest

namespace playertest {
namespace {

std::vector<ComPtr<IBaseFilter>> FiltersOf(IGraphBuilder* builder)
{
    std::vector<ComPtr<IBaseFilter>> result;
    ComPtr<IEnumFilters> filters;
    if (builder->EnumFilters(filters.ReleaseAndGetAddressOf()) != S_OK)
        return result;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK)
        result.push_back(ComPtr<IBaseFilter>::TakeOver(filter));
    return result;
}

std::string CheckAllInState(IGraphBuilder* builder, IMediaControl* control, FILTER_STATE wanted)
{
    OAFilterState state = -1;
    if (control->GetState(0, &state) != S_OK || state != wanted)
        return "graph state " + std::to_string(state);
    for (const ComPtr<IBaseFilter>& filter : FiltersOf(builder)) {
        FILTER_STATE filterState;
        if (filter->GetState(0, &filterState) != S_OK || filterState != wanted)
            return "filter state " + std::to_string(filterState);
    }
    return "";
}

}  // namespace

std::string RewireUnderGraphLock(IUnknown* graph)
{
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IGraphLock> lock;
    if (ComQuery(graph, builder) != S_OK || ComQuery(graph, control) != S_OK || ComQuery(graph, lock) != S_OK)
        return "graph interfaces";
    if (lock->Lock() != S_OK)
        return "lock";
    std::string failure = [&]() -> std::string {
        if (control->Stop() != S_OK)
            return "stop";
        if (std::string state = CheckAllInState(builder.Get(), control.Get(), State_Stopped); !state.empty())
            return "after stop: " + state;
        const ComPtr<IPin> rendererIn = FindPin(FindRenderer(builder.Get()).Get(), PINDIR_INPUT);
        ComPtr<IPin> upstream;
        if (!rendererIn || rendererIn->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK)
            return "renderer";
        if (builder->Disconnect(upstream.Get()) != S_OK || builder->Disconnect(rendererIn.Get()) != S_OK)
            return "disconnect";
        if (const HRESULT hr = builder->Connect(upstream.Get(), rendererIn.Get()); hr != S_OK)
            return "connect " + std::to_string(hr);
        if (std::string state = CheckAllInState(builder.Get(), control.Get(), State_Stopped); !state.empty())
            return "after connect: " + state;
        if (control->Pause() != S_OK)
            return "pause";
        return "";
    }();
    // Taken again by the same thread, as a helper called inside a held sequence would.
    if (lock->Lock() != S_OK || lock->Unlock() != S_OK)
        failure += " nested lock";
    if (lock->Unlock() != S_OK)
        failure += " unlock";
    if (lock->Unlock() != S_FALSE)
        failure += " unlock without holding";
    return failure;
}

std::string RunSeekPause(IUnknown* graph, LONGLONG frame)
{
    ComPtr<IMediaControl> control;
    ComPtr<IMediaSeeking> seeking;
    if (ComQuery(graph, control) != S_OK || ComQuery(graph, seeking) != S_OK)
        return "graph interfaces";
    if (FAILED(control->Run()))
        return "run";
    LONGLONG units = frame * 400'000;  // 25 frames a second
    if (FAILED(seeking->SetPositions(&units, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning)))
        return "seek";
    if (FAILED(control->Pause()))
        return "pause";
    return "";
}

bool GraphStateIsEveryFiltersState(IUnknown* graph)
{
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    OAFilterState state = -1;
    if (ComQuery(graph, builder) != S_OK || ComQuery(graph, control) != S_OK || control->GetState(0, &state) != S_OK)
        return false;
    return CheckAllInState(builder.Get(), control.Get(), static_cast<FILTER_STATE>(state)).empty();
}

}  // namespace playertest

namespace playertest {

struct FrameRecorder::State {
    ComPtr<ISampleGrabber> grabber;
    ComPtr<RecordingCallback> callback = ComPtr<RecordingCallback>::TakeOver(new RecordingCallback());
};

FrameRecorder::FrameRecorder() : state_(std::make_unique<State>()) {}

FrameRecorder::~FrameRecorder()
{
    if (state_->grabber)
        state_->grabber->SetCallback(nullptr, 1);
}

std::string FrameRecorder::Insert(IUnknown* graph)
{
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    ComPtr<IGraphLock> lock;
    if (graph == nullptr || ComQuery(graph, builder) != S_OK || ComQuery(graph, control) != S_OK ||
        ComQuery(graph, lock) != S_OK || lock->Lock() != S_OK)
        return "graph interfaces";
    std::string failure = [&]() -> std::string {
        OAFilterState before = State_Stopped;
        control->GetState(0, &before);
        control->Stop();
        if (std::string why = testgraph::InsertGrabber(builder.Get(), state_->grabber); !why.empty())
            return why;
        state_->grabber->SetCallback(state_->callback.Get(), 1);
        if (before == State_Paused)
            control->Pause();
        else if (before == State_Running)
            control->Run();
        return "";
    }();
    lock->Unlock();
    state_->callback->Clear();
    return failure;
}

std::vector<int> FrameRecorder::Frames() const
{
    return state_->callback->Frames();
}

void FrameRecorder::Clear()
{
    state_->callback->Clear();
}

}  // namespace playertest
