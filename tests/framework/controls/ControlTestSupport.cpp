#include "tests/framework/controls/ControlTestSupport.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

FormGuard::FormGuard() : form_(new TForm(nullptr)) { form_->SetBounds(100, 100, 400, 300); }

FormGuard::~FormGuard() { form_->Free(); }

void SendMouse(QWidget* widget, int type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent event(static_cast<QEvent::Type>(type), QPointF(local), QPointF(widget->mapToGlobal(local)), button,
                      buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

void Press(QWidget* widget, QPoint local) { SendMouse(widget, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton); }
void MoveHeld(QWidget* widget, QPoint local) { SendMouse(widget, QEvent::MouseMove, local, Qt::NoButton, Qt::LeftButton); }
void Release(QWidget* widget, QPoint local) { SendMouse(widget, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton); }

void SendKey(QWidget* widget, int qtKey, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &release);
}
