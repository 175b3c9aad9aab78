// Events of a hosted control reaching the host's handlers, and the media player binding.
#include "tests/axhost/HostFixture.h"

#include "axhost/DerivedMovie.h"
#include "axhost/EventDispatch.h"
#include "platform/com/ComRuntime.h"
#include "platform/user/DialogService.h"

#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace {

VARIANT Int(LONG value)
{
    VARIANT v;
    InitVariantFromInt32(value, &v);
    return v;
}
VARIANT Real(double value)
{
    VARIANT v;
    InitVariantFromDouble(value, &v);
    return v;
}
VARIANT Text(const char16_t* value)
{
    VARIANT v;
    InitVariantFromString(value, &v);
    return v;
}
VARIANT Bool(bool value)
{
    VARIANT v;
    InitVariantFromBoolean(value ? TRUE : FALSE, &v);
    return v;
}
VARIANT ShortRef(SHORT* storage)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2 | VT_BYREF;
    v.piVal = storage;
    return v;
}
VARIANT Short(SHORT value)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = value;
    return v;
}

struct Handlers : TObject {
    std::vector<std::string> log;
    TObject* sender = nullptr;
    WORD newKey = 0;

    void Two(TObject* s, int a, int b)
    {
        sender = s;
        log.push_back("Two(" + std::to_string(a) + "," + std::to_string(b) + ")");
    }
    void TextHandler(TObject*, const WideString& text) { log.push_back("Text(" + FromWideString(text) + ")"); }
    void ByRef(TObject*, int* value)
    {
        log.push_back("ByRef(" + std::to_string(*value) + ")");
        *value = 99;
    }
    void Throws(TObject*, int, int) { throw Exception("Le gestionnaire a échoué"); }
    void KeyDown(TObject* s, WORD& key, TShiftState shift)
    {
        sender = s;
        log.push_back("KeyDown(" + std::to_string(key) + "," + std::to_string(shift.Bits()) + ")");
        if (newKey != 0)
            key = newKey;
    }
    void KeyPress(TObject*, char& key)
    {
        log.push_back(std::string("KeyPress(") + key + ")");
        key = 'z';
    }
    void MouseDown(TObject*, TMouseButton button, TShiftState shift, int x, int y)
    {
        log.push_back("MouseDown(" + std::to_string(button) + "," + std::to_string(shift.Bits()) + "," +
                      std::to_string(x) + "," + std::to_string(y) + ")");
    }
    void MouseMove(TObject*, TShiftState shift, int x, int y)
    {
        log.push_back("MouseMove(" + std::to_string(shift.Bits()) + "," + std::to_string(x) + "," +
                      std::to_string(y) + ")");
    }
    void Click(TObject*) { log.push_back("Click"); }
    void DblClick(TObject*) { log.push_back("DblClick"); }

    // Player events.
    void OpenState(TObject* s, int oldState, int newState)
    {
        sender = s;
        log.push_back("Open(" + std::to_string(oldState) + "," + std::to_string(newState) + ")");
    }
    void Script(TObject*, const WideString& type, const WideString& param)
    {
        log.push_back("Script(" + FromWideString(type) + "," + FromWideString(param) + ")");
    }
    void Warning(TObject*, int type, int param, const WideString& description)
    {
        log.push_back("Warning(" + std::to_string(type) + "," + std::to_string(param) + "," +
                      FromWideString(description) + ")");
    }
    void Buffering(TObject*, WordBool start) { log.push_back("Buffering(" + std::to_string(start) + ")"); }
    void Position(TObject*, double oldPosition, double newPosition)
    {
        log.push_back("Position(" + std::to_string(oldPosition) + "," + std::to_string(newPosition) + ")");
    }
    void Error(TObject*) { log.push_back("Error"); }
    void Help(TObject*, bool& canShow)
    {
        log.push_back("Help");
        canShow = allowHelp;
    }
    bool allowHelp = true;
};

