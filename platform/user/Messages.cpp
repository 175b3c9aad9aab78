// Sending, posting and default handling of messages; enumeration of child windows.
#include "platform/user/WindowObject.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEvent>
#include <QThread>
#include <QWidget>

#include <deque>
#include <exception>
#include <mutex>

namespace {

// Posted messages wait in our own queue, guarded by a std::mutex: whatever a thread wrote
// before posting is seen by the window procedure that handles the message (and by tools that
// check for races, which cannot see the locking inside Qt's own event queue). Qt's posted
// event only wakes the user-interface thread: one wake per message, each delivering the
// oldest message waiting, so the messages go out in the order they were posted, interleaved
// with Qt's other events as before, and a handler that runs a nested event loop still gets
// the messages posted meanwhile. The wake itself is made under the queue's lock and looked at
// only after the receiver took that lock: its hand-over is then as visible as the message's.
// Timers tick only while this queue is empty (Timers.cpp).
struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD timeMs;
};

struct PostedQueue {
    std::mutex lock;
    std::deque<PostedMessage> messages;
};

PostedQueue& Posted()
{
    static PostedQueue queue;
    return queue;
}

QEvent::Type WakeType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void DeliverOldestPosted()
{
    PostedMessage posted;
    {
        PostedQueue& queue = Posted();
        std::lock_guard guard(queue.lock);
        if (queue.messages.empty())
            return;
        posted = queue.messages.front();
        queue.messages.pop_front();
    }
    WindowPtr window = FindWindowObject(posted.window);
    if (window == nullptr || window->destroying)
        return; // the window died after the message was posted
    MessageTimeScope time(posted.timeMs);
    Dispatch(window, posted.message, posted.wParam, posted.lParam);
}

// Receives the wakes on the user-interface thread. One receiver for all windows.
class MessagePumpObject final : public QObject {
public:
    bool event(QEvent* event) override
    {
        {
            // Every wake was made under this lock by the thread that posted it.
            std::lock_guard guard(Posted().lock);
        }
        if (event->type() != WakeType())
            return QObject::event(event);
        try {
            DeliverOldestPosted();
        } catch (const std::exception& error) {
            qWarning("Exception escaped a window procedure: %s", error.what());
        } catch (...) {
            qWarning("Exception escaped a window procedure");
        }
        PostedMessageHandled();
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

bool PostedQueueEmpty()
{
    PostedQueue& queue = Posted();
    std::lock_guard guard(queue.lock);
    return queue.messages.empty();
}

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
    QEvent* wake;
    {
        PostedQueue& queue = Posted();
        std::lock_guard guard(queue.lock);
        queue.messages.push_back(PostedMessage{handle, message, wParam, lParam, MessageClockMs()});
        wake = new QEvent(WakeType());
    }
    QCoreApplication::postEvent(pump, wake);
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
