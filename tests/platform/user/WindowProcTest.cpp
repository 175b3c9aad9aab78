// Window procedures: replacing one, swallowing messages that come from Qt events, passing
// them on to the previous procedure, and Qt's own handling running only through
// DefWindowProcA.
#include "tests/platform/user/UserTestSupport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <thread>

namespace {

// A widget that counts what Qt's own handling did with its events.
class CountingWidget : public QWidget {
public:
    int keyPresses = 0;
    int keyReleases = 0;
    int paints = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keyPresses; }
    void keyReleaseEvent(QKeyEvent*) override { ++keyReleases; }
    void paintEvent(QPaintEvent*) override { ++paints; }
};

WNDPROC g_previous = nullptr;
std::vector<UINT> g_filterSaw;
UINT g_swallow = WM_NULL;

LRESULT FilterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    g_filterSaw.push_back(message);
    if (message == g_swallow)
        return 0;
    return CallWindowProcA(g_previous, window, message, wParam, lParam);
}

class WindowProcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterRecordingClass("ProcTestClass");
        MessageLog().clear();
        g_filterSaw.clear();
        g_swallow = WM_NULL;
        top = MakeTopLevel("ProcTestClass");
        ASSERT_NE(top, nullptr);
        ASSERT_TRUE(ShowAndExpose(top));
        child = CreateWidgetWindow<CountingWidget>(0, "ProcTestClass", "", WS_CHILD | WS_VISIBLE,
                                                  0, 0, 50, 40, top, nullptr);
        ASSERT_NE(child, nullptr);
        widget = dynamic_cast<CountingWidget*>(WindowWidget(child));
        ASSERT_NE(widget, nullptr);
    }
    void TearDown() override
    {
        DestroyWindow(top);
        FlushDeferredDeletes();
    }

    void SendKey(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                 const QString& text = {})
    {
        QKeyEvent event(type, key, modifiers, text);
        QApplication::sendEvent(widget, &event);
    }

    HWND top = nullptr;
    HWND child = nullptr;
    CountingWidget* widget = nullptr;
};

TEST_F(WindowProcTest, ReplacedProcedureSeesAndSwallowsQtKeyMessages)
{
    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc)));
    ASSERT_EQ(g_previous, RecordingProc);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(FilterProc));
    g_swallow = WM_KEYUP;

    SendKey(QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_EQ(g_filterSaw, std::vector<UINT>{WM_KEYUP});
    EXPECT_TRUE(MessagesOf(child, {WM_KEYUP}).empty()) << "swallowed key-up reached the old procedure";
    EXPECT_EQ(widget->keyReleases, 0) << "Qt handled a swallowed key";

    // Messages the filter passes on reach the previous procedure and Qt's handling.
    SendKey(QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(MessagesOf(child, {WM_KEYDOWN}), std::vector<UINT>{WM_KEYDOWN});
    EXPECT_EQ(widget->keyPresses, 1);
    EXPECT_EQ(SendMessageA(child, WM_NULL, 0, 0), 0);
    EXPECT_EQ(MessagesOf(child, {WM_NULL}).size(), 1u);

    // Putting the old procedure back ends the filtering.
    SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
    g_filterSaw.clear();
    SendKey(QEvent::KeyRelease, Qt::Key_Escape);
    EXPECT_TRUE(g_filterSaw.empty());
    EXPECT_EQ(MessagesOf(child, {WM_KEYUP}).size(), 1u);
    EXPECT_EQ(widget->keyReleases, 1);
}

TEST_F(WindowProcTest, SwallowedPaintSkipsQtPaintingAndPassedPaintRunsItOnce)
{
    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc)));
    g_swallow = WM_PAINT;
    const int paintsBefore = widget->paints;
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
    EXPECT_EQ(std::count(g_filterSaw.begin(), g_filterSaw.end(), WM_PAINT), 1);
    EXPECT_EQ(widget->paints, paintsBefore);

    g_swallow = WM_NULL;
    g_filterSaw.clear();
    InvalidateRect(child, nullptr, TRUE);
    UpdateWindow(child);
    EXPECT_EQ(std::count(g_filterSaw.begin(), g_filterSaw.end(), WM_PAINT), 1);
    EXPECT_EQ(widget->paints, paintsBefore + 1);
}

TEST_F(WindowProcTest, InvalidateFromAnotherThreadPaintsOnTheUiThread)
{
    const int paintsBefore = widget->paints;
    BOOL accepted = FALSE;
    std::thread([&] { accepted = InvalidateRect(child, nullptr, FALSE); }).join();
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(WaitUntil([&] { return widget->paints > paintsBefore; }));
}