std::size_t ShiftBits(std::initializer_list<TShiftStateItem> items) { return TShiftState(items).Bits(); }

} // namespace

TEST_F(AxHostTest, EventsReachTheirSlotsWithArgumentsInDeclaredOrder)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Handlers handlers;
    host->OnTwo.Assign(&handlers, &Handlers::Two);
    host->OnText.Assign(&handlers, &Handlers::TextHandler);
    host->OnByRef.Assign(&handlers, &Handlers::ByRef);
    host->EnsureControl();
    TestControl* control = Script().instance;

    control->FireEvent(kTwoArgumentEvent, {Int(1), Int(2)});
    control->FireEvent(kTextEvent, {Text(u"héllo")});
    // The handler writes through a by-reference argument into the control's storage...
    LONG shared = 5;
    VARIANT reference;
    VariantInit(&reference);
    reference.vt = VT_I4 | VT_BYREF;
    reference.plVal = &shared;
    control->FireEvent(kByRefEvent, {reference});
    EXPECT_EQ(shared, 99);
    // ...but only into a copy of a by-value one.
    VARIANT byValue = Int(7);
    DISPPARAMS block{&byValue, nullptr, 1, 0};
    control->FireEventBlock(kByRefEvent, block);
    EXPECT_EQ(byValue.lVal, 7);
    // Unknown ids, empty slots and calls with too few arguments are dropped.
    control->FireEvent(99, {Int(1)});
    control->FireEvent(kEmptySlotEvent, {Int(1)});
    control->FireEvent(kTwoArgumentEvent, {Int(1)});

    EXPECT_EQ(handlers.log, (std::vector<std::string>{"Two(1,2)", "Text(héllo)", "ByRef(5)", "ByRef(7)"}));
    EXPECT_EQ(handlers.sender, host);
    EXPECT_TRUE(errors_.shown.empty());
}

