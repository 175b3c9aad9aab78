// Creation, connection, properties, size, persistence and the window of the control host,
// checked against the calls the test control records.
#include "tests/axhost/HostFixture.h"

#include "axhost/OleSupport.h"
#include "framework/LayoutReader.h"
#include "framework/LayoutWriter.h"
#include "platform/com/OleFont.h"

using Calls = std::vector<std::string>;

TEST_F(AxHostTest, CreationAsksMiscStatusSetsSiteAsToldAndTakesTheControlsSize)
{
    struct Case {
        DWORD misc;
        DWORD reserved;
        Calls expected;
    };
    const Case cases[] = {
        {0, 0, {"GetMiscStatus", "GetExtent"}},
        {OLEMISC_SETCLIENTSITEFIRST, 0, {"GetMiscStatus", "SetClientSite(site)", "GetExtent"}},
        {0, crSetClientSiteFirst, {"GetMiscStatus", "SetClientSite(site)", "GetExtent"}},
        {OLEMISC_SETCLIENTSITEFIRST, crSetClientSiteFirst | crDeferClientSite, {"GetMiscStatus", "GetExtent"}},
    };
    for (const Case& c : cases) {
        TControlInfo& info = Info(0, c.reserved);
        Script().miscStatus = c.misc;
        TTestHost* host = NewHost(info, false);
        EXPECT_EQ(TakeCalls(), c.expected) << "misc " << c.misc << " reserved " << c.reserved;
        EXPECT_EQ(info.InstanceCount, 1);
        EXPECT_EQ(host->Width(), 96);
        EXPECT_EQ(host->Height(), 48);
        EXPECT_FALSE(host->Connected());
        host->Free();
        EXPECT_EQ(info.InstanceCount, 0);
        ClearCalls();
    }
}

TEST_F(AxHostTest, CreationStylesFollowTheMiscStatus)
{
    TControlInfo& info = Info(0);
    Script().miscStatus = OLEMISC_ACTSLIKELABEL | OLEMISC_SIMPLEFRAME;
    TTestHost* label = NewHost(info);
    EXPECT_FALSE(label->TabStop());
    EXPECT_TRUE(label->ControlStyle().Contains(csAcceptsControls));
    EXPECT_TRUE(label->ControlStyle().Contains(csNoStdEvents));

    Script().miscStatus = OLEMISC_INVISIBLEATRUNTIME;
    Script().extent = {5080, 5080}; // 192 pixels, but at most 32 until connected
    TTestHost* invisible = NewHost(info);
    EXPECT_TRUE(invisible->TabStop());
    EXPECT_FALSE(invisible->Visible());
    EXPECT_EQ(invisible->Width(), 32);
    EXPECT_EQ(invisible->Height(), 32);
}

TEST_F(AxHostTest, AFailedCreationStepRaisesItsStatusAndNoHostRemains)
{
    struct Case {
        const char* step;
        DWORD misc;
    };
    const Case cases[] = {{"GetMiscStatus", 0}, {"SetClientSite", OLEMISC_SETCLIENTSITEFIRST}, {"GetExtent", 0}};
    for (const Case& c : cases) {
        ResetScript();
        TControlInfo& info = Info(0);
        Script().miscStatus = c.misc;
        Script().failures[c.step] = E_ACCESSDENIED;
        const int components = form_->ComponentCount();
        try {
            NewHost(info);
            ADD_FAILURE() << c.step << " did not fail the creation";
        } catch (const EOleSysError& error) {
            EXPECT_EQ(error.ErrorCode(), E_ACCESSDENIED) << c.step;
        }
        EXPECT_EQ(form_->ComponentCount(), components) << c.step;
        EXPECT_EQ(info.InstanceCount, 0) << c.step;
        EXPECT_EQ(Script().instance, nullptr) << c.step << ": the control object was kept";
    }

    TControlInfo& unknown = Info(0);
    unknown.ClassID = DIID_TestControlEvents;
    try {
        NewHost(unknown);
        ADD_FAILURE() << "an unregistered class was created";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), REGDB_E_CLASSNOTREG);
    }
}

