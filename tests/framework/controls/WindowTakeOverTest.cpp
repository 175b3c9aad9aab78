// A windowed control that takes over a window made by someone else: the control sees
// every message first, the window's own procedure gets what the control passes on, and the
// procedure is given back when the control goes.
#include "tests/framework/controls/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<UINT>& ForeignMessages()
{
    static std::vector<UINT> messages;
    return messages;
}

LRESULT ForeignProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ForeignMessages().push_back(message);
    if (message == WM_USER + 7)
        return 77;
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterForeignClass()
{
    static const bool done = [] {
        WNDCLASSA windowClass;
        windowClass.lpfnWndProc = ForeignProc;
        windowClass.lpszClassName = "ForeignControlWindow";
        return RegisterClassA(&windowClass) != 0;
    }();
    ASSERT_TRUE(done);
}

class TAdoptingControl : public TWinControl {
public:
    using TWinControl::TWinControl;
    HWND Foreign = nullptr;
    std::vector<UINT> Seen;
    bool Swallow = false;
    void DropWindow() { DestroyHandle(); }

    void WndProc(TMessage& message) override
    {
        Seen.push_back(message.Msg);
        if (Swallow && message.Msg == WM_USER + 7) {
            message.Result = 5;
            return;
        }
        TWinControl::WndProc(message);
    }

protected:
    void CreateWindowHandle(const TCreateParams& params) override
    {
        Foreign = CreateWindowExA(0, "ForeignControlWindow", "", WS_CHILD | WS_VISIBLE, params.X, params.Y,
                                  params.Width, params.Height, params.WndParent, nullptr, nullptr, nullptr);
        TakeOverWindow(Foreign);
    }
    void DestroyWindowHandle() override
    {
        const HWND window = Foreign;
        TWinControl::DestroyWindowHandle(); // gives the procedure back, keeps the window
        DestroyWindow(window);
    }
};

} // namespace

TEST(WindowTakeOver, MessagesReachTheControlFirstAndTheProcedureIsGivenBack)
{
    RegisterForeignClass();
    FormGuard form;
    auto* control = new TAdoptingControl(form.Get());
    control->SetParent(form.Get());
    control->SetBounds(10, 10, 100, 50);
    const HWND window = control->Handle();
    ASSERT_EQ(control->Foreign, window);
    EXPECT_EQ(control, TWinControl::FindControl(window));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&FrameworkWindowProc), GetWindowLongPtrA(window, GWLP_WNDPROC));

    ForeignMessages().clear();
    EXPECT_EQ(77, SendMessageA(window, WM_USER + 7, 0, 0));
    EXPECT_EQ(WM_USER + 7, control->Seen.back());
    EXPECT_EQ(std::vector<UINT>{WM_USER + 7}, ForeignMessages());

    control->Swallow = true;
    EXPECT_EQ(5, SendMessageA(window, WM_USER + 7, 0, 0));
    EXPECT_EQ(1u, ForeignMessages().size());

    // Geometry set on the control moves the adopted window.
    control->SetBounds(20, 30, 120, 40);
    RECT rect;
    GetClientRect(window, &rect);
    EXPECT_EQ(120, rect.right);

    control->DropWindow();
    EXPECT_EQ(nullptr, control->HandleOrNull());
    EXPECT_FALSE(IsWindow(window));
}

TEST(WindowTakeOver, GivingBackRestoresTheOriginalProcedure)
{
    RegisterForeignClass();
    FormGuard form;
    const HWND window = CreateWindowExA(0, "ForeignControlWindow", "", WS_CHILD, 0, 0, 10, 10, form->Handle(),
                                        nullptr, nullptr, nullptr);
    struct TTaker : TWinControl {
        using TWinControl::TWinControl;
        void Take(HWND w) { TakeOverWindow(w); }
        void Give() { GiveBackWindow(); }
    };
    auto* taker = new TTaker(form.Get());
    taker->Take(window);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&FrameworkWindowProc), GetWindowLongPtrA(window, GWLP_WNDPROC));
    taker->Free(); // destruction gives the window its own procedure back and leaves it alive
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&ForeignProc), GetWindowLongPtrA(window, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, TWinControl::FindControl(window));
    ForeignMessages().clear();
    SendMessageA(window, WM_USER + 7, 0, 0);
    EXPECT_EQ(std::vector<UINT>{WM_USER + 7}, ForeignMessages());
    DestroyWindow(window);
}
