// Sending, posting and default handling of messages; enumeration of child windows.
#include "platform/user/WindowObject.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QThread>
#include <QWidget>

#include <exception>
#include <mutex>

namespace {

QEvent::Type PostedMessageType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

class PostedMessage final : public QEvent {
public:
    PostedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeMs)
        : QEvent(PostedMessageType()), window_(window), message_(message), wParam_(wParam),
          lParam_(lParam), timeMs_(timeMs)
    {
    }

    void Deliver() const
    {
        WindowPtr window = FindWindowObject(window_);
        if (window == nullptr || window->destroying)
            return; // the window died after the message was posted
        MessageTimeScope time(timeMs_);
        Dispatch(window, message_, wParam_, lParam_);
    }

private:
    HWND window_;
    UINT message_;
    WPARAM wParam_;
    LPARAM lParam_;
    DWORD timeMs_;
};

// Receives posted messages on the user-interface thread. One receiver for all windows, so
// that Qt's per-receiver ordering of posted events is the posting order.
class MessagePumpObject final : public QObject {
public:
    bool event(QEvent* event) override
    {
        if (event->type() != PostedMessageType())
            return QObject::event(event);
        try {
            static_cast<PostedMessage*>(event)->Deliver();
        } catch (const std::exception& error) {
            qWarning("Exception escaped a window procedure: %s", error.what());
        } catch (...) {
            qWarning("Exception escaped a window procedure");
        }
        return true;
    }
};

bool OnUiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return app != nullptr && QThread::currentThread() == app->thread();
}

void SendHelp(const WindowPtr& window)
{
    HELPINFO info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = static_cast<int>(window->id);
    info.hItemHandle = window->handle;
    const QPoint cursor = QCursor::pos();
    info.MousePos = POINT{cursor.x(), cursor.y()};
    Dispatch(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

std::string CurrentText(const WindowObject& window)
{
    if (window.hooks != nullptr) {
        if (std::optional<QString> native = window.hooks->NativeText())
            return native->toStdString();
    }
    return window.text;
}

void CollectDescendants(const WindowObject& window, std::vector<HWND>& out)
{
    for (const WindowPtr& child : ChildWindows(window)) {
        out.push_back(child->handle);
        CollectDescendants(*child, out);
    }
}

} // namespace

QObject* MessagePump()
{
    static std::once_flag once;
    static QObject* pump = nullptr;
    std::call_once(once, [] {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr)
            return;
        // Lives as long as the process: posted messages may arrive until the very end.
        pump = new MessagePumpObject;
        pump->moveToThread(app->thread());
    });
    return pump;
}

LRESULT SendMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!OnUiThread()) {
        qWarning("SendMessageA called off the user-interface thread; use PostMessageA");
        return 0;
    }
    WindowPtr window = FindWindowObject(handle);
    return window != nullptr ? Dispatch(window, message, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(handle) || QCoreApplication::instance() == nullptr)
        return FALSE;
    QObject* pump = MessagePump();
    if (pump == nullptr)
        return FALSE;
    QCoreApplication::postEvent(pump, new PostedMessage(handle, message, wParam, lParam, MessageClockMs()));
    return TRUE;
}

LRESULT CallWindowProcA(WNDPROC previous, HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (previous == nullptr)
        return 0;
    return previous(handle, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr)
        return 0;
    // The Qt event behind this message gets its own handling now, once.
    if (NativeEventSlot* slot = window->native;
        slot != nullptr && !slot->done && slot->message == message && window->hooks != nullptr) {
        slot->done = true;
        slot->result = window->hooks->BaseEvent(slot->event);
    }
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(handle);
        return 0;
    case WM_SETTEXT: {
        const char* text = lParam != 0 ? reinterpret_cast<const char*>(lParam) : "";
        window->text = text;
        const QString qtText = QString::fromUtf8(text);
        if (window->hooks != nullptr)
            window->hooks->SetNativeText(qtText);
        if (window->widget != nullptr && window->widget->isWindow())
            window->widget->setWindowTitle(qtText);
        return TRUE;
    }
    case WM_GETTEXT:
        return CopyTextOut(CurrentText(*window), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(CurrentText(*window).size());
    case WM_KEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F1))
            SendHelp(window);
        return 0;
    case WM_HELP: {
        // Help goes up to the parent, or to the owner of a top-level window.
        const HWND up = window->IsChild() ? GetParent(handle) : window->owner;
        return up != nullptr ? SendMessageA(up, WM_HELP, wParam, lParam) : TRUE;
    }
    default:
        return 0;
    }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM param)
{
    if (callback == nullptr)
        return FALSE;
    std::vector<HWND> handles;
    if (parent == nullptr) {
        for (const WindowPtr& window : WindowRegistry::Instance().All()) {
            if (ParentWindow(*window) == nullptr && !window->destroying)
                handles.push_back(window->handle);
        }
    } else {
        WindowPtr window = FindWindowObject(parent);
        if (window == nullptr)
            return FALSE;
        CollectDescendants(*window, handles);
    }
    // The list is taken first, so the callback may create or destroy windows.
    for (HWND handle : handles) {
        if (IsWindow(handle) && callback(handle, param) == FALSE)
            break;
    }
    return TRUE;
}

void PostQuitMessage(int exitCode)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr)
        return;
    // Queued, as WM_QUIT is: the handler that asks finishes first.
    QMetaObject::invokeMethod(app, [exitCode] { QCoreApplication::exit(exitCode); }, Qt::QueuedConnection);
}
