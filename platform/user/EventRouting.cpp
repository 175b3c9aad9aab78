// Qt events of a window's widget become messages sent through the window's current
// procedure. Where Qt has its own handling of the event, it runs when the message reaches
// DefWindowProcA, so swallowing the message suppresses it.
#include "platform/user/WindowObject.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <exception>

namespace {

struct DepthScope {
    DepthScope() { ++RoutedEventDepth(); }
    ~DepthScope() { --RoutedEventDepth(); }
};

// Sends `message` with the event's own handling made available to DefWindowProcA.
// Returns whether Qt's handling ran.
bool SendWithNative(const WindowPtr& window, QEvent* event, UINT message, WPARAM wParam,
                    LPARAM lParam)
{
    NativeEventSlot slot{event, message, false, false};
    NativeEventSlot* saved = window->native;
    window->native = &slot;
    try {
        Dispatch(window, message, wParam, lParam);
    } catch (...) {
        window->native = saved;
        throw;
    }
    window->native = saved;
    return slot.done;
}

LPARAM PackClientPoint(QPoint p)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(p.x())),
                      static_cast<WORD>(static_cast<SHORT>(p.y())));
}

WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    WPARAM flags = 0;
    if (buttons & Qt::LeftButton)
        flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier)
        flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier)
        flags |= MK_CONTROL;
    return flags;
}

UINT MouseMessage(QEvent::Type type, Qt::MouseButton button, bool doubleClicks)
{
    int base = 0;
    switch (button) {
    case Qt::LeftButton:
        base = WM_LBUTTONDOWN;
        break;
    case Qt::RightButton:
        base = WM_RBUTTONDOWN;
        break;
    case Qt::MiddleButton:
        base = WM_MBUTTONDOWN;
        break;
    default:
        return 0;
    }
    switch (type) {
    case QEvent::MouseButtonPress:
        return base;
    case QEvent::MouseButtonRelease:
        return base + 1;
    case QEvent::MouseButtonDblClick:
        // Without CS_DBLCLKS a second click is just another press, as on Windows.
        return doubleClicks ? base + 2 : base;
    default:
        return 0;
    }
}

