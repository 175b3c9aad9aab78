// Mouse and key input on the control's windows reaching the host as standard events, the
// help key, the dispatch errors a container sees, and the fixed vtable slots.
#include "tests/platform/mediaplayer/GraphProbe.h"
#include "tests/platform/mediaplayer/PlayerTestSupport.h"

#include "platform/mediaplayer/MediaPlayerControl.h"
#include "platform/user/UserQt.h"
#include "platform/user/WinUser.h"

#include <QApplication>
#include <QKeyEvent>

using namespace mediaplayer;

namespace playertest {
namespace {

HWND RendererOf(HWND parent)
{
    HWND found = nullptr;
    EnumChildWindows(
        parent,
        [](HWND window, LPARAM param) -> BOOL {
            char name[101] = {};
            GetClassNameA(window, name, sizeof name);
            if (std::string(name).find("Renderer") == std::string::npos)
                return TRUE;
            *reinterpret_cast<HWND*>(param) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST_F(PlayerTest, TheControlsWindowIsMadeInTheHostsParentAtTheHostsBounds)
{
    const HWND window = movie_->Handle();
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(kPlayerWindowClass, name);
    EXPECT_EQ(form_->Handle(), GetParent(window));
    RECT rect{};
    GetClientRect(window, &rect);
    EXPECT_EQ(352, rect.right);
    EXPECT_EQ(316, rect.bottom);
    movie_->SetBounds(10, 12, 200, 150);
    GetClientRect(window, &rect);
    EXPECT_EQ(200, rect.right);
    EXPECT_EQ(150, rect.bottom);
    // Freeing the host closes the control, which takes its window with it.
    movie_->Free();
    movie_ = nullptr;
    player_.Reset();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(PlayerTest, MouseEventsReachTheHostOnlyWhenSwitchedOn)
{
    const HWND window = movie_->Handle();
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    EXPECT_TRUE(log_.Starting("mouse").empty());

    movie_->SetWordBoolProp(kDispSendMouseClickEvents, true);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(11, 21));
    SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON | MK_LBUTTON, MAKELPARAM(3, 4));
    const std::vector<std::string> expected = {"mousedown left shift +left 10,20", "mouseup left +left 11,21",
                                               "mousedown left +left +right 3,4"};
    EXPECT_EQ(expected, log_.Starting("mouse"));
}

TEST_F(PlayerTest, MouseInputOnTheVideoIsReportedInTheControlsCoordinates)
{
    movie_->SetWordBoolProp(kDispAutoStart, false);
    movie_->SetWordBoolProp(kDispSendMouseClickEvents, true);
    OpenAndWait(NumberedVideo("open.avi", 50));
    const HWND renderer = RendererOf(movie_->Handle());
    ASSERT_NE(nullptr, renderer);
    log_.entries.clear();
    SendMessageA(renderer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    // The 176 x 144 video sits centred in the 352 x 288 area above the control bar.
    ASSERT_EQ(1u, log_.entries.size());
    EXPECT_EQ("mousedown left +left 93,78", log_.entries[0]);
    // F1 on the video goes up to the control's window and reaches the host as help.
    SendMessageA(renderer, WM_KEYDOWN, VK_F1, 0);
    EXPECT_TRUE(log_.Has("help"));
}

// A container's filter on the renderer's window, as the video source component installs
// one: key-ups are recorded and kept, everything else goes on to the previous procedure.
std::vector<std::string> g_rendererKeys;
WNDPROC g_rendererPrevious = nullptr;

LRESULT RendererKeyFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_KEYDOWN || message == WM_KEYUP)
        g_rendererKeys.push_back((message == WM_KEYUP ? "up " : "down ") + std::to_string(wParam));
    if (message == WM_KEYUP)
        return 0;
    return CallWindowProcA(g_rendererPrevious, window, message, wParam, lParam);
}

// A key pressed and released on the keyboard: Qt gives it to the widget holding the focus.
void TypeKey(int qtKey)
{
    QWidget* target = QApplication::focusWidget();
    if (target == nullptr)
        target = WindowWidget(GetFocus());
    ASSERT_NE(nullptr, target) << "no window holds the keyboard focus";
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

TEST_F(PlayerTest, InFullScreenTheKeysGoToTheRenderersWindowAndItsFilterSeesTheKeyUps)
{
    movie_->SetWordBoolProp(kDispAutoStart, false);
    movie_->SetWordBoolProp(kDispSendKeyboardEvents, true);
    OpenAndWait(NumberedVideo("open.avi", 50));
    const HWND renderer = RendererOf(movie_->Handle());
    ASSERT_NE(nullptr, renderer);
    g_rendererKeys.clear();
    g_rendererPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(renderer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RendererKeyFilter)));
    SetFocus(movie_->Handle());

    movie_->SetIntegerProp(kDispDisplaySize, kSizeFullScreen);
    ASSERT_NE(movie_->Handle(), GetParent(renderer));
    EXPECT_EQ(renderer, GetFocus());
    log_.entries.clear();
    TypeKey(Qt::Key_Escape);
    TypeKey(Qt::Key_A);
    // The control still fires its key event for the key-down it sees behind the filter.
    EXPECT_EQ((std::vector<std::string>{"down 27", "up 27", "down 65", "up 65"}), g_rendererKeys);
    EXPECT_EQ((std::vector<std::string>{"keydown 27", "keydown 65"}), log_.Starting("key"));
    // A click on the video in full screen leaves the keys with it.
    SendMessageA(renderer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessageA(renderer, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    EXPECT_EQ(renderer, GetFocus());

    // Back in the control's window, the keys go to the control's own window again.
    movie_->SetIntegerProp(kDispDisplaySize, kSizeFitToWindow);
    EXPECT_EQ(movie_->Handle(), GetParent(renderer));
    EXPECT_EQ(movie_->Handle(), GetFocus());
    g_rendererKeys.clear();
    TypeKey(Qt::Key_B);
    EXPECT_TRUE(g_rendererKeys.empty());
    SetWindowLongPtrA(renderer, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_rendererPrevious));
}

TEST_F(PlayerTest, KeysFireKeyEventsAndF1AsksTheHostForHelp)
{
    const HWND window = movie_->Handle();
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(log_.entries.empty());
    movie_->SetWordBoolProp(kDispSendKeyboardEvents, true);
    SendMessageA(window, WM_KEYDOWN, 'A', 0);
    SendMessageA(window, WM_KEYDOWN, VK_F1, 0);
    const std::vector<std::string> expected = {"keydown 65", "keydown 112", "help"};
    EXPECT_EQ(expected, log_.entries);
}

TEST_F(PlayerTest, ADisabledControlFiresNoInputEvents)
{
    movie_->SetWordBoolProp(kDispSendMouseClickEvents, true);
    movie_->SetWordBoolProp(kDispEnabled, false);
    SendMessageA(movie_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    EXPECT_TRUE(log_.entries.empty());
    EXPECT_FALSE(movie_->GetWordBoolProp(kDispEnabled));
}

TEST_F(PlayerTest, TheControlBarPlaysAndPausesWithoutFiringMouseEvents)
{
    movie_->SetWordBoolProp(kDispAutoStart, false);
    movie_->SetWordBoolProp(kDispSendMouseClickEvents, true);
    OpenAndWait(NumberedVideo("open.avi", 50));
    RECT client{};
    GetClientRect(movie_->Handle(), &client);
    const LPARAM button = MAKELPARAM(10, client.bottom - kControlBarHeight / 2);
    SendMessageA(movie_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, button);
    EXPECT_EQ(kPlayPlaying, Int(kDispPlayState));
    SendMessageA(movie_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, button);
    EXPECT_EQ(kPlayPaused, Int(kDispPlayState));
    // A click at the far end of the tracker seeks to the end.
    movie_->SetIntegerProp(kDispDisplayMode, 1);
    SendMessageA(movie_->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(client.right - 1, client.bottom - 5));
    SendMessageA(movie_->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(client.right - 1, client.bottom - 5));
    ASSERT_TRUE(WaitUntil([&] { return Double(kDispCurrentPosition) == 49; }));
    EXPECT_TRUE(log_.Starting("mouse").empty());
}

// Invoke as a container calls it, returning the status.
HRESULT Put(IDispatch* control, DISPID id, VARIANT value, EXCEPINFO* exception = nullptr)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return control->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params, nullptr, exception, nullptr);
}

TEST_F(PlayerTest, DispatchErrorsAreThoseOfAnAutomationObject)
{
    // What the program writes right after creating the control, before anything is open.
    for (DISPID id : {kDispAutoSize, kDispCurrentPosition, kDispWindowlessVideo, kDispVideoBorder3D})
        EXPECT_NO_THROW(movie_->SetWordBoolProp(id, false)) << id;
    EXPECT_EQ(0.0, Double(kDispCurrentPosition));

    ComPtr<IDispatch> control = movie_->DefaultDispatch();
    ScopedVariant result;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND,
              control->Invoke(4242, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, result.Get(), nullptr, nullptr));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              control->Invoke(kDispRate, IID_IDispatch, 0, DISPATCH_PROPERTYGET, &none, result.Get(), nullptr, nullptr));
    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_I4;
    argument.lVal = 1;
    DISPPARAMS one{&argument, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT,
              control->Invoke(kDispRate, IID_NULL, 0, DISPATCH_PROPERTYGET, &one, result.Get(), nullptr, nullptr));
    EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL,
              control->Invoke(kDispRate, IID_NULL, 0, DISPATCH_PROPERTYPUT, &one, nullptr, nullptr, nullptr));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(control.Get(), kDispOpenState, argument));

    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(u"fast");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Put(control.Get(), kDispRate, text));
    VariantClear(&text);

    argument.lVal = 9;
    EXCEPINFO exception{};
    EXPECT_EQ(DISP_E_EXCEPTION, Put(control.Get(), kDispDisplaySize, argument, &exception));
    EXPECT_EQ(E_INVALIDARG, exception.scode);
    EXPECT_NE(std::string::npos, BstrToUtf8(exception.bstrDescription).find("from 0 to 4"));
    ClearExcepInfo(&exception);
    EXPECT_EQ(kSizeDefault, Int(kDispDisplaySize));
    // Compatible types are converted, as the program relies on.
    VARIANT boolean;
    VariantInit(&boolean);
    boolean.vt = VT_BOOL;
    boolean.boolVal = VARIANT_FALSE;
    argument.vt = VT_R8;
    argument.dblVal = 1.0;
    EXPECT_EQ(S_OK, Put(control.Get(), kDispDisplayMode, argument));
    EXPECT_EQ(1, Int(kDispDisplayMode));
    EXPECT_EQ(S_OK, Put(control.Get(), kDispDisplayMode, boolean));
    EXPECT_EQ(0, Int(kDispDisplayMode));
    boolean.boolVal = VARIANT_TRUE;  // -1 is no display mode
    EXPECT_EQ(E_INVALIDARG, Put(control.Get(), kDispDisplayMode, boolean));
}

