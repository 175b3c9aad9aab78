// Shared helpers of the window manager tests: a message log filled by recording window
// procedures, class registration and waiting on the Qt event loop.
#pragma once

#include "platform/user/UserQt.h"
#include "platform/user/WinUser.h"
#include "tests/support/EventWait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <functional>
#include <vector>

struct LoggedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<LoggedMessage>& MessageLog()
{
    static std::vector<LoggedMessage> log;
    return log;
}

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageLog().push_back({window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registers a class with RecordingProc once per test program.
inline void RegisterRecordingClass(const char* name, UINT style = 0)
{
    WNDCLASSA windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass); // 0 when an earlier test registered it already
}

// The messages of `window` in the log, in order, restricted to `only` when given.
inline std::vector<UINT> MessagesOf(HWND window, const std::vector<UINT>& only = {})
{
    std::vector<UINT> out;
    for (const LoggedMessage& m : MessageLog()) {
        if (m.window != window)
            continue;
        if (only.empty() || std::find(only.begin(), only.end(), m.message) != only.end())
            out.push_back(m.message);
    }
    return out;
}

inline std::vector<LoggedMessage> Logged(HWND window, UINT message)
{
    std::vector<LoggedMessage> out;
    for (const LoggedMessage& m : MessageLog()) {
        if (m.window == window && m.message == message)
            out.push_back(m);
    }
    return out;
}

using testsupport::WaitUntil;

inline void FlushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline HWND MakeTopLevel(const char* className, int width = 300, int height = 200)
{
    return CreateWindowExA(0, className, "top", WS_OVERLAPPEDWINDOW, 10, 10, width, height,
                           nullptr, nullptr, nullptr, nullptr);
}

// Shows a top-level window and waits until the platform lets it paint.
inline bool ShowAndExpose(HWND window)
{
    ShowWindow(window, SW_SHOW);
    QWidget* widget = WindowWidget(window);
    return widget != nullptr &&
           WaitUntil([&] { return widget->windowHandle() != nullptr && widget->windowHandle()->isExposed(); });
}

inline HWND MakeChild(const char* className, HWND parent, int x, int y, int width, int height,
                      DWORD style = WS_VISIBLE)
{
    return CreateWindowExA(0, className, "", WS_CHILD | style, x, y, width, height, parent,
                           nullptr, nullptr, nullptr);
}
