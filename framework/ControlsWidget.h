// The Qt side of the controls, private to the framework: a control's widget, creating a
// control's window with a given Qt widget class (control classes call
// CreateWidgetHandle<QPushButton>(params) from their CreateWindowHandle), and cursors in Qt
// terms. Only the framework's own sources, tests and Qt tools include this header; the
// layers above the framework see controls through Controls.h alone, without Qt.
#pragma once

#include "framework/Controls.h"
#include "framework/Exceptions.h"
#include "platform/user/UserQt.h"

#include <utility>

// The Qt shape of a framework cursor (crDefault and unknown values: the arrow).
Qt::CursorShape QtCursorShape(TCursor cursor);

inline auto TWinControl::Widget() const
{
    return handle_ != nullptr ? WindowWidget(handle_) : static_cast<QWidget*>(nullptr);
}

template <class QtWidget, class... Args>
void TWinControl::CreateWidgetHandle(const TCreateParams& params, Args&&... args)
{
    // The window binds itself to this control in its first message (see CreateWnd).
    HWND window = CreateWidgetWindow<QtWidget>(params.ExStyle, params.WinClassName.c_str(),
                                               params.Caption.c_str(), params.Style, params.X,
                                               params.Y, params.Width, params.Height,
                                               params.WndParent, nullptr,
                                               std::forward<Args>(args)...);
    if (window == nullptr)
        throw EInvalidOperation("Impossible de créer la fenêtre de " + Name() + " (" + ClassName() + ")");
}

// Runs `action` (a handler call made from a Qt signal) with the application's exception
// handling around it: Qt cannot carry an exception through a signal.
template <class Action>
void RunGuarded(TObject* sender, Action&& action)
{
    try {
        action();
    } catch (...) {
        HandleFrameworkException(sender);
    }
}
