// Pins, filters and enumerators against the contract a caller of the real interfaces relies
// on: exact results, out-parameters, reference counts.
#include "tests/platform/dshow/GraphTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/dshow/MediaTypes.h"

#include <cstring>

using namespace graphtest;

namespace {

class PinConformance : public GraphTest {
protected:
    void SetUp() override
    {
        GraphTest::SetUp();
        Build(NumberedVideo("conformance.avi", 25));
        source_ = FindFilter(graph_.Get(), 0, 1);
        renderer_ = FindFilter(graph_.Get(), 1, 0);
        ASSERT_TRUE(source_ && renderer_);
        sourceOut_ = FindPin(source_.Get(), PINDIR_OUTPUT);
        rendererIn_ = FindPin(renderer_.Get(), PINDIR_INPUT);
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         reinterpret_cast<void**>(grabber_.ReleaseAndGetAddressOf())));
        grabberIn_ = FindPin(grabber_.Get(), PINDIR_INPUT);
        grabberOut_ = FindPin(grabber_.Get(), PINDIR_OUTPUT);
    }

    ComPtr<IBaseFilter> source_, renderer_, grabber_;
    ComPtr<IPin> sourceOut_, rendererIn_, grabberIn_, grabberOut_;
};

AM_MEDIA_TYPE TypeOf(const GUID& major, const GUID& sub, const GUID& format)
{
    AM_MEDIA_TYPE type;
    std::memset(&type, 0, sizeof type);
    type.majortype = major;
    type.subtype = sub;
    type.formattype = format;
    return type;
}

}  // namespace

TEST_F(PinConformance, PinInfoNamesDirectionAndCountedFilter)
{
    PIN_INFO info;
    const ULONG before = RefCount(source_.Get());
    ASSERT_EQ(S_OK, sourceOut_->QueryPinInfo(&info));
    EXPECT_EQ(source_.Get(), info.pFilter);
    EXPECT_EQ(before + 1, RefCount(source_.Get()));
    info.pFilter->Release();
    EXPECT_EQ(PINDIR_OUTPUT, info.dir);
    EXPECT_EQ(std::u16string(u"Video"), std::u16string(info.achName));

    PIN_DIRECTION direction = static_cast<PIN_DIRECTION>(7);
    EXPECT_EQ(S_OK, rendererIn_->QueryDirection(&direction));
    EXPECT_EQ(PINDIR_INPUT, direction);

    LPWSTR id = nullptr;
    ASSERT_EQ(S_OK, rendererIn_->QueryId(&id));
    ComPtr<IPin> found;
    EXPECT_EQ(S_OK, renderer_->FindPin(id, found.ReleaseAndGetAddressOf()));
    EXPECT_EQ(rendererIn_.Get(), found.Get());
    CoTaskMemFree(id);
    EXPECT_EQ(VFW_E_NOT_FOUND, renderer_->FindPin(u"Nowhere", found.ReleaseAndGetAddressOf()));
    EXPECT_EQ(nullptr, found.Get());

    EXPECT_EQ(E_POINTER, sourceOut_->QueryPinInfo(nullptr));
    EXPECT_EQ(E_POINTER, sourceOut_->QueryDirection(nullptr));
    EXPECT_EQ(E_POINTER, sourceOut_->ConnectedTo(nullptr));
}

TEST_F(PinConformance, OnlyInputPinsReceiveSamples)
{
    ComPtr<IMemInputPin> memory;
    EXPECT_EQ(S_OK, ComQuery(rendererIn_.Get(), memory));
    EXPECT_EQ(E_NOINTERFACE, ComQuery(sourceOut_.Get(), memory));
    EXPECT_EQ(nullptr, memory.Get());
}

