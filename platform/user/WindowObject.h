// Internal to platform/user: the object behind a window handle, the class table and the
// handle table. Nothing outside this folder includes it.
//
// Thread: user-interface thread, except WindowRegistry::IsLive, which is thread-safe.
#pragma once

#include "platform/user/UserQt.h"
#include "platform/user/WinUser.h"

#include <QPointer>
#include <QSize>
#include <QPoint>

#include <memory>
#include <string>
#include <vector>

class QPaintEvent;
class QPainter;

struct WindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    HANDLE background = nullptr;
    WORD atom = 0;
};

// A Qt event waiting for its default handling: DefWindowProcA runs Qt's own handling of
// `event` when it is called for `message` on this window.
struct NativeEventSlot {
    QEvent* event = nullptr;
    UINT message = 0;
    bool done = false;
    bool result = false;
};

struct PaintContext {
    QPaintEvent* event = nullptr;
    QPainter* painter = nullptr;
    HDC dc = nullptr;
};

struct WindowObject {
    HWND handle = nullptr;
    std::shared_ptr<const WindowClass> windowClass;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    HWND owner = nullptr; // top-level windows only: the window that owns this one
    HINSTANCE instance = nullptr;
    std::string text;
    WindowWidgetHooks* hooks = nullptr;
    QPointer<QWidget> widget;
    bool destroying = false;     // DestroyWindow has begun; the handle lives until WM_NCDESTROY
    bool applyingGeometry = false; // SetWindowPos reports the change itself
    bool fixedSize = false;        // top-level window without a sizing border
    bool updatePending = false;    // invalidated and not painted since

    // What WM_SIZE and WM_MOVE last told, so that a geometry change is reported once
    // whether it came from our own calls or from Qt.
    QSize reportedSize{-1, -1};
    QPoint reportedPos{INT32_MIN, INT32_MIN};
    bool reportedMinimized = false;

    NativeEventSlot* native = nullptr;
    PaintContext* paint = nullptr;

    bool IsChild() const { return (style & WS_CHILD) != 0; }
    // Effective style: the stored bits with WS_VISIBLE and WS_DISABLED as they are now.
    DWORD CurrentStyle() const;
};

using WindowPtr = std::shared_ptr<WindowObject>;

class WindowRegistry {
public:
    static WindowRegistry& Instance();

    // Classes.
    WORD AddClass(const WNDCLASSA& windowClass);
    bool RemoveClass(const std::string& name);
    std::shared_ptr<const WindowClass> FindClass(const std::string& name) const;

    // Handles. A window stays findable until the end of its WM_NCDESTROY.
    HWND Add(WindowPtr window);
    void Remove(HWND handle);
    WindowPtr Find(HWND handle) const;
    bool IsLive(HWND handle) const; // thread-safe
    std::vector<WindowPtr> All() const;

    static void Bind(WindowWidgetHooks* hooks, HWND handle) { hooks->handle_ = handle; }

private:
    WindowRegistry() = default;
    struct State;
    State& state() const;
};

// Helpers shared by the files of this folder.
WindowPtr FindWindowObject(HWND handle); // nullptr for 0 and dead handles
WindowPtr FromWidget(QWidget* widget);
// Window children of `window` in z-order from the top (owned top-level windows excluded).
std::vector<WindowPtr> ChildWindows(const WindowObject& window);
// The nearest ancestor widget that is a window, or nullptr.
WindowPtr ParentWindow(const WindowObject& window);
// Calls the window's current procedure; keeps the object alive for the call.
LRESULT Dispatch(const WindowPtr& window, UINT message, WPARAM wParam, LPARAM lParam);
// Time of the message being handled; RAII scope that sets it for one dispatch.
DWORD MessageClockMs();
class MessageTimeScope {
public:
    explicit MessageTimeScope(DWORD timeMs);
    ~MessageTimeScope();
    MessageTimeScope(const MessageTimeScope&) = delete;
    MessageTimeScope& operator=(const MessageTimeScope&) = delete;

private:
    DWORD saved_;
};
// Number of routed Qt events being dispatched right now; widgets of destroyed windows are
// deleted at once only when it is 0.
int& RoutedEventDepth();
// Sends WM_MOVE and WM_SIZE for what differs from what was last reported.
void ReportGeometry(const WindowPtr& window);
// The same for a change that Qt made and reports afterwards: preceded by an informational
// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED; nothing while SetWindowPos is applying.
void ReportGeometryFromQt(const WindowPtr& window);
// Enables or disables the widget, keeping the windows it owns as they were.
void SetWidgetEnabled(const WindowObject& window, bool enable);
// Keeps GetKeyState in step with an input event.
void TrackInputState(QEvent* event);
// Qt key to virtual-key code (0 when there is none).
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
// The object on the user-interface thread that receives posted messages and owns timers;
// nullptr before the QApplication exists.
QObject* MessagePump();
// Kills every timer of a window that is being destroyed.
void KillWindowTimers(HWND window);
// Whether no posted message waits to be handled (a timer ticks only then). Any thread.
bool PostedQueueEmpty();
// Told by the pump after each posted message it handled (or dropped): once none waits,
// the timers that came due meanwhile are delivered.
void PostedMessageHandled();
// Capture and focus bookkeeping.
void ForgetInputWindow(HWND window); // the window is being destroyed
HWND MouseCaptureTarget();           // explicit capture, else the window a button went down in
void NoteMouseButtons(HWND window, bool pressed, bool anyButtonHeld);
void FocusArrived(HWND window);
void FocusLeft(HWND window);
// Copies UTF-8 text into a caller's buffer, never splitting a character.
int CopyTextOut(const std::string& text, LPSTR buffer, int maxCount);
