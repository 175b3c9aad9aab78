// Window classes, creation and destruction, the window tree, window data and text.
#include "platform/user/WindowObject.h"

#include <QCoreApplication>
#include <QWidget>

#include <algorithm>

namespace {

Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle)
{
    Qt::WindowFlags flags = (exStyle & WS_EX_TOOLWINDOW) != 0 ? Qt::Tool : Qt::Window;
    const bool captioned = (style & WS_CAPTION) == WS_CAPTION || (style & WS_POPUP) == 0;
    if (captioned) {
        flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if ((style & WS_SYSMENU) != 0)
            flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if ((style & WS_MINIMIZEBOX) != 0)
            flags |= Qt::WindowMinimizeButtonHint;
        if ((style & WS_MAXIMIZEBOX) != 0)
            flags |= Qt::WindowMaximizeButtonHint;
    } else {
        flags |= Qt::FramelessWindowHint;
    }
    if ((exStyle & WS_EX_TOPMOST) != 0)
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

HWND RootOf(HWND window)
{
    WindowPtr w = FindWindowObject(window);
    while (w != nullptr) {
        WindowPtr parent = ParentWindow(*w);
        if (parent == nullptr)
            return w->handle;
        w = parent;
    }
    return nullptr;
}

void CollectTree(const WindowPtr& window, std::vector<WindowPtr>& out)
{
    out.push_back(window);
    for (const WindowPtr& child : ChildWindows(*window))
        CollectTree(child, out);
}

// The destruction protocol. `deleteWidget` is false when Qt is deleting the widget itself.
void DestroyTree(const WindowPtr& window, bool deleteWidget)
{
    const HWND handle = window->handle;
    for (const WindowPtr& other : WindowRegistry::Instance().All()) {
        if (other->owner == handle && !other->destroying)
            DestroyWindow(other->handle);
    }
    if (window->destroying)
        return; // an owned window's handler destroyed us meanwhile

    std::vector<WindowPtr> tree;
    CollectTree(window, tree);
    for (const WindowPtr& w : tree) {
        w->destroying = true;
        KillWindowTimers(w->handle);
        ForgetInputWindow(w->handle);
    }
    for (const WindowPtr& w : tree)
        Dispatch(w, WM_DESTROY, 0, 0);
    for (auto it = tree.rbegin(); it != tree.rend(); ++it)
        Dispatch(*it, WM_NCDESTROY, 0, 0);

    for (const WindowPtr& w : tree) {
        if (w->hooks != nullptr)
            WindowRegistry::Bind(w->hooks, nullptr);
        w->hooks = nullptr;
        WindowRegistry::Instance().Remove(w->handle);
    }
    QWidget* widget = window->widget;
    window->widget = nullptr;
    if (deleteWidget && widget != nullptr) {
        widget->hide();
        // Deleting a widget while one of its events is on the stack would pull it from
        // under Qt; Qt's deferred deletion waits for the right moment.
        if (RoutedEventDepth() == 0)
            delete widget;
        else
            widget->deleteLater();
    }
}

} // namespace

void WindowWidgetHooks::Detach()
{
    if (handle_ == nullptr)
        return;
    WindowPtr window = FindWindowObject(handle_);
    handle_ = nullptr;
    if (window != nullptr && !window->destroying) {
        window->hooks = nullptr;
        DestroyTree(window, false);
    }
}

WORD RegisterClassA(const WNDCLASSA* windowClass)
{
    return windowClass == nullptr ? 0 : WindowRegistry::Instance().AddClass(*windowClass);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE)
{
    return className != nullptr && WindowRegistry::Instance().RemoveClass(className) ? TRUE : FALSE;
}

BOOL GetClassInfoA(HINSTANCE, LPCSTR className, WNDCLASSA* windowClass)
{
    if (className == nullptr || windowClass == nullptr)
        return FALSE;
    auto found = WindowRegistry::Instance().FindClass(className);
    if (found == nullptr)
        return FALSE;
    *windowClass = WNDCLASSA{};
    windowClass->style = found->style;
    windowClass->lpfnWndProc = found->proc;
    windowClass->hbrBackground = found->background;
    windowClass->lpszClassName = found->name.c_str();
    return TRUE;
}

