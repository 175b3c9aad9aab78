#include "tests/videosource/grabber/MovieGrabberFixture.h"

#include "framework/Bitmap.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "platform/mediaplayer/MediaPlayerInterfaces.h"
#include "tests/support/NumberedVideos.h"

#include <QCoreApplication>

#include <cstring>

namespace grabbertest {

int BitmapFrameNumber(TBitmap* bitmap)
{
    const int width = bitmap->Width();
    const int height = bitmap->Height();
    const int bits = bitmap->BitsPerPixel();
    if (width <= 0 || height <= 0 || (bits != 24 && bits != 32) || bitmap->PixelFormat() == pfDevice)
        return -1;
    const std::size_t rowBytes = static_cast<std::size_t>(DibRowBytes(width, bits));
    std::vector<std::uint8_t> rows(rowBytes * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(&rows[(height - 1 - y) * rowBytes], bitmap->ScanLine(y), static_cast<std::size_t>(width) * bits / 8);
    return testvideos::ReadFrameNumber(rows.data(), width, height, bits);
}

void CaptureRecorder::Completed(TObject*, TBitmap* bitmap, TFrameCapture_Dest dest, const std::string& fileName,
                                WordBool success)
{
    Capture capture;
    capture.Dest = dest;
    capture.FileName = fileName;
    capture.Success = success != 0;
    if (bitmap != nullptr) {
        capture.Width = bitmap->Width();
        capture.Height = bitmap->Height();
        capture.BitsPerPixel = bitmap->BitsPerPixel();
        capture.Number = BitmapFrameNumber(bitmap);
    }
    captures.push_back(capture);
}

std::vector<int> CaptureRecorder::Numbers() const
{
    std::vector<int> numbers;
    for (const Capture& capture : captures)
        numbers.push_back(capture.Number);
    return numbers;
}

void MovieGrabberTest::SetUp()
{
    ASSERT_EQ(S_OK, InstallMediaPlayerControl());
    RegisterActiveMovieClass();
    BmpSequenceCounter() = 0;
    JpgSequenceCounter() = 0;
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 420, 340);
    image_ = new TImage(form_);
    image_->SetParent(form_);
    image_->SetBounds(0, 0, 320, 240);
    movie_ = new TActiveMovie(form_);
    movie_->SetParent(form_);
    movie_->SetBounds(0, 0, 240, 200);
    movie_->SetAutoStart(WordFalse);
    movie_->SetFGrabber_Enabled(true);
    movie_->SetStoragePath(folder_.Path());
    movie_->OnFGrabberCaptureCompleted.Assign(&recorder_, &CaptureRecorder::Completed);
    movie_->OnPositionChange.Assign(&recorder_, &CaptureRecorder::PositionChange);
    movie_->OnEndOfStream.Assign(&recorder_, &CaptureRecorder::EndOfStream);
    form_->HandleNeeded();
}

void MovieGrabberTest::TearDown()
{
    if (form_ != nullptr)
        form_->Free();
    form_ = nullptr;
    movie_ = nullptr;
    QCoreApplication::processEvents();
    BmpSequenceCounter() = 0;
    JpgSequenceCounter() = 0;
}

void MovieGrabberTest::Open(int frames)
{
    const std::string path = testvideos::NumberedVideo("movie" + std::to_string(frames) + ".avi", frames);
    ASSERT_FALSE(path.empty());
    movie_->SetFileName(ToWideString(path));
    movie_->OpenMedia();
    const bool grabber = movie_->FGrabber_Enabled();
    ASSERT_TRUE(WaitUntil([&] { return movie_->GrabberReady() == grabber && PlayState() == 1; }))
        << "grabber ready " << movie_->GrabberReady();
}

void MovieGrabberTest::SeekPaused(Cardinal frame)
{
    movie_->SeekToFrame(frame);
    ASSERT_TRUE(WaitUntil([&] { return movie_->FramePosition() == frame && PlayState() == 1; }, 10000)) << frame;
}

ComPtr<IFilterGraph> MovieGrabberTest::ControlGraph()
{
    ComPtr<mediaplayer::IActiveMovie> control;
    ComPtr<IUnknown> unknown;
    ComPtr<IFilterGraph> graph;
    if (movie_->Player()->GetPlayerInterface().As(control) != S_OK ||
        control->get_FilterGraph(unknown.ReleaseAndGetAddressOf()) != S_OK || unknown.As(graph) != S_OK)
        return nullptr;
    return graph;
}

int MovieGrabberTest::GrabbersInFrontOfRenderer()
{
    const ComPtr<IFilterGraph> graph = ControlGraph();
    if (!graph)
        return -1;
    ComPtr<IBaseFilter> filter;
    if (graph->FindFilterByName(u"Video Renderer", filter.ReleaseAndGetAddressOf()) != S_OK)
        return -2;
    for (int count = 0;; ++count) {
        const ComPtr<IPin> input = FindPin(filter.Get(), PINDIR_INPUT);
        ComPtr<IPin> upstream;
        if (!input || input->ConnectedTo(upstream.ReleaseAndGetAddressOf()) != S_OK)
            return count;
        PIN_INFO info{};
        upstream->QueryPinInfo(&info);
        filter = ComPtr<IBaseFilter>::TakeOver(info.pFilter);
        ComPtr<ISampleGrabber> grabber;
        if (filter.As(grabber) != S_OK)
            return count;
    }
}

int MovieGrabberTest::RendererFrame()
{
    return testgraph::ShownFrameNumber(ControlGraph().Get());
}

} // namespace grabbertest
