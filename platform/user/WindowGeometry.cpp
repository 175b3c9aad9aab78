// Position, size, z-order, visibility and enabled state of windows.
#include "platform/user/WindowObject.h"

#include <QWidget>

#include <algorithm>

namespace {

// A child's geometry is in its parent window's client coordinates, which differ from the
// widget's own parent when the framework put a plain widget in between.
QRect GeometryInParent(const WindowObject& window)
{
    QWidget* widget = window.widget;
    if (widget == nullptr)
        return {};
    if (widget->isWindow())
        return widget->geometry();
    WindowPtr parent = ParentWindow(window);
    QWidget* parentWidget = widget->parentWidget();
    if (parent == nullptr || parent->widget == nullptr || parentWidget == parent->widget)
        return widget->geometry();
    return QRect(parentWidget->mapTo(parent->widget, widget->pos()), widget->size());
}

void SetGeometryInParent(const WindowObject& window, QRect rect)
{
    QWidget* widget = window.widget;
    if (widget == nullptr)
        return;
    if (!widget->isWindow()) {
        WindowPtr parent = ParentWindow(window);
        QWidget* parentWidget = widget->parentWidget();
        if (parent != nullptr && parent->widget != nullptr && parentWidget != parent->widget)
            rect.moveTopLeft(parentWidget->mapFrom(parent->widget, rect.topLeft()));
    }
    if (window.fixedSize)
        widget->setFixedSize(rect.size());
    widget->setGeometry(rect);
}

void ApplyZOrder(const WindowObject& window, HWND insertAfter)
{
    QWidget* widget = window.widget;
    if (widget == nullptr)
        return;
    if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST) {
        widget->raise();
    } else if (insertAfter == HWND_BOTTOM) {
        widget->lower();
    } else if (insertAfter != HWND_NOTOPMOST) {
        // Windows puts the window just below `insertAfter`.
        WindowPtr above = FindWindowObject(insertAfter);
        if (above != nullptr && above->widget != nullptr && above != FindWindowObject(window.handle) &&
            above->widget->parentWidget() == widget->parentWidget())
            widget->stackUnder(above->widget);
    }
}

WPARAM SizeType(const QWidget& widget)
{
    if (widget.isMinimized())
        return SIZE_MINIMIZED;
    if (widget.isMaximized())
        return SIZE_MAXIMIZED;
    return SIZE_RESTORED;
}

LPARAM PackPoint(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<SHORT>(x)), static_cast<WORD>(static_cast<SHORT>(y)));
}

