// Invalidation and painting: WM_PAINT runs inside the widget's Qt paint event, where
// BeginPaint opens a painter on the widget and wraps it in a device context.
#include "platform/user/WindowObject.h"

#include <QApplication>
#include <QThread>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>

#if QUELLON_USER_HAS_GDI
#include "platform/gdi/GdiQt.h"
#endif

namespace {

QRect ToQRect(const RECT& rect)
{
    return QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1));
}

} // namespace

BOOL InvalidateRect(HWND handle, const RECT* rect, BOOL erase)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return FALSE;
    if (QThread::currentThread() != app->thread()) {
        // A streaming thread may ask for a repaint, as on Windows; the widget is touched on
        // the user-interface thread only.
        if (handle != nullptr && !IsWindow(handle))
            return FALSE;
        QObject* pump = MessagePump();
        if (pump == nullptr)
            return FALSE;
        const bool whole = rect == nullptr;
        const RECT area = whole ? RECT{} : *rect;
        QMetaObject::invokeMethod(
            pump, [handle, whole, area, erase] { InvalidateRect(handle, whole ? nullptr : &area, erase); },
            Qt::QueuedConnection);
        return TRUE;
    }
    if (handle == nullptr) {
        for (QWidget* widget : QApplication::topLevelWidgets())
            widget->update();
        return TRUE;
    }
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    // The area is the window's own: its child windows keep theirs, as on Windows, where a
    // window's invalid area never makes its children paint (a paint of a child is an event of
    // its own, such as a capture step, and must not follow from a neighbour's repaint).
    QRegion area = rect != nullptr ? QRegion(ToQRect(*rect)) : QRegion(window->widget->rect());
    if (rect != nullptr && (rect->right <= rect->left || rect->bottom <= rect->top))
        return TRUE;
    for (QObject* object : window->widget->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !child->isWindow() && child->isVisible())
            area -= child->geometry();
    }
    if (!area.isEmpty())
        window->widget->update(area);
    window->updatePending = true;
    return TRUE;
}

BOOL UpdateWindow(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    // Qt would paint the pending area at its next round; Windows paints it now.
    if (window->updatePending && window->widget->isVisible())
        window->widget->repaint();
    return TRUE;
}

BOOL RedrawWindow(HWND handle, const RECT* rect, HANDLE, UINT flags)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    if ((flags & RDW_INVALIDATE) != 0) {
        InvalidateRect(handle, rect, (flags & RDW_ERASE) != 0);
        if ((flags & RDW_ALLCHILDREN) != 0) {
            for (const WindowPtr& child : ChildWindows(*window))
                RedrawWindow(child->handle, nullptr, nullptr, flags & ~RDW_UPDATENOW);
        }
    }
    if ((flags & RDW_UPDATENOW) != 0 && window->widget->isVisible())
        window->widget->repaint();
    return TRUE;
}

HDC BeginPaint(HWND handle, PAINTSTRUCT* paint)
{
    if (paint == nullptr)
        return nullptr;
    *paint = PAINTSTRUCT{};
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || window->paint == nullptr)
        return nullptr;
    PaintContext& context = *window->paint;
    const QRect area = context.event->rect();
    paint->rcPaint = RECT{area.left(), area.top(), area.right() + 1, area.bottom() + 1};
    if (context.painter == nullptr) {
        context.painter = new QPainter(window->widget);
#if QUELLON_USER_HAS_GDI
        context.dc = CreatePainterDC(context.painter, window->widget->width(), window->widget->height());
#endif
    }
    paint->hdc = context.dc;
    return context.dc;
}

BOOL EndPaint(HWND handle, const PAINTSTRUCT*)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->paint == nullptr || window->paint->painter == nullptr)
        return TRUE;
    PaintContext& context = *window->paint;
#if QUELLON_USER_HAS_GDI
    DeletePainterDC(context.dc);
#endif
    context.dc = nullptr;
    context.painter->end();
    delete context.painter;
    context.painter = nullptr;
    return TRUE;
}