TEST_F(AxHostTest, EnsureControlConnectsOnceInOrder)
{
    TControlInfo& info = Info(cfBackColor | cfEnabled | cfFont | cfForeColor);
    TTestHost* host = NewHost(info);
    ScopedVariant color, enabled;
    InitVariantFromInt32(0x123456, color.Get());
    enabled->vt = VT_BOOL;
    enabled->boolVal = VARIANT_FALSE;
    Script().instance->SetProperty(DISPID_BACKCOLOR, *color.Get());
    Script().instance->SetProperty(DISPID_ENABLED, *enabled.Get());
    ClearCalls();

    host->EnsureControl();
    // Placing the host on the form has handed the control its site already.
    EXPECT_EQ(TakeCalls(), (Calls{"GetClientSite", "InitNew", "Invoke(-501,get)", "Invoke(-514,get)",
                              "Invoke(-512,get)", "Invoke(-513,get)", "OnAmbientPropertyChange(-1)", "GetExtent"}));
    EXPECT_TRUE(host->Connected());
    EXPECT_EQ(host->Color(), 0x123456);
    EXPECT_FALSE(host->Enabled());
    EXPECT_EQ(Script().instance->PropertySinkCount(), 1u);
    EXPECT_EQ(Script().instance->EventSinkCount(), 1u);

    host->EnsureControl();
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(AxHostTest, EnsureControlFailureDisconnectsAndRaises)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Script().failures["InitNew"] = E_OUTOFMEMORY;
    try {
        host->EnsureControl();
        ADD_FAILURE() << "InitNew's failure was not raised";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), E_OUTOFMEMORY);
    }
    EXPECT_FALSE(host->Connected());
    EXPECT_EQ(Script().instance->EventSinkCount(), 0u);

    // A failing GetClientSite makes the host hand its site again.
    Script().failures.clear();
    Script().failures["GetClientSite"] = E_FAIL;
    ClearCalls();
    host->EnsureControl();
    const Calls calls = TakeCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], "GetClientSite");
    EXPECT_EQ(calls[1], "SetClientSite(site)");
    EXPECT_EQ(calls[2], "InitNew");
}

TEST_F(AxHostTest, SizeReachesTheControlInHimetricAndARefusalKeepsTheOldSize)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    ClearCalls();
    host->SetBounds(0, 0, 200, 100);
    EXPECT_EQ(TakeCalls(), Calls{"SetExtent(5292,2646)"});
    EXPECT_EQ(host->Width(), 200);

    for (HRESULT refusal : {E_FAIL, S_FALSE}) {
        Script().failures["SetExtent"] = refusal;
        host->SetBounds(5, 6, 300, 120);
        EXPECT_EQ(host->Width(), 200);
        EXPECT_EQ(host->Height(), 100);
        EXPECT_EQ(host->Left(), 5) << "the place changes all the same";
    }

    // A host of no size yet gets its first size without asking the control.
    Script().failures.clear();
    Script().extent = {0, 0};
    TTestHost* empty = NewHost(TTestHost::BasicInfo());
    ClearCalls();
    empty->SetBounds(0, 0, 50, 40);
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_EQ(empty->Width(), 50);
}

