#include "tests/axhost/HostFixture.h"

#include "axhost/DerivedMovie.h"
#include "framework/Application.h"
#include "framework/ClassRegistry.h"

const TClass& TTestHost::StaticClass()
{
    static const TClass cls = TClassBuilder<TTestHost>("TTestHost", &TOleControl2::StaticClass()).Build();
    return cls;
}

TTestHost::TTestHost(TComponent* owner)
    : TOleControl2(owner), info_(NextInfo()),
      slots_{TOleEventSlot(OnTwo), TOleEventSlot(OnText), TOleEventSlot(OnByRef), TOleEventSlot(OnNeverAssigned)}
{
    CreateControl();
}

TControlInfo*& TTestHost::NextInfo()
{
    static TControlInfo* next = &BasicInfo();
    return next;
}

TControlInfo& TTestHost::BasicInfo()
{
    static TControlInfo info = MakeTestInfo(0);
    return info;
}

void TTestHost::InitControlInfo()
{
    controlInfo_ = info_;
    controlInfo_->FirstEventSlot = [](const TOleControl2& host) -> const TOleEventSlot* {
        return static_cast<const TTestHost&>(host).slots_;
    };
}

TControlInfo MakeTestInfo(DWORD flags, DWORD reserved)
{
    TControlInfo info;
    info.ClassID = CLSID_TestControl;
    info.EventIID = DIID_TestControlEvents;
    info.EventDispIDs = {kTwoArgumentEvent, kTextEvent, kByRefEvent, kEmptySlotEvent};
    info.Flags = flags;
    info.Version = 401;
    info.Reserved = reserved;
    return info;
}

void AxHostTest::SetUp()
{
    AMovieUnitStart();
    static bool registered = false;
    if (!registered) {
        RegisterTestControl(CLSID_TestControl);
        RegisterClass(TTestHost::StaticClass());
        registered = true;
    }
    ResetScript();
    TTestHost::NextInfo() = &TTestHost::BasicInfo();
    Application->OnException.Assign(&errors_, &ErrorRecorder::Record);
    form_ = new TForm(nullptr);
    form_->SetBounds(0, 0, 400, 300);
}

void AxHostTest::TearDown()
{
    form_->Free();
    form_ = nullptr;
    Application->OnException.Clear();
    ResetScript();
}

TTestHost* AxHostTest::NewHost(TControlInfo& info, bool onForm)
{
    TTestHost::NextInfo() = &info;
    auto* host = new TTestHost(form_);
    if (onForm)
        host->SetParent(form_);
    return host;
}