void SendShowWindow(const WindowPtr& window, bool show)
{
    QWidget* widget = window->widget;
    if (widget != nullptr && widget->isHidden() == show)
        Dispatch(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
}

// Sends the move and size messages for a change the window has not been told about yet.
void Report(const WindowPtr& window, bool announce)
{
    QWidget* widget = window->widget;
    if (widget == nullptr || window->destroying)
        return;
    const QRect rect = GeometryInParent(*window);
    const QPoint clientOrigin = widget->isWindow() ? widget->geometry().topLeft() : rect.topLeft();
    const bool minimized = widget->isMinimized();
    const bool moved = clientOrigin != window->reportedPos;
    const bool sized = rect.size() != window->reportedSize || minimized != window->reportedMinimized;
    if (!moved && !sized)
        return;
    window->reportedPos = clientOrigin;
    window->reportedSize = rect.size();
    window->reportedMinimized = minimized;
    if (announce) {
        // Qt tells of a change made by someone else (a layout, the window manager) only
        // afterwards, so this WINDOWPOS is for information.
        WINDOWPOS pos;
        pos.hwnd = window->handle;
        pos.x = rect.x();
        pos.y = rect.y();
        pos.cx = rect.width();
        pos.cy = rect.height();
        pos.flags = SWP_NOZORDER | SWP_NOACTIVATE | (moved ? 0 : SWP_NOMOVE) | (sized ? 0 : SWP_NOSIZE);
        Dispatch(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        pos = WINDOWPOS{window->handle, nullptr, rect.x(), rect.y(), rect.width(), rect.height(),
                        pos.flags};
        Dispatch(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    if (moved)
        Dispatch(window, WM_MOVE, 0, PackPoint(clientOrigin.x(), clientOrigin.y()));
    if (sized) {
        const bool isMinimized = widget->isMinimized();
        Dispatch(window, WM_SIZE, SizeType(*widget),
                 isMinimized ? 0 : MAKELPARAM(static_cast<WORD>(rect.width()), static_cast<WORD>(rect.height())));
    }
}

} // namespace

void SetWidgetEnabled(const WindowObject& window, bool enable)
{
    QWidget* widget = window.widget;
    if (widget == nullptr)
        return;
    widget->setEnabled(enable);
    if (enable || !widget->isWindow())
        return;
    // Qt disables child windows with their parent widget, but on Windows a disabled owner
    // (behind a modal form, say) leaves the windows it owns usable.
    for (const WindowPtr& other : WindowRegistry::Instance().All()) {
        if (other->owner == window.handle && other->widget != nullptr &&
            !other->widget->testAttribute(Qt::WA_ForceDisabled))
            other->widget->setEnabled(true);
    }
}

void ReportGeometry(const WindowPtr& window)
{
    Report(window, false);
}

void ReportGeometryFromQt(const WindowPtr& window)
{
    if (!window->applyingGeometry)
        Report(window, true);
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    const QRect current = GeometryInParent(*window);
    WINDOWPOS pos;
    pos.hwnd = handle;
    pos.hwndInsertAfter = insertAfter;
    pos.x = (flags & SWP_NOMOVE) != 0 ? current.x() : x;
    pos.y = (flags & SWP_NOMOVE) != 0 ? current.y() : y;
    pos.cx = (flags & SWP_NOSIZE) != 0 ? current.width() : width;
    pos.cy = (flags & SWP_NOSIZE) != 0 ? current.height() : height;
    pos.flags = flags;
    if ((flags & SWP_NOSENDCHANGING) == 0) {
        Dispatch(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
        if (window->destroying || window->widget == nullptr)
            return FALSE;
    }

    // The receiver of WM_WINDOWPOSCHANGING may have changed the values or the flags.
    QRect target(pos.x, pos.y, std::max(0, pos.cx), std::max(0, pos.cy));
    if ((pos.flags & SWP_NOMOVE) != 0)
        target.moveTopLeft(current.topLeft());
    if ((pos.flags & SWP_NOSIZE) != 0)
        target.setSize(current.size());
    window->applyingGeometry = true;
    if (target != current)
        SetGeometryInParent(*window, target);
    if ((pos.flags & SWP_NOZORDER) == 0)
        ApplyZOrder(*window, pos.hwndInsertAfter);
    if ((pos.flags & SWP_SHOWWINDOW) != 0 && window->widget->isHidden()) {
        SendShowWindow(window, true);
        if (window->widget != nullptr)
            window->widget->show();
    } else if ((pos.flags & SWP_HIDEWINDOW) != 0 && !window->widget->isHidden()) {
        SendShowWindow(window, false);
        if (window->widget != nullptr)
            window->widget->hide();
    }
    window->applyingGeometry = false;
    if (window->destroying)
        return TRUE;
    Dispatch(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    ReportGeometry(window);
    return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint)
{
    return SetWindowPos(handle, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetClientRect(HWND handle, RECT* rect)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || rect == nullptr)
        return FALSE;
    *rect = RECT{0, 0, window->widget->width(), window->widget->height()};
    return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || rect == nullptr)
        return FALSE;
    const QPoint origin = window->widget->mapToGlobal(QPoint(0, 0));
    *rect = RECT{origin.x(), origin.y(), origin.x() + window->widget->width(),
                 origin.y() + window->widget->height()};
    return TRUE;
}

BOOL ClientToScreen(HWND handle, POINT* point)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || point == nullptr)
        return FALSE;
    const QPoint p = window->widget->mapToGlobal(QPoint(point->x, point->y));
    *point = POINT{p.x(), p.y()};
    return TRUE;
}

BOOL ScreenToClient(HWND handle, POINT* point)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || point == nullptr)
        return FALSE;
    const QPoint p = window->widget->mapFromGlobal(QPoint(point->x, point->y));
    *point = POINT{p.x(), p.y()};
    return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD, BOOL, DWORD)
{
    return rect != nullptr ? TRUE : FALSE;
}

BOOL ShowWindow(HWND handle, int command)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr || window->destroying)
        return FALSE;
    QWidget* widget = window->widget;
    const bool wasVisible = !widget->isHidden();
    const bool show = command != SW_HIDE;
    if (show != wasVisible)
        SendShowWindow(window, show);
    widget = window->widget;
    if (widget == nullptr || window->destroying)
        return wasVisible ? TRUE : FALSE;
    if (!show) {
        widget->hide();
        return wasVisible ? TRUE : FALSE;
    }
    const bool topLevel = widget->isWindow();
    widget->setAttribute(Qt::WA_ShowWithoutActivating,
                         command == SW_SHOWNA || command == SW_SHOWNOACTIVATE ||
                             command == SW_SHOWMINNOACTIVE);
    switch (command) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        topLevel ? widget->showMinimized() : widget->show();
        break;
    case SW_SHOWMAXIMIZED:
        topLevel ? widget->showMaximized() : widget->show();
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        topLevel ? widget->showNormal() : widget->show();
        break;
    default:
        widget->show();
        break;
    }
    if (WindowPtr live = FindWindowObject(handle))
        ReportGeometry(live);
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    return window != nullptr && window->widget != nullptr && window->widget->isVisible() ? TRUE : FALSE;
}

BOOL IsIconic(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    return window != nullptr && window->widget != nullptr && window->widget->isMinimized() ? TRUE : FALSE;
}

BOOL EnableWindow(HWND handle, BOOL enable)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->widget == nullptr)
        return FALSE;
    // The window's own flag, as on Windows; a disabled parent does not count.
    const bool wasDisabled = window->widget->testAttribute(Qt::WA_ForceDisabled);
    if (wasDisabled == (enable == FALSE))
        return wasDisabled ? TRUE : FALSE;
    SetWidgetEnabled(*window, enable != FALSE);
    Dispatch(window, WM_ENABLE, enable != FALSE ? TRUE : FALSE, 0);
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    return window != nullptr && window->widget != nullptr &&
                   !window->widget->testAttribute(Qt::WA_ForceDisabled)
               ? TRUE
               : FALSE;
}
