// Building graphs: files that cannot be opened, rewiring a grabber in front of the renderer
// and back, the converter between pins that agree on no type, installation.
#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/Bstr.h"
#include "platform/com/ComRuntime.h"
#include "platform/dshow/DirectShowServices.h"
#include "platform/dshow/MediaTypes.h"
#include "platform/registry/Registry.h"

#include <cstring>
#include <fstream>

using namespace graphtest;

namespace {

class GraphBuild : public GraphTest {
protected:
    ComPtr<IGraphBuilder> NewGraph()
    {
        ComPtr<IGraphBuilder> graph;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         reinterpret_cast<void**>(graph.ReleaseAndGetAddressOf())));
        return graph;
    }

    std::string ErrorText(IGraphBuilder* graph)
    {
        ComPtr<IGraphDiagnostics> diagnostics;
        EXPECT_EQ(S_OK, ComQuery(graph, diagnostics));
        UniqueBstr text;
        EXPECT_EQ(S_OK, diagnostics->GetLastErrorText(text.ReleaseAndGetAddressOf()));
        return text.ToUtf8();
    }

    int FilterCount(IFilterGraph* graph)
    {
        ComPtr<IEnumFilters> filters;
        EXPECT_EQ(S_OK, graph->EnumFilters(filters.ReleaseAndGetAddressOf()));
        IBaseFilter* filter = nullptr;
        int count = 0;
        while (filters->Next(1, &filter, nullptr) == S_OK) {
            filter->Release();
            ++count;
        }
        return count;
    }

    // Puts a grabber fixed to `subtype` between the renderer and whatever fed it.
    ComPtr<ISampleGrabber> InsertGrabber(const GUID& subtype, ComPtr<IPin>* upstreamOut = nullptr)
    {
        ComPtr<IBaseFilter> renderer = FindFilter(graph_.Get(), 1, 0);
        ComPtr<IPin> rendererIn = FindPin(renderer.Get(), PINDIR_INPUT);
        ComPtr<IPin> upstream;
        EXPECT_EQ(S_OK, rendererIn->ConnectedTo(upstream.ReleaseAndGetAddressOf()));
        EXPECT_EQ(S_OK, upstream->Disconnect());
        EXPECT_EQ(S_OK, rendererIn->Disconnect());
        ComPtr<ISampleGrabber> grabber;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                         reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())));
        AM_MEDIA_TYPE wanted;
        std::memset(&wanted, 0, sizeof wanted);
        wanted.majortype = MEDIATYPE_Video;
        wanted.subtype = subtype;
        wanted.formattype = FORMAT_VideoInfo;
        wanted.bFixedSizeSamples = TRUE;
        wanted.lSampleSize = 1;
        EXPECT_EQ(S_OK, grabber->SetMediaType(&wanted));
        ComPtr<IBaseFilter> filter;
        EXPECT_EQ(S_OK, grabber.As(filter));
        graph_->AddFilter(filter.Get(), u"Sample Grabber");
        EXPECT_EQ(S_OK, graph_->Connect(upstream.Get(), FindPin(filter.Get(), PINDIR_INPUT).Get()));
        EXPECT_EQ(S_OK, graph_->Connect(FindPin(filter.Get(), PINDIR_OUTPUT).Get(), rendererIn.Get()));
        if (upstreamOut != nullptr)
            *upstreamOut = upstream;
        return grabber;
    }
};

}  // namespace

TEST_F(GraphBuild, FilesThatCannotBeOpenedFailWithTheirReason)
{
    const std::string text = TestFolder() + "/notes.txt";
    std::ofstream(text) << "these are not pictures\n";
    const std::string audio = TestFolder() + "/tone.wav";
    ASSERT_EQ(0, std::system(("\"${QUELLON_FFMPEG:-ffmpeg}\" -y -v error -f lavfi -i sine=d=0.5 \"" + audio + "\"").c_str()));
    const struct {
        std::string path;
        HRESULT expected;
    } cases[] = {
        {TestFolder() + "/missing.avi", HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)},
        {text, VFW_E_UNKNOWN_FILE_TYPE},
        {audio, VFW_E_UNSUPPORTED_STREAM},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ComPtr<IGraphBuilder> graph = NewGraph();
        const std::u16string wide = Utf8ToUtf16(c.path);
        EXPECT_EQ(c.expected, graph->RenderFile(wide.c_str(), nullptr));
        EXPECT_EQ(0, FilterCount(graph.Get()));
        EXPECT_FALSE(ErrorText(graph.Get()).empty());
        IBaseFilter* sentinel = reinterpret_cast<IBaseFilter*>(0x1234);
        EXPECT_EQ(c.expected, graph->AddSourceFilter(wide.c_str(), nullptr, &sentinel));
        EXPECT_EQ(nullptr, sentinel);
        // Without filters the graph answers, but has nothing to seek or show.
        ComPtr<IMediaSeeking> seeking;
        ASSERT_EQ(S_OK, graph.As(seeking));
        LONGLONG duration = -7;
        EXPECT_EQ(E_NOTIMPL, seeking->GetDuration(&duration));
        ComPtr<IBasicVideo> video;
        ASSERT_EQ(S_OK, graph.As(video));
        LONG width = -7;
        LONG height = -7;
        EXPECT_EQ(E_NOINTERFACE, video->GetVideoSize(&width, &height));
    }
    EXPECT_EQ(E_POINTER, NewGraph()->RenderFile(nullptr, nullptr));
}

