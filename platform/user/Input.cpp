// Keyboard state, virtual-key codes, mouse capture and keyboard focus.
#include "platform/user/WindowObject.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <array>

namespace {

struct KeySlot {
    bool down = false;
    bool toggled = false;
};

std::array<KeySlot, 256>& Keys()
{
    static std::array<KeySlot, 256> keys;
    return keys;
}

void SetKey(int vk, bool down, bool toggleOnPress)
{
    if (vk <= 0 || vk > 255)
        return;
    KeySlot& slot = Keys()[static_cast<std::size_t>(vk)];
    if (down && !slot.down && toggleOnPress)
        slot.toggled = !slot.toggled;
    slot.down = down;
}

// Headless platforms have no pointer to grab; capture then rests on our own routing.
bool PlatformGrabsMouse()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

HWND g_explicitCapture = nullptr;
HWND g_implicitCapture = nullptr;
HWND g_focus = nullptr;
HWND g_previousFocus = nullptr;

} // namespace

int VirtualKeyFromQt(int key, Qt::KeyboardModifiers modifiers)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return (modifiers & Qt::KeypadModifier) != 0 ? VK_NUMPAD0 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_Pause: return VK_PAUSE;
    case Qt::Key_Print: return VK_SNAPSHOT;
    case Qt::Key_Clear: return VK_CLEAR;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Meta: return VK_LWIN;
    case Qt::Key_Menu: return VK_APPS;
    case Qt::Key_CapsLock: return VK_CAPITAL;
    case Qt::Key_NumLock: return VK_NUMLOCK;
    case Qt::Key_ScrollLock: return VK_SCROLL;
    case Qt::Key_Help: return VK_HELP;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_Asterisk: return (modifiers & Qt::KeypadModifier) != 0 ? VK_MULTIPLY : '8';
    case Qt::Key_Plus: return (modifiers & Qt::KeypadModifier) != 0 ? VK_ADD : VK_OEM_PLUS;
    case Qt::Key_Minus: return (modifiers & Qt::KeypadModifier) != 0 ? VK_SUBTRACT : VK_OEM_MINUS;
    case Qt::Key_Period: return (modifiers & Qt::KeypadModifier) != 0 ? VK_DECIMAL : VK_OEM_PERIOD;
    case Qt::Key_Slash: return (modifiers & Qt::KeypadModifier) != 0 ? VK_DIVIDE : VK_OEM_2;
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return VK_OEM_1;
    case Qt::Key_Equal: return VK_OEM_PLUS;
    case Qt::Key_Comma:
    case Qt::Key_Less: return VK_OEM_COMMA;
    case Qt::Key_Underscore: return VK_OEM_MINUS;
    case Qt::Key_Greater: return VK_OEM_PERIOD;
    case Qt::Key_Question: return VK_OEM_2;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return VK_OEM_3;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return VK_OEM_4;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return VK_OEM_5;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return VK_OEM_6;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return VK_OEM_7;
    // Shifted digits of a US keyboard report the digit key.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
    }
}

void TrackInputState(QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers();
        SetKey(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0, false);
        SetKey(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0, false);
        SetKey(VK_MENU, (modifiers & Qt::AltModifier) != 0, false);
        // The key's own transition comes last: Qt reports a modifier key's event with
        // the modifier state from before it.
        if (!key->isAutoRepeat())
            SetKey(VirtualKeyFromQt(key->key(), modifiers), event->type() == QEvent::KeyPress, true);
        break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const Qt::KeyboardModifiers modifiers = mouse->modifiers();
        SetKey(VK_SHIFT, (modifiers & Qt::ShiftModifier) != 0, false);
        SetKey(VK_CONTROL, (modifiers & Qt::ControlModifier) != 0, false);
        SetKey(VK_MENU, (modifiers & Qt::AltModifier) != 0, false);
        const Qt::MouseButtons buttons = mouse->buttons();
        SetKey(VK_LBUTTON, (buttons & Qt::LeftButton) != 0, true);
        SetKey(VK_RBUTTON, (buttons & Qt::RightButton) != 0, true);
        SetKey(VK_MBUTTON, (buttons & Qt::MiddleButton) != 0, true);
        break;
    }
    default:
        break;
    }
}

SHORT GetKeyState(int virtualKey)
{
    switch (virtualKey) {
    case 0xA0: // VK_LSHIFT, VK_RSHIFT
    case 0xA1: virtualKey = VK_SHIFT; break;
    case 0xA2: // VK_LCONTROL, VK_RCONTROL
    case 0xA3: virtualKey = VK_CONTROL; break;
    case 0xA4: // VK_LMENU, VK_RMENU
    case 0xA5: virtualKey = VK_MENU; break;
    default: break;
    }
    if (virtualKey <= 0 || virtualKey > 255)
        return 0;
    const KeySlot& slot = Keys()[static_cast<std::size_t>(virtualKey)];
    const unsigned value = (slot.down ? 0xFF80u : 0u) | (slot.toggled ? 1u : 0u);
    return static_cast<SHORT>(value);
}

