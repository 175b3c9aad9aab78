// Helpers of the tests that look into a filter graph: finding filters by their pins, and a
// Sample Grabber callback that records the number of every frame it sees (the numbered
// pattern of NumberedVideos.h at its own size).
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/dshow/DShowInterfaces.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

namespace testgraph {

// The index-th pin of that direction (counting only pins of that direction), or null.
ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index = 0);
// The first filter of the graph with exactly `inputs` input and `outputs` output pins, or null.
ComPtr<IBaseFilter> FindFilter(IFilterGraph* graph, int inputs, int outputs);
// The renderer: the first filter with one input pin and no output pin.
inline ComPtr<IBaseFilter> FindRenderer(IFilterGraph* graph)
{
    return FindFilter(graph, 1, 0);
}

// Puts a new Sample Grabber asking for 24-bit RGB video between the graph's renderer and the
// filter that feeds it (the graph stopped), under `name`. "" on success, else what failed;
// `grabber` holds the new grabber from its creation on.
std::string InsertGrabber(IGraphBuilder* graph, ComPtr<ISampleGrabber>& grabber, LPCWSTR name = u"Sample Grabber");

// The number shown by the graph's renderer (IBasicVideo::GetCurrentImage of the graph or of
// the renderer itself), -1 when the picture cannot be read or is not the pattern's.
int ShownFrameNumber(IUnknown* graphOrRenderer);

// An ISampleGrabberCB that records every BufferCB call (times and frame numbers, -2 for a
// buffer too short for a picture of the pattern) and can be told to block inside BufferCB
// until released. Counted like a normal COM object.
class RecordingCallback final : public ISampleGrabberCB {
public:
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override { return ++references_; }
    ULONG Release() override;
    HRESULT SampleCB(double sampleTime, IMediaSample* sample) override;
    HRESULT BufferCB(double sampleTime, BYTE* buffer, LONG length) override;

    std::vector<int> Frames() const;
    std::vector<double> Times() const;
    std::size_t Count() const;
    void Clear();
    int bitsPerPixel = 24;
    // SampleCB calls whose sample had a readable buffer.
    std::atomic<int> sampleCalls{0};
    // While set, BufferCB waits until it is cleared (by a posted message in the tests).
    std::atomic<bool> block{false};
    std::atomic<bool> blocked{false};

private:
    std::atomic<ULONG> references_{1};
    mutable std::mutex lock_;
    std::vector<int> frames_;
    std::vector<double> times_;
};

} // namespace testgraph