TEST_F(AxHostTest, AThrowingHandlerIsShownAndTheControlHearsSuccess)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Handlers handlers;
    host->OnTwo.Assign(&handlers, &Handlers::Throws);
    host->OnClick.Assign(&handlers, &Handlers::Click);
    host->EnsureControl();
    ComPtr<IDispatch> sink = Script().instance->EventSink();
    ASSERT_TRUE(sink);

    VARIANT args[2] = {Int(2), Int(1)};
    DISPPARAMS block{args, nullptr, 2, 0};
    EXPECT_EQ(sink->Invoke(kTwoArgumentEvent, IID_NULL, 0, DISPATCH_METHOD, &block, nullptr, nullptr, nullptr), S_OK);
    ASSERT_EQ(errors_.shown.size(), 1u);
    EXPECT_EQ(errors_.shown[0].sender, host);
    EXPECT_EQ(errors_.shown[0].message, "Le gestionnaire a échoué");

    // The sink is the host's: it counts there and answers the event interface as IDispatch.
    const ULONG before = host->RefCount();
    ComPtr<IDispatch> asEvents;
    EXPECT_EQ(sink->QueryInterface(DIID_TestControlEvents, reinterpret_cast<void**>(asEvents.ReleaseAndGetAddressOf())),
              S_OK);
    EXPECT_EQ(asEvents.Get(), sink.Get());
    EXPECT_EQ(host->RefCount(), before + 1);
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(sink->QueryInterface(IID_IOleClientSite, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    UINT count = 9;
    EXPECT_EQ(sink->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(sink->GetIDsOfNames(IID_NULL, nullptr, 0, 0, nullptr), E_NOTIMPL);
}

TEST_F(AxHostTest, TheHostsOwnWindowMessagesMakeNoEvents)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Handlers handlers;
    host->OnClick.Assign(&handlers, &Handlers::Click);
    host->OnMouseDown.Assign(&handlers, &Handlers::MouseDown);
    host->OnKeyDown.Assign(&handlers, &Handlers::KeyDown);
    host->HandleNeeded();
    const HWND window = host->HandleOrNull();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(handlers.log.empty()) << handlers.log.front();
}

TEST_F(AxHostTest, StandardEventsBecomeTheHostsClickKeyAndMouseEvents)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Handlers handlers;
    host->OnClick.Assign(&handlers, &Handlers::Click);
    host->OnDblClick.Assign(&handlers, &Handlers::DblClick);
    host->OnKeyDown.Assign(&handlers, &Handlers::KeyDown);
    host->OnKeyPress.Assign(&handlers, &Handlers::KeyPress);
    host->OnMouseDown.Assign(&handlers, &Handlers::MouseDown);
    host->OnMouseMove.Assign(&handlers, &Handlers::MouseMove);
    host->EnsureControl();
    TestControl* control = Script().instance;

    control->FireEvent(DISPID_CLICK, {});
    control->FireEvent(DISPID_DBLCLICK, {});
    // Key down (KeyCode by reference, Shift): the handler's new key goes back to the control.
    SHORT key = 'A';
    handlers.newKey = 'B';
    control->FireEvent(DISPID_KEYDOWN, {ShortRef(&key), Short(1 | 2)});
    EXPECT_EQ(key, 'B');
    // By value the change stays with the handler.
    control->FireEvent(DISPID_KEYDOWN, {Short('C'), Short(4)});
    SHORT typed = 'q';
    control->FireEvent(DISPID_KEYPRESS, {ShortRef(&typed)});
    EXPECT_EQ(typed, 'z');
    // Mouse down (Button, Shift, X, Y): left and right held report the left button.
    control->FireEvent(DISPID_MOUSEDOWN, {Short(3), Short(1), Int(10), Int(20)});
    control->FireEvent(DISPID_MOUSEDOWN, {Short(4), Short(0), Int(1), Int(2)});
    control->FireEvent(DISPID_MOUSEMOVE, {Short(2), Short(0), Int(5), Int(6)});
    // Too few arguments: nothing.
    control->FireEvent(DISPID_KEYDOWN, {Short('A')});
    control->FireEvent(DISPID_KEYPRESS, {});
    control->FireEvent(DISPID_MOUSEDOWN, {Short(1), Short(0), Int(10)});

    const std::string shiftCtrl = std::to_string(ShiftBits({ssShift, ssCtrl}));
    const std::string alt = std::to_string(ShiftBits({ssAlt}));
    const std::string bothButtons = std::to_string(ShiftBits({ssShift, ssLeft, ssRight}));
    const std::string middle = std::to_string(ShiftBits({ssMiddle}));
    const std::string right = std::to_string(ShiftBits({ssRight}));
    EXPECT_EQ(handlers.log, (std::vector<std::string>{
                                "Click", "DblClick", "KeyDown(65," + shiftCtrl + ")", "KeyDown(67," + alt + ")",
                                "KeyPress(q)", "MouseDown(" + std::to_string(mbLeft) + "," + bothButtons + ",10,20)",
                                "MouseDown(" + std::to_string(mbMiddle) + "," + middle + ",1,2)",
                                "MouseMove(" + right + ",5,6)"}));
    EXPECT_EQ(handlers.sender, host);
}

TEST(AxHostMaps, ShiftMouseAndButtonMapsFollowTheControlsBits)
{
    for (int mask = 0; mask < 8; ++mask) {
        EXPECT_EQ(ShiftMap[mask].Contains(ssShift), (mask & 1) != 0);
        EXPECT_EQ(ShiftMap[mask].Contains(ssCtrl), (mask & 2) != 0);
        EXPECT_EQ(ShiftMap[mask].Contains(ssAlt), (mask & 4) != 0);
        EXPECT_EQ(MouseMap[mask].Contains(ssLeft), (mask & 1) != 0);
        EXPECT_EQ(MouseMap[mask].Contains(ssRight), (mask & 2) != 0);
        EXPECT_EQ(MouseMap[mask].Contains(ssMiddle), (mask & 4) != 0);
        const TMouseButton expected = (mask & 1) != 0 || mask == 0 ? mbLeft : (mask & 2) != 0 ? mbRight : mbMiddle;
        EXPECT_EQ(ButtonMap[mask], expected) << mask;
    }
}

