#include "tests/platform/mediaplayer/GraphProbe.h"

#include "platform/com/ComObject.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DShowInterfaces.h"
#include "platform/dshow/MediaTypes.h"

#include "tests/support/NumberedVideos.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <atomic>
#include <thread>
#include <vector>

namespace playertest {
namespace {

class CountingCallback final : public ComObject<ISampleGrabberCB> {
public:
    HRESULT SampleCB(double, IMediaSample*) override { return S_OK; }
    HRESULT BufferCB(double, BYTE*, LONG) override
    {
        ++samples;
        return S_OK;
    }
    std::atomic<int> samples{0};
};

ComPtr<IPin> PinOf(IBaseFilter* filter, PIN_DIRECTION wanted)
{
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::TakeOver(pin);
        PIN_DIRECTION direction;
        if (held->QueryDirection(&direction) == S_OK && direction == wanted)
            return held;
    }
    return nullptr;
}

}  // namespace

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
    ComPtr<IBasicVideo> video;
    if (graph == nullptr || ComQuery(graph, video) != S_OK)
        return -1;
    LONG size = 0;
    if (video->GetCurrentImage(&size, nullptr) != S_OK || size <= 0)
        return -1;
    std::vector<LONG> buffer((static_cast<std::size_t>(size) + 3) / 4);
    if (video->GetCurrentImage(&size, buffer.data()) != S_OK)
        return -1;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(buffer.data());
    if (header->biWidth != kVideoWidth || header->biHeight != kVideoHeight)
        return -1;
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(buffer.data()) + header->biSize +
                         4 * header->biClrUsed + (header->biCompression == 3 ? 12 : 0);
    return testvideos::ReadFrameNumber(pixels, kVideoWidth, kVideoHeight, header->biBitCount);
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
    ComPtr<IGraphBuilder> builder;
    ComPtr<IMediaControl> control;
    if (ComQuery(graph, builder) != S_OK || ComQuery(graph, control) != S_OK)
        return "graph interfaces";
    control->Stop();
    // The renderer: one input, no output.
    ComPtr<IEnumFilters> filters;
    builder->EnumFilters(filters.ReleaseAndGetAddressOf());
    ComPtr<IPin> rendererIn;
    IBaseFilter* filter = nullptr;
    while (!rendererIn && filters->Next(1, &filter, nullptr) == S_OK) {
        ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::TakeOver(filter);
        if (!PinOf(held.Get(), PINDIR_OUTPUT))
            rendererIn = PinOf(held.Get(), PINDIR_INPUT);
    }
    ComPtr<IPin> upstream;
    if (!rendererIn || rendererIn->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK)
        return "renderer";
    upstream->Disconnect();
    rendererIn->Disconnect();
    ComPtr<ISampleGrabber> grabber;
    if (CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(grabber.ReleaseAndGetAddressOf())) !=
        S_OK)
        return "grabber creation";
    ComPtr<CountingCallback> callback = MakeComObject<CountingCallback>();
    grabber->SetCallback(callback.Get(), 1);
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB24;
    type.formattype = FORMAT_VideoInfo;
    grabber->SetMediaType(&type);
    ComPtr<IBaseFilter> grabberFilter;
    grabber.As(grabberFilter);
    builder->AddFilter(grabberFilter.Get(), u"Sample Grabber");
    if (builder->Connect(upstream.Get(), PinOf(grabberFilter.Get(), PINDIR_INPUT).Get()) != S_OK ||
        builder->Connect(PinOf(grabberFilter.Get(), PINDIR_OUTPUT).Get(), rendererIn.Get()) != S_OK)
        return "connection";
    control->Run();
    QElapsedTimer timer;
    timer.start();
    while (callback->samples.load() == 0 && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    control->Stop();
    grabber->SetCallback(nullptr, 1);
    return callback->samples.load() > 0 ? "" : "no sample reached the grabber";
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