TEST_F(PlayerTest, TheCallersSlotsOfIMediaPlayerAndIActiveMovieAreWhereTheyExpectThem)
{
    void* player = player_.Get();
    void** table = *reinterpret_cast<void***>(player);
    using Method = HRESULT (*)(void*);
    using GetLong = HRESULT (*)(void*, LONG*);
    using GetText = HRESULT (*)(void*, BSTR*);
    using TakeText = HRESULT (*)(void*, BSTR);
    EXPECT_EQ(E_UNEXPECTED, reinterpret_cast<Method>(table[163])(player));  // Play with nothing open
    EXPECT_EQ(S_OK, reinterpret_cast<Method>(table[164])(player));          // Stop
    EXPECT_EQ(S_OK, reinterpret_cast<Method>(table[165])(player));          // Pause
    EXPECT_EQ(E_INVALIDARG, reinterpret_cast<TakeText>(table[175])(player, nullptr));
    UniqueBstr missing(TestFolder() + "/absent.avi");
    EXPECT_EQ(S_OK, reinterpret_cast<TakeText>(table[175])(player, missing.Get()));
    ASSERT_TRUE(WaitUntil([&] { return log_.Has("error"); }));
    LONG code = 0;
    EXPECT_EQ(S_OK, reinterpret_cast<GetLong>(table[86])(player, &code));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), code);
    BSTR text = nullptr;
    EXPECT_EQ(S_OK, reinterpret_cast<GetText>(table[85])(player, &text));
    EXPECT_NE(std::string::npos, BstrToUtf8(text).find("absent.avi"));
    SysFreeString(text);

    ComPtr<IActiveMovie> movie;
    ASSERT_EQ(S_OK, ComQuery(player_.Get(), movie));
    void* raw = movie.Get();
    using GetUnknown = HRESULT (*)(void*, IUnknown**);
    IUnknown* graph = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(S_FALSE, reinterpret_cast<GetUnknown>((*reinterpret_cast<void***>(raw))[62])(raw, &graph));
    EXPECT_EQ(nullptr, graph);
}

}  // namespace
}  // namespace playertest