TEST_F(AxHostTest, PropertiesArePutByValueObjectsByReferenceAndEmptyTextAsNull)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->EnsureControl();
    ClearCalls();
    ComPtr<IDispatch> font = MakeOleFont(*host->Font());
    host->SetIntegerProp(7, 5);
    host->SetWordBoolProp(8, true);
    host->SetWordBoolProp(8, false);
    host->SetWideStringProp(9, u"");
    host->SetWideStringProp(9, u"abc");
    host->SetDoubleProp(10, 1.5);
    host->SetDispatchProp(11, font.Get());
    EXPECT_EQ(TakeCalls(), (Calls{"Invoke(7,put,I4:5)", "Invoke(8,put,BOOL:-1)", "Invoke(8,put,BOOL:0)",
                              "Invoke(9,put,BSTR:null)", "Invoke(9,put,BSTR:abc)", "Invoke(10,put,R8:1.5)",
                              "Invoke(11,putref,DISPATCH)"}));
    EXPECT_EQ(host->GetIntegerProp(7), 5);
    EXPECT_EQ(host->GetWordBoolProp(8), 0);
    EXPECT_EQ(host->GetWideStringProp(9), u"abc");
    EXPECT_EQ(host->GetDoubleProp(10), 1.5);
    EXPECT_EQ(TakeCalls(), (Calls{"Invoke(7,get)", "Invoke(8,get)", "Invoke(9,get)", "Invoke(10,get)"}));
}

TEST_F(AxHostTest, FailedPropertyCallsRaiseTheControlsDescriptionOrStatus)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Script().invokeExceptions[20] = "Valeur refusée";
    try {
        host->SetIntegerProp(20, 1);
        ADD_FAILURE();
    } catch (const EOleException& error) {
        EXPECT_EQ(error.Message(), "Valeur refusée");
        EXPECT_EQ(error.ErrorCode(), CTL_E_INVALIDPROPERTYVALUE);
        EXPECT_EQ(error.Source(), "TestControl");
    }
    try {
        host->GetIntegerProp(21); // never set: the control does not know it
        ADD_FAILURE();
    } catch (const EOleException&) {
        ADD_FAILURE() << "no description was sent";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), DISP_E_MEMBERNOTFOUND);
    }
}

TEST_F(AxHostTest, ControlDataTravelsThroughALayout)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->SetName("Host1");
    host->SetIntegerProp(7, 42);
    host->SetIntegerProp(8, -3);
    ClearCalls();
    const std::string text = WriteLayout(*form_);
    EXPECT_EQ(TakeCalls(), Calls{"Save(clear)"});
    EXPECT_EQ(host->SavedState(), nullptr) << "the block made for writing is freed";
    ASSERT_NE(text.find("ControlData"), std::string::npos) << text;

    auto* copy = new TForm(nullptr);
    ReadLayout(*copy, text, "test");
    auto* host2 = dynamic_cast<TTestHost*>(copy->FindComponent("Host1"));
    ASSERT_NE(host2, nullptr);
    ASSERT_NE(host2->SavedState(), nullptr);
    ClearCalls();
    host2->EnsureControl();
    const Calls calls = TakeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "GetClientSite");
    EXPECT_EQ(calls[1], "Load");
    EXPECT_EQ(host2->SavedState(), nullptr) << "the block is freed once loaded";
    EXPECT_EQ(host2->GetIntegerProp(7), 42);
    EXPECT_EQ(host2->GetIntegerProp(8), -3);
    copy->Free();

    // A block the control cannot read makes the connection fail with its status.
    host->SetControlData({'x', 'y'});
    TTestHost* broken = NewHost(TTestHost::BasicInfo());
    broken->SetControlData({'x', 'y'});
    EXPECT_THROW(broken->EnsureControl(), EOleSysError);
}