namespace {

HWND CreateWindowCore(WindowWidgetHooks* hooks, DWORD exStyle, LPCSTR className,
                      LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                      HWND parent, HMENU menuOrId, HINSTANCE instance, LPVOID param)
{
    auto fail = [&]() -> HWND {
        if (hooks != nullptr)
            delete hooks->Widget();
        return nullptr;
    };
    if (hooks == nullptr || QCoreApplication::instance() == nullptr || className == nullptr)
        return fail();
    auto windowClass = WindowRegistry::Instance().FindClass(className);
    if (windowClass == nullptr)
        return fail();
    WindowPtr parentWindow = FindWindowObject(parent);
    if ((parent != nullptr && (parentWindow == nullptr || parentWindow->destroying)) ||
        ((style & WS_CHILD) != 0 && parentWindow == nullptr))
        return fail();

    QWidget* widget = hooks->Widget();
    auto window = std::make_shared<WindowObject>();
    window->windowClass = windowClass;
    window->proc = windowClass->proc;
    window->style = style & ~(WS_VISIBLE | WS_DISABLED);
    window->exStyle = exStyle;
    window->text = windowName != nullptr ? windowName : "";
    window->hooks = hooks;
    window->widget = widget;
    window->instance = instance;
    if ((style & WS_CHILD) != 0)
        window->id = reinterpret_cast<LONG_PTR>(menuOrId);
    const HWND handle = WindowRegistry::Instance().Add(window);
    WindowRegistry::Bind(hooks, handle);

    widget->setMouseTracking(true);
    const QString title = QString::fromUtf8(window->text);
    if ((style & WS_CHILD) != 0) {
        widget->setParent(parentWindow->widget);
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    } else {
        // A top-level window is owned by the top-level window of the parent it names.
        window->owner = parentWindow != nullptr ? RootOf(parentWindow->handle) : nullptr;
        WindowPtr owner = FindWindowObject(window->owner);
        widget->setParent(owner != nullptr ? owner->widget.data() : nullptr,
                          TopLevelFlags(style, exStyle));
        widget->setWindowTitle(title);
        window->fixedSize = (style & WS_THICKFRAME) == 0;
    }
    hooks->SetNativeText(title);
    const QRect current = widget->geometry();
    QRect geometry(x == CW_USEDEFAULT ? current.x() : x, x == CW_USEDEFAULT ? current.y() : y,
                   width == CW_USEDEFAULT ? current.width() : std::max(0, width),
                   width == CW_USEDEFAULT ? current.height() : std::max(0, height));
    widget->setGeometry(geometry);
    if (window->fixedSize)
        widget->setFixedSize(geometry.size());
    if ((style & WS_DISABLED) != 0)
        SetWidgetEnabled(*window, false);
    // A child stays hidden until it is shown, even when its parent is shown later.
    widget->setVisible(false);

    CREATESTRUCTA create;
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menuOrId;
    create.hwndParent = parent;
    create.x = geometry.x();
    create.y = geometry.y();
    create.cx = geometry.width();
    create.cy = geometry.height();
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (Dispatch(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == 0 ||
        !IsWindow(handle) ||
        Dispatch(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1 ||
        !IsWindow(handle)) {
        DestroyWindow(handle);
        return nullptr;
    }
    ReportGeometry(window);
    if ((style & WS_VISIBLE) != 0 && IsWindow(handle))
        ShowWindow(handle, SW_SHOW);
    return IsWindow(handle) ? handle : nullptr;
}

} // namespace

HWND AdoptWidgetWindow(WindowWidgetHooks* hooks, DWORD exStyle, LPCSTR className,
                       LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                       HWND parent, HMENU menuOrId, LPVOID param)
{
    return CreateWindowCore(hooks, exStyle, className, windowName, style, x, y, width, height,
                            parent, menuOrId, nullptr, param);
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menuOrId,
                     HINSTANCE instance, LPVOID param)
{
    if (QCoreApplication::instance() == nullptr)
        return nullptr;
    return CreateWindowCore(new RoutedWidget<QWidget>(), exStyle, className, windowName, style, x,
                            y, width, height, parent, menuOrId, instance, param);
}

BOOL DestroyWindow(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->destroying)
        return FALSE;
    DestroyTree(window, true);
    return TRUE;
}

BOOL IsWindow(HWND handle)
{
    return WindowRegistry::Instance().IsLive(handle) ? TRUE : FALSE;
}

BOOL IsChild(HWND parent, HWND handle)
{
    WindowPtr w = FindWindowObject(handle);
    while (w != nullptr && w->IsChild()) {
        w = ParentWindow(*w);
        if (w != nullptr && w->handle == parent)
            return TRUE;
    }
    return FALSE;
}

HWND GetParent(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return nullptr;
    if (WindowPtr parent = ParentWindow(*window))
        return parent->handle;
    return (window->style & WS_POPUP) != 0 ? window->owner : nullptr;
}

HWND GetAncestor(HWND handle, UINT flags)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return nullptr;
    switch (flags) {
    case GA_PARENT: {
        WindowPtr parent = ParentWindow(*window);
        return parent != nullptr ? parent->handle : nullptr;
    }
    case GA_ROOT:
        return RootOf(handle);
    case GA_ROOTOWNER: {
        HWND root = RootOf(handle);
        for (WindowPtr w = FindWindowObject(root); w != nullptr && w->owner != nullptr;
             w = FindWindowObject(w->owner))
            root = w->owner;
        return root;
    }
    default:
        return nullptr;
    }
}