// --- the media player binding ---------------------------------------------------------------

class DerivedMovieTest : public AxHostTest {
protected:
    void SetUp() override
    {
        AxHostTest::SetUp();
        RegisterTestControl(CLSID_MediaPlayer);
        Script().eventIid = DIID_MediaPlayerEvents;
    }
    void TearDown() override
    {
        AxHostTest::TearDown();
        UnregisterTestControl(CLSID_MediaPlayer);
    }
};

TEST_F(DerivedMovieTest, PlayerDescriptionAndEventsInSlotOrder)
{
    const TControlInfo& info = TDerivedMovie_::PlayerControlInfo();
    EXPECT_EQ(info.ClassID, CLSID_MediaPlayer);
    EXPECT_EQ(info.EventIID, DIID_MediaPlayerEvents);
    EXPECT_EQ(info.EventDispIDs,
              (std::vector<DISPID>{1505, 3002, 3011, 3012, 3001, 3003, 3010, 3006, 3009, 3008, 3004, 2, 51, -609}));
    EXPECT_EQ(info.Flags, 8u);
    EXPECT_EQ(info.Version, 401u);
    EXPECT_EQ(info.Reserved, 0u);

    auto* player = new TDerivedMovie_(form_);
    player->SetParent(form_);
    EXPECT_EQ(info.InstanceCount, 1);
    Handlers handlers;
    player->OnOpenStateChange.Assign(&handlers, &Handlers::OpenState);
    player->OnScriptCommand.Assign(&handlers, &Handlers::Script);
    player->OnWarning.Assign(&handlers, &Handlers::Warning);
    player->OnBuffering.Assign(&handlers, &Handlers::Buffering);
    player->OnPositionChange.Assign(&handlers, &Handlers::Position);
    player->OnError.Assign(&handlers, &Handlers::Error);
    ClearCalls();
    player->EnsureControl();
    const std::vector<std::string> calls = TakeCalls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Invoke(-514,get)"), calls.end()) << "enabled is bound";
    EXPECT_EQ(std::find(calls.begin(), calls.end(), "Invoke(-501,get)"), calls.end()) << "colour is not";

    TestControl* control = Script().instance;
    control->FireEvent(3011, {Int(0), Int(6)});
    control->FireEvent(3001, {Text(u"URL"), Text(u"http://example.org")});
    control->FireEvent(3009, {Int(1), Int(2), Text(u"lent")});
    control->FireEvent(3003, {Bool(true)});
    control->FireEvent(2, {Real(1.5), Real(2.25)});
    control->FireEvent(3010, {});
    control->FireEvent(1505, {Int(1), Int(2), Int(3)}); // no handler: dropped
    EXPECT_EQ(handlers.log, (std::vector<std::string>{"Open(0,6)", "Script(URL,http://example.org)",
                                                      "Warning(1,2,lent)", "Buffering(-1)",
                                                      "Position(1.500000,2.250000)", "Error"}));
    EXPECT_EQ(handlers.sender, player);
    EXPECT_TRUE(errors_.shown.empty());
    player->Free();
    EXPECT_EQ(info.InstanceCount, 0);
}

TEST_F(DerivedMovieTest, AControlWithoutThePlayerInterfaceIsRefused)
{
    auto* player = new TDerivedMovie_(form_);
    try {
        player->GetPlayerInterface();
        ADD_FAILURE();
    } catch (const EIntfCastError& error) {
        EXPECT_EQ(error.Message(), "Interface non supportée");
    }
    EXPECT_TRUE(player->Connected()) << "the control is connected on the way";
}

