// The control as a COM object, without the host: installation, identity, the embedding
// answers a container relies on before and after in-place activation, and persistence.
#include "tests/platform/mediaplayer/PlayerTestSupport.h"

#include "platform/com/ComRuntime.h"
#include "platform/com/HGlobalStream.h"
#include "platform/mediaplayer/MediaPlayerInstall.h"
#include "platform/registry/Registry.h"

using namespace mediaplayer;

namespace playertest {
namespace {

class PlayerComTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AMovieUnitStart();
        ASSERT_EQ(S_OK, InstallMediaPlayerControl());
        ASSERT_EQ(S_OK, CoCreateInstance(mediaplayer::CLSID_MediaPlayer, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_PPV_ARGS(object_.ReleaseAndGetAddressOf())));
    }
    ComPtr<IOleObject> object_;
};

TEST_F(PlayerComTest, InstallationRegistersTheClassAndItsKeyAndUninstallRemovesBoth)
{
    EXPECT_TRUE(IsPlayerInstalled());
    ASSERT_EQ(S_OK, UninstallMediaPlayerControl());
    EXPECT_FALSE(IsPlayerInstalled());
    ComPtr<IOleObject> none;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(mediaplayer::CLSID_MediaPlayer, nullptr, CLSCTX_INPROC_SERVER,
                                                    IID_PPV_ARGS(none.ReleaseAndGetAddressOf())));
    EXPECT_EQ(S_OK, UninstallMediaPlayerControl());  // a second time changes nothing
    ASSERT_EQ(S_OK, InstallMediaPlayerControl());
    EXPECT_EQ(S_OK, InstallMediaPlayerControl());
    EXPECT_TRUE(IsPlayerInstalled());
}

TEST_F(PlayerComTest, EveryInterfaceLeadsBackToOneObject)
{
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, object_.As(identity));
    const IID interfaces[] = {IID_IOleObject,     IID_IOleInPlaceObject, IID_IOleInPlaceActiveObject, IID_IOleWindow,
                              IID_IOleControl,    IID_IPersistStreamInit, IID_IPersist,
                              IID_IConnectionPointContainer, IID_IDispatch, mediaplayer::IID_IMediaPlayer, mediaplayer::IID_IActiveMovie};
    for (const IID& iid : interfaces) {
        ComPtr<IUnknown> other;
        ASSERT_EQ(S_OK, object_.AsIid(iid, reinterpret_cast<void**>(other.ReleaseAndGetAddressOf())))
            << GuidToString(iid);
        ComPtr<IUnknown> back;
        ASSERT_EQ(S_OK, other.As(back));
        EXPECT_EQ(identity.Get(), back.Get()) << GuidToString(iid);
    }
    ComPtr<IUnknown> none;
    EXPECT_EQ(E_NOINTERFACE, object_.AsIid(IID_IOleClientSite, reinterpret_cast<void**>(none.ReleaseAndGetAddressOf())));
    EXPECT_FALSE(none);
}

TEST_F(PlayerComTest, TheEmbeddingAnswersBeforeActivation)
{
    DWORD status = 0;
    ASSERT_EQ(S_OK, object_->GetMiscStatus(DVASPECT_CONTENT, &status));
    EXPECT_NE(0u, status & OLEMISC_SETCLIENTSITEFIRST);
    EXPECT_EQ(0u, status & OLEMISC_INVISIBLEATRUNTIME);
    SIZEL size{};
    ASSERT_EQ(S_OK, object_->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(MulDiv(320, 2540, 96), size.cx);
    SIZEL wanted{5000, 4000};
    ASSERT_EQ(S_OK, object_->SetExtent(DVASPECT_CONTENT, &wanted));
    ASSERT_EQ(S_OK, object_->GetExtent(DVASPECT_CONTENT, &size));
    EXPECT_EQ(5000, size.cx);
    EXPECT_EQ(4000, size.cy);
    EXPECT_EQ(DV_E_DVASPECT, object_->GetExtent(DVASPECT_ICON, &size));

    ComPtr<IOleInPlaceObject> inPlace;
    ASSERT_EQ(S_OK, object_.As(inPlace));
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(E_FAIL, inPlace->GetWindow(&window));
    EXPECT_EQ(nullptr, window);
    RECT rect{0, 0, 10, 10};
    EXPECT_EQ(OLE_E_NOT_INPLACEACTIVE, inPlace->SetObjectRects(&rect, &rect));
    // Activation needs a live parent window.
    EXPECT_EQ(OLE_E_INVALIDHWND, object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, nullptr, 0, nullptr, &rect));
    EXPECT_EQ(E_NOTIMPL, object_->DoVerb(OLEIVERB_PROPERTIES, nullptr, nullptr, 0, nullptr, &rect));
}

TEST_F(PlayerComTest, ConnectionPointsExistForEventsAndPropertyNotificationsOnly)
{
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, object_.As(container));
    ComPtr<IConnectionPoint> point;
    EXPECT_EQ(S_OK, container->FindConnectionPoint(mediaplayer::DIID_MediaPlayerEvents, point.ReleaseAndGetAddressOf()));
    EXPECT_EQ(S_OK, container->FindConnectionPoint(IID_IPropertyNotifySink, point.ReleaseAndGetAddressOf()));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, point.ReleaseAndGetAddressOf()));
}

TEST_F(PlayerComTest, SavedStateLoadsBackAndAForeignStreamIsRefused)
{
    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(S_OK, object_.As(persist));
    CLSID clsid{};
    ASSERT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_EQ(mediaplayer::CLSID_MediaPlayer, clsid);
    ASSERT_EQ(S_OK, persist->InitNew());
    EXPECT_EQ(S_FALSE, persist->IsDirty());

    ComPtr<IStream> stream;
    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
    const char foreign[] = "not a player's state at all";
    ULONG written = 0;
    stream->Write(foreign, sizeof foreign, &written);
    LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(E_FAIL, persist->Load(stream.Get()));

    ASSERT_EQ(S_OK, CreateStreamOnHGlobal(nullptr, TRUE, stream.ReleaseAndGetAddressOf()));
    ASSERT_EQ(S_OK, persist->Save(stream.Get(), TRUE));
    ULARGE_INTEGER max{};
    ASSERT_EQ(S_OK, persist->GetSizeMax(&max));
    STATSTG stat{};
    ASSERT_EQ(S_OK, stream->Stat(&stat, STATFLAG_NONAME));
    EXPECT_LE(stat.cbSize.QuadPart, max.QuadPart);
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(S_OK, persist->Load(stream.Get()));
}

}  // namespace
}  // namespace playertest