HWND MouseCaptureTarget()
{
    if (g_explicitCapture != nullptr && IsWindow(g_explicitCapture))
        return g_explicitCapture;
    if (g_implicitCapture != nullptr && IsWindow(g_implicitCapture))
        return g_implicitCapture;
    return nullptr;
}

void NoteMouseButtons(HWND window, bool pressed, bool anyButtonHeld)
{
    if (pressed) {
        if (g_implicitCapture == nullptr || !IsWindow(g_implicitCapture))
            g_implicitCapture = window;
    } else if (!anyButtonHeld) {
        g_implicitCapture = nullptr;
    }
}

HWND SetCapture(HWND handle)
{
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->destroying)
        return nullptr;
    const HWND previous = GetCapture();
    if (previous == handle)
        return previous;
    g_explicitCapture = handle;
    if (WindowPtr old = FindWindowObject(previous)) {
        if (old->widget != nullptr && QWidget::mouseGrabber() == old->widget)
            old->widget->releaseMouse();
        Dispatch(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(handle));
    }
    if (window->widget != nullptr && window->widget->isVisible() && PlatformGrabsMouse())
        window->widget->grabMouse();
    return previous;
}

BOOL ReleaseCapture()
{
    const HWND previous = GetCapture();
    g_explicitCapture = nullptr;
    if (WindowPtr old = FindWindowObject(previous)) {
        if (old->widget != nullptr && QWidget::mouseGrabber() == old->widget)
            old->widget->releaseMouse();
        Dispatch(old, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

void CancelMouseCapture()
{
    if (GetCapture() != nullptr)
        ReleaseCapture();
    g_explicitCapture = nullptr;
    g_implicitCapture = nullptr;
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

HWND GetCapture()
{
    return g_explicitCapture != nullptr && IsWindow(g_explicitCapture) ? g_explicitCapture : nullptr;
}

void FocusArrived(HWND handle)
{
    if (g_focus == handle)
        return;
    HWND old = g_focus != nullptr ? g_focus : g_previousFocus;
    if (g_focus != nullptr) {
        // Focus that Qt never saw arrive (set while the window was inactive) leaves here.
        HWND leaving = g_focus;
        g_focus = nullptr;
        if (WindowPtr w = FindWindowObject(leaving))
            Dispatch(w, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
    }
    g_focus = handle;
    g_previousFocus = nullptr;
    if (WindowPtr w = FindWindowObject(handle))
        Dispatch(w, WM_SETFOCUS, reinterpret_cast<WPARAM>(IsWindow(old) ? old : nullptr), 0);
}

void FocusLeft(HWND handle)
{
    if (g_focus != handle)
        return;
    g_focus = nullptr;
    g_previousFocus = handle;
    const HWND next = WindowFromWidgetOrAncestor(QApplication::focusWidget());
    if (WindowPtr w = FindWindowObject(handle))
        Dispatch(w, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next != handle ? next : nullptr), 0);
}

HWND SetFocus(HWND handle)
{
    const HWND previous = GetFocus();
    if (handle == nullptr) {
        if (WindowPtr old = FindWindowObject(previous)) {
            if (old->widget != nullptr)
                old->widget->clearFocus();
            FocusLeft(previous);
        }
        return previous;
    }
    WindowPtr window = FindWindowObject(handle);
    if (window == nullptr || window->destroying || window->widget == nullptr)
        return nullptr;
    window->widget->setFocus(Qt::OtherFocusReason);
    // Qt sends focus events only within the active window; Windows' focus does not wait
    // for activation, so the messages follow here when Qt sent none.
    if (g_focus != handle)
        FocusArrived(handle);
    return previous;
}

HWND GetFocus()
{
    return g_focus != nullptr && IsWindow(g_focus) ? g_focus : nullptr;
}

void ForgetInputWindow(HWND handle)
{
    if (g_explicitCapture == handle) {
        g_explicitCapture = nullptr;
        if (WindowPtr w = FindWindowObject(handle); w != nullptr && w->widget != nullptr &&
                                                    QWidget::mouseGrabber() == w->widget)
            w->widget->releaseMouse();
    }
    if (g_implicitCapture == handle)
        g_implicitCapture = nullptr;
    if (g_focus == handle)
        g_focus = nullptr;
    if (g_previousFocus == handle)
        g_previousFocus = nullptr;
}

BOOL GetCursorPos(POINT* point)
{
    if (point == nullptr)
        return FALSE;
    const QPoint position = QCursor::pos();
    *point = POINT{position.x(), position.y()};
    return TRUE;
}

int GetSystemMetrics(int index)
{
    if (QApplication::instance() == nullptr)
        return 0;
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr)
            return 0;
        return index == SM_CXSCREEN ? screen->geometry().width() : screen->geometry().height();
    }
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 2 * QApplication::startDragDistance();
    case SM_CMOUSEBUTTONS:
        return 3;
    default:
        return 0;
    }
}

UINT GetDoubleClickTime()
{
    return QApplication::instance() != nullptr ? static_cast<UINT>(QApplication::doubleClickInterval()) : 500u;
}
