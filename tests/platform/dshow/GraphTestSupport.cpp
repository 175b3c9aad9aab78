#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "tests/support/NumberedVideos.h"

#include <QCoreApplication>

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

}  // namespace graphtest