TEST_F(DerivedMovieTest, DecliningTheHelpRequestKeepsItFromTheControl)
{
    auto* player = new TDerivedMovie_(form_);
    player->SetParent(form_);
    Handlers handlers;
    player->OnF1HelpInvoked.Assign(&handlers, &Handlers::Help);
    player->HandleNeeded();
    HELPINFO help;
    handlers.allowHelp = false;
    Script().windowMessages.clear();
    SendMessageA(player->HandleOrNull(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    EXPECT_TRUE(Script().windowMessages.empty());
    handlers.allowHelp = true;
    SendMessageA(player->HandleOrNull(), WM_HELP, 0, reinterpret_cast<LPARAM>(&help));
    EXPECT_EQ(Script().windowMessages, std::vector<UINT>{WM_HELP});
    EXPECT_EQ(handlers.log, (std::vector<std::string>{"Help", "Help"}));
}

TEST_F(DerivedMovieTest, InstalledCheckFollowsTheRegistry)
{
    EXPECT_TRUE(IsPlayerInstalled());
    UnregisterTestControl(CLSID_MediaPlayer);
    EXPECT_FALSE(IsPlayerInstalled());
    // With the message emptied the check lets the program go on.
    const std::string message = PlayerNotInstalledMessage();
    PlayerNotInstalledMessage().clear();
    CheckPlayerInstalled();
    PlayerNotInstalledMessage() = message;
    RegisterTestControl(CLSID_MediaPlayer);
    EXPECT_TRUE(IsPlayerInstalled());
}

TEST(AxHostUnit, UnitEndUninitialisesComAndReleasesTheMessage)
{
    AMovieUnitStart();
    const std::string message = PlayerNotInstalledMessage();
    AMovieUnitEnd();
    EXPECT_FALSE(AMovieUnitStarted());
    EXPECT_TRUE(PlayerNotInstalledMessage().empty());
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_TestControl, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, &object),
              CO_E_NOTINITIALIZED);
    AMovieUnitStart();
    EXPECT_TRUE(AMovieUnitStarted());
    PlayerNotInstalledMessage() = message;
}

namespace {

// Shows message boxes on the error stream, where the death test reads them.
class PrintingDialogService final : public DialogService {
public:
    int MessageBox(HWND owner, std::string text, std::string caption, UINT type) override
    {
        std::fprintf(stderr, "MessageBox[%s|%s|%u|%s]\n", caption.c_str(), text.c_str(), type,
                     owner == nullptr ? "no owner" : "owner");
        return IDOK;
    }
    std::optional<std::string> OpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialogOptions&) override { return std::nullopt; }
};

void RunWithoutPlayer()
{
    static PrintingDialogService service;
    SetDialogService(&service);
    UnregisterTestControl(CLSID_MediaPlayer);
    CheckPlayerInstalled();
    std::fprintf(stderr, "still running\n");
    std::exit(0);
}

} // namespace

TEST(AxHostDeathTest, MissingPlayerShowsTheMessageAndStops)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunWithoutPlayer(), ::testing::ExitedWithCode(1),
                "MessageBox\\[\\|Microsoft Windows Media Player is not installed on this platform\\.\r\n"
                "It can be downloaded from https://[^ ]+\\.\\|0\\|no owner\\]");
}

namespace {

// Eight bytes of 0xAA around which a by-reference argument's value is written: a write of the
// wrong width shows in the bytes past the value.
struct Guarded {
    alignas(8) unsigned char bytes[8];
    Guarded() { std::memset(bytes, 0xAA, sizeof bytes); }
    template <class T>
    T& As() { return *reinterpret_cast<T*>(bytes); }
    bool RestIntact(std::size_t valueBytes) const
    {
        for (std::size_t i = valueBytes; i < sizeof bytes; ++i)
            if (bytes[i] != 0xAA)
                return false;
        return true;
    }
};

VARIANT Ref(VARTYPE type, void* storage)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = static_cast<VARTYPE>(type | VT_BYREF);
    v.byref = storage;
    return v;
}

} // namespace

