#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/gdi/Gdi.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <thread>
#include <unistd.h>

namespace graphtest {

namespace {

class FolderCleanup : public ::testing::Environment {
public:
    void TearDown() override
    {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
    }
    std::string folder;
};

FolderCleanup* cleanup = nullptr;

std::string Ffmpeg()
{
    const char* configured = std::getenv("QUELLON_FFMPEG");
    return configured && *configured ? configured : "ffmpeg";
}

}  // namespace

std::string TestFolder()
{
    if (!cleanup) {
        cleanup = new FolderCleanup;
        ::testing::AddGlobalTestEnvironment(cleanup);  // gtest owns it
        const auto folder = std::filesystem::temp_directory_path() / ("quellon-graph-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        cleanup->folder = folder.string();
    }
    return cleanup->folder;
}

std::string NumberedVideo(const std::string& name, int frames, const std::string& codecArguments)
{
    const std::string path = TestFolder() + "/" + name;
    if (std::filesystem::exists(path))
        return path;
    const int blockWidth = kWidth / 4;
    const int blockHeight = kHeight / 3;
    const std::string pattern = "-f lavfi -i \"color=black:s=" + std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                                ":r=25:d=" + std::to_string(frames / 25.0) +
                                ",format=gray,geq=lum='if(mod(floor(N/pow(2,floor(X/" + std::to_string(blockWidth) +
                                ")+4*floor(Y/" + std::to_string(blockHeight) + "))),2),235,16)'\"";
    // Made under another name first so that an interrupted run never leaves a half file.
    const std::string partial = TestFolder() + "/partial-" + name;
    const std::string command = Ffmpeg() + " -y -v error " + pattern + " -frames:v " + std::to_string(frames) + " " +
                                codecArguments + " \"" + partial + "\" && mv \"" + partial + "\" \"" + path + "\"";
    if (std::system(command.c_str()) != 0) {
        ADD_FAILURE() << "ffmpeg failed: " << command;
        return "";
    }
    return path;
}

int ReadFrameNumber(const std::uint8_t* pixels, int bitsPerPixel)
{
    const std::size_t stride = static_cast<std::size_t>(DibRowBytes(kWidth, bitsPerPixel));
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bitsPerPixel / 8);
    int number = 0;
    for (int bit = 0; bit < 12; ++bit) {
        const int x = (bit % 4) * (kWidth / 4) + kWidth / 8;
        const int y = (bit / 4) * (kHeight / 3) + kHeight / 6;
        const std::size_t row = static_cast<std::size_t>(kHeight - 1 - y);  // bottom-up rows
        const int green = pixels[row * stride + static_cast<std::size_t>(x) * bytesPerPixel + 1];
        if (green > 60 && green < 190)
            return -1;
        if (green >= 190)
            number |= 1 << bit;
    }
    return number;
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
