// The bridge between window handles and Qt widgets, for framework/ only: the layers above
// the framework see windows through platform/user/WinUser.h alone.
//
// Every window's widget is a RoutedWidget<Base>: a Base (QWidget, QPushButton, QScrollBar,
// QLineEdit, ...) whose Qt events are turned into messages sent through the window's
// current procedure. Qt's own handling of an event (a button drawing itself, a line edit
// taking a key) runs when that message reaches DefWindowProcA, so a procedure that
// swallows the message also suppresses the widget's own reaction, as on Windows.
//
// Thread: user-interface thread only.
#pragma once

#include "platform/user/WinUser.h"

#include <QEvent>
#include <QString>
#include <QWidget>

#include <concepts>
#include <optional>
#include <utility>

class WindowWidgetHooks;

// The widget of a live window, or nullptr. The window keeps owning it.
QWidget* WindowWidget(HWND window);
// The window whose widget is `widget`, or 0 (also for widgets that are not windows).
HWND WindowFromWidget(QWidget* widget);
// The window of `widget` or of its nearest ancestor that is a window, or 0.
HWND WindowFromWidgetOrAncestor(QWidget* widget);

// Takes over a freshly built routed widget (no parent yet) as the widget of a new window of
// the registered class `className`; the rest is CreateWindowExA. On failure the widget is
// deleted and 0 returned. Use CreateWidgetWindow below rather than this.
HWND AdoptWidgetWindow(WindowWidgetHooks* widget, DWORD exStyle, LPCSTR className,
                       LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                       HWND parent, HMENU menuOrId, LPVOID param);

// What the window layer needs from a routed widget. Implemented by RoutedWidget only.
class WindowWidgetHooks {
public:
    virtual ~WindowWidgetHooks() = default;
    virtual QWidget* Widget() = 0;
    // Qt's own handling of the event (Base::event).
    virtual bool BaseEvent(QEvent* event) = 0;
    // The widget's own text, when Base has one (buttons, labels, line edits).
    virtual bool SetNativeText(const QString& text) = 0;
    virtual std::optional<QString> NativeText() const = 0;

    HWND Handle() const { return handle_; }

protected:
    // Routes one Qt event of this widget; called from RoutedWidget::event.
    bool Route(QEvent* event);
    // Tells the window layer that the widget is going away (Qt deleted it directly).
    void Detach();

private:
    friend struct WindowObject;
    friend class WindowRegistry;
    HWND handle_ = nullptr;
};

template <class Base>
class RoutedWidget final : public Base, public WindowWidgetHooks {
public:
    template <class... Args>
    explicit RoutedWidget(Args&&... args) : Base(std::forward<Args>(args)...)
    {
    }
    ~RoutedWidget() override { Detach(); }

    QWidget* Widget() override { return this; }
    bool BaseEvent(QEvent* event) override { return Base::event(event); }
    bool SetNativeText(const QString& text) override
    {
        if constexpr (requires(Base& b) { b.setText(std::declval<const QString&>()); }) {
            Base::setText(text);
            return true;
        } else {
            return false;
        }
    }
    std::optional<QString> NativeText() const override
    {
        if constexpr (requires(const Base& b) { { b.text() } -> std::convertible_to<QString>; })
            return QString(Base::text());
        else
            return std::nullopt;
    }

protected:
    bool event(QEvent* event) override { return Route(event); }
};

// Creates a window of the registered class `className` whose widget is a
// RoutedWidget<Base> constructed from `args`. Returns 0 on failure (see CreateWindowExA).
template <class Base, class... Args>
HWND CreateWidgetWindow(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                        int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                        Args&&... args)
{
    auto* widget = new RoutedWidget<Base>(std::forward<Args>(args)...);
    return AdoptWidgetWindow(widget, exStyle, className, windowName, style, x, y, width,
                             height, parent, menuOrId, nullptr);
}
