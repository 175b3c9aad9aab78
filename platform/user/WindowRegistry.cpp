#include "platform/user/WindowObject.h"

#include <QWidget>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <unordered_map>

namespace {

std::string FoldCase(const std::string& name)
{
    std::string folded = name;
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

} // namespace

struct WindowRegistry::State {
    // Guards `windows` for IsLive from other threads; everything else is UI-thread only.
    mutable std::mutex mutex;
    std::unordered_map<HWND, WindowPtr> windows;
    std::unordered_map<std::string, std::shared_ptr<const WindowClass>> classes;
    std::uintptr_t nextHandle = 0x10000;
    WORD nextAtom = 0xC000;
};

WindowRegistry& WindowRegistry::Instance()
{
    static WindowRegistry registry;
    return registry;
}

WindowRegistry::State& WindowRegistry::state() const
{
    // Never destroyed: windows may still be torn down by Qt after static destructors run.
    static State* s = new State;
    return *s;
}

WORD WindowRegistry::AddClass(const WNDCLASSA& windowClass)
{
    if (windowClass.lpszClassName == nullptr || windowClass.lpszClassName[0] == '\0' ||
        windowClass.lpfnWndProc == nullptr)
        return 0;
    State& s = state();
    const std::string key = FoldCase(windowClass.lpszClassName);
    if (s.classes.count(key) != 0)
        return 0;
    auto entry = std::make_shared<WindowClass>();
    entry->name = windowClass.lpszClassName;
    entry->style = windowClass.style;
    entry->proc = windowClass.lpfnWndProc;
    entry->background = windowClass.hbrBackground;
    entry->atom = s.nextAtom++;
    s.classes.emplace(key, entry);
    return entry->atom;
}

bool WindowRegistry::RemoveClass(const std::string& name)
{
    State& s = state();
    auto it = s.classes.find(FoldCase(name));
    if (it == s.classes.end())
        return false;
    // As on Windows, a class with live windows stays registered.
    for (const auto& [handle, window] : s.windows) {
        if (window->windowClass == it->second)
            return false;
    }
    s.classes.erase(it);
    return true;
}

std::shared_ptr<const WindowClass> WindowRegistry::FindClass(const std::string& name) const
{
    const State& s = state();
    auto it = s.classes.find(FoldCase(name));
    return it == s.classes.end() ? nullptr : it->second;
}

HWND WindowRegistry::Add(WindowPtr window)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    // Handles are never reused during a run, so a stale handle can never reach a new window.
    HWND handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 4;
    window->handle = handle;
    s.windows.emplace(handle, std::move(window));
    return handle;
}

void WindowRegistry::Remove(HWND handle)
{
    State& s = state();
    WindowPtr keep; // released outside the lock
    std::lock_guard lock(s.mutex);
    auto it = s.windows.find(handle);
    if (it != s.windows.end()) {
        keep = std::move(it->second);
        s.windows.erase(it);
    }
}

WindowPtr WindowRegistry::Find(HWND handle) const
{
    if (handle == nullptr)
        return nullptr;
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.windows.find(handle);
    return it == s.windows.end() ? nullptr : it->second;
}

bool WindowRegistry::IsLive(HWND handle) const
{
    if (handle == nullptr)
        return false;
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.windows.find(handle);
    return it != s.windows.end();
}

std::vector<WindowPtr> WindowRegistry::All() const
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<WindowPtr> all;
    all.reserve(s.windows.size());
    for (const auto& [handle, window] : s.windows)
        all.push_back(window);
    return all;
}

DWORD WindowObject::CurrentStyle() const
{
    DWORD current = style & ~(WS_VISIBLE | WS_DISABLED);
    if (widget != nullptr) {
        if (!widget->isHidden())
            current |= WS_VISIBLE;
        if (widget->testAttribute(Qt::WA_ForceDisabled))
            current |= WS_DISABLED;
    }
    return current;
}

WindowPtr FindWindowObject(HWND handle)
{
    return WindowRegistry::Instance().Find(handle);
}

WindowPtr FromWidget(QWidget* widget)
{
    auto* hooks = dynamic_cast<WindowWidgetHooks*>(widget);
    return hooks == nullptr ? nullptr : FindWindowObject(hooks->Handle());
}

namespace {

void CollectChildren(QWidget* widget, std::vector<WindowPtr>& out)
{
    // Qt keeps children bottom first; windows list the top of the z-order first.
    const QObjectList& children = widget->children();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        auto* child = qobject_cast<QWidget*>(*it);
        if (child == nullptr || child->isWindow())
            continue;
        if (WindowPtr window = FromWidget(child))
            out.push_back(window);
        else
            CollectChildren(child, out); // a plain widget between two windows
    }
}

} // namespace

std::vector<WindowPtr> ChildWindows(const WindowObject& window)
{
    std::vector<WindowPtr> children;
    if (window.widget != nullptr)
        CollectChildren(window.widget, children);
    return children;
}

WindowPtr ParentWindow(const WindowObject& window)
{
    if (window.widget == nullptr || window.widget->isWindow())
        return nullptr;
    for (QWidget* w = window.widget->parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (WindowPtr parent = FromWidget(w))
            return parent;
        if (w->isWindow())
            break;
    }
    return nullptr;
}

LRESULT Dispatch(const WindowPtr& window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window == nullptr || window->proc == nullptr)
        return 0;
    WindowPtr keep = window;
    return keep->proc(keep->handle, message, wParam, lParam);
}

namespace {

DWORD g_messageTime = 0;

} // namespace

DWORD MessageClockMs()
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

MessageTimeScope::MessageTimeScope(DWORD timeMs) : saved_(g_messageTime)
{
    g_messageTime = timeMs;
}

MessageTimeScope::~MessageTimeScope()
{
    g_messageTime = saved_;
}

LONG GetMessageTime()
{
    return static_cast<LONG>(g_messageTime);
}

int& RoutedEventDepth()
{
    static int depth = 0;
    return depth;
}

int CopyTextOut(const std::string& text, LPSTR buffer, int maxCount)
{
    if (buffer == nullptr || maxCount <= 0)
        return 0;
    std::size_t count = std::min<std::size_t>(text.size(), static_cast<std::size_t>(maxCount - 1));
    // Step back over continuation bytes so that a character is never cut in two.
    if (count < text.size()) {
        while (count > 0 && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80)
            --count;
    }
    std::copy_n(text.data(), count, buffer);
    buffer[count] = '\0';
    return static_cast<int>(count);
}