void RoutePaint(const WindowPtr& window, QPaintEvent* event)
{
    PaintContext context;
    context.event = event;
    PaintContext* saved = window->paint;
    window->paint = &context;
    window->updatePending = false;
    auto finish = [&] {
        // A procedure that forgot EndPaint must not leave a painter open on the widget.
        if (context.painter != nullptr) {
            PAINTSTRUCT paint;
            paint.hdc = context.dc;
            EndPaint(window->handle, &paint);
        }
        window->paint = saved;
    };
    try {
        SendWithNative(window, event, WM_PAINT, 0, 0);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

bool RouteKey(const WindowPtr& window, QKeyEvent* event)
{
    const bool press = event->type() == QEvent::KeyPress;
    const int vk = VirtualKeyFromQt(event->key(), event->modifiers());
    if (vk == 0 || (!press && event->isAutoRepeat())) {
        // Windows repeats a held key with key-downs only; Qt's paired auto-repeat releases
        // have no message.
        return window->hooks->BaseEvent(event);
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool alt = (modifiers & Qt::AltModifier) != 0;
    const bool system = (alt && (modifiers & Qt::ControlModifier) == 0) || vk == VK_F10 || vk == VK_MENU;
    UINT message = press ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    const DWORD repeat = static_cast<DWORD>(std::max(1, event->count())) & 0xFFFF;
    const DWORD scan = event->nativeScanCode() & 0xFF;
    const bool extended = vk == VK_INSERT || vk == VK_DELETE || vk == VK_HOME || vk == VK_END ||
                          vk == VK_PRIOR || vk == VK_NEXT || (vk >= VK_LEFT && vk <= VK_DOWN) ||
                          vk == VK_DIVIDE || (event->key() == Qt::Key_Enter);
    DWORD data = repeat | (scan << 16) | (extended ? 1u << 24 : 0u) | (alt ? 1u << 29 : 0u);
    if (!press)
        data |= (1u << 30) | (1u << 31);
    else if (event->isAutoRepeat())
        data |= 1u << 30;
    const LPARAM lParam = static_cast<LPARAM>(static_cast<LONG>(data));
    const HWND handle = window->handle;

    SendWithNative(window, event, message, static_cast<WPARAM>(vk), lParam);
    if (press && IsWindow(handle) && !window->destroying) {
        const QString text = event->text();
        for (QChar ch : text) {
            // Qt gives Delete a DEL character; Windows types nothing for it.
            if (vk == VK_DELETE)
                break;
            if (!IsWindow(handle) || window->destroying)
                break;
            Dispatch(window, system ? WM_SYSCHAR : WM_CHAR, ch.unicode(), lParam);
        }
    }
    // Keys do not travel on to parent windows.
    event->accept();
    return true;
}

bool RouteMouse(const WindowPtr& window, QMouseEvent* event)
{
    const QEvent::Type type = event->type();
    const bool isMove = type == QEvent::MouseMove;
    const bool doubleClicks = (window->windowClass->style & CS_DBLCLKS) != 0;
    const UINT message = isMove ? WM_MOUSEMOVE : MouseMessage(type, event->button(), doubleClicks);
    if (message == 0)
        return window->hooks->BaseEvent(event);

    // A move with no button held ends any drag whose release went elsewhere (to a modal
    // box opened by the press, say).
    if (isMove && event->buttons() == Qt::NoButton)
        NoteMouseButtons(nullptr, false, false);
    // While a button is held or the mouse is captured, the capturing window gets the mouse
    // messages, in its own client coordinates.
    WindowPtr target = window;
    if (HWND capture = MouseCaptureTarget(); capture != nullptr && capture != window->handle) {
        if (WindowPtr captured = FindWindowObject(capture); captured != nullptr && captured->widget != nullptr)
            target = captured;
    }
    const QPoint global = event->globalPosition().toPoint();
    const QPoint local = target == window ? event->position().toPoint()
                                          : target->widget->mapFromGlobal(global);
    const WPARAM wParam = MouseKeyFlags(event->buttons(), event->modifiers());
    const LPARAM lParam = PackClientPoint(local);
    MessageTimeScope time(static_cast<DWORD>(event->timestamp()));

    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
        NoteMouseButtons(target->handle, true, true);
    if (target == window)
        SendWithNative(window, event, message, wParam, lParam);
    else
        Dispatch(target, message, wParam, lParam);
    if (type == QEvent::MouseButtonRelease)
        NoteMouseButtons(target->handle, false, event->buttons() != Qt::NoButton);
    // Mouse messages do not travel on to parent windows.
    event->accept();
    return true;
}

bool RouteWheel(const WindowPtr& window, QWheelEvent* event)
{
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const QPoint global = event->globalPosition().toPoint();
    const WPARAM wParam = (MouseKeyFlags(event->buttons(), event->modifiers()) & 0xFFFF) |
                          (static_cast<WPARAM>(static_cast<WORD>(static_cast<SHORT>(delta))) << 16);
    MessageTimeScope time(static_cast<DWORD>(event->timestamp()));
    SendWithNative(window, event, WM_MOUSEWHEEL, wParam, PackClientPoint(global));
    event->accept();
    return true;
}

bool RouteClose(const WindowPtr& window, QCloseEvent* event)
{
    Dispatch(window, WM_CLOSE, 0, 0);
    // The default handling destroys the window; a procedure that kept it refuses the close.
    if (window->destroying || !IsWindow(window->handle))
        event->accept();
    else
        event->ignore();
    return true;
}

// Activation brings a window and the windows it owns to the top of the z-order, which
// they hear about as a position change that neither moves nor sizes them.
void ReportActivation(const WindowPtr& window, bool active)
{
    const HWND handle = window->handle;
    if (active) {
        std::vector<WindowPtr> raised{window};
        for (const WindowPtr& other : WindowRegistry::Instance().All()) {
            if (other->owner == handle && !other->destroying)
                raised.push_back(other);
        }
        for (const WindowPtr& w : raised) {
            if (w->destroying)
                continue;
            WINDOWPOS pos;
            pos.hwnd = w->handle;
            pos.hwndInsertAfter = HWND_TOP;
            pos.flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
            Dispatch(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
            Dispatch(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        }
    }
    if (!window->destroying)
        Dispatch(window, WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

bool RouteEvent(const WindowPtr& window, QEvent* event)
{
    WindowWidgetHooks& hooks = *window->hooks;
    switch (event->type()) {
    case QEvent::Paint:
        RoutePaint(window, static_cast<QPaintEvent*>(event));
        return true;
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::WindowStateChange: {
        const bool result = hooks.BaseEvent(event);
        ReportGeometryFromQt(window);
        return result;
    }
    case QEvent::Close:
        return RouteClose(window, static_cast<QCloseEvent*>(event));
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return RouteKey(window, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return RouteMouse(window, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
        return RouteWheel(window, static_cast<QWheelEvent*>(event));
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
        const bool result = hooks.BaseEvent(event);
        if (window->widget != nullptr && window->widget->isWindow())
            ReportActivation(window, event->type() == QEvent::WindowActivate);
        return result;
    }
    case QEvent::FocusIn: {
        const bool result = hooks.BaseEvent(event);
        FocusArrived(window->handle);
        return result;
    }
    case QEvent::FocusOut: {
        const bool result = hooks.BaseEvent(event);
        FocusLeft(window->handle);
        return result;
    }
    default:
        return hooks.BaseEvent(event);
    }
}

} // namespace

bool WindowWidgetHooks::Route(QEvent* event)
{
    WindowPtr window = FindWindowObject(handle_);
    if (window == nullptr || window->destroying || window->hooks != this)
        return BaseEvent(event);
    DepthScope depth;
    TrackInputState(event);
    // Qt cannot carry an exception through its event delivery; the window procedures are
    // meant to catch their own, and one that escapes is reported and dropped here.
    try {
        return RouteEvent(window, event);
    } catch (const std::exception& error) {
        qWarning("Exception escaped a window procedure: %s", error.what());
    } catch (...) {
        qWarning("Exception escaped a window procedure");
    }
    return true;
}