HWND SetParent(HWND handle, HWND newParent)
{
    WindowPtr window = FindWindowObject(handle);
    WindowPtr parentWindow = FindWindowObject(newParent);
    if (window == nullptr || window->destroying || (newParent != nullptr && parentWindow == nullptr))
        return nullptr;
    for (WindowPtr p = parentWindow; p != nullptr; p = ParentWindow(*p)) {
        if (p == window)
            return nullptr; // a window cannot go inside itself
    }
    WindowPtr oldParent = ParentWindow(*window);
    const HWND previous = oldParent != nullptr ? oldParent->handle : nullptr;
    QWidget* widget = window->widget;
    if (widget == nullptr)
        return nullptr;
    const bool shown = !widget->isHidden();
    const QRect geometry = widget->geometry();
    if (parentWindow != nullptr) {
        widget->setParent(parentWindow->widget);
        window->owner = nullptr;
    } else {
        widget->setParent(nullptr, TopLevelFlags(window->style, window->exStyle));
    }
    widget->setGeometry(geometry);
    // Qt hides a widget that changes parent; a window keeps its visibility.
    widget->setVisible(shown);
    ReportGeometry(window);
    return previous;
}

HWND GetWindow(HWND handle, UINT relation)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return nullptr;
    if (relation == GW_CHILD) {
        auto children = ChildWindows(*window);
        return children.empty() ? nullptr : children.front()->handle;
    }
    if (relation == GW_OWNER)
        return window->owner;
    WindowPtr parent = ParentWindow(*window);
    if (parent == nullptr)
        return nullptr; // the order of top-level windows is the desktop's
    auto siblings = ChildWindows(*parent);
    auto it = std::find(siblings.begin(), siblings.end(), window);
    switch (relation) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return it + 1 < siblings.end() ? (*(it + 1))->handle : nullptr;
    case GW_HWNDPREV:
        return it != siblings.begin() && it != siblings.end() ? (*(it - 1))->handle : nullptr;
    default:
        return nullptr;
    }
}

LONG_PTR GetWindowLongPtrA(HWND handle, int index)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return 0;
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(window->proc);
    case GWL_STYLE:
        return static_cast<LONG_PTR>(window->CurrentStyle());
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(window->exStyle);
    case GWLP_USERDATA:
        return window->userData;
    case GWLP_ID:
        return window->id;
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(window->instance);
    case GWLP_HWNDPARENT: {
        WindowPtr parent = ParentWindow(*window);
        return reinterpret_cast<LONG_PTR>(parent != nullptr ? parent->handle : window->owner);
    }
    default:
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return 0;
    LONG_PTR previous = GetWindowLongPtrA(handle, index);
    switch (index) {
    case GWLP_WNDPROC:
        // A window without a procedure could not even be destroyed; refuse it.
        if (value == 0)
            return 0;
        window->proc = reinterpret_cast<WNDPROC>(value);
        break;
    case GWL_STYLE: {
        const DWORD style = static_cast<DWORD>(value);
        window->style = style & ~(WS_VISIBLE | WS_DISABLED);
        if (QWidget* widget = window->widget) {
            if (widget->isHidden() == ((style & WS_VISIBLE) != 0))
                widget->setVisible((style & WS_VISIBLE) != 0);
            if (widget->testAttribute(Qt::WA_ForceDisabled) != ((style & WS_DISABLED) != 0))
                SetWidgetEnabled(*window, (style & WS_DISABLED) == 0);
        }
        break;
    }
    case GWL_EXSTYLE:
        window->exStyle = static_cast<DWORD>(value);
        break;
    case GWLP_USERDATA:
        window->userData = value;
        break;
    case GWLP_ID:
        window->id = value;
        break;
    case GWLP_HINSTANCE:
        window->instance = reinterpret_cast<HINSTANCE>(value);
        break;
    default:
        return 0;
    }
    return previous;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text)
{
    if (FindWindowObject(handle) == nullptr)
        return FALSE;
    return SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : ""))
               ? TRUE
               : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0 || FindWindowObject(handle) == nullptr)
        return 0;
    buffer[0] = '\0';
    return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                         reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND handle)
{
    if (FindWindowObject(handle) == nullptr)
        return 0;
    return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

int GetClassNameA(HWND handle, LPSTR buffer, int maxCount)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return 0;
    return CopyTextOut(window->windowClass->name, buffer, maxCount);
}

QWidget* WindowWidget(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    return window != nullptr ? window->widget.data() : nullptr;
}

HWND WindowFromWidget(QWidget* widget)
{
    WindowPtr window = FromWidget(widget);
    return window != nullptr ? window->handle : nullptr;
}

HWND WindowFromWidgetOrAncestor(QWidget* widget)
{
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (HWND handle = WindowFromWidget(w))
            return handle;
    }
    return nullptr;
}
