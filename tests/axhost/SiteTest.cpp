// The host as the control's container: its site interfaces, ambient properties, coordinate
// transforms, and the property changes that travel between host and control.
#include "tests/axhost/HostFixture.h"

#include "platform/com/ComRuntime.h"

#include <cmath>

using Calls = std::vector<std::string>;

namespace {

HRESULT Ambient(TOleControl2* host, DISPID id, VARIANT* result, WORD flags = DISPATCH_PROPERTYGET)
{
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    return static_cast<IDispatch*>(host)->Invoke(id, IID_NULL, 0, flags, &none, result, nullptr, nullptr);
}

std::string AmbientFontName(TOleControl2* host)
{
    ScopedVariant value;
    EXPECT_EQ(Ambient(host, DISPID_AMBIENT_FONT, value.Get()), S_OK);
    EXPECT_EQ(value->vt, VT_DISPATCH);
    ComPtr<IFont> font;
    EXPECT_EQ(ComQuery(value->pdispVal, font), S_OK);
    UniqueBstr name;
    font->get_Name(name.ReleaseAndGetAddressOf());
    return name.ToUtf8();
}

} // namespace

TEST_F(AxHostTest, SiteAnswersItsEightInterfacesAndOnlyCounts)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    IUnknown* unknown = static_cast<IOleClientSite*>(host);
    const ULONG before = host->RefCount();
    for (const IID* iid : {&IID_IUnknown, &IID_IOleClientSite, &IID_IOleControlSite, &IID_IOleInPlaceSite,
                           &IID_IOleInPlaceFrame, &IID_IDispatch, &IID_IPropertyNotifySink, &IID_ISimpleFrameSite}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(unknown->QueryInterface(*iid, &object), S_OK) << GuidToString(*iid);
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(host->RefCount(), before + 1);
        static_cast<IUnknown*>(object)->Release();
    }
    for (const IID* iid : {&IID_IOleWindow, &IID_IOleInPlaceUIWindow, &IID_IOleObject, &IID_IPersistStreamInit}) {
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(unknown->QueryInterface(*iid, &object), E_NOINTERFACE) << GuidToString(*iid);
        EXPECT_EQ(object, nullptr);
    }
    EXPECT_EQ(host->RefCount(), before);
    // Reaching zero does not end the host: the form owns it.
    while (host->RefCount() > 0)
        unknown->Release();
    EXPECT_EQ(unknown->Release(), 0u) << "the count does not go below zero";
    host->SetName("StillAlive");
    EXPECT_EQ(form_->FindComponent("StillAlive"), host);
}

