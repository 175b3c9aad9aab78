#include "platform/com/ClassFactory.h"
#include "platform/com/ComObject.h"
#include "platform/com/InPlaceWindowShims.h"
#include "platform/com/OleInterfaces.h"
#include "TestObjects.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

int liveSites = 0;

// A site answering two interfaces, one of which extends IOleWindow.
class Site final : public ComObject<IOleClientSite, IOleInPlaceSite> {
public:
    Site() { ++liveSites; }
    ~Site() override { --liveSites; }

    HRESULT SaveObject() override { return S_OK; }
    HRESULT GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT ShowObject() override { return S_OK; }
    HRESULT OnShowWindow(BOOL) override { return S_OK; }
    HRESULT RequestNewObjectLayout() override { return S_OK; }
    HRESULT GetWindow(HWND*) override { return E_FAIL; }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT CanInPlaceActivate() override { return S_OK; }
    HRESULT OnInPlaceActivate() override { return S_OK; }
    HRESULT OnUIActivate() override { return S_OK; }
    HRESULT GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT, LPOLEINPLACEFRAMEINFO) override
    {
        return E_NOTIMPL;
    }
    HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT OnInPlaceDeactivate() override { return S_OK; }
    HRESULT DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() override { return S_OK; }
    HRESULT OnPosRectChange(LPCRECT) override { return S_OK; }

    // Also answers one id that cannot be listed.
    static constexpr GUID Extra = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

protected:
    HRESULT QueryOtherInterface(REFIID iid, void** object) override
    {
        if (iid != Extra)
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IOleClientSite*>(this);
        return S_OK;
    }
};