TEST_F(AxHostTest, WindowCreationActivatesInPlaceAndTakesTheControlsWindow)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    host->SetBounds(10, 20, 96, 48);
    int created = 0;
    struct Counter : TObject {
        int* count;
        TObject* sender = nullptr;
        void Created(TObject* s)
        {
            ++*count;
            sender = s;
        }
    } counter;
    counter.count = &created;
    host->OnWindowCreated.Assign(&counter, &Counter::Created);
    ClearCalls();

    host->HandleNeeded();
    const Calls calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "DoVerb(-5)"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "GetWindowContext"), calls.end());
    ASSERT_NE(Script().instance->Window(), nullptr);
    EXPECT_EQ(host->HandleOrNull(), Script().instance->Window());
    EXPECT_EQ(GetParent(host->HandleOrNull()), form_->Handle());
    EXPECT_EQ(created, 1);
    EXPECT_EQ(counter.sender, host);

    // Keys reach the control's accelerator translation first; S_OK ends them there.
    Script().translateAccelerator = S_OK;
    Script().windowMessages.clear();
    EXPECT_EQ(SendMessageA(host->HandleOrNull(), WM_KEYDOWN, 'A', 0), 1);
    EXPECT_EQ(TakeCalls(), Calls{"TranslateAccelerator(100,41,115de1f1,115de1f1,own)"});
    EXPECT_TRUE(Script().windowMessages.empty());
    // Otherwise the control gets the reflected key in its own numbering, then the key.
    Script().translateAccelerator = S_FALSE;
    SendMessageA(host->HandleOrNull(), WM_KEYDOWN, 'A', 0);
    EXPECT_EQ(Script().windowMessages, (std::vector<UINT>{OCM__BASE + WM_KEYDOWN, WM_KEYDOWN}));

    // Destruction closes the control, which leaves its window, and lets the site go.
    const HWND window = host->HandleOrNull();
    ClearCalls();
    host->Free();
    EXPECT_EQ(TakeCalls(), (Calls{"Close(1)", "InPlaceDeactivate", "SetClientSite(null)"}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Script().instance, nullptr) << "the control object was released";
}

TEST_F(AxHostTest, MnemonicsReachTheControlThroughItsAcceleratorTable)
{
    const ACCEL entries[] = {{FVIRTKEY | FALT, 'M', 1}};
    HACCEL table = CreateAcceleratorTableA(entries, 1);
    Script().accelerators = table;
    Script().acceleratorCount = 1;
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    form_->Show();
    host->HandleNeeded();

    // Alt+m on the form is offered to its controls as a dialog character; the control's
    // table lists it, so the control hears it as a mnemonic, as a key.
    ClearCalls();
    SendMessageA(host->HandleOrNull(), WM_SYSCHAR, 'm', 1 << 29);
    Calls calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "GetControlInfo"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "OnMnemonic(100,4d)"), calls.end());
    // A character the table does not list goes on as usual.
    SendMessageA(host->HandleOrNull(), WM_SYSCHAR, 'q', 1 << 29);
    calls = TakeCalls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("OnMnemonic", 0) == 0; }),
              0);
    Script().accelerators = nullptr;
    Script().acceleratorCount = 0;
    DestroyAcceleratorTable(table);
}

TEST_F(AxHostTest, ActivationWithoutInPlaceObjectOrWindowRaises)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Script().activates = false;
    try {
        host->HandleNeeded();
        ADD_FAILURE();
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Message(), "Echec de l'activation du contrôle OLE");
    }
    EXPECT_FALSE(host->HandleAllocated());

    Script().activates = true;
    Script().makesWindow = false;
    try {
        host->HandleNeeded();
        ADD_FAILURE();
    } catch (const EOleError& error) {
        EXPECT_EQ(error.Message(), "Impossible d'obtenir le handle de fenêtre du contrôle OLE");
    }
    EXPECT_FALSE(host->HandleAllocated());
}

TEST_F(AxHostTest, ASaveFailureStopsWritingExceptWhileDesigning)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Script().failures["Save"] = STG_E_MEDIUMFULL;
    try {
        (void)host->ControlData();
        ADD_FAILURE() << "the failed save was not raised";
    } catch (const EOleSysError& error) {
        EXPECT_EQ(error.ErrorCode(), STG_E_MEDIUMFULL);
    }
    EXPECT_EQ(host->SavedState(), nullptr);
    host->SetDesigning(true);
    EXPECT_TRUE(host->ControlData().empty());
}