TEST_F(PinConformance, ConnectionErrors)
{
    // Wrong direction either way round.
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, grabberOut_->Connect(sourceOut_.Get(), nullptr));
    EXPECT_EQ(VFW_E_INVALID_DIRECTION, graph_->Connect(rendererIn_.Get(), sourceOut_.Get()));
    // Connecting a connected pin, from either end.
    ASSERT_EQ(S_OK, graph_->AddFilter(grabber_.Get(), u"Sample Grabber"));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, sourceOut_->Connect(grabberIn_.Get(), nullptr));
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, graph_->ConnectDirect(grabberOut_.Get(), rendererIn_.Get(), nullptr));
    AM_MEDIA_TYPE rgb32 = MakeRgbVideoType(kWidth, kHeight, 32, 400000);
    EXPECT_EQ(VFW_E_ALREADY_CONNECTED, rendererIn_->ReceiveConnection(grabberOut_.Get(), &rgb32));
    EXPECT_EQ(E_POINTER, rendererIn_->ReceiveConnection(grabberOut_.Get(), nullptr));
    FreeMediaType(rgb32);
    // The grabber's output has nothing to offer before its input is connected.
    ComPtr<IBaseFilter> spare;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(spare.ReleaseAndGetAddressOf())));
    ASSERT_EQ(S_OK, graph_->AddFilter(spare.Get(), u"Spare"));
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, grabberOut_->Connect(FindPin(spare.Get(), PINDIR_INPUT).Get(), nullptr));
    ASSERT_EQ(S_OK, graph_->RemoveFilter(spare.Get()));

    // Unknown media types: a complete type is refused as such, a partial one finds nothing.
    ASSERT_EQ(S_OK, graph_->Disconnect(sourceOut_.Get()));
    ASSERT_EQ(S_OK, graph_->Disconnect(rendererIn_.Get()));
    AM_MEDIA_TYPE audio = TypeOf(MEDIATYPE_Audio, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo);
    EXPECT_EQ(VFW_E_TYPE_NOT_ACCEPTED, sourceOut_->Connect(grabberIn_.Get(), &audio));
    AM_MEDIA_TYPE partial = TypeOf(MEDIATYPE_Video, MEDIASUBTYPE_RGB555, GUID_NULL);
    EXPECT_EQ(VFW_E_NO_ACCEPTABLE_TYPES, sourceOut_->Connect(grabberIn_.Get(), &partial));
    IPin* sentinel = reinterpret_cast<IPin*>(0x1234);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, sourceOut_->ConnectedTo(&sentinel));
    EXPECT_EQ(nullptr, sentinel);
    AM_MEDIA_TYPE type;
    std::memset(&type, 0xAB, sizeof type);
    EXPECT_EQ(VFW_E_NOT_CONNECTED, sourceOut_->ConnectionMediaType(&type));
    EXPECT_EQ(nullptr, type.pbFormat);
    // Disconnecting what is not connected is not an error, but says so.
    EXPECT_EQ(S_FALSE, sourceOut_->Disconnect());

    // A partial type picks the matching offer.
    AM_MEDIA_TYPE rgb24 = TypeOf(MEDIATYPE_Video, MEDIASUBTYPE_RGB24, GUID_NULL);
    ASSERT_EQ(S_OK, sourceOut_->Connect(rendererIn_.Get(), &rgb24));
    ASSERT_EQ(S_OK, rendererIn_->ConnectionMediaType(&type));
    EXPECT_TRUE(type.subtype == MEDIASUBTYPE_RGB24);
    ASSERT_NE(nullptr, VideoBitmapHeader(type));
    EXPECT_EQ(24, VideoBitmapHeader(type)->biBitCount);
    FreeMediaType(type);
    ComPtr<IPin> peer;
    EXPECT_EQ(S_OK, rendererIn_->ConnectedTo(peer.ReleaseAndGetAddressOf()));
    EXPECT_EQ(sourceOut_.Get(), peer.Get());

    // Connections change only while stopped.
    ASSERT_EQ(S_OK, control_->Pause());
    EXPECT_EQ(VFW_E_NOT_STOPPED, sourceOut_->Disconnect());
    EXPECT_EQ(VFW_E_NOT_STOPPED, graph_->RemoveFilter(renderer_.Get()));
    ASSERT_EQ(S_OK, control_->Stop());
}

TEST_F(PinConformance, QueryAcceptAnswersWithoutConnecting)
{
    AM_MEDIA_TYPE rgb = MakeRgbVideoType(kWidth, kHeight, 32, 400000);
    EXPECT_EQ(S_OK, sourceOut_->QueryAccept(&rgb));
    EXPECT_EQ(S_OK, grabberIn_->QueryAccept(&rgb));
    ComPtr<ISampleGrabber> grabber;
    ASSERT_EQ(S_OK, ComQuery(grabber_.Get(), grabber));
    AM_MEDIA_TYPE wanted = TypeOf(MEDIATYPE_Video, MEDIASUBTYPE_RGB24, FORMAT_VideoInfo);
    ASSERT_EQ(S_OK, grabber->SetMediaType(&wanted));
    EXPECT_EQ(S_FALSE, grabberIn_->QueryAccept(&rgb));
    FreeMediaType(rgb);
    AM_MEDIA_TYPE wrongSize = MakeRgbVideoType(kWidth + 2, kHeight, 24, 400000);
    EXPECT_EQ(S_FALSE, sourceOut_->QueryAccept(&wrongSize));
    EXPECT_EQ(S_OK, grabberIn_->QueryAccept(&wrongSize));
    FreeMediaType(wrongSize);
    EXPECT_EQ(E_POINTER, sourceOut_->QueryAccept(nullptr));
}

