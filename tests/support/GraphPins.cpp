#include "tests/support/GraphPins.h"

#include "platform/com/ComRuntime.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/NumberedVideos.h"

#include <chrono>
#include <cstring>
#include <thread>

namespace testgraph {

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index)
{
    ComPtr<IEnumPins> pins;
    if (filter == nullptr || filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    IPin* pin = nullptr;
    while (pins->Next(1, &pin, nullptr) == S_OK) {
        ComPtr<IPin> held = ComPtr<IPin>::TakeOver(pin);
        PIN_DIRECTION found;
        if (held->QueryDirection(&found) == S_OK && found == direction && index-- == 0)
            return held;
    }
    return nullptr;
}

ComPtr<IBaseFilter> FindFilter(IFilterGraph* graph, int inputs, int outputs)
{
    ComPtr<IEnumFilters> filters;
    if (graph == nullptr || graph->EnumFilters(filters.ReleaseAndGetAddressOf()) != S_OK)
        return nullptr;
    IBaseFilter* filter = nullptr;
    while (filters->Next(1, &filter, nullptr) == S_OK) {
        ComPtr<IBaseFilter> held = ComPtr<IBaseFilter>::TakeOver(filter);
        int in = 0;
        int out = 0;
        while (FindPin(held.Get(), PINDIR_INPUT, in))
            ++in;
        while (FindPin(held.Get(), PINDIR_OUTPUT, out))
            ++out;
        if (in == inputs && out == outputs)
            return held;
    }
    return nullptr;
}

std::string InsertGrabber(IGraphBuilder* graph, ComPtr<ISampleGrabber>& grabber, LPCWSTR name)
{
    const ComPtr<IPin> rendererIn = FindPin(FindRenderer(graph).Get(), PINDIR_INPUT);
    ComPtr<IPin> upstream;
    if (!rendererIn || rendererIn->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK)
        return "no connected renderer";
    if (graph->Disconnect(upstream.Get()) != S_OK || graph->Disconnect(rendererIn.Get()) != S_OK)
        return "disconnection";
    if (CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                         reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())) != S_OK)
        return "grabber creation";
    AM_MEDIA_TYPE wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.majortype = MEDIATYPE_Video;
    wanted.subtype = MEDIASUBTYPE_RGB24;
    wanted.formattype = FORMAT_VideoInfo;
    ComPtr<IBaseFilter> filter;
    if (grabber->SetMediaType(&wanted) != S_OK || grabber.As(filter) != S_OK)
        return "grabber set-up";
    if (graph->AddFilter(filter.Get(), name) != S_OK)
        return "adding the grabber";
    if (graph->Connect(upstream.Get(), FindPin(filter.Get(), PINDIR_INPUT).Get()) != S_OK ||
        graph->Connect(FindPin(filter.Get(), PINDIR_OUTPUT).Get(), rendererIn.Get()) != S_OK)
        return "connection";
    return "";
}

int ShownFrameNumber(IUnknown* graphOrRenderer)
{
    ComPtr<IBasicVideo> video;
    if (graphOrRenderer == nullptr || graphOrRenderer->QueryInterface(
                                           IID_IBasicVideo, reinterpret_cast<void**>(video.ReleaseAndGetAddressOf())) != S_OK)
        return -1;
    LONG size = 0;
    if (video->GetCurrentImage(&size, nullptr) != S_OK || size <= 0)
        return -1;
    std::vector<LONG> buffer((static_cast<std::size_t>(size) + 3) / 4);
    if (video->GetCurrentImage(&size, buffer.data()) != S_OK)
        return -1;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(buffer.data());
    if (header->biWidth != testvideos::kPatternWidth || header->biHeight != testvideos::kPatternHeight)
        return -1;
    const auto* pixels = reinterpret_cast<const std::uint8_t*>(buffer.data()) + header->biSize +
                         4 * header->biClrUsed + (header->biCompression == 3 ? 12 : 0);
    return testvideos::ReadFrameNumber(pixels, testvideos::kPatternWidth, testvideos::kPatternHeight,
                                       header->biBitCount);
}

HRESULT RecordingCallback::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_ISampleGrabberCB)
        return E_NOINTERFACE;
    *object = static_cast<ISampleGrabberCB*>(this);
    AddRef();
    return S_OK;
}

ULONG RecordingCallback::Release()
{
    const ULONG remaining = --references_;
    if (remaining == 0)
        delete this;
    return remaining;
}

HRESULT RecordingCallback::SampleCB(double, IMediaSample* sample)
{
    BYTE* pointer = nullptr;
    if (sample != nullptr && sample->GetPointer(&pointer) == S_OK && pointer != nullptr &&
        sample->GetActualDataLength() ==
            DibRowBytes(testvideos::kPatternWidth, bitsPerPixel) * testvideos::kPatternHeight)
        ++sampleCalls;
    return S_OK;
}

HRESULT RecordingCallback::BufferCB(double sampleTime, BYTE* buffer, LONG length)
{
    const int number =
        buffer != nullptr && length >= DibRowBytes(testvideos::kPatternWidth, bitsPerPixel) * testvideos::kPatternHeight
            ? testvideos::ReadFrameNumber(buffer, testvideos::kPatternWidth, testvideos::kPatternHeight, bitsPerPixel)
            : -2;
    {
        std::lock_guard lock(lock_);
        frames_.push_back(number);
        times_.push_back(sampleTime);
    }
    blocked = block.load();
    while (block.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    blocked = false;
    return S_OK;
}

std::vector<int> RecordingCallback::Frames() const
{
    std::lock_guard lock(lock_);
    return frames_;
}

std::vector<double> RecordingCallback::Times() const
{
    std::lock_guard lock(lock_);
    return times_;
}

std::size_t RecordingCallback::Count() const
{
    std::lock_guard lock(lock_);
    return frames_.size();
}

void RecordingCallback::Clear()
{
    std::lock_guard lock(lock_);
    frames_.clear();
    times_.clear();
}

} // namespace testgraph