TEST_F(AxHostTest, ByReferenceArgumentsAreWrittenBackInTheirOwnType)
{
    TTestHost* host = NewHost(TTestHost::BasicInfo());
    Handlers handlers;
    host->OnByRef.Assign(&handlers, &Handlers::ByRef); // an int handler that writes 99
    host->OnKeyDown.Assign(&handlers, &Handlers::KeyDown);
    host->OnKeyPress.Assign(&handlers, &Handlers::KeyPress);
    host->EnsureControl();
    TestControl* control = Script().instance;

    Guarded byte;
    byte.As<BYTE>() = 5;
    control->FireEvent(kByRefEvent, {Ref(VT_UI1, byte.bytes)});
    EXPECT_EQ(byte.As<BYTE>(), 99);
    EXPECT_TRUE(byte.RestIntact(1)) << "a one-byte argument was overrun";

    Guarded word;
    word.As<SHORT>() = 5;
    control->FireEvent(kByRefEvent, {Ref(VT_I2, word.bytes)});
    EXPECT_EQ(word.As<SHORT>(), 99);
    EXPECT_TRUE(word.RestIntact(2));

    LONGLONG wide = 0x7777777700000005;
    control->FireEvent(kByRefEvent, {Ref(VT_I8, &wide)});
    EXPECT_EQ(wide, 99) << "all eight bytes";

    double real = 5.0;
    control->FireEvent(kByRefEvent, {Ref(VT_R8, &real)});
    EXPECT_EQ(real, 99.0);

    VARIANT_BOOL flag = VARIANT_FALSE;
    control->FireEvent(kByRefEvent, {Ref(VT_BOOL, &flag)});
    EXPECT_EQ(flag, VARIANT_TRUE);

    BSTR text = SysAllocString(u"5");
    control->FireEvent(kByRefEvent, {Ref(VT_BSTR, &text)});
    EXPECT_EQ(std::u16string(BstrView(text)), u"99");
    SysFreeString(text);

    VARIANT held;
    VariantInit(&held);
    held.vt = VT_I2;
    held.iVal = 5;
    control->FireEvent(kByRefEvent, {Ref(VT_VARIANT, &held)});
    EXPECT_EQ(held.vt, VT_I2);
    EXPECT_EQ(held.iVal, 99);
    EXPECT_EQ(handlers.log[0], "ByRef(5)");
    EXPECT_EQ(handlers.log[6], "ByRef(5)") << "read through the variant reference";

    // Standard key events: the key goes back at the width the control gave.
    handlers.newKey = 'B';
    Guarded key;
    key.As<BYTE>() = 'A';
    control->FireEvent(DISPID_KEYDOWN, {Ref(VT_UI1, key.bytes), Short(0)});
    EXPECT_EQ(key.As<BYTE>(), 'B');
    EXPECT_TRUE(key.RestIntact(1));
    LONG longKey = static_cast<LONG>(0xFFFF0041);
    control->FireEvent(DISPID_KEYDOWN, {Ref(VT_I4, &longKey), Short(0)});
    EXPECT_EQ(longKey, 'B') << "all four bytes";
    VARIANT heldKey;
    InitVariantFromInt32('A', &heldKey);
    control->FireEvent(DISPID_KEYDOWN, {Ref(VT_VARIANT, &heldKey), Short(0)});
    EXPECT_EQ(heldKey.vt, VT_I4);
    EXPECT_EQ(heldKey.lVal, 'B');
    Guarded typed;
    typed.As<BYTE>() = 'q';
    control->FireEvent(DISPID_KEYPRESS, {Ref(VT_UI1, typed.bytes)});
    EXPECT_EQ(typed.As<BYTE>(), 'z');
    EXPECT_TRUE(typed.RestIntact(1));
    EXPECT_EQ(handlers.log.back(), "KeyPress(q)");
    EXPECT_EQ(handlers.log[handlers.log.size() - 2], "KeyDown(65,0)") << "read through the variant reference";
}