TEST_F(PinConformance, SourceOffersRgb32ThenRgb24)
{
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, sourceOut_->EnumMediaTypes(types.ReleaseAndGetAddressOf()));
    AM_MEDIA_TYPE* got[3] = {nullptr, nullptr, nullptr};
    ULONG fetched = 99;
    EXPECT_EQ(S_FALSE, types->Next(3, got, &fetched));
    ASSERT_EQ(2u, fetched);
    const GUID expected[2] = {MEDIASUBTYPE_RGB32, MEDIASUBTYPE_RGB24};
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(got[i]->majortype == MEDIATYPE_Video);
        EXPECT_TRUE(got[i]->subtype == expected[i]);
        EXPECT_TRUE(got[i]->formattype == FORMAT_VideoInfo);
        ASSERT_EQ(sizeof(VIDEOINFOHEADER), got[i]->cbFormat);
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(got[i]->pbFormat);
        EXPECT_EQ(kWidth, info->bmiHeader.biWidth);
        EXPECT_EQ(kHeight, info->bmiHeader.biHeight);  // positive: bottom-up rows
        EXPECT_EQ(400000, info->AvgTimePerFrame);
        EXPECT_EQ(static_cast<DWORD>(DibRowBytes(kWidth, i == 0 ? 32 : 24) * kHeight), info->bmiHeader.biSizeImage);
        EXPECT_EQ(info->bmiHeader.biSizeImage, got[i]->lSampleSize);
        DeleteMediaType(got[i]);
    }
}

// The same contract for every enumerator.
template <class IEnum, class Item>
void CheckEnumerator(IEnum* enumerator, ULONG total, void (*free)(Item*))
{
    ASSERT_GE(total, 2u);
    Item* items[8] = {};
    ULONG fetched = 99;
    EXPECT_EQ(E_INVALIDARG, enumerator->Next(2, items, nullptr));
    EXPECT_EQ(E_POINTER, enumerator->Next(1, nullptr, &fetched));
    ASSERT_EQ(S_OK, enumerator->Next(1, items, &fetched));
    EXPECT_EQ(1u, fetched);
    free(items[0]);

    ComPtr<IEnum> copy;
    ASSERT_EQ(S_OK, enumerator->Clone(copy.ReleaseAndGetAddressOf()));
    EXPECT_EQ(S_FALSE, enumerator->Skip(total));
    EXPECT_EQ(S_FALSE, enumerator->Next(1, items, &fetched));
    EXPECT_EQ(0u, fetched);
    // The clone kept the position it was made at.
    EXPECT_EQ(S_FALSE, copy->Next(8, items, &fetched));
    EXPECT_EQ(total - 1, fetched);
    for (ULONG i = 0; i < fetched; ++i)
        free(items[i]);

    EXPECT_EQ(S_OK, enumerator->Reset());
    EXPECT_EQ(S_OK, enumerator->Skip(total));
    EXPECT_EQ(S_OK, enumerator->Reset());
    EXPECT_EQ(S_OK, enumerator->Next(total, items, &fetched));
    EXPECT_EQ(total, fetched);
    for (ULONG i = 0; i < fetched; ++i)
        free(items[i]);
}

TEST_F(PinConformance, EnumeratorsShareOneContract)
{
    ASSERT_EQ(S_OK, graph_->AddFilter(grabber_.Get(), u"Sample Grabber"));
    ComPtr<IEnumFilters> filters;
    ASSERT_EQ(S_OK, graph_->EnumFilters(filters.ReleaseAndGetAddressOf()));
    CheckEnumerator<IEnumFilters, IBaseFilter>(filters.Get(), 3, [](IBaseFilter* f) { f->Release(); });

    ComPtr<IEnumPins> pins;
    ASSERT_EQ(S_OK, grabber_->EnumPins(pins.ReleaseAndGetAddressOf()));
    CheckEnumerator<IEnumPins, IPin>(pins.Get(), 2, [](IPin* p) { p->Release(); });

    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, sourceOut_->EnumMediaTypes(types.ReleaseAndGetAddressOf()));
    CheckEnumerator<IEnumMediaTypes, AM_MEDIA_TYPE>(types.Get(), 2, DeleteMediaType);

    // A snapshot: removing a filter later does not change an enumeration already made.
    ASSERT_EQ(S_OK, graph_->EnumFilters(filters.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, graph_->RemoveFilter(grabber_.Get()));
    IBaseFilter* got[4] = {};
    ULONG fetched = 0;
    EXPECT_EQ(S_FALSE, filters->Next(4, got, &fetched));
    EXPECT_EQ(3u, fetched);
    for (ULONG i = 0; i < fetched; ++i)
        got[i]->Release();
}

