// The framework's message record and its own message numbers.
//
// A control handles every message as a TMessage: the window messages its window receives
// (WM_*, platform/user/WinUser.h) and the framework's internal notifications below, which
// controls send each other with Perform. The numbers follow the desktop framework's
// conventions, so code that subclasses a control's window can recognise them:
// - CM_BASE + n: notifications between controls (a parent's colour changed, ...);
// - CN_BASE + WM_xxx: a window message reflected back to the control it concerns. Keyboard
//   messages are reflected to the control that receives them before anything else runs;
//   a non-zero result means "handled here" and the message goes no further.
//
// Thread: the user-interface thread, like the controls.
#pragma once

#include "platform/user/WinUser.h"

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;

    WORD WParamLo() const { return static_cast<WORD>(WParam & 0xFFFF); }
    WORD WParamHi() const { return static_cast<WORD>((WParam >> 16) & 0xFFFF); }
    WORD LParamLo() const { return static_cast<WORD>(LParam & 0xFFFF); }
    WORD LParamHi() const { return static_cast<WORD>((static_cast<ULONG_PTR>(LParam) >> 16) & 0xFFFF); }
};

// Mouse message helpers: client coordinates are signed 16-bit values.
inline int MessageX(const TMessage& message) { return static_cast<SHORT>(message.LParamLo()); }
inline int MessageY(const TMessage& message) { return static_cast<SHORT>(message.LParamHi()); }
inline LPARAM PointToLParam(int x, int y)
{
    return static_cast<LPARAM>(static_cast<LONG>(
        (static_cast<DWORD>(static_cast<WORD>(static_cast<SHORT>(y))) << 16) |
        static_cast<WORD>(static_cast<SHORT>(x))));
}

// Internal notifications.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 11;
constexpr UINT CM_COLORCHANGED = CM_BASE + 12;
constexpr UINT CM_FONTCHANGED = CM_BASE + 13;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 22;
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_UIACTIVATE = CM_BASE + 42;
constexpr UINT CM_UIDEACTIVATE = CM_BASE + 43;
constexpr UINT CM_DOCWINDOWACTIVATE = CM_BASE + 44;
constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 45;
constexpr UINT CM_CTL3DCHANGED = CM_BASE + 16;
constexpr UINT CM_PARENTCTL3DCHANGED = CM_BASE + 17;

// Reflected window messages.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;

// True for the reflected forms of WM_KEYFIRST..WM_KEYLAST.
constexpr bool IsReflectedKeyMessage(UINT message)
{
    return message >= CN_BASE + WM_KEYFIRST && message <= CN_BASE + WM_KEYLAST;
}
