// Shared helpers of the filter graph tests: numbered test videos made with the ffmpeg
// command, reading the number back from a DIB, waiting on the Qt event loop with a bound,
// a fixture that initialises COM and installs the graph classes, and a recording callback.
#pragma once

#include "platform/com/ComPtr.h"
#include "platform/dshow/DShowInterfaces.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace graphtest {

inline constexpr int kWidth = 176;
inline constexpr int kHeight = 144;

// A video of `frames` pictures at 25 per second in which each picture shows its number as 12
// black or white blocks (4 columns x 3 rows, bit 0 top left). Made once per run in a temporary
// folder removed at the end; "" (and a test failure) when ffmpeg fails.
std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments = "-c:v mjpeg -q:v 3");
std::string TestFolder();

// The number shown in a bottom-up DIB of kWidth x kHeight pixels (24 or 32 bits), -1 when a
// block is neither clearly black nor clearly white.
int ReadFrameNumber(const std::uint8_t* pixels, int bitsPerPixel);

// Runs the Qt event loop until done() holds or boundMs pass; returns done().
bool WaitUntil(const std::function<bool()>& done, int boundMs = 15000);

// The reference count after a matching AddRef/Release pair.
inline ULONG RefCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

// Initialises COM on the test thread and installs the graph classes for each test.
class GraphTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A graph for the file (RenderFile), with the interfaces most tests use.
    void Build(const std::string& path);

    ComPtr<IGraphBuilder> graph_;
    ComPtr<IMediaControl> control_;
    ComPtr<IMediaSeeking> seeking_;
    ComPtr<IBasicVideo> video_;
};

// The filter of the graph whose pins are n inputs and m outputs (first match), or null.
ComPtr<IBaseFilter> FindFilter(IFilterGraph* graph, int inputs, int outputs);
// The index-th pin of that direction, or null.
ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index = 0);

// An ISampleGrabberCB that records every BufferCB call (times and frame numbers) and can be
// told to block inside BufferCB until released. Counted like a normal COM object.
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

}  // namespace graphtest