TEST_F(GraphBuild, RenderFileBuildsSourceToRenderer)
{
    Build(NumberedVideo("build.avi", 25));
    EXPECT_EQ(2, FilterCount(graph_.Get()));
    ComPtr<IBaseFilter> renderer = FindFilter(graph_.Get(), 1, 0);
    ASSERT_TRUE(renderer);
    FILTER_INFO info;
    ASSERT_EQ(S_OK, renderer->QueryFilterInfo(&info));
    EXPECT_EQ(std::u16string(u"Video Renderer"), std::u16string(info.achName));
    info.pGraph->Release();
    EXPECT_EQ("", ErrorText(graph_.Get()));
    LONG width = 0;
    LONG height = 0;
    EXPECT_EQ(S_OK, video_->GetVideoSize(&width, &height));
    EXPECT_EQ(kWidth, width);
    EXPECT_EQ(kHeight, height);
}

TEST_F(GraphBuild, GrabberRewiringNegotiatesRgb24AndCanBeUndone)
{
    Build(NumberedVideo("rewire.avi", 25));
    ComPtr<IPin> upstream;
    ComPtr<ISampleGrabber> grabber = InsertGrabber(MEDIASUBTYPE_RGB24, &upstream);
    EXPECT_EQ(3, FilterCount(graph_.Get()));

    AM_MEDIA_TYPE connected;
    ASSERT_EQ(S_OK, grabber->GetConnectedMediaType(&connected));
    EXPECT_TRUE(connected.majortype == MEDIATYPE_Video);
    EXPECT_TRUE(connected.subtype == MEDIASUBTYPE_RGB24);
    EXPECT_TRUE(connected.formattype == FORMAT_VideoInfo);
    ASSERT_NE(nullptr, VideoBitmapHeader(connected));
    EXPECT_EQ(24, VideoBitmapHeader(connected)->biBitCount);
    FreeMediaType(connected);

    // The renderer now shows 24-bit pictures too.
    ASSERT_EQ(S_OK, control_->Pause());
    LONG size = 0;
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, nullptr));
    EXPECT_EQ(static_cast<LONG>(sizeof(BITMAPINFOHEADER) + DibRowBytes(kWidth, 24) * kHeight), size);
    ASSERT_EQ(S_OK, control_->Stop());

    // Back to the old link: grabber out, renderer fed by the source again.
    ComPtr<IBaseFilter> grabberFilter;
    ASSERT_EQ(S_OK, grabber.As(grabberFilter));
    ComPtr<IPin> rendererIn = FindPin(FindFilter(graph_.Get(), 1, 0).Get(), PINDIR_INPUT);
    EXPECT_EQ(S_OK, FindPin(grabberFilter.Get(), PINDIR_INPUT)->Disconnect());
    EXPECT_EQ(S_OK, FindPin(grabberFilter.Get(), PINDIR_OUTPUT)->Disconnect());
    EXPECT_EQ(S_OK, rendererIn->Disconnect());
    EXPECT_EQ(S_OK, upstream->Disconnect());
    EXPECT_EQ(S_OK, graph_->RemoveFilter(grabberFilter.Get()));
    EXPECT_EQ(S_OK, graph_->Connect(upstream.Get(), rendererIn.Get()));
    EXPECT_EQ(2, FilterCount(graph_.Get()));
    AM_MEDIA_TYPE type;
    EXPECT_EQ(VFW_E_NOT_CONNECTED, grabber->GetConnectedMediaType(&type));
    ASSERT_EQ(S_OK, control_->Pause());
    ASSERT_EQ(S_OK, video_->GetCurrentImage(&size, nullptr));
    EXPECT_EQ(static_cast<LONG>(sizeof(BITMAPINFOHEADER) + DibRowBytes(kWidth, 32) * kHeight), size);
}