TEST_F(PinConformance, FilterInfoAndGraphMembership)
{
    FILTER_INFO info;
    ASSERT_EQ(S_OK, grabber_->QueryFilterInfo(&info));
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(0, info.achName[0]);

    ASSERT_EQ(S_OK, graph_->AddFilter(grabber_.Get(), u"Sample Grabber"));
    ComPtr<IBaseFilter> second;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(second.ReleaseAndGetAddressOf())));
    EXPECT_EQ(VFW_S_DUPLICATE_NAME, graph_->AddFilter(second.Get(), u"Sample Grabber"));
    EXPECT_EQ(E_INVALIDARG, graph_->AddFilter(second.Get(), u"Again"));
    const ULONG graphCount = RefCount(graph_.Get());
    ASSERT_EQ(S_OK, second->QueryFilterInfo(&info));
    EXPECT_EQ(std::u16string(u"Sample Grabber 0001"), std::u16string(info.achName));
    EXPECT_EQ(graphCount + 1, RefCount(graph_.Get()));
    info.pGraph->Release();
    // The graph holds us, we do not hold the graph.
    EXPECT_EQ(graphCount, RefCount(graph_.Get()));

    // A long name is cut to 127 characters and a terminator.
    ComPtr<IBaseFilter> third;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SampleGrabber, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                     reinterpret_cast<void**>(third.ReleaseAndGetAddressOf())));
    const std::u16string longName(300, u'x');
    ASSERT_EQ(S_OK, graph_->AddFilter(third.Get(), longName.c_str()));
    ASSERT_EQ(S_OK, third->QueryFilterInfo(&info));
    EXPECT_EQ(std::u16string(127, u'x'), std::u16string(info.achName));
    info.pGraph->Release();

    ComPtr<IBaseFilter> byName;
    EXPECT_EQ(S_OK, graph_->FindFilterByName(u"Sample Grabber 0001", byName.ReleaseAndGetAddressOf()));
    EXPECT_EQ(second.Get(), byName.Get());
    EXPECT_EQ(VFW_E_NOT_FOUND, graph_->FindFilterByName(u"Nothing", byName.ReleaseAndGetAddressOf()));
    EXPECT_EQ(nullptr, byName.Get());

    ASSERT_EQ(S_OK, graph_->RemoveFilter(second.Get()));
    EXPECT_EQ(VFW_E_NOT_FOUND, graph_->RemoveFilter(second.Get()));
    ASSERT_EQ(S_OK, second->QueryFilterInfo(&info));
    EXPECT_EQ(nullptr, info.pGraph);
    EXPECT_EQ(1u, RefCount(second.Get()));

    // Pins of a filter outside the graph cannot be connected through it.
    EXPECT_EQ(VFW_E_NOT_IN_GRAPH,
              graph_->ConnectDirect(FindPin(second.Get(), PINDIR_OUTPUT).Get(), rendererIn_.Get(), nullptr));
    CLSID clsid;
    EXPECT_EQ(S_OK, second->GetClassID(&clsid));
    EXPECT_TRUE(clsid == CLSID_SampleGrabber);
}

TEST_F(PinConformance, FilterStatesFollowTheGraph)
{
    FILTER_STATE state = static_cast<FILTER_STATE>(9);
    OAFilterState graphState = 9;
    EXPECT_EQ(S_OK, renderer_->GetState(0, &state));
    EXPECT_EQ(State_Stopped, state);
    ASSERT_EQ(S_OK, control_->Pause());
    EXPECT_EQ(S_OK, control_->GetState(0, &graphState));
    EXPECT_EQ(State_Paused, graphState);
    EXPECT_EQ(S_OK, source_->GetState(0, &state));
    EXPECT_EQ(State_Paused, state);
    ASSERT_EQ(S_OK, control_->Run());
    EXPECT_EQ(S_OK, renderer_->GetState(0, &state));
    EXPECT_EQ(State_Running, state);
    ASSERT_EQ(S_OK, control_->Stop());
    EXPECT_EQ(S_OK, control_->GetState(0, &graphState));
    EXPECT_EQ(State_Stopped, graphState);
    EXPECT_EQ(E_POINTER, control_->GetState(0, nullptr));
}