TEST(ComObject, AnswersListedInterfacesTheirBasesAndIdentity)
{
    ComPtr<Site> site = MakeComObject<Site>();
    EXPECT_EQ(RefCount(site.Get()), 1u);

    struct Case {
        const IID* iid;
        void* expected;
    } cases[] = {
        {&IID_IUnknown, static_cast<IUnknown*>(static_cast<IOleClientSite*>(site.Get()))},
        {&IID_IOleClientSite, static_cast<IOleClientSite*>(site.Get())},
        {&IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(site.Get())},
        {&IID_IOleWindow, static_cast<IOleWindow*>(site.Get())},
        {&Site::Extra, static_cast<IOleClientSite*>(site.Get())},
    };
    for (const Case& c : cases) {
        void* out = Sentinel();
        ASSERT_EQ(site->QueryInterface(*c.iid, &out), S_OK) << GuidToString(*c.iid);
        EXPECT_EQ(out, c.expected) << GuidToString(*c.iid);
        EXPECT_EQ(RefCount(site.Get()), 2u);
        static_cast<IUnknown*>(out)->Release();
    }

    void* out = Sentinel();
    EXPECT_EQ(site->QueryInterface(IID_IOleObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(site->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_EQ(RefCount(site.Get()), 1u);

    // IUnknown through any interface is the same object.
    ComPtr<IOleInPlaceSite> inPlace;
    ASSERT_EQ(site.As(inPlace), S_OK);
    ComPtr<IUnknown> a, b;
    ASSERT_EQ(ComQuery(inPlace.Get(), a), S_OK);
    ASSERT_EQ(ComQuery(static_cast<IOleClientSite*>(site.Get()), b), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
}

TEST(ComObject, LastReleaseDestroys)
{
    ASSERT_EQ(liveSites, 0);
    {
        ComPtr<Site> site = MakeComObject<Site>();
        ComPtr<IOleClientSite> copy = site; // converting copy adds a reference
        EXPECT_EQ(RefCount(site.Get()), 2u);
        site.Reset();
        EXPECT_EQ(liveSites, 1);
    }
    EXPECT_EQ(liveSites, 0);
}

TEST(ComPtr, TakeOverAndAddRefAreDifferent)
{
    Site* raw = new Site; // one reference, ours
    {
        ComPtr<Site> added = ComPtr<Site>::AddRefFrom(raw);
        EXPECT_EQ(RefCount(raw), 2u);
        ComPtr<Site> adopted = ComPtr<Site>::TakeOver(raw);
        EXPECT_EQ(RefCount(raw), 2u) << "taking over adds nothing";
        ComPtr<Site> moved = std::move(adopted);
        EXPECT_EQ(adopted.Get(), nullptr);
        EXPECT_EQ(RefCount(raw), 2u);
        ComPtr<Site> copied = moved;
        EXPECT_EQ(RefCount(raw), 3u);
        copied = nullptr;
        EXPECT_EQ(RefCount(raw), 2u);
        IOleClientSite* out = nullptr;
        EXPECT_EQ(ComPtr<IOleClientSite>(moved).CopyTo(&out), S_OK);
        EXPECT_EQ(RefCount(raw), 3u);
        out->Release();
        Site* detached = moved.Detach();
        EXPECT_EQ(RefCount(raw), 2u);
        moved.Attach(detached);
        EXPECT_EQ(RefCount(raw), 2u);
    }
    EXPECT_EQ(liveSites, 0);
}

TEST(ComPtr, FailedQueryLeavesTheTargetEmpty)
{
    ComPtr<Site> site = MakeComObject<Site>();
    ComPtr<IOleObject> object;
    EXPECT_EQ(site.As(object), E_NOINTERFACE);
    EXPECT_FALSE(object);
    ComPtr<Site> none;
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(none.As(unknown), E_POINTER);
    EXPECT_EQ(RefCount(site.Get()), 1u);
}

TEST(ComBoundary, MapsEscapingExceptions)
{
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
    EXPECT_EQ(ComBoundary([]() -> HRESULT { throw std::runtime_error("x"); }), E_FAIL);
    EXPECT_EQ(ComBoundary([] { return S_FALSE; }), S_FALSE);
}

TEST(ClassFactory, ChecksArgumentsAndCreates)
{
    ComPtr<IClassFactory> factory = MakeClassFactory<Site>();
    void* out = Sentinel();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleClientSite, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(factory.Get(), IID_IOleClientSite, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = Sentinel();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(liveSites, 0) << "an object nobody asked for is not kept";

    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IOleInPlaceSite, &out), S_OK);
    auto* site = static_cast<IOleInPlaceSite*>(out);
    EXPECT_EQ(RefCount(site), 1u);
    site->Release();
    EXPECT_EQ(liveSites, 0);

    ComPtr<IClassFactory> throwing = MakeComObject<ClassFactory>([](REFIID, void**) -> HRESULT { throw std::bad_alloc(); });
    out = Sentinel();
    EXPECT_EQ(throwing->CreateInstance(nullptr, IID_IUnknown, &out), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);
}

} // namespace

namespace {

HWND FakeWindow(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

// A host whose site and frame name different windows, as a container's must.
class SiteAndFrame final : public ComObject<InPlaceSiteWindow, InPlaceFrameWindow> {
public:
    HRESULT GetSiteWindow(HWND* window) override
    {
        *window = FakeWindow(1);
        return S_OK;
    }
    HRESULT GetFrameWindow(HWND* window) override
    {
        *window = FakeWindow(2);
        return S_OK;
    }
    HRESULT ContextSensitiveHelp(BOOL) override { return S_OK; }
    HRESULT CanInPlaceActivate() override { return S_OK; }
    HRESULT OnInPlaceActivate() override { return S_OK; }
    HRESULT OnUIActivate() override { return S_OK; }
    HRESULT GetWindowContext(IOleInPlaceFrame**, IOleInPlaceUIWindow**, LPRECT, LPRECT, LPOLEINPLACEFRAMEINFO) override
    {
        return E_NOTIMPL;
    }
    HRESULT Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT OnInPlaceDeactivate() override { return S_OK; }
    HRESULT DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT DeactivateAndUndo() override { return S_OK; }
    HRESULT OnPosRectChange(LPCRECT) override { return S_OK; }
    HRESULT GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
    HRESULT SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    HRESULT SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT RemoveMenus(HMENU) override { return S_OK; }
    HRESULT SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT EnableModeless(BOOL) override { return S_OK; }
    HRESULT TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

TEST(InPlaceWindowShims, SiteAndFrameAnswerGetWindowSeparately)
{
    ComPtr<SiteAndFrame> host = MakeComObject<SiteAndFrame>();
    ComPtr<IOleInPlaceSite> site;
    ComPtr<IOleInPlaceFrame> frame;
    ASSERT_EQ(ComQuery(static_cast<InPlaceSiteWindow*>(host.Get()), site), S_OK);
    ASSERT_EQ(ComQuery(static_cast<InPlaceSiteWindow*>(host.Get()), frame), S_OK);
    HWND window = nullptr;
    EXPECT_EQ(site->GetWindow(&window), S_OK);
    EXPECT_EQ(window, FakeWindow(1));
    EXPECT_EQ(frame->GetWindow(&window), S_OK);
    EXPECT_EQ(window, FakeWindow(2));
    ComPtr<IOleInPlaceUIWindow> uiWindow;
    EXPECT_EQ(ComQuery(site.Get(), uiWindow), S_OK) << "the frame's base interfaces answer too";
}

} // namespace