TEST_F(WindowProcTest, SwallowedMouseDownKeepsAButtonFromClicking)
{
    HWND button = CreateWidgetWindow<QPushButton>(0, "ProcTestClass", "Open", WS_CHILD | WS_VISIBLE,
                                                 60, 0, 75, 25, top, nullptr);
    ASSERT_NE(button, nullptr);
    auto* push = dynamic_cast<QPushButton*>(WindowWidget(button));
    ASSERT_NE(push, nullptr);
    EXPECT_EQ(push->text(), QStringLiteral("Open"));
    int clicks = 0;
    QObject::connect(push, &QPushButton::clicked, push, [&] { ++clicks; });
    auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), push->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(push, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), push->mapToGlobal(QPointF(5, 5)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(push, &release);
    };
    click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(MessagesOf(button, {WM_LBUTTONDOWN, WM_LBUTTONUP}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));

    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc)));
    g_swallow = WM_LBUTTONDOWN;
    click();
    EXPECT_EQ(clicks, 1);
}

TEST_F(WindowProcTest, CloseRequestDestroysUnlessTheProcedureSwallowsIt)
{
    QPointer<QWidget> topWidget = WindowWidget(top);
    g_previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FilterProc)));
    g_swallow = WM_CLOSE;
    QCloseEvent refused;
    QApplication::sendEvent(topWidget, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_TRUE(IsWindow(top));

    g_swallow = WM_NULL;
    QCloseEvent accepted;
    QApplication::sendEvent(topWidget, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_EQ(MessagesOf(child, {WM_DESTROY, WM_NCDESTROY}),
              (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
    // The widget was inside its own close event: it goes at the next deferred deletion.
    FlushDeferredDeletes();
    EXPECT_TRUE(topWidget.isNull());
}

TEST_F(WindowProcTest, BeginPaintGivesADeviceContextOnlyInsidePaint)
{
    static HDC seen = nullptr;
    static RECT area{};
    seen = reinterpret_cast<HDC>(1);
    g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m != WM_PAINT)
                return CallWindowProcA(g_previous, w, m, wp, lp);
            PAINTSTRUCT paint;
            seen = BeginPaint(w, &paint);
            area = paint.rcPaint;
            EndPaint(w, &paint);
            return 0;
        })));
    RECT part{5, 6, 15, 16};
    InvalidateRect(child, &part, FALSE);
    UpdateWindow(child);
    EXPECT_NE(seen, nullptr);
    EXPECT_LE(area.left, 5);
    EXPECT_LE(area.top, 6);
    EXPECT_GE(area.right, 15);
    EXPECT_GE(area.bottom, 16);

    PAINTSTRUCT outside;
    outside.hdc = reinterpret_cast<HDC>(1);
    EXPECT_EQ(BeginPaint(child, &outside), nullptr);
    EXPECT_EQ(outside.hdc, nullptr);
}

TEST_F(WindowProcTest, TextGoesThroughTheWidgetsOwnText)
{
    EXPECT_TRUE(SetWindowTextA(top, "Quellon v0.3 by Dresko"));
    EXPECT_EQ(WindowWidget(top)->windowTitle(), QStringLiteral("Quellon v0.3 by Dresko"));
    HWND button = CreateWidgetWindow<QPushButton>(0, "ProcTestClass", "a", WS_CHILD, 0, 0, 10, 10,
                                                 top, nullptr);
    SetWindowTextA(button, "Capture from here");
    EXPECT_EQ(dynamic_cast<QPushButton*>(WindowWidget(button))->text(), QStringLiteral("Capture from here"));
    dynamic_cast<QPushButton*>(WindowWidget(button))->setText(QStringLiteral("Stop"));
    char text[32];
    EXPECT_EQ(GetWindowTextA(button, text, sizeof text), 4);
    EXPECT_STREQ(text, "Stop");
    EXPECT_EQ(GetWindowTextLengthA(button), 4);

    // Typing reaches a line edit through WM_KEYDOWN's default handling.
    HWND edit = CreateWidgetWindow<QLineEdit>(0, "ProcTestClass", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                             top, nullptr);
    EXPECT_EQ(WindowFromWidget(WindowWidget(edit)), edit);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
    QApplication::sendEvent(WindowWidget(edit), &key);
    EXPECT_EQ(GetWindowTextA(edit, text, sizeof text), 1);
    EXPECT_STREQ(text, "7");
    EXPECT_EQ(MessagesOf(edit, {WM_KEYDOWN, WM_CHAR}), (std::vector<UINT>{WM_KEYDOWN, WM_CHAR}));
}

} // namespace