TEST_F(GraphBuild, ConverterJoinsPinsThatAgreeOnNoType)
{
    Build(NumberedVideo("convert.avi", 25));
    // A first grabber fixed to RGB32 can only pass RGB32 on; the second one demands RGB24.
    InsertGrabber(MEDIASUBTYPE_RGB32);
    auto callback = ComPtr<RecordingCallback>::TakeOver(new RecordingCallback());
    ComPtr<ISampleGrabber> second = InsertGrabber(MEDIASUBTYPE_RGB24);
    ASSERT_EQ(S_OK, second->SetCallback(callback.Get(), 1));
    EXPECT_EQ(5, FilterCount(graph_.Get()));  // source, grabber, converter, grabber, renderer

    AM_MEDIA_TYPE connected;
    ASSERT_EQ(S_OK, second->GetConnectedMediaType(&connected));
    EXPECT_TRUE(connected.subtype == MEDIASUBTYPE_RGB24);
    FreeMediaType(connected);

    // The converted pictures still carry their numbers.
    ASSERT_EQ(S_OK, seeking_->SetTimeFormat(&TIME_FORMAT_FRAME));
    ASSERT_EQ(S_OK, control_->Pause());
    LONGLONG frame = 17;
    ASSERT_EQ(S_OK, seeking_->SetPositions(&frame, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning));
    EXPECT_EQ((std::vector<int>{0, 17}), callback->Frames());
    ASSERT_EQ(S_OK, control_->Stop());
    ASSERT_EQ(S_OK, second->SetCallback(nullptr, 1));
}

TEST_F(GraphBuild, GrabberWithATypeNobodyOffersCannotBeConnected)
{
    Build(NumberedVideo("refuse.avi", 25));
    ComPtr<IBaseFilter> renderer = FindFilter(graph_.Get(), 1, 0);
    ComPtr<IPin> rendererIn = FindPin(renderer.Get(), PINDIR_INPUT);
    ComPtr<IPin> upstream;
    ASSERT_EQ(S_OK, rendererIn->ConnectedTo(upstream.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, upstream->Disconnect());
    ASSERT_EQ(S_OK, rendererIn->Disconnect());
    ComPtr<IBaseFilter> grabber;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())));
    ComPtr<ISampleGrabber> settings;
    ASSERT_EQ(S_OK, grabber.As(settings));
    AM_MEDIA_TYPE wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.majortype = MEDIATYPE_Audio;
    ASSERT_EQ(S_OK, settings->SetMediaType(&wanted));
    ASSERT_EQ(S_OK, graph_->AddFilter(grabber.Get(), u"Sample Grabber"));
    EXPECT_EQ(VFW_E_CANNOT_CONNECT, graph_->Connect(upstream.Get(), FindPin(grabber.Get(), PINDIR_INPUT).Get()));
    EXPECT_EQ(3, FilterCount(graph_.Get()));  // the failed converter was taken out again
    // Restoring the old link works.
    EXPECT_EQ(S_OK, graph_->RemoveFilter(grabber.Get()));
    EXPECT_EQ(S_OK, graph_->Connect(upstream.Get(), rendererIn.Get()));
}

TEST_F(GraphBuild, InstalledClassesCanBeRemovedAndRestored)
{
    HKEY key = nullptr;
    const std::string path = "CLSID\\" + GuidToString(CLSID_SampleGrabber);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);

    ASSERT_EQ(S_OK, UninstallDirectShowServices());
    ComPtr<ISampleGrabber> grabber;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_ISampleGrabber,
                                                    reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key));

    ASSERT_EQ(S_OK, InstallDirectShowServices());
    ASSERT_EQ(S_OK, InstallDirectShowServices());  // twice is harmless
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_ISampleGrabber,
                                     reinterpret_cast<void**>(grabber.ReleaseAndGetAddressOf())));
    EXPECT_EQ(1u, RefCount(grabber.Get()));
    ComPtr<IBaseFilter> asFilter;
    EXPECT_EQ(S_OK, grabber.As(asFilter));
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(S_OK, grabber.As(a));
    ASSERT_EQ(S_OK, asFilter.As(b));
    EXPECT_EQ(a.Get(), b.Get());
}