TEST_F(AxHostTest, SiteMethodsAnswerAsAContainerWithoutMenusOrUndo)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->SetBounds(10, 20, 96, 48);
    IOleClientSite* client = host;
    IOleControlSite* control = host;
    IOleInPlaceSite* site = static_cast<InPlaceSiteWindow*>(host);
    IOleInPlaceFrame* frame = static_cast<InPlaceFrameWindow*>(host);

    IMoniker* moniker = reinterpret_cast<IMoniker*>(1);
    IOleContainer* container = reinterpret_cast<IOleContainer*>(1);
    IDispatch* extended = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(client->SaveObject(), S_OK);
    EXPECT_EQ(client->OnShowWindow(TRUE), S_OK);
    EXPECT_EQ(client->GetMoniker(0, 0, &moniker), E_NOTIMPL);
    EXPECT_EQ(moniker, nullptr);
    EXPECT_EQ(client->GetContainer(&container), E_NOINTERFACE);
    EXPECT_EQ(container, nullptr);
    EXPECT_EQ(control->GetExtendedControl(&extended), E_NOTIMPL);
    EXPECT_EQ(extended, nullptr);
    EXPECT_EQ(control->OnControlInfoChanged(), E_NOTIMPL);
    EXPECT_EQ(control->LockInPlaceActive(TRUE), E_NOTIMPL);
    EXPECT_EQ(control->TranslateAccelerator(nullptr, 0), E_NOTIMPL);
    EXPECT_EQ(control->OnFocus(TRUE), E_NOTIMPL);
    EXPECT_EQ(control->ShowPropertyFrame(), E_NOTIMPL);
    EXPECT_EQ(site->ContextSensitiveHelp(FALSE), S_OK);
    EXPECT_EQ(site->CanInPlaceActivate(), S_OK);
    EXPECT_EQ(site->Scroll(SIZE{1, 1}), E_NOTIMPL);
    EXPECT_EQ(site->DiscardUndoState(), E_NOTIMPL);
    RECT border{};
    EXPECT_EQ(frame->GetBorder(&border), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->RequestBorderSpace(&border), INPLACE_E_NOTOOLSPACE);
    EXPECT_EQ(frame->SetBorderSpace(&border), E_NOTIMPL);
    EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->SetStatusText(nullptr), S_OK);
    EXPECT_EQ(frame->EnableModeless(TRUE), S_OK);
    EXPECT_EQ(frame->InsertMenus(nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->SetMenu(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(frame->RemoveMenus(nullptr), S_OK);
    EXPECT_EQ(frame->TranslateAccelerator(nullptr, WORD{0}), S_FALSE);
    EXPECT_EQ(host->OnRequestEdit(1), S_OK);
    EXPECT_EQ(host->PreMessageFilter(nullptr, 0, 0, 0, nullptr, nullptr), S_OK);
    EXPECT_EQ(host->PostMessageFilter(nullptr, 0, 0, 0, nullptr, 0), S_OK);

    // The site names the parent's window, the frame the top-level one.
    HWND window = nullptr;
    EXPECT_EQ(site->GetWindow(&window), S_OK);
    EXPECT_EQ(window, form_->Handle());
    EXPECT_EQ(frame->GetWindow(&window), S_OK);
    EXPECT_EQ(window, form_->Handle());
    TTestHost* orphan = NewHost(TTestHost::BasicInfo(), false);
    window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(static_cast<InPlaceSiteWindow*>(orphan)->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);

    ComPtr<IOleInPlaceFrame> contextFrame;
    ComPtr<IOleInPlaceUIWindow> document;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO info{};
    info.fMDIApp = TRUE;
    info.cAccelEntries = 9;
    EXPECT_EQ(site->GetWindowContext(contextFrame.ReleaseAndGetAddressOf(), document.ReleaseAndGetAddressOf(),
                                     &position, &clip, &info),
              S_OK);
    EXPECT_EQ(contextFrame.Get(), frame);
    EXPECT_EQ(document.Get(), nullptr);
    EXPECT_EQ(position.left, 10);
    EXPECT_EQ(position.top, 20);
    EXPECT_EQ(position.right, 106);
    EXPECT_EQ(position.bottom, 68);
    EXPECT_EQ(clip.left, 0);
    EXPECT_EQ(clip.right, 32767);
    EXPECT_EQ(clip.bottom, 32767);
    EXPECT_EQ(info.fMDIApp, FALSE);
    EXPECT_EQ(info.hwndFrame, form_->Handle());
    EXPECT_EQ(info.haccel, nullptr);
    EXPECT_EQ(info.cAccelEntries, 0u);

    // While in place, a new position goes to the control with the unlimited clip.
    host->HandleNeeded();
    ClearCalls();
    const RECT moved{1, 2, 3, 4};
    EXPECT_EQ(site->OnPosRectChange(&moved), S_OK);
    EXPECT_EQ(site->DeactivateAndUndo(), S_OK);
    EXPECT_EQ(TakeCalls(), (Calls{"SetObjectRects(1,2,3,4/32767,32767)", "UIDeactivate"}));
}

TEST_F(AxHostTest, TransformCoordsConvertsBetweenHimetricAndPixels)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    POINTL himetric{2540, 1270};
    POINTF container{-1.0f, -1.0f};
    EXPECT_EQ(host->TransformCoords(&himetric, &container, XFORMCOORDS_HIMETRICTOCONTAINER | XFORMCOORDS_SIZE), S_OK);
    EXPECT_EQ(container.x, 96.0f);
    EXPECT_EQ(container.y, 48.0f);
    // 12 and 36 pixels are 317.5 and 952.5 HIMETRIC: halves go to the even neighbour.
    container = {12.0f, 36.0f};
    EXPECT_EQ(host->TransformCoords(&himetric, &container, XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
    EXPECT_EQ(himetric.x, 318);
    EXPECT_EQ(himetric.y, 952);
    EXPECT_EQ(host->TransformCoords(nullptr, &container, 0), E_POINTER);
}

TEST_F(AxHostTest, AmbientPropertiesAnswerGetsOnly)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->SetName("Player1");
    host->SetColor(0x00102030);
    host->Font()->SetColor(0x00405060);
    struct Expected {
        DISPID id;
        VARTYPE vt;
        LONG value;
    };
    const Expected table[] = {
        {DISPID_AMBIENT_BACKCOLOR, VT_I4, 0x00102030},
        {DISPID_AMBIENT_FORECOLOR, VT_I4, 0x00405060},
        {DISPID_AMBIENT_LOCALEID, VT_I4, static_cast<LONG>(GetUserDefaultLCID())},
        {DISPID_AMBIENT_MESSAGEREFLECT, VT_BOOL, VARIANT_TRUE},
        {DISPID_AMBIENT_USERMODE, VT_BOOL, VARIANT_TRUE},
        {DISPID_AMBIENT_UIDEAD, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_SHOWGRABHANDLES, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_SHOWHATCHING, VT_BOOL, VARIANT_FALSE},
        {DISPID_AMBIENT_SUPPORTSMNEMONICS, VT_BOOL, VARIANT_TRUE},
        {DISPID_AMBIENT_AUTOCLIP, VT_BOOL, VARIANT_TRUE},
    };
    for (const Expected& e : table) {
        ScopedVariant value;
        ASSERT_EQ(Ambient(host, e.id, value.Get()), S_OK) << e.id;
        EXPECT_EQ(value->vt, e.vt) << e.id;
        EXPECT_EQ(e.vt == VT_BOOL ? value->boolVal : value->lVal, e.value) << e.id;
    }
    ScopedVariant name;
    ASSERT_EQ(Ambient(host, DISPID_AMBIENT_DISPLAYNAME, name.Get()), S_OK);
    EXPECT_EQ(DescribeValue(*name.Get()), "BSTR:Player1");

    ScopedVariant unused;
    EXPECT_EQ(Ambient(host, DISPID_AMBIENT_SCALEUNITS, unused.Get()), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Ambient(host, DISPID_AMBIENT_USERMODE, unused.Get(), DISPATCH_PROPERTYPUT), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Ambient(host, DISPID_AMBIENT_USERMODE, nullptr), DISP_E_MEMBERNOTFOUND);

    host->SetDesigning(true);
    ScopedVariant userMode, uiDead;
    Ambient(host, DISPID_AMBIENT_USERMODE, userMode.Get());
    Ambient(host, DISPID_AMBIENT_UIDEAD, uiDead.Get());
    EXPECT_EQ(userMode->boolVal, VARIANT_FALSE);
    EXPECT_EQ(uiDead->boolVal, VARIANT_TRUE);
}

TEST_F(AxHostTest, FontAmbientIsTheParentsOnlyWhenTheHostTakesIt)
{
    form_->Font()->SetName("Courier New");
    TTestHost* child = NewHost(TTestHost::BasicInfo());
    EXPECT_EQ(AmbientFontName(child), "Courier New");

    child->Font()->SetName("Arial"); // its own font now
    EXPECT_FALSE(child->ParentFont());
    EXPECT_EQ(AmbientFontName(child), "Arial");

    TTestHost* orphan = NewHost(TTestHost::BasicInfo(), false);
    orphan->Font()->SetName("Tahoma");
    orphan->SetParentFont(true); // takes a parent's font, but has none
    EXPECT_EQ(AmbientFontName(orphan), "Tahoma");
}

TEST_F(AxHostTest, ColourChangesTravelBothWaysWithoutEchoing)
{
    TControlInfo& info = Info(cfBackColor | cfEnabled);
    TTestHost* host = NewHost(info);
    ScopedVariant colour, enabled;
    InitVariantFromInt32(0x111111, colour.Get());
    InitVariantFromBoolean(TRUE, enabled.Get());
    Script().instance->SetProperty(DISPID_BACKCOLOR, *colour.Get());
    Script().instance->SetProperty(DISPID_ENABLED, *enabled.Get());
    host->HandleNeeded();
    ClearCalls();

    host->SetColor(0x00FF00);
    host->SetEnabled(false);
    EXPECT_EQ(TakeCalls(), (Calls{"Invoke(-501,put,I4:65280)", "Invoke(-514,put,BOOL:0)"}));

    InitVariantFromInt32(0x0000FF, colour.Get());
    Script().instance->SetProperty(DISPID_BACKCOLOR, *colour.Get());
    Script().instance->SetProperty(DISPID_ENABLED, *enabled.Get());
    Script().instance->FireChanged(DISPID_BACKCOLOR);
    Script().instance->FireChanged(DISPID_ENABLED);
    EXPECT_EQ(host->Color(), 0x0000FF);
    EXPECT_TRUE(host->Enabled());
    EXPECT_EQ(TakeCalls(), (Calls{"Invoke(-501,get)", "Invoke(-514,get)"})) << "nothing was written back";

    // A control that cannot tell its value leaves the host as it is.
    Script().failures["Invoke"] = E_FAIL;
    EXPECT_EQ(host->OnChanged(DISPID_BACKCOLOR), S_OK);
    EXPECT_EQ(host->Color(), 0x0000FF);
    EXPECT_EQ(host->OnChanged(12345), S_OK);
}

TEST_F(AxHostTest, RenamingTellsTheControlAndFollowsItsCaption)
{
    TControlInfo& info = Info(cfCaption | cfText);
    TTestHost* host = NewHost(info);
    host->SetName("Host1");
    host->SetWideStringProp(DISPID_CAPTION, u"Host1");
    ClearCalls();
    host->SetName("Player");
    EXPECT_EQ(TakeCalls(), (Calls{"OnAmbientPropertyChange(-702)", "Invoke(-518,get)",
                                  "Invoke(-518,put,BSTR:Player)"}));

    host->SetWideStringProp(DISPID_CAPTION, u"Mine");
    ClearCalls();
    host->SetName("Other");
    EXPECT_EQ(TakeCalls(), (Calls{"OnAmbientPropertyChange(-702)", "Invoke(-518,get)"}));
}

TEST_F(AxHostTest, ReparentingChecksTheSiteAndRefreshesAllAmbients)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo(), false);
    host->EnsureControl();
    ClearCalls();
    host->SetParent(form_);
    EXPECT_EQ(TakeCalls(), (Calls{"GetClientSite", "OnAmbientPropertyChange(-1)"}));
    host->SetParent(nullptr);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(AxHostTest, ParentFontAndColourChangesAreAmbientChanges)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->SetParentColor(true);
    host->EnsureControl();
    ClearCalls();
    form_->Font()->SetName("Courier New");
    form_->SetColor(0x00ABCDEF);
    EXPECT_EQ(TakeCalls(), (Calls{"OnAmbientPropertyChange(-703)", "OnAmbientPropertyChange(-704)",
                                  "OnAmbientPropertyChange(-701)"}));
    EXPECT_EQ(host->Color(), 0x00ABCDEF);
    EXPECT_EQ(host->Font()->Name(), "Courier New");
}
