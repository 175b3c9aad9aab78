#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/gdi/Gdi.h"
#include "tests/support/NumberedVideos.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>

namespace graphtest {

std::string TestFolder()
{
    return testvideos::TestFolder();
}

std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments)
{
    return testvideos::NumberedVideo(name, frames, codecArguments, kWidth, kHeight);
}

int ReadFrameNumber(const std::uint8_t* pixels, int bitsPerPixel)
{
    return testvideos::ReadFrameNumber(pixels, kWidth, kHeight, bitsPerPixel);
}

bool WaitUntil(const std::function<bool()>& done, int boundMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > boundMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::yield();
    }
    return true;
}

void GraphTest::SetUp()
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ASSERT_EQ(S_OK, InstallDirectShowServices());
}

void GraphTest::TearDown()
{
    video_.Reset();
    seeking_.Reset();
    control_.Reset();
    graph_.Reset();
    // Windows of destroyed renderers go away with the next turn of the event loop.
    QCoreApplication::processEvents();
    UninstallDirectShowServices();
    CoUninitialize();
}

void GraphTest::Build(const std::string& path)
{
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                     reinterpret_cast<void**>(graph_.ReleaseAndGetAddressOf())));
    const std::u16string wide(path.begin(), path.end());
    ASSERT_EQ(S_OK, graph_->RenderFile(wide.c_str(), nullptr));
    ASSERT_EQ(S_OK, graph_.As(control_));
    ASSERT_EQ(S_OK, graph_.As(seeking_));
    ASSERT_EQ(S_OK, graph_.As(video_));
}

ComPtr<IBaseFilter> FindFilter(IFilterGraph* graph, int inputs, int outputs)
{
    ComPtr<IEnumFilters> filters;
    if (graph->EnumFilters(filters.ReleaseAndGetAddressOf()) != S_OK)
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

ComPtr<IPin> FindPin(IBaseFilter* filter, PIN_DIRECTION direction, int index)
{
    ComPtr<IEnumPins> pins;
    if (filter->EnumPins(pins.ReleaseAndGetAddressOf()) != S_OK)
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
        sample->GetActualDataLength() == DibRowBytes(kWidth, bitsPerPixel) * kHeight)
        ++sampleCalls;
    return S_OK;
}

HRESULT RecordingCallback::BufferCB(double sampleTime, BYTE* buffer, LONG length)
{
    const int number = buffer != nullptr && length >= DibRowBytes(kWidth, bitsPerPixel) * kHeight
                           ? ReadFrameNumber(buffer, bitsPerPixel)
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

}  // namespace graphtest
